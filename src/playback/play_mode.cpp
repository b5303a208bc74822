#include "playback/play_mode.h"

#include "window/button_images.h"

#include <QAction>
#include <QMenu>

namespace {

struct ModeEntry {
    const char *caption;
    const char *image;
};

const ModeEntry kModes[] = {
    {"通常", "normal"},
    {"連続", "rennzoku"},
    {"ループ", "roop"},
    {"ランダム", "rnd"},
};

} // namespace

PlayMode::PlayMode(QWidget *menuParent, QAction *toolbarButton, QObject *parent)
    : QObject(parent), menu_(new QMenu(QString::fromUtf8("再生モード"), menuParent)),
      toolbarButton_(toolbarButton)
{
    menu_->setObjectName("mode");
    for (int i = 0; i < int(std::size(kModes)); ++i) {
        QAction *action = menu_->addAction(QString::fromUtf8(kModes[i].caption));
        action->setObjectName(QString("mode_%1").arg(i));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { mode_Click(i); });
        entries_.append(action);
    }
}

QAction *PlayMode::entry(int index) const
{
    return entries_.value(index, nullptr);
}

void PlayMode::mode_Click(int index)
{
    for (int i = 0; i < entries_.size(); ++i)
        entries_[i]->setChecked(i == index);
    if (index >= 0 && index < int(std::size(kModes)) && toolbarButton_)
        toolbarButton_->setIcon(button_images::image(kModes[index].image));
}

int PlayMode::get_play_mode() const
{
    for (int i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->isChecked())
            return i;
    }
    return Normal;
}
