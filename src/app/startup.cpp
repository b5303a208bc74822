// Start-up of the program: the main window's load sequence.

#include "app/app_log.h"
#include "app/desktop_options.h"
#include "app/player.h"

#include "app/desktop_link.h"
#include "audio/system_volume.h"
#include "base/audio_gain.h"
#include "base/command_line.h"
#include "base/movie_ext.h"
#include "base/path.h"
#include "base/private_profile.h"
#include "base/program_folder.h"
#include "base/single_instance.h"
#include "base/state_file.h"
#include "desktop/instance_handover.h"
#include "display/display_modes.h"
#include "favourites/favourites_list.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "library/registered_folders.h"
#include "media/cmovie.h"
#include "panels/key_page.h"
#include "panels/list_panel.h"
#include "panels/list_selection.h"
#include "panels/window_options.h"
#include "playback/open_and_play.h"
#include "playback/play_mode.h"
#include "playback/play_speed.h"
#include "playback/resume.h"
#include "scenes/scene_menus.h"
#include "search/search_page.h"
#include "version.h"
#include "window/main_window.h"
#include "window/video_area.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QWindow>

namespace
{

// How long a second start tries to reach the first, which may still be
// starting.
constexpr int kHandOverMs = 5000;

// The command line joined and made absolute against the folder it was given
// in.
QString absoluteCommandLine(const StartupOptions &options)
{
    return command_line::getlongpath(command_line::joinArguments(options.arguments),
                                     options.currentDir);
}

// Any of the name's dotted endings is a movie's extension.
bool hasMovieExtension(const QString &fileName)
{
    for (qsizetype dot = fileName.lastIndexOf('.'); dot >= 0;
         dot = dot > 0 ? fileName.lastIndexOf('.', dot - 1) : -1) {
        if (is_movie_ext(fileName.mid(dot + 1)))
            return true;
    }
    return false;
}

} // namespace

bool Player::Form_Load(const StartupOptions &options)
{
    QElapsedTimer clock;
    clock.start();
    const auto phase = [&clock](const char *what) {
        qCDebug(lcApp) << "start-up:" << what << "after" << clock.elapsed() << "ms";
    };
    // Only the folder is needed to tell whether another instance runs; nothing
    // is created or shown before that is known.
    programFolder_ = options.programFolder.isEmpty()
                         ? program_folder::forExecutableDir(QCoreApplication::applicationDirPath())
                         : path::addbackslash(options.programFolder);
    instance_ = std::make_unique<SingleInstance>(programFolder_);
    if (!instance_->acquire()) {
        qCInfo(lcApp) << "another instance runs for" << programFolder_;
        // It plays this start's movie, or just comes to the front.
        if (!InstanceHandover::handOver(SingleInstance::socketPathFor(programFolder_),
                                        absoluteCommandLine(options), kHandOverMs))
            qCInfo(lcApp) << "the running instance did not take the command line";
        instance_.reset();
        unloaded_ = true;
        return false;
    }

    // The driver and libmpv load, and the player starts, while the window is
    // being built.
    movie_ = std::make_unique<CMovie>();
    preload_.start(movie_->playerStarter());
    starting_ = true;
    buildParts();
    desktop_->start(programFolder_);
    movie_->prepareSurface(window_->display());
    metrics_ = ScreenMetrics::measure(*window_);
    window_->setMetrics(metrics_);
    phase("window built");

    // The system volume as it is before the settings change it: given back at
    // the end.  A change a run ended without giving back is given back now.
    systemVolume_ = std::make_unique<SystemVolume>(programFolder_ + "waveout.ini");
    if (const std::uint32_t word = systemVolume_->get_wave_volume())
        startWaveLevel_ = audio_gain::scrollValueOfWord(word);

    loading_ = true;
    listPanel_->Ver->setText(QString::fromUtf8("バージョン：　Ver.%1.%2.%3")
                                 .arg(SAZANAMI_VERSION_MAJOR)
                                 .arg(SAZANAMI_VERSION_MINOR)
                                 .arg(SAZANAMI_VERSION_PATCH));

    // A config.ini that is there but cannot be read as one (a folder, a loop
    // of links, binary junk) starts from the defaults like a first run.
    if (const std::optional<PrivateProfile> stored = PrivateProfile::read(configPath())) {
        load_config(*stored);
    } else {
        if (path::checkpath(configPath()) == 0)
            qCWarning(lcApp) << "cannot read" << configPath() << "- the settings start afresh";
        applyFirstRunValues();
        fileBrowser_->setFolder(options.currentDir);
    }
    loading_ = false;
    phase("settings applied");

    window_->show();
    window_->layout_window();
    // The rest waits for the window to be on screen; the event loop runs
    // meanwhile.
    whenWindowAppears([this, commandLine = absoluteCommandLine(options), clock] {
        finishStart(commandLine, clock);
    });
    return true;
}

