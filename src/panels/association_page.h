#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class FileAssociations;
class QCheckBox;
class QFrame;
class QWidget;

// The page `Frame_other` "関連付け": per movie extension a box
// `Check_kanren` that makes the program an application for it and a box
// `Check_default` (usable only once associated) that makes it the default.
// The six types come first (boxes 0-5); a second group for mp4, mkv and the
// other types whose MIME type is not one of the six's follows, shown only
// while the option for them is on.  The boxes show the desktop's MIME
// settings, read afresh after every click; nothing of them is kept in the
// settings.
class AssociationPage : public QObject
{
    Q_OBJECT
public:
    AssociationPage(QFrame *config, FileAssociations &associations, QObject *parent = nullptr);

    // Sets the boxes from the MIME settings (start-up and after each change).
    void showState();
    // Shows or hides the second group.
    void setMoreFormats(bool on);

    QFrame *Frame_other = nullptr;
    QList<QCheckBox *> Check_kanren;
    QList<QCheckBox *> Check_default;
    // The second group's frame.
    QWidget *Frame_more = nullptr;

private:
    void kanrenClicked(int index, bool ticked);
    void defaultClicked(int index, bool ticked);

    // The extension of each box, in the boxes' order.
    QStringList extensions_;
    FileAssociations &associations_;
};
