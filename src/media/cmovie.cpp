#include "media/cmovie.h"

#include "base/audio_gain.h"
#include "base/media_time.h"
#include "base/native_path.h"
#include "media/media_log.h"
#include "media/video_surface.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <functional>
#include <future>
#include <thread>

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
// Tags the reply to our loadfile command.
constexpr uint64_t kLoadReply = 1;

// Reports a failed mpv call; returns whether it succeeded.
bool check(int result, const char *call, const char *name)
{
    if (result < 0)
        qCWarning(lcMedia) << call << name << "failed:" << mpv_error_string(result);
    return result >= 0;
}

// A property that does not exist right now (no file, no audio track) is the
// ordinary answer to many of the program's questions, not a fault.
bool checkRead(int result, const char *name)
{
    if (result == MPV_ERROR_PROPERTY_UNAVAILABLE) {
        qCDebug(lcMedia) << "property" << name << "unavailable";
        return false;
    }
    return check(result, "reading property", name);
}

void setOption(mpv_handle *mpv, const char *name, const char *value)
{
    check(mpv_set_option_string(mpv, name, value), "setting option", name);
}

void setFlag(mpv_handle *mpv, const char *name, bool on)
{
    int value = on ? 1 : 0;
    check(mpv_set_property(mpv, name, MPV_FORMAT_FLAG, &value), "setting property", name);
}

void setDouble(mpv_handle *mpv, const char *name, double value)
{
    check(mpv_set_property(mpv, name, MPV_FORMAT_DOUBLE, &value), "setting property", name);
}

void setText(mpv_handle *mpv, const char *name, const QByteArray &value)
{
    check(mpv_set_property_string(mpv, name, value.constData()), "setting property", name);
}

bool getFlag(mpv_handle *mpv, const char *name)
{
    int value = 0;
    return checkRead(mpv_get_property(mpv, name, MPV_FORMAT_FLAG, &value), name) && value;
}

bool getDouble(mpv_handle *mpv, const char *name, double *value)
{
    double v = 0;
    if (!checkRead(mpv_get_property(mpv, name, MPV_FORMAT_DOUBLE, &v), name))
        return false;
    *value = v;
    return true;
}

qint64 getInt(mpv_handle *mpv, const char *name)
{
    int64_t v = 0;
    if (!checkRead(mpv_get_property(mpv, name, MPV_FORMAT_INT64, &v), name))
        return 0;
    return v;
}

bool command(mpv_handle *mpv, const char **args)
{
    return check(mpv_command(mpv, args), "command", args[0]);
}

bool commandAsync(mpv_handle *mpv, uint64_t reply, const char **args)
{
    return check(mpv_command_async(mpv, reply, args), "command", args[0]);
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 6);
}

// mpv's log goes to ours: everything the category lets through when its
// debug output is on, warnings and errors otherwise.
void requestLog(mpv_handle *mpv)
{
    const char *level = lcMedia().isDebugEnabled() ? "v" : "warn";
    check(mpv_request_log_messages(mpv, level), "requesting log level", level);
}

// Looking for a hardware decoder where there is none fails loudly in the
// libraries mpv asks (CUDA, VA-API) before mpv settles on software decoding,
// which is the normal case on most machines.
bool isHardwareDecoderProbe(const mpv_event_log_message &message)
{
    const QByteArray prefix(message.prefix);
    return prefix == "vaapi" || prefix == "vdpau" || prefix == "cuda" ||
           (prefix == "ffmpeg" && QByteArray(message.text).startsWith("AVHWDeviceContext"));
}

void forwardLog(const mpv_event_log_message &message)
{
    const QString text =
        QStringLiteral("mpv[%1] %2").arg(message.prefix, QString::fromUtf8(message.text).trimmed());
    if (isHardwareDecoderProbe(message))
        qCDebug(lcMedia).noquote() << text;
    else if (message.log_level <= MPV_LOG_LEVEL_WARN)
        qCWarning(lcMedia).noquote() << text;
    else if (message.log_level == MPV_LOG_LEVEL_INFO)
        qCInfo(lcMedia).noquote() << text;
    else
        qCDebug(lcMedia).noquote() << text;
}

// Hardware decoding where mpv knows it to be safe; mpv falls back to decoding
// in software by itself when there is no device or a file fails on it.
// SAZANAMI_HWDEC=no turns it off (any value of mpv's hwdec option works).
QByteArray hardwareDecoding()
{
    const QByteArray chosen = qgetenv("SAZANAMI_HWDEC");
    return chosen.isEmpty() ? QByteArrayLiteral("auto-safe") : chosen;
}

// A player set up the way the program uses it; null when libmpv will not
// start.  Safe on any thread.
mpv_handle *createPlayer()
{
    mpv_handle *mpv = mpv_create();
    if (!mpv) {
        qCWarning(lcMedia) << "mpv_create failed";
        return nullptr;
    }
    requestLog(mpv);
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
    setOption(mpv, "hwdec", hardwareDecoding().constData());
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
    if (!check(mpv_initialize(mpv), "mpv_initialize", "")) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return mpv;
}

} // namespace

