#include "app/player.h"
#include "app/app_log.h"

#include "app/command_dispatch.h"
#include "app/desktop_link.h"
#include "app/desktop_options.h"
#include "app/settings_binding.h"
#include "app/termination_signals.h"
#include "audio/system_volume.h"
#include "base/audio_gain.h"
#include "base/single_instance.h"
#include "desktop/file_manager.h"
#include "display/display_modes.h"
#include "display/movie_volume.h"
#include "display/picture_fit.h"
#include "favourites/favourites_list.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "panels/key_page.h"
#include "panels/list_panel.h"
#include "panels/window_options.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"
#include "playback/play_speed.h"
#include "playback/position_timer.h"
#include "playback/resume.h"
#include "playback/seek_control.h"
#include "playback/transport.h"
#include "scenes/scene_menus.h"
#include "search/search_page.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QScrollBar>
#include <QToolBar>

Player::Player() = default;

Player::~Player()
{
    Form_Unload();
}

// Creates the window and the parts that work on it, and wires them together.
void Player::buildParts()
{
    window_ = std::make_unique<MainWindow>();
    MainWindow &window = *window_;

    listPanel_ = std::make_unique<ListPanel>(
        window.list(), window.directory(), window.display(), window.button("capture"),
        [this] { return displayModes_ && displayModes_->fullScreen(); });
    listPanel_->leaveRoomRightOfTabs(window.sizeBar()->width() + 4);
    playMode_ = std::make_unique<PlayMode>(&window, window.button("mode"));
    positionTimer_ = std::make_unique<PositionTimer>(*movie_, window, *playMode_);
    playSpeed_ = std::make_unique<PlaySpeed>(*movie_, &window, window.button("speed"));
    openAndPlay_ = std::make_unique<OpenAndPlay>(*movie_, window, *positionTimer_, *playSpeed_);
    fileBrowser_ = std::make_unique<FileBrowser>(window, *listPanel_, *movie_, *openAndPlay_);
    favourites_ = std::make_unique<FavouritesList>(window, *listPanel_, *movie_, *openAndPlay_);
    const ActivePlaySource source = [this] { return activePlaySource(); };
    sequencer_ =
        std::make_unique<PlaySequencer>(source, [this] { return playMode_->get_play_mode(); });
    connect(sequencer_.get(), &PlaySequencer::stopWanted, movie_.get(),
            [this] { movie_->MediaPlay(PlayCommand::Stop); });
    connect(sequencer_.get(), &PlaySequencer::playWanted, openAndPlay_.get(),
            [this](const QString &path) { openAndPlay_->play_file(path, 0); });
    transport_ = std::make_unique<Transport>(*movie_, window, source, *openAndPlay_,
                                             *positionTimer_, *sequencer_);
    connect(positionTimer_.get(), &PositionTimer::nextItemWanted, sequencer_.get(),
            &PlaySequencer::play_next);
    // Queued: a run of broken movies is stepped over one after another from
    // the event loop, not from inside one another's result.
    connect(openAndPlay_.get(), &OpenAndPlay::openFailed, sequencer_.get(),
            &PlaySequencer::openFailed, Qt::QueuedConnection);
    connect(openAndPlay_.get(), &OpenAndPlay::movieOpened, sequencer_.get(),
            &PlaySequencer::opened);
    mainMenu_ = std::make_unique<MainMenu>(&window, playSpeed_->menu(), playMode_->menu());
    attachToolbarMenus();
    seekControl_ = std::make_unique<SeekControl>(*movie_, window, *positionTimer_);
    sceneMenus_ =
        std::make_unique<SceneMenus>(*movie_, window, *mainMenu_, *fileBrowser_, *openAndPlay_);
    connect(openAndPlay_.get(), &OpenAndPlay::movieOpened, sceneMenus_.get(),
            &SceneMenus::load_scenes);
    keyPage_ = std::make_unique<KeyPage>(keys_, listPanel_->config);
    buildDisplayParts();
    desktopOptions_ = std::make_unique<DesktopOptions>(window, *listPanel_, *windowOptions_,
                                                       settings_, *mainMenu_->menu(),
                                                       QCoreApplication::applicationFilePath());
    listPanel_->buildConfigTabs();
    dispatch_ = std::make_unique<CommandDispatch>(dispatchParts());

    FileBrowser::Hooks hooks;
    hooks.activeSource = source;
    hooks.stop = [this] { transport_->stop_Click(); };
    hooks.buildSceneMenu = [this](const QString &path, QMenu *menu) {
        sceneMenus_->load_file_scenes(path, menu);
    };
    hooks.renameFavourite = [this] { favourites_->rename(); };
    fileBrowser_->setHooks(hooks);
    connectFavourites();
    connectSearch();

    connect(&window, &MainWindow::closing, this, &Player::Form_Unload);
    window.installEventFilter(this);

    signals_ = std::make_unique<TerminationSignals>();
    connect(signals_.get(), &TerminationSignals::received, this, &Player::m_exit_Click);

    desktop_ = std::make_unique<DesktopLink>(*this);
    desktop_->setArtLookup(
        [this](const QString &movie) { return favourites_->thumbnailFileOf(movie); });
}

