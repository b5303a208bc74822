// The settings kept in config.ini: read once at start-up, written once at
// shut-down.  Values that belong to parts of the window not built here are
// passed through unchanged, so nothing a user set is lost.

#include "app/player.h"

#include "base/path.h"
#include "base/private_profile.h"
#include "favourites/favourites_list.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "panels/list_panel.h"
#include "playback/play_mode.h"
#include "playback/play_speed.h"
#include "window/main_window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <cmath>

namespace
{

int toPixels(int twips, int twipsPerPixel)
{
    return int(std::lround(double(twips) / qMax(1, twipsPerPixel)));
}

// A stored window that no longer fits the screens (a monitor unplugged, a
// damaged file) is brought back onto the primary screen.
QRect fitOnScreen(QRect window)
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return window;
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(window))
            return window;
    }
    const QRect area = primary->availableGeometry();
    window.setSize(window.size().boundedTo(area.size()));
    window.moveTopLeft(area.topLeft());
    return window;
}

} // namespace

QString Player::configPath() const
{
    return programFolder_ + "config.ini";
}

void Player::load_config()
{
    config_ = ConfigValues::read(PrivateProfile::load(configPath()));
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
    mainMenu_->original->setChecked(config_.originalSize);
    window_->vol()->setValue(config_.volume);
    window_->volForFullscreen()->setValue(config_.volume);

    if (config_.width > 0 && config_.height > 0) {
        const QRect stored(toPixels(config_.left, metrics_.TwipsPerPixelX),
                           toPixels(config_.top, metrics_.TwipsPerPixelY),
                           toPixels(config_.width, metrics_.TwipsPerPixelX),
                           toPixels(config_.height, metrics_.TwipsPerPixelY));
        const QRect placed = fitOnScreen(stored);
        window_->setGeometry(placed);
    }

    listPanel_->selectTab(config_.listMode);
    if (!config_.listVisible)
        window_->list()->hide();
    // Whether the window is kept on top is acted on later in start-up.
    mainMenu_->m_temae->setChecked(config_.temae);

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

void Player::save_config()
{
    ConfigValues values = config_;
    values.listVisible = !window_->list()->isHidden();
    const Qt::WindowStates state = window_->windowState();
    values.windowState = state & Qt::WindowMinimized ? 1 : (state & Qt::WindowMaximized ? 2 : 0);
    // The geometry kept is the normal window's, whatever state it is in.
    const QRect normal = values.windowState == 0 ? window_->geometry() : window_->normalGeometry();

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
    values.originalSize = mainMenu_->original->isChecked();
    values.temae = mainMenu_->m_temae->isChecked();

    // Written into the file as it is, so lines the user added survive.
    PrivateProfile profile = PrivateProfile::load(configPath());
    values.write(profile);
    profile.save(configPath());
}
