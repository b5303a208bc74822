#include "app/startup.h"

#include "app/app_log.h"
#include "app/desktop_link.h"
#include "app/desktop_options.h"
#include "app/settings_store.h"
#include "app/wave_volume.h"
#include "base/command_line.h"
#include "base/folder_file.h"
#include "base/key_bindings.h"
#include "base/movie_ext.h"
#include "base/native_path.h"
#include "base/path.h"
#include "base/private_profile.h"
#include "base/program_folder.h"
#include "base/settings.h"
#include "base/single_instance.h"
#include "base/state_file.h"
#include "desktop/instance_handover.h"
#include "display/display_modes.h"
#include "favourites/favourites_list.h"
#include "library/file_browser.h"
#include "library/registered_folders.h"
#include "library/rename_prompt.h"
#include "media/cmovie.h"
#include "panels/key_page.h"
#include "panels/list_panel.h"
#include "playback/open_and_play.h"
#include "playback/resume.h"
#include "scenes/scene_menus.h"
#include "search/search_page.h"
#include "version.h"
#include "window/main_window.h"
#include "window/screen_metrics.h"
#include "window/video_area.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QWindow>
#include <utility>

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
bool hasMovieExtension(const QString &fileName, bool moreFormats)
{
    for (qsizetype dot = fileName.lastIndexOf('.'); dot >= 0;
         dot = dot > 0 ? fileName.lastIndexOf('.', dot - 1) : -1) {
        if (is_movie_ext(fileName.mid(dot + 1), moreFormats))
            return true;
    }
    return false;
}

} // namespace

QString Startup::programFolderFor(const StartupOptions &options)
{
    return options.programFolder.isEmpty()
               ? program_folder::forExecutableDir(native_path::executableDir())
               : path::addbackslash(options.programFolder);
}

std::unique_ptr<SingleInstance> Startup::claim(const QString &programFolder,
                                               const StartupOptions &options, bool &handedOver)
{
    auto instance = std::make_unique<SingleInstance>(programFolder);
    handedOver = false;
    if (instance->acquire())
        return instance;
    qCInfo(lcApp) << "another instance runs for" << programFolder;
    // It plays this start's movie, or just comes to the front.  One started
    // in another session (another runtime folder) cannot be reached.
    handedOver = InstanceHandover::handOver(SingleInstance::socketPathFor(programFolder),
                                            absoluteCommandLine(options), kHandOverMs);
    if (!handedOver)
        qCWarning(lcApp) << "the running instance did not take the command line";
    return nullptr;
}

Startup::Startup(Parts parts) : p_(std::move(parts))
{
    p_.window.installEventFilter(this);
}

void Startup::run(const StartupOptions &options, QElapsedTimer clock)
{
    const auto phase = [&clock](const char *what) {
        qCDebug(lcApp) << "start-up:" << what << "after" << clock.elapsed() << "ms";
    };
    p_.desktop.start(p_.programFolder);
    p_.movie.prepareSurface(p_.window.display());
    p_.window.setMetrics(ScreenMetrics::measure(p_.window));
    phase("window built");

    // The system volume as it is before the settings change it: given back at
    // the end.  A change a run ended without giving back is given back first.
    // Both are asked of the sound server off the window's thread.
    p_.wave.open(p_.programFolder + "waveout.ini");

    loading_ = true;
    p_.panel.Ver->setText(QString::fromUtf8("バージョン：　Ver.%1.%2.%3")
                              .arg(SAZANAMI_VERSION_MAJOR)
                              .arg(SAZANAMI_VERSION_MINOR)
                              .arg(SAZANAMI_VERSION_PATCH));

    // A config.ini that is there but cannot be read as one (a folder, a loop
    // of links, binary junk) starts from the defaults like a first run.
    const QString configPath = p_.store.configPath();
    if (const std::optional<PrivateProfile> stored = PrivateProfile::read(configPath)) {
        p_.store.load_config(*stored);
    } else {
        if (path::checkpath(configPath) == 0)
            qCWarning(lcApp) << "cannot read" << configPath << "- the settings start afresh";
        p_.store.applyFirstRunValues();
        p_.browser.setFolder(options.currentDir);
    }
    loading_ = false;
    phase("settings applied");

    p_.window.show();
    p_.window.layout_window();
    // The rest waits for the window to be on screen; the event loop runs
    // meanwhile.
    whenWindowAppears([this, commandLine = absoluteCommandLine(options), clock] {
        finishStart(commandLine, clock);
    });
}