// The fit of the picture, the display modes and the volumes.
void Player::buildDisplayParts()
{
    MainWindow &window = *window_;
    windowOptions_ = std::make_unique<WindowOptions>(listPanel_->config);
    settingsBinding_ = std::make_unique<SettingsBinding>(settings_, *windowOptions_, *mainMenu_);
    pictureFit_ = std::make_unique<PictureFit>(*movie_, window, settings_);
    displayModes_ = std::make_unique<DisplayModes>(*movie_, window, *mainMenu_, settings_,
                                                   *listPanel_, *pictureFit_);
    openAndPlay_->setSizer([this] { displayModes_->sizeForNewMovie(); });
    connect(openAndPlay_.get(), &OpenAndPlay::movieOpened, displayModes_.get(),
            &DisplayModes::keepCaption);
    displayModes_->setWindingQuery([this] { return positionTimer_->tag() != 0; });
    positionTimer_->setFullScreenQuery([this] { return displayModes_->fullScreen(); });
    movieVolume_ = std::make_unique<MovieVolume>(*movie_, window, *openAndPlay_);
    connect(windowOptions_->vol_control, &QScrollBar::valueChanged, this,
            &Player::vol_control_Change);
}

// The options' volume bar sets the system volume, both channels alike.
void Player::vol_control_Change()
{
    if (systemVolume_)
        systemVolume_->set_wave_volume(audio_gain::waveWord(windowOptions_->vol_control->value()));
}

PlaySource *Player::activePlaySource() const
{
    switch (listPanel_->selectedTab()) {
    case ListPanel::FilePage:
        return &fileBrowser_->playSource();
    case ListPanel::FavouritesPage:
        return &favourites_->playSource();
    case ListPanel::SearchPage:
        return searchPage_ ? &searchPage_->playSource() : nullptr;
    default:
        return nullptr;
    }
}

void Player::connectFavourites()
{
    FavouritesList::Hooks hooks;
    hooks.stop = [this] { transport_->stop_Click(); };
    hooks.focusVideo = [this] { dispatch_->focus_video(); };
    hooks.buildSceneMenu = [this](const QString &path, QMenu *menu) {
        sceneMenus_->load_okini_scenes(path, menu);
    };
    hooks.showFolder = [this] { fileBrowser_->fileManager().showFolder(fileBrowser_->folder()); };
    hooks.selectedSearchResults = [this] { return searchPage_->playSource().selectedPaths(); };
    hooks.relativePaths = [this] { return relativePathsOn(); };
    hooks.imageBesideMovie = [this] { return settings_.imageBesideMovie(); };
    favourites_->setHooks(hooks);

    FavouritesList &favourites = *favourites_;
    connect(fileBrowser_.get(), &FileBrowser::addToFavouritesRequested, &favourites,
            &FavouritesList::addSelection);
    connect(mainMenu_->m_addOkiniForMenu, &QAction::triggered, &favourites,
            &FavouritesList::addLoadedMovie);
    connect(window_->button("capture"), &QAction::triggered, &favourites, &FavouritesList::capture);
    // play_file records the favourite it opens while the favourites are shown.
    openAndPlay_->setRequestWatcher(
        [&favourites](const QString &) { favourites.noteMovieRequested(); });
}

