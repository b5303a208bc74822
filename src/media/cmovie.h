#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <optional>

#include "media/media_state.h"

class QTimer;
class QWidget;
class VideoSurface;
struct mpv_handle;
struct mpv_event;

// The one media session of the program.  It plays a file through libmpv and
// shows the picture in a video surface that is a child of the window given at
// open.  Every operation swallows errors of the media service: callers learn
// about failure from the result of an open and from `filename()` being empty;
// the log category sazanami.media tells what failed.
//
// Nothing here waits for mpv.  An open is a request: MediaOpen returns at
// once, and `opened` brings the result once mpv has loaded the file and shown
// its first picture, or failed, or given no answer in time.  A second open
// replaces one in progress and a close cancels it (`openAbandoned`).  What
// mpv reports about the open movie is kept in `state()`, so reading the
// position, the length or the volume never asks mpv.
class CMovie : public QObject
{
    Q_OBJECT
public:
    explicit CMovie(QObject *parent = nullptr);
    ~CMovie() override;

    // Asks for NewFileName to be opened inside screen and started at pos
    // seconds, and returns at once.  `opened` tells the result: 0 when
    // nothing was opened, the duration in hundredths of a second when it
    // lies in 1..32767, and -1 for a longer movie (ask duration()).  A file
    // that delivers nothing within a few seconds counts as failed.  The
    // movie open so far is closed at once.
    void MediaOpen(const QString &NewFileName, const QString &NewFilterName, QWidget *screen,
                   double pos);
    // Closes the file; an open in progress is cancelled.
    void MediaClose();
    // Names the movie to follow the open one at its end, so that the change
    // has no seam: mpv opens it ahead and goes on to it by itself, keeping
    // the picture and the sound output, and `advanced` tells once it shows.
    // "" names none (the open movie stays at its end, as always).  Any open
    // or close forgets it.  Ignored while nothing is open.  It starts at
    // start seconds.
    void prepareNext(const QString &path, double start = 0);
    // The movie named to follow, "" when none is.
    const QString &preparedNext() const { return nextPath_; }
    // The movie ended and mpv is going on to the one prepared: what it
    // reports meanwhile is already the next movie's.
    bool isAdvancing() const { return advance_ != Advance::None; }
    void MediaClear();
    // An open was asked for and has not given its result yet.
    bool isOpening() const;
    // The file of the open in progress; "" when none is.
    QString openingPath() const;
    // Runs, pauses, or stops and rewinds to 0.  No effect when nothing is
    // open.
    void MediaPlay(PlayCommand command);
    PlayState playState() const { return playState_; }
    void SetRate(float rate);
    void SetWindowSize(qint16 w, qint16 h);
    // Places the picture inside the screen widget, in pixels.
    void SetWindowPosition(int left, int top, int w, int h);
    // Makes the picture's surface inside screen ahead of the first open.
    void prepareSurface(QWidget *screen);
    // Starting the player, to be run once on a worker thread (it waits for
    // libmpv); the player's first use waits for it.  Once asked for, the
    // returned function must be run.
    std::function<void()> playerStarter();
    void HideCursor(bool hide);

    static QString secondsToString(qint32 seconds);

    // The mpv audio output of sessions created from now on ("null" plays
    // silently on a clock of its own); empty, the default, lets mpv choose.
    static void setAudioOutput(const QString &name);

    // The movie loaded, "" while none is (also while one is being opened).
    const QString &filename() const { return filename_; }
    // What mpv last reported about the open movie.
    const MediaState &state() const { return state_; }

    // A play command or a seek is being carried out: changes of the seek and
    // volume bars made meanwhile are the program's own, not the user's.
    bool inCommand() const { return inCommand_; }
    void setInCommand(bool on) { inCommand_ = on; }

    // Position interface (IMediaPosition).  Reads return false when no movie is
    // open; a position at the end of the movie reads as its duration.
    bool isOpen() const;
    // A movie is open, not paused and not at its end.
    bool isPlaying() const;
    bool currentPosition(double *seconds) const;
    bool setCurrentPosition(double seconds);
    bool duration(double *seconds) const;
    bool rate(double *value) const;

    // Audio interface (IBasicAudio): hundredths of a decibel, 0 full,
    // -10000 silent.  Fail when the movie has no audio.
    bool audioVolume(qint32 *value) const;
    bool setAudioVolume(qint32 value);
    // The movie's own volume as last chosen, in the same unit; winding turns
    // the sound off for a while and gives this back.
    qint32 volume() const { return volume_; }
    void setVolume(qint32 value) { volume_ = value; }

    // Video interface (IBasicVideo): the display size of the picture, 0 when
    // there is no video.
    int sourceWidth() const;
    int sourceHeight() const;
    // The size given by SetWindowSize.
    qint16 width() const { return width_; }
    qint16 height() const { return height_; }

    // The widget that shows the picture, or null before the first open.
    QWidget *videoWidget() const;

