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
    const QStringList &extensions = movie_extensions();
    const auto row = [this, &extensions, column](const char *label, const char *name,
                                                 QList<QCheckBox *> &boxes) {
        column->addWidget(new QLabel(QString::fromUtf8(label), Frame_other));
        auto *grid = new QGridLayout;
        for (int i = 0; i < extensions.size(); ++i) {
            auto *box = new QCheckBox(extensions[i], Frame_other);
            box->setObjectName(QString("%1_%2").arg(name).arg(i));
            grid->addWidget(box, i / 3, i % 3);
            boxes << box;
        }
        column->addLayout(grid);
    };
    row("Sazanamiを関連付ける", "Check_kanren", Check_kanren);
    row("デフォルトにする", "Check_default", Check_default);
    column->addStretch(1);
    // Before the information page, which stays the last.
    if (auto *layout = qobject_cast<QBoxLayout *>(config->layout()))
        layout->insertWidget(qMax(0, layout->count() - 1), Frame_other);

    for (int i = 0; i < extensions.size(); ++i) {
        connect(Check_kanren[i], &QCheckBox::clicked, this,
                [this, i](bool ticked) { kanrenClicked(i, ticked); });
        connect(Check_default[i], &QCheckBox::clicked, this,
                [this, i](bool ticked) { defaultClicked(i, ticked); });
    }
}

void AssociationPage::showState()
{
    const QStringList &extensions = movie_extensions();
    for (int i = 0; i < extensions.size(); ++i) {
        const bool associated = associations_.isAssociated(extensions[i]);
        Check_kanren[i]->setChecked(associated);
        Check_default[i]->setEnabled(associated);
        Check_default[i]->setChecked(associations_.isDefault(extensions[i]));
    }
}

void AssociationPage::kanrenClicked(int index, bool ticked)
{
    const QString &extension = movie_extensions()[index];
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
    const QString &extension = movie_extensions()[index];
    if (ticked)
        associations_.makeDefault(extension);
    else
        associations_.giveBackDefault(extension);
    showState();
}
