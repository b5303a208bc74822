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
        connect(action, &QAction::triggered, this, [this, i] { emit picked(i); });
        entries_.append(action);
    }
}

void RadioMenu::check(int index)
{
    for (int i = 0; i < entries_.size(); ++i)
        entries_[i]->setChecked(i == index);
    if (index >= 0 && index < images_.size() && toolbarButton_)
        toolbarButton_->setIcon(button_images::image(images_[index]));
}

int RadioMenu::firstChecked(int none) const
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->isChecked())
            return i;
    }
    return none;
}

int RadioMenu::lastChecked(int none) const
{
    for (int i = int(entries_.size()) - 1; i >= 0; --i) {
        if (entries_[i]->isChecked())
            return i;
    }
    return none;
}