// Marks the session busy for as long as it lives and tells when the outermost
// open or close is over.
class CMovie::BusyScope
{
public:
    explicit BusyScope(CMovie &movie) : movie_(movie), outer_(!movie.busy_) { movie.busy_ = true; }
    ~BusyScope()
    {
        if (!outer_)
            return;
        movie_.busy_ = false;
        emit movie_.settled();
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    CMovie &movie_;
    bool outer_;
};

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
// rather than with the session: the window is built meanwhile.
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
    // A movie that reaches its end stops playing without a command.
    mpv_observe_property(mpv_, 0, "eof-reached", MPV_FORMAT_FLAG);
    // Whatever mpv said while it started (its log) is waiting already.
    drainEvents();
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
    releasePlayer();
}

// The render context must go before the player it belongs to.
void CMovie::releasePlayer()
{
    if (mpv_)
        mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    delete surface_.data();
    if (!mpv_)
        return;
    if (stalled_) {
        // mpv ends only once its stuck read returns; the program must not
        // wait for a dead mount to end.
        qCWarning(lcMedia) << "player still reading a file that stopped answering; left behind";
        std::thread([mpv = mpv_] { mpv_terminate_destroy(mpv); }).detach();
    } else {
        mpv_terminate_destroy(mpv_);
    }
    mpv_ = nullptr;
    ownTempoFilter_ = false;
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
    if (waitLoop_ && waitDone_ && waitDone_())
        waitLoop_->quit();
}

void CMovie::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE:
        forwardLog(*static_cast<const mpv_event_log_message *>(event.data));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == kLoadReply && event.error < 0) {
            qCWarning(lcMedia) << "loadfile failed:" << mpv_error_string(event.error);
            if (openStage_ == OpenStage::Loading)
                openStage_ = OpenStage::Failed;
        }
        break;
    case MPV_EVENT_START_FILE:
        idle_ = false;
        // The file is ours from its start-file event on: only our loadfile
        // can start one while we open.
        if (openStage_ == OpenStage::Loading && entry_ < 0)
            entry_ = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        // Loaded paused: the open waits for the first picture, so that the
        // video size is known and mpv is no longer busy setting up its output.
        if (openStage_ == OpenStage::Loading && entry_ >= 0)
            openStage_ = OpenStage::FirstPicture;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        seekTarget_.reset();
        if (openStage_ == OpenStage::FirstPicture)
            openStage_ = OpenStage::Loaded;
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_IDLE:
        idle_ = true;
        stalled_ = false;
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        notePlaying();
        break;
    default:
        break;
    }
}

void CMovie::handleEndFile(const mpv_event &event)
{
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    // A file closed earlier may report its end late, after the next one was
    // asked for.
    if (end->playlist_entry_id != entry_)
        return;
    entryEnded_ = true;
    stalled_ = false;
    if (end->reason == MPV_END_FILE_REASON_ERROR)
        qCWarning(lcMedia) << "file ended with an error:" << mpv_error_string(end->error);
    // With keep-open mpv only lets go of a file when told to or when it fails
    // to go on reading it; a playlist, which we do not follow, ends the same
    // way.
    loaded_ = false;
    seekTarget_.reset();
    if (openStage_ == OpenStage::Loading || openStage_ == OpenStage::FirstPicture)
        openStage_ = OpenStage::Failed;
}

// Runs the event loop, user input left for later, until done() holds, the
// time is up or an abort stops the wait.  Painting, timers and mpv's events go
// on meanwhile.
bool CMovie::waitUntil(int timeoutMs, const std::function<bool()> &done)
{
    drainEvents();
    if (done())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    waitLoop_ = &loop;
    waitDone_ = done;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    waitLoop_ = nullptr;
    waitDone_ = nullptr;
    return done();
}

void CMovie::stopWaiting()
{
    if (waitLoop_)
        waitLoop_->quit();
}

void CMovie::sendStop()
{
    const char *stop[] = {"stop", nullptr};
    commandAsync(mpv_, 0, stop);
}

bool CMovie::loadFile(const QByteArray &path)
{
    drainEvents();
    entry_ = -1;
    entryEnded_ = false;
    openStage_ = OpenStage::Loading;
    const char *load[] = {"loadfile", path.constData(), "replace", nullptr};
    if (!commandAsync(mpv_, kLoadReply, load)) {
        openStage_ = OpenStage::None;
        return false;
    }

    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    // The two steps, loading and the first picture, get the time each.
    const auto settledOn = [this](OpenStage step) {
        return [this, step] { return openStage_ != step; };
    };
    if (waitUntil(kLoadTimeoutMs, settledOn(OpenStage::Loading)))
        waitUntil(kLoadTimeoutMs, settledOn(OpenStage::FirstPicture));
    QGuiApplication::restoreOverrideCursor();

    const bool loaded = openStage_ == OpenStage::Loaded;
    if (!loaded) {
        // Given up on (too slow, or aborted) before mpv let go of the file:
        // mpv may be stuck in a read that never returns.
        stalled_ = entry_ >= 0 && !entryEnded_;
        qCWarning(lcMedia) << "open of" << path << "failed"
                           << (stalled_ ? "(no answer in time)" : "");
        sendStop();
    }
    openStage_ = OpenStage::None;
    return loaded;
}

