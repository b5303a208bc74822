#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <optional>

class QEventLoop;
class QWidget;
class VideoSurface;
struct mpv_handle;
struct mpv_event;

// The one media session of the program.  It plays a file through libmpv and
// shows the picture in a video surface that is a child of the window given at
// open.  Every operation swallows errors of the media service: callers learn
// about failure from MediaOpen's result and from `filename` being empty; the
// log category sazanami.media tells what failed.
//
// Opening and closing wait for mpv in a nested event loop that leaves user
// input for later: the window keeps painting and timers keep running, so code
// run from a timer may call in meanwhile.  A second open or close is refused
// then (isBusy() tells); a close aborts the open instead.
class CMovie : public QObject
{
    Q_OBJECT
public:
    explicit CMovie(QObject *parent = nullptr);
    ~CMovie() override;

    // Opens NewFileName and starts it at pos seconds.  Returns 0 when nothing
    // was opened, the duration in hundredths of a second when it lies in
    // 1..32767, and -1 for a longer movie (ask duration()).  A file that
    // delivers nothing within a few seconds counts as failed.  Refused with 0,
    // touching nothing, while another open or close is in progress.
    qint16 MediaOpen(const QString &NewFileName, const QString &NewFilterName, QWidget *screen,
                     double pos);
    // Closes the file.  During an open it aborts that open instead, which then
    // returns 0.
    void MediaClose();
    void MediaClear();
    // An open or a close is waiting for mpv.
    bool isBusy() const { return busy_; }
    bool isOpening() const;
    // 1 run, 2 pause, 3 stop and rewind to 0.  No effect when nothing is open.
    void MediaPlay(int State);
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
    void fullscreen();
    void normalscreen();
    void HideCursor(bool hide);

    static QString secondsToString(qint32 seconds);

    // The mpv audio output of sessions created from now on ("null" plays
    // silently on a clock of its own); empty, the default, lets mpv choose.
    static void setAudioOutput(const QString &name);

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

    // Video interface (IBasicVideo): the display size of the picture, 0 when
    // there is no video.
    int sourceWidth() const;
    int sourceHeight() const;

    // The widget that shows the picture, or null before the first open.
    QWidget *videoWidget() const;

    // Public state, read and written by the rest of the program.
    bool mblnInCommand = false;
    bool mblnInResize = false;
    QString filename;
    int okini_index = 0;
    qint32 volume = 0;
    qint16 height = 0;
    qint16 width = 0;
    QString FilterNameCD;
    qint32 PlayState = 0;
    qint32 DisplaySize = 0;

signals:
    // A new picture has been drawn on screen (first frame and after).
    void frameShown();
    // An open or close that was in progress has returned.
    void settled();
    // The movie started or stopped playing: opened, paused, resumed, stopped,
    // closed or at its end (see isPlaying).
    void playingChanged(bool playing);
    // The position was set to seconds.
    void seeked(double seconds);

private:
    // How far the file being opened has come.
    enum class OpenStage { None, Loading, FirstPicture, Loaded, Failed };
    class BusyScope;

    mpv_handle *player();
    mpv_handle *takeStartedPlayer();
    static void onWakeup(void *self);
    void handleEvent(const mpv_event &event);
    void handleEndFile(const mpv_event &event);
    void drainEvents();
    bool waitUntil(int timeoutMs, const std::function<bool()> &done);
    void stopWaiting();
    bool loadFile(const QByteArray &path);
    void unloadFile();
    void sendStop();
    void closeFile();
    void abortOpen();
    void releasePlayer();
    void ensureSurface(QWidget *screen);
    // backend is a VideoSurface::Backend.
    void replaceSurface(int backend, QWidget *screen);
    bool attachSurface();
    // backend is a VideoSurface::Backend.
    VideoSurface *createSurface(int backend, QWidget *screen);
    void seekTo(double seconds);
    void setSpeed(double rate);
    void notePlaying();
    bool hasAudio() const;

    mpv_handle *mpv_ = nullptr;
    bool playerFailed_ = false;
    std::future<mpv_handle *> pending_;
    QPointer<VideoSurface> surface_;
    bool loaded_ = false;
    bool playing_ = false;
    // The target of a seek that mpv has not finished yet: the position reads
    // as this until playback restarts there.
    std::optional<double> seekTarget_;
    std::atomic<bool> drainQueued_{false};
    bool busy_ = false;
    OpenStage openStage_ = OpenStage::None;
    // The playlist entry of the file opened last; events of earlier files are
    // told apart by it.
    int64_t entry_ = -1;
    bool entryEnded_ = false;
    bool idle_ = true;
    // The older tempo filter is in mpv's audio chain in place of its own
    // (see setSpeed).
    bool ownTempoFilter_ = false;
    // An open gave up while mpv was still reading: mpv holds on to the file
    // until that read returns, which on a dead mount may be never.
    bool stalled_ = false;
    QEventLoop *waitLoop_ = nullptr;
    std::function<bool()> waitDone_;
};
