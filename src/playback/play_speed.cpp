#include "playback/play_speed.h"

#include "media/cmovie.h"
#include "window/radio_menu.h"

namespace
{

constexpr double kRates[PlaySpeed::kCount] = {2.0, 1.5, 1.0, 0.5};

} // namespace

PlaySpeed::PlaySpeed(CMovie &movie, QWidget *menuParent, QAction *toolbarButton, QObject *parent)
    : QObject(parent), movie_(movie),
      entries_(new RadioMenu("m_speed", "bai", QString::fromUtf8("再生スピード"),
                             {QString::fromUtf8("２．０倍"), QString::fromUtf8("１．５倍"),
                              QString::fromUtf8("等倍速"), QString::fromUtf8("０．５倍")},
                             {"bai20", "bai15", "bai10", "bai05"}, toolbarButton, menuParent))
{
    connect(entries_, &RadioMenu::picked, this, &PlaySpeed::bai_Click);
    connect(this, &PlaySpeed::changed, entries_, &RadioMenu::show);
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
    return index >= 0 && index < kCount ? kRates[index] : 0.0;
}

void PlaySpeed::bai_Click(int index)
{
    const int checked = rateOf(index) > 0 ? index : -1;
    // The rate is set even when the selection stays: a movie just opened
    // starts at its own rate.
    if (checked >= 0)
        movie_.SetRate(float(rateOf(checked)));
    if (checked == checked_)
        return;
    checked_ = checked;
    emit changed(checked_);
}

void PlaySpeed::applyToOpenMovie()
{
    bai_Click(checked_);
}
