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

// play_file: the one way a movie is opened and started.  It opens the file in
// the media session inside the video area, restores volume on the new movie,
// scales the seek bar to its length, starts the position timer and names the
// window after the movie.
class OpenAndPlay : public QObject
{
    Q_OBJECT
public:
    OpenAndPlay(CMovie &movie, MainWindow &window, PositionTimer &timer, PlaySpeed &speed,
                QObject *parent = nullptr);

    // Opens path and plays it from pos seconds; resumes instead when path is
    // the paused movie.  Failure is silent: the session's filename stays "".
    // Asked while another open is in progress, it plays path once that open
    // is over, unless another movie is asked for before.
    void play_file(const QString &path, double pos);

    // Plays the selected entry of source (the first when none is selected),
    // or pauses and resumes it when it is the movie loaded; with nothing to
    // play, the loaded movie stops.
    void play_selection(PlaySource *source);

    // Tells which favourite play_file opens: the selected one's position
    // while the favourites page is shown, nothing otherwise (the session's
    // `okini_index` then stays).
    void setFavouriteIndex(std::function<std::optional<int>()> favouriteIndex)
    {
        favouriteIndex_ = std::move(favouriteIndex);
    }

    // The last open result kept in the caption of the time box: the length in
    // hundredths of a second, -1 for a long movie, 0 for a failed open.
    int lastOpenResult() const;

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
    struct Deferred {
        QString path;
        double pos = 0;
    };

    bool scaleSeekBar(double pos);
    void playWhenSettled(const QString &path, double pos);

    CMovie &movie_;
    MainWindow &window_;
    PositionTimer &timer_;
    PlaySpeed &speed_;
    std::optional<Deferred> deferred_;
    std::function<std::optional<int>()> favouriteIndex_;
    std::function<void()> sizer_;
};
