#include "window/radio_menu.h"

#include "window/button_images.h"

#include <QAction>
#include <QMenu>

RadioMenu::RadioMenu(const QString &menuName, const QString &entryName, const QString &title,
                     const QStringList &captions, const QStringList &buttonImages,
                     QAction *toolbarButton, QWidget *menuParent)
    : QObject(menuParent), menu_(new QMenu(title, menuParent)), toolbarButton_(toolbarButton),
      images_(buttonImages)
{
    menu_->setObjectName(menuName);
    for (int i = 0; i < captions.size(); ++i) {
        QAction *action = menu_->addAction(captions[i]);
        action->setObjectName(QString("%1_%2").arg(entryName).arg(i));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] {
            // The click toggled the entry's check; the value it shows has not
            // changed yet, and is shown again when it does.
            show(shown_);
            emit picked(i);
        });
        entries_.append(action);
    }
}

void RadioMenu::show(int index)
{
    shown_ = index >= 0 && index < count() ? index : -1;
    for (int i = 0; i < entries_.size(); ++i)
        entries_[i]->setChecked(i == shown_);
    if (shown_ >= 0 && shown_ < images_.size() && toolbarButton_)
        toolbarButton_->setIcon(button_images::image(images_[shown_]));
}
