#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class CMovie;
class PlaySource;
class MainWindow;
class PlaySpeed;
class PositionTimer;

// play_file: the one way a movie is opened and started.  It asks the media
// session to open the file inside the video area and returns; once the movie
// is open it restores the volume on it, scales the seek bar to its length,
// starts the position timer and emits movieOpened, whose receivers do the
// rest (the window's caption is the display modes' to set).
class OpenAndPlay : public QObject
{
    Q_OBJECT
public:
    OpenAndPlay(CMovie &movie, MainWindow &window, PositionTimer &timer, PlaySpeed &speed,
                QObject *parent = nullptr);

    // Told once the movie asked for plays (true), or would not open or was
    // given up for another request or a close (false).
    using Then = std::function<void(bool playing)>;

    // Opens path and plays it from pos seconds; resumes instead when path is
    // the paused movie.  Failure is silent: the session's filename stays "".
    // Asked while another open is in progress, it replaces that open.  A
    // movie asked for from its start (pos 0) starts where the start finder
    // says.
    void play_file(const QString &path, double pos, Then then = {});
    // The same at exactly pos: a scene names its own place.
    void play_file_at(const QString &path, double pos, Then then = {});
    // Where a movie asked for from its start starts instead (where it was
    // left); without one, at 0.
    void setStartFinder(std::function<double(const QString &path)> finder)
    {
        startFinder_ = std::move(finder);
    }
    // Where the movie opened last was asked to start.
    double lastStart() const { return lastStart_; }

    // The media session went on by itself to path, prepared to follow the
    // movie that ended: it is shown as play_file shows a movie it opened,
    // without a black picture or the logo in between.
    void followAdvance(const QString &path, qint16 result);

    // Plays the selected entry of source (the first when none is selected),
    // or pauses and resumes it when it is the movie loaded; with an empty
    // list, the loaded movie stops.  Without a list (null: the options
    // page) the loaded movie pauses and resumes.
    void play_selection(PlaySource *source);

    // Told of every movie play_file is asked to open, before it is opened
    // (the favourites note which of theirs it is).
    void setRequestWatcher(std::function<void(const QString &path)> watcher)
    {
        requestWatcher_ = std::move(watcher);
    }

    // The result of the last open: the length in hundredths of a second, -1
    // for a long movie, 0 for a failed open.
    int lastOpenResult() const { return lastResult_; }

    // Sizes the window and places the picture for the movie just opened; by
    // default the picture fills the video area.
    void fitVideo();
    void setSizer(std::function<void()> sizer) { sizer_ = std::move(sizer); }
    // Gives the open movie the volume of the volume bar `vol`.
    void restoreVolume();

signals:
    // A movie was opened (not resumed) and is playing.
    void movieOpened(const QString &path);
    // path was asked for and would not open.
    void openFailed(const QString &path);

private:
    struct Request {
        QString path;
        double pos = 0;
        Then then;
    };

    void onOpened(const QString &path, qint16 result);
    void onAbandoned(const QString &path);
    void showOpenedMovie(const Request &request);
    bool scaleSeekBar(double pos);
    void togglePause();
    bool resumesPaused(const QString &path) const;
    static void tell(const Request &request, bool playing);

    CMovie &movie_;
    MainWindow &window_;
    PositionTimer &timer_;
    PlaySpeed &speed_;
    // The open asked for and not over yet.
    std::optional<Request> pending_;
    // A new request is being handed to the session, which gives up the one
    // it replaces: that one was told already.
    bool replacing_ = false;
    int lastResult_ = 0;
    std::function<void(const QString &)> requestWatcher_;
    std::function<void()> sizer_;
    std::function<double(const QString &)> startFinder_;
    double lastStart_ = 0;
};
