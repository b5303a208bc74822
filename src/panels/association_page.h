#pragma once

#include <QList>
#include <QObject>

class FileAssociations;
class QCheckBox;
class QFrame;

// The page `Frame_other` "関連付け": per movie extension a box
// `Check_kanren` that makes the program an application for it and a box
// `Check_default` (usable only once associated) that makes it the default.
// The boxes show the desktop's MIME settings, read afresh after every click;
// nothing of them is kept in the settings.
class AssociationPage : public QObject
{
    Q_OBJECT
public:
    AssociationPage(QFrame *config, FileAssociations &associations, QObject *parent = nullptr);

    // Sets the boxes from the MIME settings (start-up and after each change).
    void showState();

    QFrame *Frame_other = nullptr;
    QList<QCheckBox *> Check_kanren;
    QList<QCheckBox *> Check_default;

private:
    void kanrenClicked(int index, bool ticked);
    void defaultClicked(int index, bool ticked);

    FileAssociations &associations_;
};