bool CMovie::isOpening() const
{
    return openStage_ == OpenStage::Loading || openStage_ == OpenStage::FirstPicture;
}

void CMovie::abortOpen()
{
    if (!isOpening())
        return;
    openStage_ = OpenStage::Failed;
    stopWaiting();
}

void CMovie::unloadFile()
{
    loaded_ = false;
    if (idle_ || getFlag(mpv_, "idle-active"))
        return;
    sendStop();
    // Wait until mpv has closed the file, so that nothing of it is left once
    // we return and the next open starts from an idle player.
    if (!waitUntil(kUnloadTimeoutMs, [this] { return idle_; }))
        qCWarning(lcMedia) << "mpv did not let go of the file in time";
}

VideoSurface *CMovie::createSurface(int backendValue, QWidget *screen)
{
    const auto backend = static_cast<VideoSurface::Backend>(backendValue);
    auto *surface = new VideoSurface(backend, screen);
    connect(surface, &VideoSurface::frameShown, this, &CMovie::frameShown);
    // How the picture is drawn is decided at run time; say it once it is drawn.
    connect(
        surface, &VideoSurface::frameShown, this,
        [backend] {
            qCDebug(lcMedia) << "first frame drawn"
                             << (backend == VideoSurface::Backend::OpenGL ? "with OpenGL"
                                                                          : "in software");
        },
        Qt::SingleShotConnection);
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
    if (busy_) {
        // Code run from a timer while an open waits must not start another
        // inside it.
        qCWarning(lcMedia) << "open of" << NewFileNameArgument
                           << "refused: another open or close is in progress";
        return 0;
    }
    BusyScope busy(*this);
    // Callers may pass `filename` itself, which closing clears.
    const QString NewFileName = NewFileNameArgument;
    closeFile();
    // mpv would also play folders and playlists; only a file is a movie.
    if (!native_path::isFile(NewFileName))
        return 0;
    // A player stuck on an earlier file would keep this one waiting too.
    if (stalled_) {
        releasePlayer();
        stalled_ = false;
        idle_ = true;
    }

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
    setSpeed(1.0);
    setText(mpv_, "start", pos > 0 ? number(pos) : QByteArray("none"));
    setText(mpv_, "vd", NewFilterName.toUtf8());

    if (!loadFile(native_path::encode(QDir::current().absoluteFilePath(NewFileName)))) {
        loaded_ = false;
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
    if (busy_) {
        abortOpen();
        return;
    }
    BusyScope busy(*this);
    closeFile();
}

void CMovie::closeFile()
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
    notePlaying();
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
    if (State >= 1 && State <= 3)
        PlayState = State;
    mblnInCommand = false;
    notePlaying();
}

bool CMovie::isPlaying() const
{
    return isOpen() && !getFlag(mpv_, "pause") && !getFlag(mpv_, "eof-reached");
}

void CMovie::notePlaying()
{
    const bool now = isPlaying();
    if (now == playing_)
        return;
    playing_ = now;
    emit playingChanged(now);
}

void CMovie::SetRate(float rate)
{
    if (!isOpen())
        return;
    setSpeed(rate > 2.0f ? 2.0 : double(rate));
}

// To keep the pitch at other speeds mpv puts its scaletempo2 filter in.  Before
// libmpv 0.37 (client API 2.2) that filter wrote past its buffers at the end
// of a short file, and a later file change crashed in its clean-up: about
// once in a few hundred changes of short movies with speed changes among
// them.  There the older scaletempo keeps the pitch instead, and only while
// the speed is not 1, since it alters the sound even then.  It goes in before
// the speed changes and out after, so that mpv never adds its own meanwhile.
void CMovie::setSpeed(double rate)
{
    const bool ownFilter = rate != 1.0 && mpv_client_api_version() < MPV_MAKE_VERSION(2, 2);
    if (ownFilter && !ownTempoFilter_)
        setText(mpv_, "af", "scaletempo");
    setDouble(mpv_, "speed", rate);
    if (!ownFilter && ownTempoFilter_)
        setText(mpv_, "af", "");
    ownTempoFilter_ = ownFilter;
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
    return media_time::secondsToString(seconds);
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
    if (command(mpv_, seek)) {
        seekTarget_ = target;
        emit seeked(target);
    }
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
    return isOpen() && getInt(mpv_, "current-tracks/audio/id") > 0;
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
    return check(mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &percent), "setting property",
                 "volume");
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
