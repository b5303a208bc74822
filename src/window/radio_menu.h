#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

// A menu of checkable entries showing which one of them a value holds (the
// play mode, the speed), with a toolbar button whose picture shows that
// entry.  The menu only shows the value: a click reports the entry picked,
// and the owner of the value decides what is checked.  The menu is named
// `menuName`, its entries `entryName_index`.
class RadioMenu : public QObject
{
    Q_OBJECT
public:
    RadioMenu(const QString &menuName, const QString &entryName, const QString &title,
              const QStringList &captions, const QStringList &buttonImages, QAction *toolbarButton,
              QWidget *menuParent);

    QMenu *menu() const { return menu_; }
    QAction *entry(int index) const { return entries_.value(index, nullptr); }
    int count() const { return int(entries_.size()); }

    // Checks entry `index`, unchecks the others and shows its picture on the
    // toolbar button; an index out of range leaves every entry unchecked and
    // the picture as it was.
    void show(int index);

signals:
    // The user picked an entry from the menu.
    void picked(int index);

private:
    QMenu *menu_;
    QAction *toolbarButton_;
    QList<QAction *> entries_;
    QStringList images_;
    int shown_ = -1;
};
