#include "media/cmovie.h"

#include "base/audio_gain.h"
#include "media/video_surface.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <cmath>
#include <functional>
#include <future>

#include <mpv/client.h>

namespace
{

QString &audioOutputName()
{
    static QString name;
    return name;
}

// How long an open may take before we give up on the file.
constexpr int kLoadTimeoutMs = 5000;
// How long closing waits for mpv to let go of the file.
constexpr int kUnloadTimeoutMs = 2000;
// While waiting for mpv, how often we look whether a picture is to be drawn.
// A new picture also wakes the wait, so this is only a safety net.
constexpr double kEventPollSeconds = 0.01;
// Tags the reply to our loadfile command.
constexpr uint64_t kLoadReply = 1;

void setOption(mpv_handle *mpv, const char *name, const char *value)
{
    mpv_set_option_string(mpv, name, value);
}

void setFlag(mpv_handle *mpv, const char *name, bool on)
{
    int value = on ? 1 : 0;
    mpv_set_property(mpv, name, MPV_FORMAT_FLAG, &value);
}

bool getFlag(mpv_handle *mpv, const char *name)
{
    int value = 0;
    return mpv_get_property(mpv, name, MPV_FORMAT_FLAG, &value) >= 0 && value;
}

bool getDouble(mpv_handle *mpv, const char *name, double *value)
{
    double v = 0;
    if (mpv_get_property(mpv, name, MPV_FORMAT_DOUBLE, &v) < 0)
        return false;
    *value = v;
    return true;
}

qint64 getInt(mpv_handle *mpv, const char *name)
{
    int64_t v = 0;
    if (mpv_get_property(mpv, name, MPV_FORMAT_INT64, &v) < 0)
        return 0;
    return v;
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 6);
}

// A player set up the way the program uses it; null when libmpv is missing
// or will not start.  Safe on any thread.
mpv_handle *createPlayer()
{
    mpv_handle *mpv = mpv_create();
    if (!mpv)
        return nullptr;
    setOption(mpv, "config", "no");
    setOption(mpv, "terminal", "no");
    setOption(mpv, "load-scripts", "no");
    setOption(mpv, "osc", "no");
    setOption(mpv, "ytdl", "no");
    // mpv's own scripts (statistics page, console, profiles) would start a
    // Lua interpreter and a font set-up for overlays the program never shows.
    setOption(mpv, "load-stats-overlay", "no");
    setOption(mpv, "load-osd-console", "no");
    setOption(mpv, "load-auto-profiles", "no");
    setOption(mpv, "input-default-bindings", "no");
    setOption(mpv, "input-vo-keyboard", "no");
    setOption(mpv, "vo", "libmpv");
    setOption(mpv, "hwdec", "no");
    // Without hardware decoding there is nothing to share with the GPU; not
    // probing for it also keeps the CUDA loader quiet on machines without it.
    setOption(mpv, "gpu-hwdec-interop", "no");
    // The program places and sizes the picture itself.
    setOption(mpv, "keepaspect", "no");
    // A file stays loaded at its end, and the player waits for files.
    setOption(mpv, "keep-open", "yes");
    setOption(mpv, "idle", "yes");
    setOption(mpv, "audio-client-name", "Sazanami");
    // Frames are drawn on the GUI thread.  By default mpv announces a frame
    // ahead of its time and then holds the drawing call until that time,
    // which would freeze the window for most of every frame; announced on
    // time, a frame is drawn at once.
    setOption(mpv, "video-timing-offset", "0");
    if (!audioOutputName().isEmpty())
        setOption(mpv, "ao", audioOutputName().toUtf8().constData());
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return mpv;
}

} // namespace

void CMovie::setAudioOutput(const QString &name)
{
    audioOutputName() = name;
}

CMovie::CMovie(QObject *parent) : QObject(parent) {}

std::function<void()> CMovie::playerStarter()
{
    auto task = std::make_shared<std::packaged_task<mpv_handle *()>>(createPlayer);
    pending_ = task->get_future();
    return [task] { (*task)(); };
}

mpv_handle *CMovie::takeStartedPlayer()
{
    try {
        return pending_.get();
    } catch (const std::future_error &) {
        // The starter was dropped without running.
        return createPlayer();
    }
}

