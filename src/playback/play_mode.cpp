#include "playback/play_mode.h"

#include "window/radio_menu.h"

PlayMode::PlayMode(QWidget *menuParent, QAction *toolbarButton, QObject *parent)
    : QObject(parent),
      entries_(new RadioMenu("m_mode", "mode", QString::fromUtf8("再生モード"),
                             {QString::fromUtf8("通常"), QString::fromUtf8("連続"),
                              QString::fromUtf8("ループ"), QString::fromUtf8("ランダム")},
                             {"normal", "rennzoku", "roop", "rnd"}, toolbarButton, menuParent))
{
    connect(entries_, &RadioMenu::picked, this, &PlayMode::mode_Click);
    connect(this, &PlayMode::changed, entries_, &RadioMenu::show);
}

QMenu *PlayMode::menu() const
{
    return entries_->menu();
}

QAction *PlayMode::entry(int index) const
{
    return entries_->entry(index);
}

void PlayMode::mode_Click(int index)
{
    const int checked = index >= 0 && index < kCount ? index : -1;
    if (checked == checked_)
        return;
    checked_ = checked;
    emit changed(checked_);
}
