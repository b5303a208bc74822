#pragma once

#include "app/command_dispatch.h"
#include "app/startup.h"
#include "base/key_bindings.h"
#include "base/settings.h"
#include "media/engine_preload.h"
#include "window/screen_metrics.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class CMovie;
class DesktopLink;
class DesktopOptions;
class FavouritesList;
class DisplayModes;
class MovieVolume;
class MoviePlaces;
class WatchMarks;
class PictureFit;
class WindowOptions;
class FileBrowser;
class KeyPage;
class ListPanel;
class MainMenu;
class MainWindow;
class OpenAndPlay;
class PrivateProfile;
class PlayMode;
class NextMovie;
class PlaySequencer;
class PlaySource;
class SearchPage;
class RegisteredFolders;
class Resume;
class PlaySpeed;
class PositionTimer;
class SceneMenus;
class TrackMenus;
class ChapterMenus;
class SeekPreview;
class SeekControl;
class SettingsBinding;
class SaveNotice;
class SettingsStore;
class Shutdown;
class StateSaver;
class SingleInstance;
class TerminationSignals;
class Transport;
class WaveVolume;

// The running program: it owns the main window, the media session and every
// part that works on them, and wires them together.  Start-up, shut-down and
// config.ini are carried out by parts of their own; the entry points here
// hand over to them.
class Player : public QObject
{
    Q_OBJECT
public:
    Player();
    ~Player() override;

    // Start-up.  False when the caller should end at once: another instance
    // already runs for the same program folder (nothing was shown or
    // written).  The window is shown on return; the rest of start-up (the
    // lists, the first movie) follows from the event loop once the window is
    // on screen, and `started` tells when it is through.
    bool Form_Load(const StartupOptions &options);
    // After a Form_Load that returned false: whether the instance running
    // took this start's command line.
    bool handedOver() const { return handedOver_; }
    bool isStarting() const;
    // Shut-down: saves state and ends the session.  Runs once.
    void Form_Unload();
    // Applies the settings read from config.ini; start-up runs it when the
    // file could be read.
    void load_config(const PrivateProfile &stored);
    // Writes config.ini from the window's state and the settings; shut-down
    // runs it.
    void save_config();
    QString configPath() const;
    KeyBindings &keyBindings() { return keys_; }
    // The user's options, which the options page and the menu show.
    Settings &settings() { return settings_; }

    // Closes the main window, which runs shut-down.  Asked while starting,
    // it waits until start-up is through.
    void m_exit_Click();

    MainWindow &window() const { return *window_; }
    CMovie &movie() const { return *movie_; }
    ListPanel &listPanel() const { return *listPanel_; }
    PlayMode &playMode() const { return *playMode_; }
    PositionTimer &positionTimer() const { return *positionTimer_; }
    OpenAndPlay &openAndPlay() const { return *openAndPlay_; }
    PlaySpeed &playSpeed() const { return *playSpeed_; }
    FileBrowser &fileBrowser() const { return *fileBrowser_; }
    FavouritesList &favourites() const { return *favourites_; }
    PlaySequencer &sequencer() const { return *sequencer_; }
    NextMovie &nextMovie() const { return *nextMovie_; }
    Resume &resume() const { return *resume_; }
    MoviePlaces &moviePlaces() const { return *places_; }
    Transport &transport() const { return *transport_; }
    MainMenu &mainMenu() const { return *mainMenu_; }
    SeekControl &seekControl() const { return *seekControl_; }
    SceneMenus &sceneMenus() const { return *sceneMenus_; }
    SeekPreview &seekPreview() const { return *seekPreview_; }
    SaveNotice &saveNotice() const { return *saveNotice_; }
    KeyPage &keyPage() const { return *keyPage_; }
    CommandDispatch &dispatch() const { return *dispatch_; }
    WindowOptions &windowOptions() const { return *windowOptions_; }
    PictureFit &pictureFit() const { return *pictureFit_; }
    DisplayModes &displayModes() const { return *displayModes_; }
    MovieVolume &movieVolume() const { return *movieVolume_; }
    SearchPage &searchPage() const { return *searchPage_; }
    RegisteredFolders &registeredFolders() const { return *registeredFolders_; }

