#include "app/player.h"
#include "app/app_log.h"
#include "app/chapter_menus.h"

#include "app/command_dispatch.h"
#include "app/desktop_link.h"
#include "app/desktop_options.h"
#include "app/save_notice.h"
#include "app/seek_preview.h"
#include "app/settings_binding.h"
#include "app/settings_store.h"
#include "app/shutdown.h"
#include "app/state_saver.h"
#include "app/termination_signals.h"
#include "app/track_menus.h"
#include "app/wave_volume.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/private_profile.h"
#include "base/renamed_movie.h"
#include "base/single_instance.h"
#include "base/thumbnail_rules.h"
#include "desktop/file_manager.h"
#include "desktop/tray_icon.h"
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
#include "panels/okini_view.h"
#include "panels/watch_marks.h"
#include "panels/window_options.h"
#include "playback/movie_places.h"
#include "playback/next_movie.h"
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
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

Player::Player() = default;

Player::~Player()
{
    Form_Unload();
}

bool Player::Form_Load(const StartupOptions &options)
{
    QElapsedTimer clock;
    clock.start();
    // Only the folder is needed to tell whether another instance runs; nothing
    // is created or shown before that is known.
    programFolder_ = Startup::programFolderFor(options);
    instance_ = Startup::claim(programFolder_, options, handedOver_);
    if (!instance_)
        return false;

    // The driver and libmpv load, and the player starts, while the window is
    // being built.
    movie_ = std::make_unique<CMovie>();
    preload_.start(movie_->playerStarter());
    buildParts();
    startup_->run(options, clock);
    return true;
}

bool Player::isStarting() const
{
    return startup_ && startup_->isStarting();
}

bool Player::isLoading() const
{
    return startup_ && startup_->isLoading();
}

void Player::Form_Unload()
{
    if (shutdown_)
        shutdown_->Form_Unload();
}

void Player::load_config(const PrivateProfile &stored)
{
    store_->load_config(stored);
}

void Player::save_config()
{
    store_->save_config();
}

QString Player::configPath() const
{
    return programFolder_ + "config.ini";
}

void Player::playCommandLine(const QString &commandLine)
{
    startup_->playCommandLine(commandLine);
}

const QString &Player::imageFolder() const
{
    return startup_->imageFolder();
}

const QString &Player::sceneFolder() const
{
    return startup_->sceneFolder();
}

const ScreenMetrics &Player::metrics() const
{
    return window_->metrics();
}

