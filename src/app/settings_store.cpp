#include "app/settings_store.h"

#include "app/wave_volume.h"

#include "base/path.h"
#include "base/private_profile.h"
#include "base/settings.h"
#include "display/display_modes.h"
#include "favourites/favourites_list.h"
#include "library/file_browser.h"
#include "panels/list_panel.h"
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

SettingsStore::SettingsStore(Parts parts) : p_(std::move(parts)) {}

QString SettingsStore::configPath() const
{
    return p_.programFolder + "config.ini";
}

void SettingsStore::load_config(const PrivateProfile &stored)
{
    config_ = ConfigValues::read(stored);
    p_.speed.bai_Click(config_.playSpeed);
    // A folder that is gone, or one that cannot be shown, starts the browser
    // in the program folder instead.
    if (!applyConfig(config_.lastDir))
        applyConfig(p_.programFolder);
}

void SettingsStore::applyFirstRunValues()
{
    config_ = ConfigValues::firstRun(p_.programFolder);
    applyWindowOptions();
    // The system volume bar starts where the system volume is, and leaves it
    // there.
    if (const std::optional<int> level = p_.wave.startLevel())
        showSystemLevel(*level);
    p_.window.vol()->setValue(100);
    p_.window.volForFullscreen()->setValue(100);
    p_.mode.mode_Click(PlayMode::Continuous);
    p_.speed.bai_Click(2);
}

bool SettingsStore::applyConfig(const QString &folder)
{
    const QString start = path::checkpath(folder) == -1 ? p_.programFolder : folder;
    if (!p_.browser.setFolder(start))
        return false;

    if (config_.listWidth > 0)
        p_.window.setListWidth(toPixels(config_.listWidth, p_.window.metrics().TwipsPerPixelX));
    p_.mode.mode_Click(config_.playMode);
    p_.window.vol()->setValue(config_.volume);
    p_.window.volForFullscreen()->setValue(config_.volume);

    if (config_.width > 0 && config_.height > 0) {
        const QRect stored(toPixels(config_.left, p_.window.metrics().TwipsPerPixelX),
                           toPixels(config_.top, p_.window.metrics().TwipsPerPixelY),
                           toPixels(config_.width, p_.window.metrics().TwipsPerPixelX),
                           toPixels(config_.height, p_.window.metrics().TwipsPerPixelY));
        // The window manager's frame is not known before the window shows:
        // start-up checks the frame again once it does.
        const QRect placed = keptOnScreen(stored, expectedFrame(p_.window.metrics()));
        p_.window.setGeometry(placed);
    }

    p_.panel.selectTab(config_.listMode);
    if (!config_.listVisible)
        p_.window.hide_list();
    // Whether the window is kept on top is acted on later in start-up.
    applyWindowOptions();
    applyWaveLevel();

    switch (config_.windowState) {
    case 1:
        p_.window.setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        p_.window.setWindowState(Qt::WindowMaximized);
        break;
    default:
        p_.window.setWindowState(Qt::WindowNoState);
        break;
    }
    return true;
}

// The user's options, from the values read; the options page and the menu
// show them.
void SettingsStore::applyWindowOptions()
{
    p_.settings.readFrom(config_);
}

// The system volume takes the level kept in the settings; settings written
// before they kept one leave the system volume where it is.
void SettingsStore::applyWaveLevel()
{
    QScrollBar &bar = p_.waveBar;
    const QSignalBlocker quiet(bar);
    if (PrivateProfile::load(configPath()).contains("volume", "waveout")) {
        bar.setValue(config_.waveout);
        p_.wave.set(bar.value());
    } else if (const std::optional<int> level = p_.wave.startLevel()) {
        bar.setValue(*level);
    }
}

void SettingsStore::showSystemLevel(int level)
{
    const QSignalBlocker quiet(p_.waveBar);
    p_.waveBar.setValue(level);
}

void SettingsStore::save_config()
{
    ConfigValues values = config_;
    // Kept as the window is in its normal state with the list open; whether
    // the list and small mode were on is kept beside.
    values.listVisible = p_.window.listOpen() || p_.modes.listWasVisible();
    values.smallMode = p_.modes.smallMode();
    const Qt::WindowStates state = p_.window.windowState();
    values.windowState = state & Qt::WindowMinimized ? 1 : (state & Qt::WindowMaximized ? 2 : 0);
    if (p_.modes.fullScreen())
        values.windowState = 0;
    const QRect normal = p_.modes.restingGeometry();

    values.lastDir = p_.browser.folder();
    values.imageDir = p_.favourites.OpenImagePath;
    values.left = normal.left() * p_.window.metrics().TwipsPerPixelX;
    values.top = normal.top() * p_.window.metrics().TwipsPerPixelY;
    values.width = normal.width() * p_.window.metrics().TwipsPerPixelX;
    values.height = normal.height() * p_.window.metrics().TwipsPerPixelY;
    values.listWidth = p_.window.listWidth() * p_.window.metrics().TwipsPerPixelX;
    values.volume = p_.window.vol()->value();
    values.playMode = p_.mode.get_play_mode();
    values.listMode = p_.panel.selectedTab();
    values.playSpeed = p_.speed.checkedIndex();
    p_.settings.writeTo(values);
    values.waveout = p_.waveBar.value();

    // Written into the file as it is, so lines the user added survive.
    PrivateProfile profile = PrivateProfile::load(configPath());
    values.write(profile);
    profile.save(configPath());
}