// The player starts at its first use, or in the background ahead of it,
// rather than with the session: libmpv may still be loading while the window
// is built.
mpv_handle *CMovie::player()
{
    if (mpv_ || playerFailed_)
        return mpv_;
    mpv_ = pending_.valid() ? takeStartedPlayer() : createPlayer();
    if (!mpv_) {
        playerFailed_ = true;
        return nullptr;
    }
    mpv_set_wakeup_callback(mpv_, &CMovie::onWakeup, this);
    return mpv_;
}

CMovie::~CMovie()
{
    if (pending_.valid()) {
        try {
            mpv_ = pending_.get();
        } catch (const std::future_error &) {
        }
    }
    if (mpv_)
        mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    // The render context must go before the player it belongs to.
    delete surface_.data();
    if (mpv_)
        mpv_terminate_destroy(mpv_);
}

void CMovie::onWakeup(void *self)
{
    // Runs on an mpv thread: only post the work to the GUI thread, once.
    auto *movie = static_cast<CMovie *>(self);
    if (movie->drainQueued_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        movie,
        [movie] {
            movie->drainQueued_ = false;
            movie->drainEvents();
        },
        Qt::QueuedConnection);
}

void CMovie::drainEvents()
{
    if (!mpv_)
        return;
    for (;;) {
        const mpv_event *event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void CMovie::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_PLAYBACK_RESTART:
        seekTarget_.reset();
        break;
    case MPV_EVENT_END_FILE:
        // With keep-open mpv only lets go of a file when told to or when it
        // fails to go on reading it.
        loaded_ = false;
        seekTarget_.reset();
        break;
    default:
        break;
    }
}

bool CMovie::waitForEvent(int timeoutMs, const std::function<bool(const mpv_event &)> &done)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        // While a video output starts or stops, mpv waits for its picture to
        // be drawn; we are the ones drawing it.
        if (surface_)
            surface_->renderPendingFrame();
        const mpv_event *event = mpv_wait_event(mpv_, kEventPollSeconds);
        if (event->event_id == MPV_EVENT_NONE)
            continue;
        handleEvent(*event);
        if (done(*event))
            return true;
        if (event->event_id == MPV_EVENT_SHUTDOWN)
            return false;
    }
    return false;
}

bool CMovie::loadFile(const QByteArray &path)
{
    drainEvents();
    const char *load[] = {"loadfile", path.constData(), "replace", nullptr};
    if (mpv_command_async(mpv_, kLoadReply, load) < 0)
        return false;

    // The file is ours from its start-file event on; it is open once loaded
    // and fails with an end-file event of its own (a playlist, which we do not
    // follow, ends the same way).
    int64_t entry = -1;
    bool failed = false;
    const bool loaded = waitForEvent(kLoadTimeoutMs, [&](const mpv_event &event) {
        switch (event.event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            failed = event.reply_userdata == kLoadReply && event.error < 0;
            return failed;
        case MPV_EVENT_START_FILE:
            entry = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
            return false;
        case MPV_EVENT_END_FILE:
            failed =
                static_cast<const mpv_event_end_file *>(event.data)->playlist_entry_id == entry;
            return failed;
        case MPV_EVENT_FILE_LOADED:
            return entry >= 0;
        default:
            return false;
        }
    });
    if (!loaded || failed)
        return false;

    // Loaded paused: wait for the first picture, so that the video size is
    // known and mpv is no longer busy setting up its output when we go on.
    waitForEvent(kLoadTimeoutMs, [&](const mpv_event &event) {
        if (event.event_id == MPV_EVENT_END_FILE)
            failed =
                static_cast<const mpv_event_end_file *>(event.data)->playlist_entry_id == entry;
        return failed || event.event_id == MPV_EVENT_PLAYBACK_RESTART;
    });
    return !failed;
}

void CMovie::unloadFile()
{
    loaded_ = false;
    if (getFlag(mpv_, "idle-active"))
        return;
    const char *stop[] = {"stop", nullptr};
    if (mpv_command_async(mpv_, 0, stop) < 0)
        return;
    // Wait until mpv has closed the file, so that nothing of it is left once
    // we return and the next open starts from an idle player.
    waitForEvent(kUnloadTimeoutMs,
                 [](const mpv_event &event) { return event.event_id == MPV_EVENT_IDLE; });
}