// Start-up once the window is on screen: the lists, the movie of the command
// line or the resume point.
void Player::finishStart(const QString &commandLine, QElapsedTimer clock)
{
    const auto phase = [clock](const char *what) {
        qCDebug(lcApp) << "start-up:" << what << "after" << clock.elapsed() << "ms";
    };
    if (config_.smallMode)
        displayModes_->enter_small_mode();
    desktopOptions_->start(programFolder_ + "color.ini", settings_.balloonHelp());
    phase("window shown");

    createStateFolders();
    favourites_->setProgramFolder(programFolder_);
    favourites_->OpenImagePath = config_.imageDir;
    // Favourites whose movie is not there now (a disk not mounted) are kept.
    // A favourites file that could not be read is not replaced at exit.
    favouritesLoaded_ =
        favourites_->load_okini(favourites_->okiniPath(), FavouritesList::Missing::Keep) >= 0;
    phase("favourites loaded");
    searchPage_->load_search_results();
    keys_ = KeyBindings::load(programFolder_);
    keyPage_->refresh();
    registeredFolders_->load_dirs();
    favourites_->setViewMode(true);
    playCommandLine(commandLine);
    if (settings_.resume() && commandLine.isEmpty())
        resume_->load_resume();
    // Told once the movie plays, or would not open.
    if (movie_->isOpening())
        connect(
            movie_.get(), &CMovie::opened, this, [phase] { phase("command-line movie opened"); },
            Qt::SingleShotConnection);
    else
        phase("command-line movie opened");
    displayModes_->set_topmost(settings_.alwaysOnTop());
    starting_ = false;
    emit started();
    if (exitRequested_)
        m_exit_Click();
}

// The picture is drawn with OpenGL, which needs the window on screen; the
// window system maps it asynchronously, so start-up goes on once it is (or
// after two seconds without).  A window started minimised is not shown until
// the user restores it: no waiting then.
void Player::whenWindowAppears(std::function<void()> next)
{
    auto *poll = new QTimer(this);
    poll->setInterval(10);
    QElapsedTimer waited;
    waited.start();
    connect(poll, &QTimer::timeout, this, [this, poll, waited, next = std::move(next)] {
        const QWindow *handle = window_->windowHandle();
        const bool shown = window_->isMinimized() || !handle || handle->isExposed();
        if (!shown && waited.elapsed() < 2000)
            return;
        if (!shown)
            qCInfo(lcApp) << "the window was not shown within 2 s; starting without it";
        poll->deleteLater();
        poll->stop();
        next();
    });
    poll->start();
}

void Player::applyFirstRunValues()
{
    config_ = ConfigValues::firstRun(programFolder_);
    applyWindowOptions();
    // The system volume bar starts where the system volume is, and leaves it
    // there.
    if (startWaveLevel_) {
        const QSignalBlocker quiet(windowOptions_->vol_control);
        windowOptions_->vol_control->setValue(*startWaveLevel_);
    }
    window_->vol()->setValue(100);
    window_->volForFullscreen()->setValue(100);
    playMode_->mode_Click(PlayMode::Continuous);
    playSpeed_->bai_Click(2);
}

// Points the file page at the movie's folder and puts its entry at the top.
void Player::showInBrowser(const QFileInfo &movie)
{
    fileBrowser_->setFolder(movie.absolutePath());
    listPanel_->selectTab(ListPanel::FilePage);
    QListWidget *files = fileBrowser_->fileList();
    const auto found =
        files->findItems(movie.fileName(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        return;
    const int row = files->row(found.first());
    list_selection::moveCurrent(files, row);
    list_selection::scrollToTop(files, row);
}

void Player::createStateFolders()
{
    imageFolder_ = program_folder::imageFolder(programFolder_);
    sceneFolder_ = program_folder::sceneFolder(programFolder_);
    // Asked here so that a folder that takes no files is told at start.
    const bool writable = stateCanBeSaved();
    for (const QString &folder : {imageFolder_, sceneFolder_}) {
        if (writable && path::checkpath(folder) == -1)
            if (!QDir().mkpath(folder))
                qCWarning(lcApp) << "cannot make the folder" << folder;
    }
    // This instance holds the folder, so no save of ours runs there now.
    if (writable)
        for (const QString &folder : {programFolder_, sceneFolder_})
            state_file::removeCutShortSaves(folder);
    sceneMenus_->setSceneFolder(sceneFolder_);
}

void Player::playCommandLine(const QString &commandLine)
{
    if (commandLine.isEmpty())
        return;

    const QString moviePath = command_line::findMoviePath(commandLine);
    const QFileInfo info(moviePath);
    if (!info.isFile())
        return;

    // A file that is not a movie is shown in the file page but not played:
    // the movie loaded goes on as it was.
    if (hasMovieExtension(info.fileName()))
        openAndPlay_->play_file(moviePath, 0);
    showInBrowser(info);
}
