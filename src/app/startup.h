#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class CMovie;
class DesktopLink;
class DesktopOptions;
class DisplayModes;
class FavouritesList;
class FileBrowser;
class KeyBindings;
class KeyPage;
class ListPanel;
class MainWindow;
class OpenAndPlay;
class QFileInfo;
class RegisteredFolders;
class Resume;
class SceneMenus;
class SearchPage;
class Settings;
class SettingsStore;
class SingleInstance;
class WaveVolume;

// What start-up is given: the command-line arguments, the folder they are
// relative to, and, for tests, a program folder to use instead of the one
// next to the executable.
struct StartupOptions {
    QStringList arguments;
    QString currentDir;
    QString programFolder;
};

// Start-up of the program: the main window's load sequence, from the window
// built to the first movie asked for.  The window is shown first; the rest
// (the lists, the first movie) follows from the event loop once it is on
// screen.  An exit asked meanwhile waits until start-up is through.
class Startup : public QObject
{
    Q_OBJECT
public:
    // What start-up fills and starts.
    struct Parts {
        MainWindow &window;
        CMovie &movie;
        DesktopLink &desktop;
        DesktopOptions &desktopOptions;
        ListPanel &panel;
        FileBrowser &browser;
        FavouritesList &favourites;
        SearchPage &search;
        KeyBindings &keys;
        KeyPage &keyPage;
        RegisteredFolders &folders;
        OpenAndPlay &player;
        Resume &resume;
        DisplayModes &modes;
        SceneMenus &scenes;
        SettingsStore &store;
        WaveVolume &wave;
        const Settings &settings;
        const QString &programFolder;
        // Whether the program folder takes files now.
        std::function<bool()> stateCanBeSaved;
        // Ends the program the way the exit command does.
        std::function<void()> exit;
    };

    // The program folder a start with options runs in.
    static QString programFolderFor(const StartupOptions &options);
    // Holds programFolder for this instance; null when another instance runs
    // for it, which is handed this start's command line.  handedOver tells
    // then whether that instance took it.
    static std::unique_ptr<SingleInstance> claim(const QString &programFolder,
                                                 const StartupOptions &options, bool &handedOver);

    explicit Startup(Parts parts);

    // Goes on from the window built, clock running since the start.
    void run(const StartupOptions &options, QElapsedTimer clock);
    bool isStarting() const { return starting_; }
    bool isLoading() const { return loading_; }
    // While starting, notes an exit to be carried out once start-up is
    // through, and says so.
    bool putOffExit();
    bool favouritesWereRead() const { return favouritesLoaded_; }

    // Plays a command line's movie (absolute): found whole even with blanks
    // in its name, played when its extension is a movie's, and shown in the
    // file page.
    void playCommandLine(const QString &commandLine);

    const QString &imageFolder() const { return imageFolder_; }
    const QString &sceneFolder() const { return sceneFolder_; }

signals:
    // Start-up is through.
    void started();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void whenWindowAppears(std::function<void()> next);
    void finishStart(const QString &commandLine, QElapsedTimer clock);
    void createStateFolders();
    static void makePrivateFolder(const QString &folder);
    void showInBrowser(const QFileInfo &movie);
    void tellOtherFormatsOff(const QString &moviePath);

    Parts p_;
    QString imageFolder_;
    QString sceneFolder_;
    bool starting_ = true;
    bool loading_ = false;
    bool exitRequested_ = false;
    // okini.ini is written back only once it was read.
    bool favouritesLoaded_ = false;
    bool otherFormatsTold_ = false;
};
