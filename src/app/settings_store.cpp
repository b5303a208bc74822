// The settings kept in config.ini: read once at start-up, written once at
// shut-down.  Values that belong to parts of the window not built here are
// passed through unchanged, so nothing a user set is lost.

#include "app/player.h"

#include "base/path.h"
#include "base/private_profile.h"
#include "display/display_modes.h"
#include "favourites/favourites_list.h"
#include "library/file_browser.h"
#include "panels/list_panel.h"
#include "panels/window_options.h"
#include "playback/play_mode.h"
#include "playback/play_speed.h"
#include "window/main_window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>

namespace
{

int toPixels(int twips, int twipsPerPixel)
{
    return int(std::lround(double(twips) / qMax(1, twipsPerPixel)));
}

} // namespace

QString Player::configPath() const
{
    return programFolder_ + "config.ini";
}

void Player::load_config(const PrivateProfile &stored)
{
    config_ = ConfigValues::read(stored);
    playSpeed_->bai_Click(config_.playSpeed);
    // A folder that is gone, or one that cannot be shown, starts the browser
    // in the program folder instead.
    if (!applyConfig(config_.lastDir))
        applyConfig(programFolder_);
}

bool Player::applyConfig(const QString &folder)
{
    const QString start = path::checkpath(folder) == -1 ? programFolder_ : folder;
    if (!fileBrowser_->setFolder(start))
        return false;

    if (config_.listWidth > 0)
        window_->setListWidth(toPixels(config_.listWidth, metrics_.TwipsPerPixelX));
    playMode_->mode_Click(config_.playMode);
    window_->vol()->setValue(config_.volume);
    window_->volForFullscreen()->setValue(config_.volume);

    if (config_.width > 0 && config_.height > 0) {
        const QRect stored(toPixels(config_.left, metrics_.TwipsPerPixelX),
                           toPixels(config_.top, metrics_.TwipsPerPixelY),
                           toPixels(config_.width, metrics_.TwipsPerPixelX),
                           toPixels(config_.height, metrics_.TwipsPerPixelY));
        const QRect placed = keptOnScreen(stored);
        window_->setGeometry(placed);
    }

    listPanel_->selectTab(config_.listMode);
    if (!config_.listVisible)
        window_->hide_list();
    // Whether the window is kept on top is acted on later in start-up.
    applyWindowOptions();
    applyWaveLevel();

    switch (config_.windowState) {
    case 1:
        window_->setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        window_->setWindowState(Qt::WindowMaximized);
        break;
    default:
        window_->setWindowState(Qt::WindowNoState);
        break;
    }
    return true;
}

// The user's options, from the values read; the options page and the menu
// show them.
void Player::applyWindowOptions()
{
    settings_.readFrom(config_);
}

// The system volume takes the level kept in the settings; settings written
// before they kept one leave the system volume where it is.
void Player::applyWaveLevel()
{
    QScrollBar *bar = windowOptions_->vol_control;
    const QSignalBlocker quiet(bar);
    if (PrivateProfile::load(configPath()).contains("volume", "waveout")) {
        bar->setValue(config_.waveout);
        vol_control_Change();
    } else if (startWaveLevel_) {
        bar->setValue(*startWaveLevel_);
    }
}

void Player::save_config()
{
    ConfigValues values = config_;
    // Kept as the window is in its normal state with the list open; whether
    // the list and small mode were on is kept beside.
    values.listVisible = window_->listOpen() || displayModes_->listWasVisible();
    values.smallMode = displayModes_->smallMode();
    const Qt::WindowStates state = window_->windowState();
    values.windowState = state & Qt::WindowMinimized ? 1 : (state & Qt::WindowMaximized ? 2 : 0);
    if (displayModes_->fullScreen())
        values.windowState = 0;
    const QRect normal = displayModes_->restingGeometry();

    values.lastDir = fileBrowser_->folder();
    if (favourites_)
        values.imageDir = favourites_->OpenImagePath;
    values.left = normal.left() * metrics_.TwipsPerPixelX;
    values.top = normal.top() * metrics_.TwipsPerPixelY;
    values.width = normal.width() * metrics_.TwipsPerPixelX;
    values.height = normal.height() * metrics_.TwipsPerPixelY;
    values.listWidth = window_->listWidth() * metrics_.TwipsPerPixelX;
    values.volume = window_->vol()->value();
    values.playMode = playMode_->get_play_mode();
    values.listMode = listPanel_->selectedTab();
    values.playSpeed = playSpeed_->checkedIndex();
    settings_.writeTo(values);
    values.waveout = windowOptions_->vol_control->value();

    // Written into the file as it is, so lines the user added survive.
    PrivateProfile profile = PrivateProfile::load(configPath());
    values.write(profile);
    profile.save(configPath());
}