// The window manager may close the window while start-up still waits for it
// to appear or for the first movie; that close is put off like an exit.
bool Startup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &p_.window && event->type() == QEvent::Close && starting_) {
        qCDebug(lcApp) << "close put off until start-up is through";
        exitRequested_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// Start-up waits for the window and for the first movie and lets events
// through meanwhile; a termination signal may arrive then.  Closing in the
// middle would leave start-up working on a closed window, and the event loop,
// not running yet, would miss the last window closing.
bool Startup::putOffExit()
{
    if (!starting_)
        return false;
    exitRequested_ = true;
    return true;
}

// Start-up once the window is on screen: the lists, the movie of the command
// line or the resume point.
void Startup::finishStart(const QString &commandLine, QElapsedTimer clock)
{
    const auto phase = [clock](const char *what) {
        qCDebug(lcApp) << "start-up:" << what << "after" << clock.elapsed() << "ms";
    };
    // Placed before its frame was known: the title bar must be reachable.
    keepFrameOnScreen(p_.window);
    if (p_.store.values().smallMode)
        p_.modes.enter_small_mode();
    p_.desktopOptions.start(p_.programFolder + "color.ini", p_.settings.balloonHelp());
    phase("window shown");

    createStateFolders();
    p_.favourites.setProgramFolder(p_.programFolder);
    p_.favourites.OpenImagePath = p_.store.values().imageDir;
    // Favourites whose movie is not there now (a disk not mounted) are kept.
    // A favourites file that could not be read is not replaced at exit.
    favouritesLoaded_ =
        p_.favourites.load_okini(p_.favourites.okiniPath(), FavouritesList::Missing::Keep) >= 0;
    phase("favourites loaded");
    p_.search.load_search_results();
    p_.keys = KeyBindings::load(p_.programFolder);
    p_.keyPage.refresh();
    p_.folders.load_dirs();
    p_.favourites.setViewMode(true);
    playCommandLine(commandLine);
    if (p_.settings.resume() && commandLine.isEmpty())
        p_.resume.load_resume();
    // Told once the movie plays, or would not open.
    if (p_.movie.isOpening())
        QObject::connect(
            &p_.movie, &CMovie::opened, this, [phase] { phase("command-line movie opened"); },
            Qt::SingleShotConnection);
    else
        phase("command-line movie opened");
    p_.modes.set_topmost(p_.settings.alwaysOnTop());
    starting_ = false;
    emit started();
    if (exitRequested_)
        p_.exit();
}

// The picture is drawn with OpenGL, which needs the window on screen; the
// window system maps it asynchronously, so start-up goes on once it is (or
// after two seconds without).  A window started minimised is not shown until
// the user restores it: no waiting then.
void Startup::whenWindowAppears(std::function<void()> next)
{
    auto *poll = new QTimer(this);
    poll->setInterval(10);
    QElapsedTimer waited;
    waited.start();
    connect(poll, &QTimer::timeout, this, [this, poll, waited, next = std::move(next)] {
        const QWindow *handle = p_.window.windowHandle();
        const bool shown = p_.window.isMinimized() || !handle || handle->isExposed();
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

// Points the file page at the movie's folder and puts its entry at the top.
void Startup::showInBrowser(const QFileInfo &movie)
{
    p_.browser.setFolder(movie.absolutePath());
    p_.panel.selectTab(ListPanel::FilePage);
    p_.browser.bringToTop(movie.fileName());
}

// The thumbnails and scenes tell what the user watches, like the state files:
// their folders are the user's alone, also those an earlier version made
// open to all.
void Startup::makePrivateFolder(const QString &folder)
{
    folder_file::Folder opened;
    if (opened.open(folder, folder_file::Folder::Missing::Make) != folder_file::Result::Written ||
        !opened.makePrivate())
        qCWarning(lcApp) << "cannot make the folder" << folder << "private to this user";
}

void Startup::createStateFolders()
{
    imageFolder_ = program_folder::imageFolder(p_.programFolder);
    // State is written there only while no other user can write there.
    state_file::setOwnFolder(p_.programFolder);
    sceneFolder_ = program_folder::sceneFolder(p_.programFolder);
    // Asked here so that a folder that takes no files is told at start.
    const bool writable = p_.stateCanBeSaved();
    // Made the user's alone, like the state files in them.
    for (const QString &folder : {imageFolder_, sceneFolder_}) {
        if (writable)
            makePrivateFolder(folder);
    }
    // This instance holds the folder, so no save of ours runs there now.  Only
    // the names our saves leave go: a portable folder may hold the user's
    // own files ("notes.txt.backup").  The scene folder holds nothing else.
    if (writable) {
        state_file::removeCutShortSaves(p_.programFolder, program_folder::stateFileNames());
        state_file::removeCutShortSaves(sceneFolder_, {QStringLiteral("*.txt")});
    }
    p_.scenes.setSceneFolder(sceneFolder_);
}

void Startup::playCommandLine(const QString &commandLine)
{
    if (commandLine.isEmpty())
        return;

    const QString moviePath = command_line::findMoviePath(commandLine);
    // By the name's bytes, which need not be UTF-8.
    const QFileInfo info(moviePath);
    if (!native_path::isFile(moviePath))
        return;

    // A file that is not a movie is shown in the file page but not played:
    // the movie loaded goes on as it was.
    const bool moreFormats = p_.settings.moreFormats();
    if (hasMovieExtension(info.fileName(), moreFormats))
        p_.player.play_file(moviePath, 0);
    else if (!moreFormats && hasMovieExtension(info.fileName(), true))
        tellOtherFormatsOff(moviePath);
    showInBrowser(info);
}

// An mp4 or mkv handed over by the desktop while the option for such files
// is off: the user is told why nothing plays, once a session.
void Startup::tellOtherFormatsOff(const QString &moviePath)
{
    qCInfo(lcApp) << "not playing" << moviePath << "- mp4, mkv and the like are off in the options";
    if (std::exchange(otherFormatsTold_, true))
        return;
    rename_prompt::notice(
        p_.window,
        native_path::displayName(moviePath) +
            QString::fromUtf8("\nは再生しません。この形式を再生するには、設定の「基本」で"
                              "「mp4・mkv・webm などの形式も扱う」を選んでください"));
}