VideoSurface *CMovie::createSurface(int backendValue, QWidget *screen)
{
    const auto backend = static_cast<VideoSurface::Backend>(backendValue);
    auto *surface = new VideoSurface(backend, screen);
    connect(surface, &VideoSurface::frameShown, this, &CMovie::frameShown);
    surface->setGeometry(0, 0, screen->width(), screen->height());
    return surface;
}

void CMovie::prepareSurface(QWidget *screen)
{
    if (!screen || (surface_ && surface_->parentWidget() == screen))
        return;
    delete surface_.data();
    // Hidden until a movie opens.  Being there before the window is first
    // shown lets the window be made for OpenGL from the start instead of
    // being rebuilt at the first open.
    surface_ = createSurface(int(VideoSurface::preferredBackend()), screen);
    surface_->hide();
}

void CMovie::ensureSurface(QWidget *screen)
{
    const VideoSurface::Backend wanted = VideoSurface::preferredBackend();
    const bool visible = screen->isVisible();
    if (surface_ && surface_->parentWidget() == screen) {
        // A software stand-in made while the screen was hidden gives way to
        // OpenGL once it can be had.
        const bool upgrade = surface_->backend() != wanted && visible;
        if (!upgrade) {
            // Showing an OpenGL surface inside a visible window sets up its
            // GL context right here.
            if (!surface_->canDraw() && visible)
                surface_->show();
            if (surface_->canDraw())
                return;
        }
    }
    // OpenGL needs a visible window; until the screen is shown, draw in
    // software and switch at a later open.
    if (wanted == VideoSurface::Backend::OpenGL && visible) {
        replaceSurface(int(VideoSurface::Backend::OpenGL), screen);
        if (surface_->canDraw())
            return;
    }
    replaceSurface(int(VideoSurface::Backend::Software), screen);
}

void CMovie::replaceSurface(int backend, QWidget *screen)
{
    delete surface_.data();
    surface_ = createSurface(backend, screen);
    surface_->show();
}

// An OpenGL too old for mpv's renderer is only found out here; the picture is
// then drawn in software.
bool CMovie::attachSurface()
{
    if (!surface_)
        return true;
    if (surface_->attachPlayer(mpv_))
        return true;
    if (surface_->backend() == VideoSurface::Backend::Software)
        return false;
    replaceSurface(int(VideoSurface::Backend::Software), surface_->parentWidget());
    return surface_->attachPlayer(mpv_);
}

qint16 CMovie::MediaOpen(const QString &NewFileNameArgument, const QString &NewFilterName,
                         QWidget *screen, double pos)
{
    // Callers may pass `filename` itself, which closing clears.
    const QString NewFileName = NewFileNameArgument;
    MediaClose();
    // mpv would also play folders and playlists; only a file is a movie.
    const QFileInfo info(NewFileName);
    if (!info.isFile())
        return 0;

    // The surface first: setting up its OpenGL needs no player, and the
    // player may still be starting in the background.
    if (screen)
        ensureSurface(screen);
    if (!player() || !attachSurface()) {
        if (surface_)
            surface_->hide();
        return 0;
    }
    // Every file starts paused at pos and at normal speed; MediaPlay starts it.
    setFlag(mpv_, "pause", true);
    double speed = 1.0;
    mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &speed);
    mpv_set_property_string(mpv_, "start", pos > 0 ? number(pos).constData() : "none");
    mpv_set_property_string(mpv_, "vd", NewFilterName.toUtf8().constData());

    if (!loadFile(QFile::encodeName(info.absoluteFilePath()))) {
        unloadFile();
        if (surface_)
            surface_->hide();
        return 0;
    }
    loaded_ = true;
    filename = NewFileName;

    // The volume belongs to the player, not the file; reading and writing it
    // back settles it on a value the program's unit can express.  Without an
    // audio track both fail and nothing changes.
    qint32 v = 0;
    if (audioVolume(&v)) {
        volume = v;
        setAudioVolume(v);
    }

    if (surface_ && screen) {
        surface_->setGeometry(0, 0, screen->width(), screen->height());
        surface_->show();
        surface_->raise();
    }

    qint16 result = -1;
    MediaPlay(1);

    double seconds = 0;
    if (duration(&seconds)) {
        const double hundredths = std::floor(seconds * 100.0);
        if (hundredths < 1)
            result = 0;
        else if (hundredths <= 32767)
            result = static_cast<qint16>(hundredths);
    }
    return result;
}