void Player::m_exit_Click()
{
    qCDebug(lcApp) << "exit asked" << (isStarting() ? "while starting" : "");
    if (startup_ && startup_->putOffExit())
        return;
    if (window_)
        window_->close();
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

// A renamed movie was stopped and let go first: nothing of it stays on show.
// Its thumbnail and scenes go along with it, unless a movie of the same name
// in the favourites or the search results shares them.
void Player::fileRenamed(const QString &from, const QString &to, bool wasLoaded)
{
    if (wasLoaded) {
        if (!displayModes_->smallMode() && !displayModes_->fullScreen())
            window_->setWindowTitle(QStringLiteral("Sazanami"));
        positionTimer_->clearTimes();
    }
    QStringList known;
    const PlaySource *favourites = &favourites_->playSource();
    const PlaySource *results = searchPage_ ? &searchPage_->playSource() : nullptr;
    for (const PlaySource *list : {favourites, results}) {
        for (int i = 0; list && i < list->count(); ++i)
            known.append(list->pathAt(i));
    }
    const QString imageFolder = thumbnail_rules::imageFolder(programFolder_, path::getfiledir(from),
                                                             settings_.imageBesideMovie());
    renamed_movie::follow(from, to, imageFolder, sceneFolder(), known);
}

PlaySource *Player::playingPlaySource() const
{
    return playingSource_ ? playingSource_ : activePlaySource();
}

// The state files write folders relative to the program folder when the
// option says so at the time of writing.
bool Player::relativePathsOn() const
{
    return settings_.relativePaths();
}

// Creates the window and the parts that work on it, then wires them together.
void Player::buildParts()
{
    window_ = std::make_unique<MainWindow>();
    MainWindow &window = *window_;

    listPanel_ =
        std::make_unique<ListPanel>(window.list(), window.directory(), window.display(),
                                    window.button(MainWindow::Button::Capture), [this] {
                                        return displayModes_ && displayModes_->fullScreen();
                                    });
    listPanel_->leaveRoomRightOfTabs(window.sizeBar()->width() + 4);
    playMode_ = std::make_unique<PlayMode>(&window, window.button(MainWindow::Button::Mode));
    positionTimer_ = std::make_unique<PositionTimer>(*movie_, window, *playMode_);
    playSpeed_ =
        std::make_unique<PlaySpeed>(*movie_, &window, window.button(MainWindow::Button::Speed));
    openAndPlay_ = std::make_unique<OpenAndPlay>(*movie_, window, *positionTimer_, *playSpeed_);
    fileBrowser_ = std::make_unique<FileBrowser>(window, *listPanel_, *movie_, *openAndPlay_);
    favourites_ = std::make_unique<FavouritesList>(window, *listPanel_, *movie_, *openAndPlay_);
    const ActivePlaySource source = [this] { return activePlaySource(); };
    sequencer_ =
        std::make_unique<PlaySequencer>(source, [this] { return playMode_->get_play_mode(); });
    nextMovie_ = std::make_unique<NextMovie>(*movie_, *sequencer_, [this] {
        const int mode = playMode_->get_play_mode();
        return (mode == PlayMode::Continuous || mode == PlayMode::Random) &&
               window_->seekBar()->SelLength() == 0;
    });
    transport_ = std::make_unique<Transport>(*movie_, window, source, *openAndPlay_,
                                             *positionTimer_, *sequencer_);
    mainMenu_ = std::make_unique<MainMenu>(&window, playSpeed_->menu(), playMode_->menu());
    seekControl_ = std::make_unique<SeekControl>(*movie_, window, *positionTimer_);
    sceneMenus_ =
        std::make_unique<SceneMenus>(*movie_, window, *mainMenu_, *fileBrowser_, *openAndPlay_);
    trackMenus_ = std::make_unique<TrackMenus>(*movie_, *mainMenu_);
    chapterMenus_ = std::make_unique<ChapterMenus>(*movie_, *mainMenu_, *window_->seekBar(),
                                                   *window_->seekBarForFullscreen());
    keyPage_ = std::make_unique<KeyPage>(keys_, listPanel_->config);
    buildDisplayParts();
    seekPreview_ = std::make_unique<SeekPreview>(*movie_, *seekControl_, *window.seekBar(),
                                                 *window.seekBarForFullscreen(), settings_,
                                                 [this] { return displayModes_->smallMode(); });
    desktopOptions_ =
        std::make_unique<DesktopOptions>(window, *listPanel_, *windowOptions_, settings_,
                                         *mainMenu_->menu(), native_path::executablePath());
    // The tray's menu is the window's: the scene entries follow the movie.
    desktopOptions_->trayIcon().setBeforeMenu(
        [this] { mainMenu_->prepare(!movie_->filename().isEmpty()); });
    listPanel_->buildConfigTabs();
    dispatch_ = std::make_unique<CommandDispatch>(dispatchParts());
    buildSearchParts();
    waveVolume_ = std::make_unique<WaveVolume>();
    signals_ = std::make_unique<TerminationSignals>();
    desktop_ = std::make_unique<DesktopLink>(DesktopLink::Parts{
        *movie_, *playSpeed_, *window.vol(), *transport_, *sequencer_,
        [this] { return playingPlaySource(); }, [this] { return playMode_->get_play_mode(); },
        [this](const QString &movie) { return favourites_->thumbnailFileOf(movie); },
        [this](const QString &commandLine) { playCommandLine(commandLine); },
        [this] { raiseWindow(); }, [this](int volume) { dispatch_->setVolume(volume); },
        [this] { m_exit_Click(); }});
    buildLifeCycle();

    wireMediaSession();
    wirePlayFile();
    wireSequencer();
    wireNextMovie();
    wirePositionTimer();
    wireWindow();
    wirePanels();
    wireLists();
    wireDesktop();
    wireMoviePlaces();
    connect(signals_.get(), &TerminationSignals::received, this, &Player::m_exit_Click);
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
    displayModes_->setWindingQuery([this] { return positionTimer_->tag() != 0; });
    connect(transport_.get(), &Transport::leavingPicture, displayModes_.get(),
            &DisplayModes::leave_full_screen);
    movieVolume_ = std::make_unique<MovieVolume>(*movie_, window, *openAndPlay_);
}

// The search page, the registered folders and the resume point.
void Player::buildSearchParts()
{
    SearchPage::Hooks hooks;
    hooks.baseFolder = [this] { return fileBrowser_->folder(); };
    hooks.relativePaths = [this] { return relativePathsOn(); };
    hooks.moreFormats = [this] { return settings_.moreFormats(); };
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
    resume_->setSteppingQuery([this] { return sequencer_->stepPending(); });
    places_ = std::make_unique<MoviePlaces>(*movie_, programFolder_);
}

// config.ini, start-up and shut-down: they work on the parts once all are
// built.
void Player::buildLifeCycle()
{
    store_ = std::make_unique<SettingsStore>(SettingsStore::Parts{
        *window_, *listPanel_, *fileBrowser_, *playMode_, *playSpeed_, *displayModes_, *favourites_,
        *windowOptions_->vol_control, *waveVolume_, settings_, programFolder_});
    connect(waveVolume_.get(), &WaveVolume::startLevelFound, this,
            [this](int level) { store_->showSystemLevel(level); });
    saveNotice_ = std::make_unique<SaveNotice>(*window_);
    saver_ = std::make_unique<StateSaver>(StateSaver::Parts{
        *favourites_, *searchPage_, *store_, *resume_, keys_, *registeredFolders_, *desktopOptions_,
        settings_, programFolder_, [this] { return startup_->favouritesWereRead(); }, *saveNotice_,
        *places_});
    shutdown_ = std::make_unique<Shutdown>(
        Shutdown::Parts{*favourites_, *searchPage_, *saver_, *waveVolume_, *desktopOptions_,
                        *movie_, *desktop_, *positionTimer_, *saveNotice_});
    startup_ =
        std::make_unique<Startup>(Startup::Parts{*window_,
                                                 *movie_,
                                                 *desktop_,
                                                 *desktopOptions_,
                                                 *listPanel_,
                                                 *fileBrowser_,
                                                 *favourites_,
                                                 *searchPage_,
                                                 keys_,
                                                 *keyPage_,
                                                 *registeredFolders_,
                                                 *openAndPlay_,
                                                 *resume_,
                                                 *displayModes_,
                                                 *sceneMenus_,
                                                 *store_,
                                                 *waveVolume_,
                                                 settings_,
                                                 programFolder_,
                                                 [this] { return saver_->stateCanBeSaved(); },
                                                 [this] { m_exit_Click(); }});
    connect(startup_.get(), &Startup::started, this, &Player::started);
    // Saved while running only once everything was read: a save before would
    // write the state of a half-started program.
    connect(startup_.get(), &Startup::started, saver_.get(), &StateSaver::start);
}

CommandDispatch::Parts Player::dispatchParts()
{
    return CommandDispatch::Parts{
        *window_,       *movie_,       *listPanel_,   *positionTimer_,
        *openAndPlay_,  *playSpeed_,   *fileBrowser_, *favourites_,
        *sequencer_,    *transport_,   *mainMenu_,    *sceneMenus_,
        *displayModes_, *movieVolume_, keys_,         [this] { m_exit_Click(); }};
}

// The media session: whether a movie plays, and where it jumped to, is shown
// on the desktop.
void Player::wireMediaSession()
{
    connect(movie_.get(), &CMovie::playingChanged, desktop_.get(), &DesktopLink::playingChanged);
    connect(movie_.get(), &CMovie::seeked, desktop_.get(), &DesktopLink::seeked);
}

// play_file: a movie opened moves the sequence on, loads its scenes, keeps
// its caption and is a new track on the desktop; one that would not open is
// stepped over.
void Player::wirePlayFile()
{
    OpenAndPlay *player = openAndPlay_.get();
    // Queued: a run of broken movies is stepped over one after another from
    // the event loop, not from inside one another's result.
    connect(player, &OpenAndPlay::openFailed, sequencer_.get(), &PlaySequencer::openFailed,
            Qt::QueuedConnection);
    connect(player, &OpenAndPlay::movieOpened, sequencer_.get(), &PlaySequencer::opened);
    connect(player, &OpenAndPlay::movieOpened, sceneMenus_.get(), &SceneMenus::load_scenes);
    connect(player, &OpenAndPlay::movieOpened, displayModes_.get(), &DisplayModes::keepCaption);
    // The list a movie is opened from is the one that plays on.
    connect(player, &OpenAndPlay::movieOpened, this, [this] {
        if (PlaySource *shown = activePlaySource())
            playingSource_ = shown;
    });
    connect(player, &OpenAndPlay::movieOpened, desktop_.get(), &DesktopLink::movieOpened);
    openAndPlay_->setSizer([this] { displayModes_->sizeForNewMovie(); });
    // play_file records the favourite it opens while the favourites are shown.
    FavouritesList &favourites = *favourites_;
    openAndPlay_->setRequestWatcher(
        [&favourites](const QString &) { favourites.noteMovieRequested(); });
}

// The sequencer stops the movie at the end of a list, or plays the next.
void Player::wireSequencer()
{
    connect(sequencer_.get(), &PlaySequencer::stopWanted, movie_.get(),
            [this] { movie_->MediaPlay(PlayCommand::Stop); });
    connect(sequencer_.get(), &PlaySequencer::playWanted, openAndPlay_.get(),
            [this](const QString &path) { openAndPlay_->play_file(path, 0); });
}

// The next movie is prepared again whenever what comes next may have
// changed: at every tick, and at once when the movie, the mode or the page
// changes.  When the session goes on to it, it is shown as any opened movie.
void Player::wireNextMovie()
{
    NextMovie *next = nextMovie_.get();
    connect(positionTimer_->tmrPosition(), &QTimer::timeout, next, &NextMovie::replan);
    connect(playMode_.get(), &PlayMode::changed, next, &NextMovie::replan);
    connect(listPanel_->Tab1, &QTabBar::currentChanged, next, &NextMovie::replan);
    connect(openAndPlay_.get(), &OpenAndPlay::movieOpened, next, &NextMovie::replan);
    connect(movie_.get(), &CMovie::advanced, next, &NextMovie::followAdvance);
    connect(movie_.get(), &CMovie::advanceFailed, next, &NextMovie::advanceFailed);
    connect(next, &NextMovie::advanced, openAndPlay_.get(), &OpenAndPlay::followAdvance);
    connect(next, &NextMovie::stepWanted, sequencer_.get(), &PlaySequencer::play_next);
}

// The position timer: a movie played to its end moves the sequence on, also
// one left at its end until there was something to play after it.
void Player::wirePositionTimer()
{
    connect(positionTimer_.get(), &PositionTimer::nextItemWanted, sequencer_.get(),
            &PlaySequencer::play_next);
    positionTimer_->setFullScreenQuery([this] { return displayModes_->fullScreen(); });
    positionTimer_->setStepQuery([this] {
        const PlaySource *source = activePlaySource();
        return source && source->count() > 0;
    });
    connect(playMode_.get(), &PlayMode::changed, positionTimer_.get(), &PositionTimer::followEnd);
    connect(listPanel_->Tab1, &QTabBar::currentChanged, positionTimer_.get(),
            &PositionTimer::followEnd);
}

// The window: closing it runs shut-down; its toolbar buttons open their menus
// or take a picture for the favourites; the volume bar shows on the desktop.
void Player::wireWindow()
{
    MainWindow &window = *window_;
    connect(&window, &MainWindow::closing, this, &Player::Form_Unload);
    attachToolbarMenus();
    connect(window.button(MainWindow::Button::Capture), &QAction::triggered, favourites_.get(),
            &FavouritesList::capture);
    connect(window.vol(), &QSlider::valueChanged, desktop_.get(), &DesktopLink::refresh);
}

// The panels and menus: the options' volume bar sets the system volume, and
// the page shown and the speed chosen show on the desktop.
void Player::wirePanels()
{
    connect(windowOptions_->vol_control, &QScrollBar::valueChanged, this,
            [this](int level) { waveVolume_->set(level); });
    connect(listPanel_->Tab1, &QTabBar::currentChanged, desktop_.get(), &DesktopLink::refresh);
    // However the speed changes: menu, button, keys or the desktop itself.
    connect(playSpeed_.get(), &PlaySpeed::changed, desktop_.get(), &DesktopLink::refresh);
    connect(mainMenu_->m_addOkiniForMenu, &QAction::triggered, favourites_.get(),
            &FavouritesList::addLoadedMovie);
}

// The lists: the file page adds to the favourites; what the file page and
// the favourites ask of the other parts.
void Player::wireLists()
{
    connect(fileBrowser_.get(), &FileBrowser::addToFavouritesRequested, favourites_.get(),
            &FavouritesList::addSelection);
    // The other types count from the moment the option changes: the file
    // page shows them at once; the favourites, the search and the command
    // line ask for the option each time.
    connect(&settings_, &Settings::changed, this, [this](Settings::Option option) {
        if (option != Settings::MoreFormats)
            return;
        fileBrowser_->setMoreFormats(settings_.moreFormats());
        desktop_->setMoreFormats(settings_.moreFormats());
    });

    FileBrowser::Hooks browser;
    browser.activeSource = [this] { return activePlaySource(); };
    browser.stop = [this] { transport_->stop_Click(); };
    browser.buildSceneMenu = [this](const QString &path, QMenu *menu) {
        sceneMenus_->load_file_scenes(path, menu);
    };
    browser.renameFavourite = [this] { favourites_->rename(); };
    browser.renamed = [this](const QString &from, const QString &to, bool wasLoaded) {
        fileRenamed(from, to, wasLoaded);
    };
    fileBrowser_->setHooks(browser);

    FavouritesList::Hooks favourites;
    favourites.stop = [this] { transport_->stop_Click(); };
    favourites.focusVideo = [this] { dispatch_->focus_video(); };
    favourites.buildSceneMenu = [this](const QString &path, QMenu *menu) {
        sceneMenus_->load_okini_scenes(path, menu);
    };
    favourites.showFolder = [this] {
        fileBrowser_->fileManager().showFolder(fileBrowser_->folder());
    };
    favourites.selectedSearchResults = [this] { return searchPage_->playSource().selectedPaths(); };
    favourites.relativePaths = [this] { return relativePathsOn(); };
    favourites.imageBesideMovie = [this] { return settings_.imageBesideMovie(); };
    favourites.renamed = [this](const QString &from, const QString &to, bool wasLoaded) {
        fileRenamed(from, to, wasLoaded);
    };
    favourites.moreFormats = [this] { return settings_.moreFormats(); };
    favourites_->setHooks(favourites);
    wireFileListSteps();
}

// A step through the file list that had to wait for its folder's listing is
// taken in that list once it is whole, whatever page is shown by then.
// Queued: the list's last piece is still being added when it is asked for.
void Player::wireFileListSteps()
{
    connect(
        fileBrowser_.get(), &FileBrowser::stepAgainWanted, sequencer_.get(),
        [this](bool forward) {
            PlaySource *files = &fileBrowser_->playSource();
            if (forward)
                sequencer_->play_next_in(files);
            else
                sequencer_->play_prev_in(files);
        },
        Qt::QueuedConnection);
}

// The media controls: next and previous are offered as soon as the list that
// plays has entries, however they came (a folder read, a search, the
// favourites); the play mode shows as the desktop's loop and shuffle, which
// set it; a stop while paused shows as a stop.
void Player::wireDesktop()
{
    DesktopLink *desktop = desktop_.get();
    for (const QListView *view : std::initializer_list<QListView *>{
             listPanel_->File, listPanel_->List_okini, listPanel_->List_Find}) {
        const QAbstractItemModel *list = view->model();
        connect(list, &QAbstractItemModel::rowsInserted, desktop, &DesktopLink::listChanged);
        connect(list, &QAbstractItemModel::rowsRemoved, desktop, &DesktopLink::listChanged);
        connect(list, &QAbstractItemModel::modelReset, desktop, &DesktopLink::listChanged);
    }
    connect(playMode_.get(), &PlayMode::changed, desktop, &DesktopLink::refresh);
    connect(desktop, &DesktopLink::playModeWanted, playMode_.get(), &PlayMode::mode_Click);
    connect(movie_.get(), &CMovie::stateChanged, desktop, &DesktopLink::movieStateChanged);
}

// Each movie resumes where it was left while the option is on, also the one
// prepared to follow; the lists mark how far each was watched.
void Player::wireMoviePlaces()
{
    MoviePlaces *places = places_.get();
    places->setOn(settings_.resumeEach());
    connect(&settings_, &Settings::changed, places, [this](Settings::Option option) {
        if (option == Settings::ResumeEach)
            places_->setOn(settings_.resumeEach());
    });
    connect(positionTimer_->tmrPosition(), &QTimer::timeout, places, &MoviePlaces::notePlace);
    openAndPlay_->setStartFinder([places](const QString &path) { return places->startFor(path); });
    nextMovie_->setStartFinder([places](const QString &path) { return places->startAfter(path); });

    watchMarks_ = std::make_unique<WatchMarks>(
        [places](const QString &path) { return places->markOf(path); });
    watchMarks_->attach(listPanel_->File, fileBrowser_->playSource());
    watchMarks_->attach(listPanel_->List_Find, searchPage_->playSource());
    watchMarks_->attach(listPanel_->List_okini, favourites_->playSource());
    connect(places, &MoviePlaces::changed, watchMarks_.get(), &WatchMarks::refresh);
    connect(places, &MoviePlaces::marksChanged, watchMarks_.get(), &WatchMarks::refresh);
}

// The size, speed, mode and window buttons open their menus right under
// themselves.
void Player::attachToolbarMenus()
{
    using Button = MainWindow::Button;
    const std::pair<Button, QMenu *> menus[] = {{Button::Size, mainMenu_->m_size},
                                                {Button::Speed, playSpeed_->menu()},
                                                {Button::Mode, playMode_->menu()},
                                                {Button::Temae, mainMenu_->m_window}};
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