    // The sound and subtitle tracks of the open movie are in state().tracks
    // (mpv's ids; subtitles found beside the movie are among them, marked
    // external).  These switch to the track with that id at once; a
    // subtitle id of 0 shows none.  Nothing happens without an open movie.
    void setAudioTrack(int id);
    void setSubtitleTrack(int id);

signals:
    // A requested open is over: result as MediaOpen describes it, 0 for a
    // failure.  Not sent for an open that was replaced or cancelled.
    void opened(const QString &path, qint16 result);
    // A requested open was replaced by another or cancelled by a close.
    void openAbandoned(const QString &path);
    // The open movie ended and the one prepared to follow it (prepareNext)
    // shows its first picture and plays: result as for `opened`.
    void advanced(const QString &path, qint16 result);
    // The movie prepared to follow could not be played: nothing is open.
    void advanceFailed(const QString &path);
    // The open movie reached its end (once until it is moved away from the
    // end again), or mpv lost it while it played.
    void endReached();
    // Something in state() changed.
    void stateChanged();
    // The tracks in state() changed: others, or another one chosen.
    void tracksChanged();
    // The chapters in state() changed: others, or another one playing.
    void chaptersChanged();
    // A new picture has been drawn on screen (first frame and after).
    void frameShown();
    // The movie started or stopped playing: opened, paused, resumed, stopped,
    // closed or at its end (see isPlaying).
    void playingChanged(bool playing);
    // The position was set to seconds.
    void seeked(double seconds);

private:
    // How far the file asked for has come.
    enum class OpenStage { None, Probing, LettingGo, Loading, FirstPicture };
    struct Request {
        QString path;
        QString filter;
        QPointer<QWidget> screen;
        double pos = 0;
    };

    mpv_handle *player();
    mpv_handle *takeStartedPlayer();
    static void onWakeup(void *self);
    void observeProperties();
    void handleEvent(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void handleEndFile(const mpv_event &event);
    void onHook(const mpv_event &event);
    void onLoad(uint64_t hook);
    void continueLoad(const QStringList &subtitles);
    void onPreloaded(uint64_t hook);
    bool hasOutput();
    void drainEvents();
    void readWholeState();
    void setState(const MediaState &state);
    // lost: mpv let go of the movie while it played, which ends it too.
    void noteEnd(bool lost = false);
    void sendStop();
    void setBusyCursor(bool on);
    void letGoOfFile();
    void startLoading();
    void enterStage(OpenStage stage);
    void onOpenTimeout();
    void finishOpen(bool loaded);
    void onProbed(quint64 serial, bool isFile);
    // Takes the file mpv has loaded as the open movie; gives the result for
    // `opened`.
    qint16 takeLoadedFile(const QString &path, QWidget *screen);
    void noteAppended(const mpv_event &event);
    void startAdvance();
    void noteAdvanceStart(int64_t entry);
    void finishAdvance(bool shown);
    // Forgets the movie prepared to follow; tellPlayer also takes it off
    // mpv's playlist (an open or a stop clears that by itself).
    void forgetNext(bool tellPlayer);
    void abandonOpen();
    void giveUpOnReading();
    void closeFile();
    void releasePlayer();
    bool waitForLetGoAtExit();
    void ensureSurface(QWidget *screen);
    // backend is a VideoSurface::Backend.
    void replaceSurface(int backend, QWidget *screen);
    bool attachSurface();
    // backend is a VideoSurface::Backend.
    VideoSurface *createSurface(int backend, QWidget *screen);
    void hideSurface();
    void seekTo(double seconds);
    void setSpeed(double rate);
    void notePlaying();

    mpv_handle *mpv_ = nullptr;
    bool playerFailed_ = false;
    std::future<mpv_handle *> pending_;
    QPointer<VideoSurface> surface_;
    bool loaded_ = false;
    bool playing_ = false;
    MediaState state_;
    PlayState playState_ = PlayState::None;
    QString filename_;
    bool inCommand_ = false;
    qint32 volume_ = 0;
    qint16 width_ = 0;
    qint16 height_ = 0;
    // The target of a seek that mpv has not finished yet: the position reads
    // as this until playback restarts there.
    std::optional<double> seekTarget_;
    std::atomic<bool> drainQueued_{false};
    OpenStage openStage_ = OpenStage::None;
    Request request_;
    QTimer *openTimer_;
    bool busyCursor_ = false;
    // The playlist entry of the file opened last; events of earlier files are
    // told apart by it.
    int64_t entry_ = -1;
    // mpv has let go of entry_ (or there never was one).
    bool entryEnded_ = true;
    // Our loadfile was sent and mpv has not started the file yet.
    bool awaitingStart_ = false;
    // The end of the movie was told and the movie has not left it since.
    bool endTold_ = false;
    // Tells the open asked for last from earlier ones whose file check is
    // still under way.
    quint64 openSerial_ = 0;
    // The movie prepared to follow the open one; the names of the playlist
    // entries mpv was given for it, by entry id; and those given whose id
    // has not come back yet, oldest first.
    QString nextPath_;
    double nextStart_ = 0;
    QHash<int64_t, QString> nextEntries_;
    QStringList appendsUnanswered_;
    // How far mpv has come in going on from a movie that ended to the one
    // prepared after it, and that one's name once mpv has started it.
    enum class Advance { None, Starting, FirstPicture };
    Advance advance_ = Advance::None;
    QString advancingPath_;
    // The older tempo filter is in mpv's audio chain in place of its own
    // (see setSpeed).
    bool ownTempoFilter_ = false;
    // mpv may be stuck in a read of a file that stopped answering: it holds
    // on to the file until that read returns, which on a dead mount may be
    // never, and meanwhile it would not answer a call that waits for it.
    bool stalled_ = false;
    // The hook that holds a file mpv is about to open while its subtitles
    // are looked at.
    std::optional<uint64_t> loadHook_;
};
