#include "playback/play_speed.h"

#include "media/cmovie.h"
#include "window/radio_menu.h"

namespace
{

constexpr double kRates[] = {2.0, 1.5, 1.0, 0.5};

} // namespace

PlaySpeed::PlaySpeed(CMovie &movie, QWidget *menuParent, QAction *toolbarButton, QObject *parent)
    : QObject(parent), movie_(movie),
      entries_(new RadioMenu("m_speed", "bai", QString::fromUtf8("再生スピード"),
                             {QString::fromUtf8("２．０倍"), QString::fromUtf8("１．５倍"),
                              QString::fromUtf8("等倍速"), QString::fromUtf8("０．５倍")},
                             {"bai20", "bai15", "bai10", "bai05"}, toolbarButton, menuParent))
{
    connect(entries_, &RadioMenu::picked, this, &PlaySpeed::bai_Click);
}

QMenu *PlaySpeed::menu() const
{
    return entries_->menu();
}

QAction *PlaySpeed::entry(int index) const
{
    return entries_->entry(index);
}

double PlaySpeed::rateOf(int index)
{
    return index >= 0 && index < int(std::size(kRates)) ? kRates[index] : 0.0;
}

void PlaySpeed::bai_Click(int index)
{
    entries_->check(index);
    if (rateOf(index) > 0)
        movie_.SetRate(float(rateOf(index)));
}

int PlaySpeed::checkedIndex() const
{
    return entries_->lastChecked(-1);
}

void PlaySpeed::applyToOpenMovie()
{
    bai_Click(checkedIndex());
}