    DesktopLink &desktopLink() const { return *desktop_; }
    DesktopOptions &desktopOptions() const { return *desktopOptions_; }
    // The list that play, next, previous and the first frame work on: the one
    // on the page shown; null when that page has none.
    PlaySource *activePlaySource() const;
    // The list the playing movie was opened from, whatever page is shown now;
    // before any, the page's.
    PlaySource *playingPlaySource() const;
    // After a rename (F2) of a file of a list.
    void fileRenamed(const QString &from, const QString &to, bool wasLoaded);

    // Plays a command line's movie (absolute, as a second start hands it
    // over or the desktop asks): found whole even with blanks in its name,
    // played when its extension is a movie's, and shown in the file page.
    void playCommandLine(const QString &commandLine);
    // Brings the window to the front, out of the tray or the task bar.
    void raiseWindow();

    const QString &programFolder() const { return programFolder_; }
    const QString &imageFolder() const;
    const QString &sceneFolder() const;
    const ScreenMetrics &metrics() const;
    bool isLoading() const;

signals:
    // Start-up is through.
    void started();

private:
    void buildParts();
    void buildDisplayParts();
    void buildSearchParts();
    void buildLifeCycle();
    CommandDispatch::Parts dispatchParts();
    void wireMediaSession();
    void wirePlayFile();
    void wireSequencer();
    void wireNextMovie();
    void wirePositionTimer();
    void wireWindow();
    void wirePanels();
    void wireLists();
    void wireFileListSteps();
    void wireDesktop();
    void wireMoviePlaces();
    void attachToolbarMenus();
    bool relativePathsOn() const;

    // Joined last, after everything that might still wait for it.
    EnginePreload preload_;
    // Outlives every part that reads it and every control that shows it.
    Settings settings_;
    // The session outlives the window so that the picture's surface, a child
    // of the video area, is gone before the session ends.
    std::unique_ptr<CMovie> movie_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<ListPanel> listPanel_;
    std::unique_ptr<PlayMode> playMode_;
    std::unique_ptr<PositionTimer> positionTimer_;
    std::unique_ptr<PlaySpeed> playSpeed_;
    std::unique_ptr<OpenAndPlay> openAndPlay_;
    std::unique_ptr<FileBrowser> fileBrowser_;
    std::unique_ptr<SearchPage> searchPage_;
    std::unique_ptr<RegisteredFolders> registeredFolders_;
    std::unique_ptr<Resume> resume_;
    std::unique_ptr<MoviePlaces> places_;
    std::unique_ptr<WatchMarks> watchMarks_;
    std::unique_ptr<FavouritesList> favourites_;
    std::unique_ptr<PlaySequencer> sequencer_;
    std::unique_ptr<NextMovie> nextMovie_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<MainMenu> mainMenu_;
    std::unique_ptr<SeekControl> seekControl_;
    std::unique_ptr<SceneMenus> sceneMenus_;
    std::unique_ptr<TrackMenus> trackMenus_;
    std::unique_ptr<ChapterMenus> chapterMenus_;
    std::unique_ptr<SeekPreview> seekPreview_;
    std::unique_ptr<KeyPage> keyPage_;
    std::unique_ptr<WindowOptions> windowOptions_;
    std::unique_ptr<SettingsBinding> settingsBinding_;
    std::unique_ptr<PictureFit> pictureFit_;
    std::unique_ptr<DisplayModes> displayModes_;
    std::unique_ptr<MovieVolume> movieVolume_;
    std::unique_ptr<WaveVolume> waveVolume_;
    std::unique_ptr<CommandDispatch> dispatch_;
    std::unique_ptr<SingleInstance> instance_;
    bool handedOver_ = false;
    std::unique_ptr<TerminationSignals> signals_;
    std::unique_ptr<DesktopLink> desktop_;
    std::unique_ptr<DesktopOptions> desktopOptions_;
    // Built last, and so gone first: they work on every part above.
    std::unique_ptr<SaveNotice> saveNotice_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<StateSaver> saver_;
    std::unique_ptr<Shutdown> shutdown_;
    std::unique_ptr<Startup> startup_;

    KeyBindings keys_;
    QString programFolder_;
    // The list the playing movie came from (see playingPlaySource).
    PlaySource *playingSource_ = nullptr;
};