// The state files write folders relative to the program folder when the
// option says so at the time of writing.
bool Player::relativePathsOn() const
{
    return settings_.relativePaths();
}

void Player::connectSearch()
{
    SearchPage::Hooks hooks;
    hooks.baseFolder = [this] { return fileBrowser_->folder(); };
    hooks.relativePaths = [this] { return relativePathsOn(); };
    hooks.play = [this](const QString &path) { openAndPlay_->play_file(path, 0); };
    hooks.addToFavourites = [this] { favourites_->addSearchSelection(); };
    hooks.toggleDirectory = [this] { fileBrowser_->toggleDirectory(); };
    hooks.showFolder = [this] { fileBrowser_->fileManager().showFolder(fileBrowser_->folder()); };
    searchPage_ = std::make_unique<SearchPage>(
        *listPanel_, window_->directory(), window_->display(), programFolder_, std::move(hooks));
    registeredFolders_ =
        std::make_unique<RegisteredFolders>(*window_, *fileBrowser_, programFolder_);
    resume_ = std::make_unique<Resume>(
        *movie_, *openAndPlay_, programFolder_, [this] { return activePlaySource(); },
        [this] { return relativePathsOn(); });
}

CommandDispatch::Parts Player::dispatchParts()
{
    return CommandDispatch::Parts{
        *window_,       *movie_,       *listPanel_,   *positionTimer_,
        *openAndPlay_,  *playSpeed_,   *fileBrowser_, *favourites_,
        *sequencer_,    *transport_,   *mainMenu_,    *sceneMenus_,
        *displayModes_, *movieVolume_, keys_,         [this] { m_exit_Click(); }};
}

// The size, speed, mode and window buttons open their menus right under
// themselves.
void Player::attachToolbarMenus()
{
    const std::pair<const char *, QMenu *> menus[] = {{"size", mainMenu_->m_size},
                                                      {"speed", playSpeed_->menu()},
                                                      {"mode", playMode_->menu()},
                                                      {"temae", mainMenu_->m_window}};
    QToolBar *toolbar = window_->panel();
    for (const auto &[key, menu] : menus) {
        QAction *button = window_->button(key);
        connect(button, &QAction::triggered, menu, [toolbar, button, menu = menu] {
            const QWidget *pressed = toolbar->widgetForAction(button);
            if (!pressed)
                return;
            // Left edge on the button's, top just under the toolbar.
            menu->popup(QPoint(pressed->mapToGlobal(QPoint(0, 0)).x(),
                               toolbar->mapToGlobal(QPoint(0, toolbar->height())).y()));
        });
    }
}

// The window manager may close the window while start-up still waits for it
// to appear or for the first movie; that close is put off like an exit.
bool Player::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_.get() && event->type() == QEvent::Close && starting_) {
        qCDebug(lcApp) << "close put off until start-up is through";
        exitRequested_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Player::raiseWindow()
{
    if (!window_)
        return;
    if (window_->isMinimized())
        window_->showNormal();
    else
        window_->show();
    window_->raise();
    window_->activateWindow();
}

void Player::m_exit_Click()
{
    qCDebug(lcApp) << "exit asked" << (starting_ ? "while starting" : "");
    // Start-up waits for the window and for the first movie and lets events
    // through meanwhile; a termination signal may arrive then.  Closing in
    // the middle would leave start-up working on a closed window, and the
    // event loop, not running yet, would miss the last window closing.
    if (starting_) {
        exitRequested_ = true;
        return;
    }
    if (window_)
        window_->close();
}