void CMovie::MediaClose()
{
    if (!loaded_ && filename.isEmpty())
        return;
    if (mpv_)
        unloadFile();
    seekTarget_.reset();
    if (surface_) {
        surface_->setCursorHidden(false);
        surface_->hide();
    }
    filename.clear();
    mblnInCommand = false;
}

void CMovie::MediaClear()
{
    MediaClose();
}

void CMovie::MediaPlay(int State)
{
    if (!isOpen())
        return;
    mblnInCommand = true;
    switch (State) {
    case 1:
        setFlag(mpv_, "pause", false);
        break;
    case 2:
        setFlag(mpv_, "pause", true);
        break;
    case 3:
        // Stopping keeps the file loaded: pause on its first frame.
        setFlag(mpv_, "pause", true);
        seekTo(0);
        break;
    default:
        break;
    }
    QCoreApplication::processEvents();
    if (State >= 1 && State <= 3)
        PlayState = State;
    mblnInCommand = false;
}

void CMovie::SetRate(float rate)
{
    if (!isOpen())
        return;
    double speed = rate > 2.0f ? 2.0 : double(rate);
    mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &speed);
}

void CMovie::SetWindowSize(qint16 w, qint16 h)
{
    width = w;
    height = h;
    if (surface_)
        surface_->setGeometry(0, 0, w, h);
}

void CMovie::SetWindowPosition(int left, int top, int w, int h)
{
    if (surface_)
        surface_->setGeometry(left, top, w, h);
}

// The program's own full screen enlarges its window around the picture; the
// session only records which display is in use.
void CMovie::fullscreen()
{
    DisplaySize = 1;
}

void CMovie::normalscreen()
{
    DisplaySize = 0;
}

void CMovie::HideCursor(bool hide)
{
    if (surface_)
        surface_->setCursorHidden(hide);
}

QString CMovie::secondsToString(qint32 seconds)
{
    if (seconds < 0)
        return QStringLiteral("0:00");
    const qint32 s = seconds % 60;
    const qint32 m = (seconds / 60) % 60;
    if (seconds < 3600)
        return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

bool CMovie::isOpen() const
{
    return mpv_ && loaded_;
}

void CMovie::seekTo(double seconds)
{
    const double target = seconds > 0 ? seconds : 0.0;
    const QByteArray where = number(target);
    const char *seek[] = {"seek", where.constData(), "absolute+exact", nullptr};
    if (mpv_command(mpv_, seek) >= 0)
        seekTarget_ = target;
}

bool CMovie::currentPosition(double *seconds) const
{
    if (!isOpen())
        return false;
    if (seekTarget_) {
        *seconds = *seekTarget_;
        return true;
    }
    // At the end mpv keeps showing the last frame, whose time is a little
    // short of the duration.
    if (getFlag(mpv_, "eof-reached") && getDouble(mpv_, "duration", seconds))
        return true;
    return getDouble(mpv_, "time-pos", seconds);
}

bool CMovie::setCurrentPosition(double seconds)
{
    if (!isOpen())
        return false;
    seekTo(seconds);
    return seekTarget_.has_value();
}

bool CMovie::duration(double *seconds) const
{
    return isOpen() && getDouble(mpv_, "duration", seconds);
}

bool CMovie::rate(double *value) const
{
    return isOpen() && getDouble(mpv_, "speed", value);
}

bool CMovie::hasAudio() const
{
    int64_t id = 0;
    return isOpen() &&
           mpv_get_property(mpv_, "current-tracks/audio/id", MPV_FORMAT_INT64, &id) >= 0;
}

bool CMovie::audioVolume(qint32 *value) const
{
    double percent = 0;
    if (!hasAudio() || !getDouble(mpv_, "volume", &percent))
        return false;
    *value = audio_gain::hundredthsDbFromMpvVolume(percent);
    return true;
}

bool CMovie::setAudioVolume(qint32 value)
{
    if (!hasAudio())
        return false;
    double percent = audio_gain::mpvVolumeFromHundredthsDb(value);
    return mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &percent) >= 0;
}

int CMovie::sourceWidth() const
{
    return isOpen() ? int(getInt(mpv_, "dwidth")) : 0;
}

int CMovie::sourceHeight() const
{
    return isOpen() ? int(getInt(mpv_, "dheight")) : 0;
}

QWidget *CMovie::videoWidget() const
{
    return surface_.data();
}
