#include "panels/association_page.h"

#include "base/movie_ext.h"
#include "desktop/file_associations.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>

AssociationPage::AssociationPage(QFrame *config, FileAssociations &associations, QObject *parent)
    : QObject(parent), associations_(associations)
{
    Frame_other = new QFrame(config);
    Frame_other->setObjectName("Frame_other");
    auto *column = new QVBoxLayout(Frame_other);
    const auto row = [](QWidget *frame, QBoxLayout *layout, const char *label, const char *name,
                        const QStringList &extensions, int columns, QList<QCheckBox *> &boxes) {
        layout->addWidget(new QLabel(QString::fromUtf8(label), frame));
        auto *grid = new QGridLayout;
        for (int i = 0; i < extensions.size(); ++i) {
            auto *box = new QCheckBox(extensions[i], frame);
            box->setObjectName(QString("%1_%2").arg(name).arg(boxes.size()));
            grid->addWidget(box, i / columns, i % columns);
            boxes << box;
        }
        layout->addLayout(grid);
    };
    const QStringList &six = movie_extensions();
    row(Frame_other, column, "Sazanamiを関連付ける", "Check_kanren", six, 3, Check_kanren);
    row(Frame_other, column, "デフォルトにする", "Check_default", six, 3, Check_default);

    // A type the six already have (divx is avi's, vob mpg's) is set by
    // their boxes.
    QStringList sixTypes;
    for (const QString &extension : six)
        sixTypes << FileAssociations::mimeTypeOf(extension);
    QStringList more;
    for (const QString &extension : more_movie_extensions()) {
        if (!sixTypes.contains(FileAssociations::mimeTypeOf(extension)))
            more << extension;
    }
    Frame_more = new QWidget(Frame_other);
    Frame_more->setObjectName("Frame_more");
    auto *moreColumn = new QVBoxLayout(Frame_more);
    moreColumn->setContentsMargins(0, 0, 0, 0);
    row(Frame_more, moreColumn, "Sazanamiを関連付ける（mp4・mkv・webm など）", "Check_kanren", more,
        5, Check_kanren);
    row(Frame_more, moreColumn, "デフォルトにする（mp4・mkv・webm など）", "Check_default", more, 5,
        Check_default);
    Frame_more->hide();
    column->addWidget(Frame_more);
    column->addStretch(1);
    extensions_ = six + more;
    // Before the information page, which stays the last.
    if (auto *layout = qobject_cast<QBoxLayout *>(config->layout()))
        layout->insertWidget(qMax(0, layout->count() - 1), Frame_other);

    for (int i = 0; i < extensions_.size(); ++i) {
        connect(Check_kanren[i], &QCheckBox::clicked, this,
                [this, i](bool ticked) { kanrenClicked(i, ticked); });
        connect(Check_default[i], &QCheckBox::clicked, this,
                [this, i](bool ticked) { defaultClicked(i, ticked); });
    }
}

void AssociationPage::showState()
{
    for (int i = 0; i < extensions_.size(); ++i) {
        const bool associated = associations_.isAssociated(extensions_[i]);
        Check_kanren[i]->setChecked(associated);
        Check_default[i]->setEnabled(associated);
        Check_default[i]->setChecked(associations_.isDefault(extensions_[i]));
    }
}

void AssociationPage::setMoreFormats(bool on)
{
    Frame_more->setVisible(on);
}

void AssociationPage::kanrenClicked(int index, bool ticked)
{
    const QString &extension = extensions_[index];
    if (ticked)
        associations_.associate(extension);
    else
        associations_.dissociate(extension);
    // What was written, for this box and for another extension of the
    // same type.
    showState();
}

void AssociationPage::defaultClicked(int index, bool ticked)
{
    const QString &extension = extensions_[index];
    if (ticked)
        associations_.makeDefault(extension);
    else
        associations_.giveBackDefault(extension);
    showState();
}
