#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// A menu of checkable entries of which the program keeps one checked (the
// play mode, the speed), with a toolbar button whose picture shows the
// checked entry.  The menu is named `menuName`, its entries `entryName_index`.
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
    // toolbar button; an index out of range leaves every entry unchecked.
    void check(int index);
    // The lowest checked index, or `none` when no entry is checked.
    int firstChecked(int none) const;
    // The highest checked index, or `none` when no entry is checked.
    int lastChecked(int none) const;

signals:
    // The user picked an entry from the menu.
    void picked(int index);

private:
    QMenu *menu_;
    QAction *toolbarButton_;
    QList<QAction *> entries_;
    QStringList images_;
};
