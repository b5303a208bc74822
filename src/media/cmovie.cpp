#include "media/cmovie.h"

#include "base/audio_gain.h"
#include "base/file_probe.h"
#include "base/media_time.h"
#include "base/native_path.h"
#include "base/subtitle_screen.h"
#include "media/audio_outputs.h"
#include "media/frame_limits.h"
#include "media/media_log.h"
#include "media/renderer_choice.h"
#include "media/shader_cache.h"
#include "media/video_surface.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>
#include <algorithm>
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

// How long each step of an open (loading, the first picture) may take before
// we give up on the file.
constexpr int kLoadTimeoutMs = 5000;
// How long mpv may take to let go of a file it was told to close before it
// counts as stuck in a read.
constexpr int kLetGoTimeoutMs = 1000;
// A call into mpv that takes longer than this is logged.
constexpr qint64 kSlowCallMs = 40;
// Tags the reply to our loadfile command.
constexpr uint64_t kLoadReply = 1;
// Tags the replies to properties set.
constexpr uint64_t kSetReply = 2;
// Tags the replies to seeks.
constexpr uint64_t kSeekReply = 3;
// Tags the hook run once a file is open and before its decoders start.
constexpr uint64_t kPreloadedHook = 4;
// Tags the hook run before a file is opened.
constexpr uint64_t kLoadHook = 5;
// Tags the replies to the movies added to follow the open one.
constexpr uint64_t kAppendReply = 6;

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

// A call that waits for mpv's core to carry it out.  The core answers within
// a frame or two; one that held the window up longer is told, since the
// window did not answer meanwhile.
template <typename Call> int waitedFor(const char *call, const char *name, Call &&run)
{
    QElapsedTimer clock;
    clock.start();
    const int result = run();
    if (clock.elapsed() > kSlowCallMs)
        qCInfo(lcMedia) << call << name << "waited" << clock.elapsed() << "ms for mpv";
    return result;
}

// Properties are set without waiting for mpv: its core may still be taking
// the last file down, which takes a while with some sound outputs.  Requests
// are carried out in the order they are made; a failure comes back as an
// event.
void setFlag(mpv_handle *mpv, const char *name, bool on)
{
    int value = on ? 1 : 0;
    check(mpv_set_property_async(mpv, kSetReply, name, MPV_FORMAT_FLAG, &value), "setting property",
          name);
}

void setDouble(mpv_handle *mpv, const char *name, double value)
{
    check(mpv_set_property_async(mpv, kSetReply, name, MPV_FORMAT_DOUBLE, &value),
          "setting property", name);
}

void setText(mpv_handle *mpv, const char *name, const QByteArray &value)
{
    const char *text = value.constData();
    check(mpv_set_property_async(mpv, kSetReply, name, MPV_FORMAT_STRING, &text),
          "setting property", name);
}

bool commandAsync(mpv_handle *mpv, uint64_t reply, const char **args)
{
    return check(mpv_command_async(mpv, reply, args), "command", args[0]);
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 6);
}

// Adds file to the end of mpv's playlist, to start at start seconds.  By
// named arguments: the place of loadfile's options among its plain ones
// differs between mpv's versions.
bool appendAsync(mpv_handle *mpv, uint64_t reply, const QByteArray &file, double start)
{
    const QByteArray options = start > 0 ? "start=" + number(start) : QByteArray();
    const char *keys[4] = {"name", "url", "flags", "options"};
    const char *values[4] = {"loadfile", file.constData(), "append", options.constData()};
    mpv_node nodes[4]{};
    for (int i = 0; i < 4; ++i) {
        nodes[i].format = MPV_FORMAT_STRING;
        nodes[i].u.string = const_cast<char *>(values[i]);
    }
    mpv_node_list list{options.isEmpty() ? 3 : 4, nodes, const_cast<char **>(keys)};
    mpv_node command{};
    command.format = MPV_FORMAT_NODE_MAP;
    command.u.list = &list;
    return check(mpv_command_node_async(mpv, reply, &command), "command", "loadfile");
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
    // Local files only.  A playlist, a stream description or an edit list
    // saved under a movie's name would otherwise send mpv to the addresses
    // it names; not following references turns such a file into one that
    // cannot be played, and FFmpeg may open no other protocol on its own.
    setOption(mpv, "access-references", "no");
    setOption(mpv, "load-unsafe-playlists", "no");
    setOption(mpv, "demuxer-lavf-o", "protocol_whitelist=file");
    // Subtitles kept beside the movie under its own name (clip.srt, clip.ass,
    // clip.en.vtt) come with it, once looked at (see onLoad); mpv loads no
    // sound from other files.
    setOption(mpv, "sub-auto", "no");
    setOption(mpv, "sub-file-paths", "");
    setOption(mpv, "audio-file-auto", "no");
    // mpv's own scripts (statistics page, console, profiles) would start a
    // Lua interpreter and a font set-up for overlays the program never shows.
    setOption(mpv, "load-stats-overlay", "no");
    setOption(mpv, "load-osd-console", "no");
    setOption(mpv, "load-auto-profiles", "no");
    setOption(mpv, "input-default-bindings", "no");
    setOption(mpv, "input-vo-keyboard", "no");
    setOption(mpv, "vo", "libmpv");
    setOption(mpv, "hwdec", hardwareDecoding().constData());
    // Pictures beyond the program's limit are not decoded: a small file may
    // claim pictures of any size, and each would be allocated and cleared.
    setOption(mpv, "vd-lavc-o",
              QByteArray("max_pixels=" + QByteArray::number(frame_limits::kMaxPixels)).constData());
    // The program places and sizes the picture itself.
    setOption(mpv, "keepaspect", "no");
    // A file stays loaded at its end, and the player waits for files.
    setOption(mpv, "keep-open", "yes");
    setOption(mpv, "idle", "yes");
    // The movie prepared to follow is not opened ahead (mpv's
    // prefetch-playlist): measured, the change is as quick without it, and a
    // file opened ahead would stay open after a stop until the next open,
    // holding a disk the user may want to take away.
    setOption(mpv, "prefetch-playlist", "no");
    setOption(mpv, "audio-client-name", "Sazanami");
    // Frames are drawn on the GUI thread.  By default mpv announces a frame
    // ahead of its time and then holds the drawing call until that time,
    // which would freeze the window for most of every frame; announced on
    // time, a frame is drawn at once.
    setOption(mpv, "video-timing-offset", "0");
    // Only OpenGL compiles programs for the picture.
    if (renderer_choice::forThisMachine() == renderer_choice::Renderer::OpenGL)
        if (const QString shaders = shader_cache::folder(); !shaders.isEmpty())
            setOption(mpv, "gpu-shader-cache-dir", native_path::encode(shaders).constData());
    const QByteArray outputs =
        !audioOutputName().isEmpty()
            ? audioOutputName().toUtf8()
            : audio_outputs::choose(audio_outputs::thisMachine(), lcMedia().isDebugEnabled());
    if (!outputs.isEmpty())
        setOption(mpv, "ao", outputs.constData());
    if (!check(mpv_initialize(mpv), "mpv_initialize", "")) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return mpv;
}

QString nodeText(const mpv_node &node)
{
    return node.format == MPV_FORMAT_STRING ? QString::fromUtf8(node.u.string) : QString();
}

MediaTrack trackOf(const mpv_node &entry)
{
    MediaTrack track;
    if (entry.format != MPV_FORMAT_NODE_MAP)
        return track;
    const mpv_node_list &fields = *entry.u.list;
    for (int i = 0; i < fields.num; ++i) {
        const QByteArray key(fields.keys[i]);
        const mpv_node &value = fields.values[i];
        if (key == "id" && value.format == MPV_FORMAT_INT64)
            track.id = int(value.u.int64);
        else if (key == "type")
            track.kind = nodeText(value) == "audio" ? MediaTrack::Kind::Audio
                         : nodeText(value) == "sub" ? MediaTrack::Kind::Subtitle
                                                    : MediaTrack::Kind::Video;
        else if (key == "title")
            track.title = nodeText(value);
        else if (key == "lang")
            track.language = nodeText(value);
        else if (key == "selected" && value.format == MPV_FORMAT_FLAG)
            track.selected = value.u.flag;
        else if (key == "external" && value.format == MPV_FORMAT_FLAG)
            track.external = value.u.flag;
    }
    return track;
}

Chapter chapterOf(const mpv_node &entry)
{
    Chapter chapter;
    if (entry.format != MPV_FORMAT_NODE_MAP)
        return chapter;
    const mpv_node_list &fields = *entry.u.list;
    for (int i = 0; i < fields.num; ++i) {
        const QByteArray key(fields.keys[i]);
        const mpv_node &value = fields.values[i];
        if (key == "time" && value.format == MPV_FORMAT_DOUBLE)
            chapter.start = value.u.double_;
        else if (key == "time" && value.format == MPV_FORMAT_INT64)
            chapter.start = double(value.u.int64);
        else if (key == "title")
            chapter.title = nodeText(value);
    }
    return chapter;
}

// A file may list any number of chapters; the menu and the seek bars show
// the first of them, as many as a real movie has and more.
constexpr int kMaxChapters = 500;

QList<Chapter> chaptersOf(const mpv_node &list)
{
    QList<Chapter> chapters;
    if (list.format != MPV_FORMAT_NODE_ARRAY)
        return chapters;
    for (int i = 0; i < std::min(list.u.list->num, kMaxChapters); ++i)
        chapters.append(chapterOf(list.u.list->values[i]));
    return chapters;
}

QList<MediaTrack> tracksOf(const mpv_node &list)
{
    QList<MediaTrack> tracks;
    if (list.format != MPV_FORMAT_NODE_ARRAY)
        return tracks;
    for (int i = 0; i < list.u.list->num; ++i)
        tracks.append(trackOf(list.u.list->values[i]));
    return tracks;
}

double doubleOf(const void *value)
{
    return *static_cast<const double *>(value);
}

bool flagOf(const void *value)
{
    return *static_cast<const int *>(value) != 0;
}

int intOf(const void *value)
{
    return int(*static_cast<const int64_t *>(value));
}

// The properties the session follows, each with where its value goes in the
// state; value is null while mpv has none (no file, no sound).
struct Observed {
    const char *name;
    mpv_format format;
    void (*apply)(MediaState &state, const void *value);
    // Read with the rest when a movie has opened.  The chapters are not: a
    // long list would hold up the window, and mpv reports them by itself
    // once the file is loaded.
    bool readAtOpen = true;
};

const Observed kObserved[] = {
    {"time-pos", MPV_FORMAT_DOUBLE,
     [](MediaState &s, const void *v) {
         s.hasTimePos = v;
         s.timePos = v ? doubleOf(v) : 0;
     }},
    {"duration", MPV_FORMAT_DOUBLE,
     [](MediaState &s, const void *v) {
         s.hasDuration = v;
         s.duration = v ? doubleOf(v) : 0;
     }},
    {"pause", MPV_FORMAT_FLAG, [](MediaState &s, const void *v) { s.paused = !v || flagOf(v); }},
    {"eof-reached", MPV_FORMAT_FLAG,
     [](MediaState &s, const void *v) { s.atEnd = v && flagOf(v); }},
    {"speed", MPV_FORMAT_DOUBLE,
     [](MediaState &s, const void *v) { s.speed = v ? doubleOf(v) : 1; }},
    {"dwidth", MPV_FORMAT_INT64,
     [](MediaState &s, const void *v) { s.videoWidth = v ? intOf(v) : 0; }},
    {"dheight", MPV_FORMAT_INT64,
     [](MediaState &s, const void *v) { s.videoHeight = v ? intOf(v) : 0; }},
    // The turn the frames ask for as they come out of the decoder, from the
    // container or from the frames themselves.
    {"video-params/rotate", MPV_FORMAT_INT64,
     [](MediaState &s, const void *v) { s.videoRotation = v ? intOf(v) : 0; }},
    {"volume", MPV_FORMAT_DOUBLE,
     [](MediaState &s, const void *v) { s.volume = v ? doubleOf(v) : 100; }},
    {"track-list", MPV_FORMAT_NODE,
     [](MediaState &s, const void *v) {
         s.tracks = v ? tracksOf(*static_cast<const mpv_node *>(v)) : QList<MediaTrack>();
     }},
    {"chapter-list", MPV_FORMAT_NODE,
     [](MediaState &s, const void *v) {
         s.chapters = v ? chaptersOf(*static_cast<const mpv_node *>(v)) : QList<Chapter>();
     },
     false},
    {"chapter", MPV_FORMAT_INT64,
     [](MediaState &s, const void *v) { s.chapter = v ? intOf(v) : -1; }, false},
};

// The field key of a track of track-list, when it is a number.
std::optional<int64_t> trackNumber(const mpv_node_list &fields, const char *key)
{
    for (int i = 0; i < fields.num; ++i)
        if (qstrcmp(fields.keys[i], key) == 0 && fields.values[i].format == MPV_FORMAT_INT64)
            return fields.values[i].u.int64;
    return std::nullopt;
}

// Each picture track of the file declares pictures larger than the program
// decodes, so nothing of it could be shown.  mpv has not chosen a track yet
// when its hooks run.  Read while mpv waits in a hook.
bool declaresOnlyHugePictures(mpv_handle *mpv)
{
    mpv_node list{};
    if (!checkRead(
            waitedFor("reading", "track-list",
                      [&] { return mpv_get_property(mpv, "track-list", MPV_FORMAT_NODE, &list); }),
            "track-list"))
        return false;
    const auto freeList = qScopeGuard([&list] { mpv_free_node_contents(&list); });
    if (list.format != MPV_FORMAT_NODE_ARRAY)
        return false;
    int huge = 0;
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node &entry = list.u.list->values[i];
        if (entry.format != MPV_FORMAT_NODE_MAP || trackOf(entry).kind != MediaTrack::Kind::Video)
            continue;
        const int64_t width = trackNumber(*entry.u.list, "demux-w").value_or(0);
        const int64_t height = trackNumber(*entry.u.list, "demux-h").value_or(0);
        if (width <= 0 || height <= 0 || width * height <= frame_limits::kMaxPixels)
            return false;
        ++huge;
    }
    return huge > 0;
}

// Reply tags of observed properties are their place in kObserved plus this.
constexpr uint64_t kObservedBase = 100;

} // namespace

void CMovie::setAudioOutput(const QString &name)
{
    audioOutputName() = name;
}

CMovie::CMovie(QObject *parent) : QObject(parent), openTimer_(new QTimer(this))
{
    openTimer_->setSingleShot(true);
    connect(openTimer_, &QTimer::timeout, this, &CMovie::onOpenTimeout);
}

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
    observeProperties();
    check(mpv_hook_add(mpv_, kLoadHook, "on_load", 0), "adding hook", "on_load");
    check(mpv_hook_add(mpv_, kPreloadedHook, "on_preloaded", 0), "adding hook", "on_preloaded");
    // Whatever mpv said while it started (its log) is waiting already.
    drainEvents();
    return mpv_;
}

void CMovie::observeProperties()
{
    for (std::size_t i = 0; i < std::size(kObserved); ++i)
        check(mpv_observe_property(mpv_, kObservedBase + i, kObserved[i].name, kObserved[i].format),
              "observing property", kObserved[i].name);
}

CMovie::~CMovie()
{
    if (pending_.valid()) {
        try {
            mpv_ = pending_.get();
        } catch (const std::future_error &) {
        }
    }
    if (busyCursor_)
        QGuiApplication::restoreOverrideCursor();
    releasePlayer();
}

// The render context must go before the player it belongs to.
void CMovie::releasePlayer()
{
    if (mpv_)
        mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    // A file waiting for its subtitles to be looked at would never be let go.
    if (mpv_ && loadHook_)
        continueLoad({});
    delete surface_.data();
    if (!mpv_)
        return;
    if (stalled_ || !waitForLetGoAtExit()) {
        // mpv ends only once its stuck read returns; the program must not
        // wait for a dead mount to end.
        qCWarning(lcMedia) << "player still reading a file that stopped answering; left behind";
        std::thread([mpv = mpv_] { mpv_terminate_destroy(mpv); }).detach();
    } else {
        mpv_terminate_destroy(mpv_);
    }
    mpv_ = nullptr;
    stalled_ = false;
    entry_ = -1;
    entryEnded_ = true;
    ownTempoFilter_ = false;
}

// At the end of the program, or of a player that is replaced, mpv is given a
// moment to let go of its file; ending it before would wait for that inside
// mpv, however long it takes.  The event loop is not run meanwhile.
bool CMovie::waitForLetGoAtExit()
{
    if (entryEnded_)
        return true;
    sendStop();
    QDeadlineTimer deadline(kLetGoTimeoutMs);
    while (!deadline.hasExpired()) {
        const mpv_event *event = mpv_wait_event(mpv_, double(deadline.remainingTime()) / 1000.0);
        if (event->event_id == MPV_EVENT_IDLE)
            return true;
        // A file waiting in our hook would never be let go of.
        if (event->event_id == MPV_EVENT_HOOK)
            mpv_hook_continue(mpv_, static_cast<const mpv_event_hook *>(event->data)->id);
        if (event->event_id == MPV_EVENT_START_FILE && awaitingStart_) {
            awaitingStart_ = false;
            entry_ = static_cast<const mpv_event_start_file *>(event->data)->playlist_entry_id;
        }
        if (event->event_id == MPV_EVENT_END_FILE &&
            static_cast<const mpv_event_end_file *>(event->data)->playlist_entry_id == entry_)
            return true;
    }
    return false;
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
    for (mpv_handle *current = mpv_; current == mpv_;) {
        const mpv_event *event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void CMovie::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE:
        forwardLog(*static_cast<const mpv_event_log_message *>(event.data));
        break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.error < 0)
            qCWarning(lcMedia) << "setting a property failed:" << mpv_error_string(event.error);
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == kSeekReply && event.error < 0) {
            qCDebug(lcMedia) << "seek failed:" << mpv_error_string(event.error);
            seekTarget_.reset();
        }
        if (event.reply_userdata == kAppendReply)
            noteAppended(event);
        if (event.reply_userdata == kLoadReply && event.error < 0) {
            qCWarning(lcMedia) << "loadfile failed:" << mpv_error_string(event.error);
            awaitingStart_ = false;
            entryEnded_ = true;
            if (openStage_ == OpenStage::Loading)
                finishOpen(false);
        }
        break;
    case MPV_EVENT_START_FILE:
        // The file is ours from its start-file event on: only our loadfile
        // starts one.
        if (awaitingStart_) {
            awaitingStart_ = false;
            entry_ = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        } else if (advance_ == Advance::Starting) {
            noteAdvanceStart(
                static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id);
        } else if (static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id !=
                   entry_) {
            // A movie prepared to follow, started by mpv just as the program
            // changed its mind: nothing of it may play.
            sendStop();
        }
        break;
    case MPV_EVENT_FILE_LOADED:
        // Loaded paused: the open waits for the first picture, so that the
        // video size is known and mpv is no longer busy setting up its output.
        if (openStage_ == OpenStage::Loading && entry_ >= 0)
            enterStage(OpenStage::FirstPicture);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (seekTarget_) {
            state_.timePos = *std::exchange(seekTarget_, std::nullopt);
            emit stateChanged();
        }
        if (openStage_ == OpenStage::FirstPicture)
            finishOpen(hasOutput());
        else if (advance_ == Advance::FirstPicture && !entryEnded_)
            finishAdvance(hasOutput());
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_HOOK:
        onHook(event);
        break;
    case MPV_EVENT_IDLE:
        if (!awaitingStart_) {
            entryEnded_ = true;
            // Nothing followed the movie that ended after all.
            if (advance_ != Advance::None)
                finishAdvance(false);
            if (openStage_ == OpenStage::LettingGo)
                startLoading();
        }
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    default:
        break;
    }
}

void CMovie::onHook(const mpv_event &event)
{
    const uint64_t id = static_cast<const mpv_event_hook *>(event.data)->id;
    if (event.reply_userdata == kLoadHook)
        onLoad(id);
    else
        onPreloaded(id);
}

// A file is about to be opened.  The subtitle files beside it are looked at
// first, off the window's thread, and only those that can be drawn within
// bounds are given to mpv with it (see subtitle_screen).  mpv waits for the
// answer; the window does not.
void CMovie::onLoad(uint64_t hook)
{
    char *path = nullptr;
    const bool read = checkRead(
        waitedFor("reading", "path",
                  [&] { return mpv_get_property(mpv_, "path", MPV_FORMAT_STRING, &path); }),
        "path");
    const QString movie = read ? native_path::decode(QByteArray(path)) : QString();
    mpv_free(path);
    loadHook_ = hook;
    if (movie.isEmpty()) {
        continueLoad({});
        return;
    }
    file_probe::ask<QStringList>(
        "the subtitles beside " + movie,
        [movie] { return subtitle_screen::safeFilesBeside(movie); }, this,
        [this, player = mpv_, hook](std::optional<QStringList> subtitles) {
            if (player != mpv_ || loadHook_ != hook)
                return;
            if (!subtitles)
                qCWarning(lcMedia) << "no answer about subtitles in time; none shown";
            continueLoad(subtitles.value_or(QStringList()));
        });
}

// Gives mpv the subtitle files to load with the file and lets it go on.
// Set before mpv goes on, so waited for; mpv only waits for this hook
// meanwhile.
void CMovie::continueLoad(const QStringList &subtitles)
{
    if (!loadHook_)
        return;
    std::vector<QByteArray> paths;
    for (const QString &subtitle : subtitles)
        paths.push_back(native_path::encode(subtitle));
    std::vector<mpv_node> items(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        items[i].format = MPV_FORMAT_STRING;
        items[i].u.string = const_cast<char *>(paths[i].constData());
    }
    mpv_node_list list{int(items.size()), items.data(), nullptr};
    mpv_node files{};
    files.format = MPV_FORMAT_NODE_ARRAY;
    files.u.list = &list;
    check(waitedFor("setting", "sub-files",
                    [&] {
                        return mpv_set_property(mpv_, "file-local-options/sub-files",
                                                MPV_FORMAT_NODE, &files);
                    }),
          "setting property", "file-local-options/sub-files");
    check(mpv_hook_continue(mpv_, *std::exchange(loadHook_, std::nullopt)), "continuing hook",
          "on_load");
}

// The file is open and its decoders are about to start.  A movie whose
// pictures are larger than the decoders may make is refused before they
// start, rather than played as sound to a black window.  mpv only waits for
// this hook meanwhile.
void CMovie::onPreloaded(uint64_t hook)
{
    if (declaresOnlyHugePictures(mpv_)) {
        qCWarning(lcMedia) << "pictures larger than" << frame_limits::kMaxPixels
                           << "pixels are not played";
        sendStop();
    }
    check(mpv_hook_continue(mpv_, hook), "continuing hook", "on_preloaded");
}

// Something of the file reaches the user: its picture, or its sound.  mpv
// starts a movie whose sound output could not be opened without sound, and
// one that has nothing but sound it ends with an error right after; that
// one counts as failed, like any file that cannot be played.
bool CMovie::hasOutput()
{
    int picture = 0;
    const bool shown = checkRead(waitedFor("reading", "vo-configured",
                                           [&] {
                                               return mpv_get_property(mpv_, "vo-configured",
                                                                       MPV_FORMAT_FLAG, &picture);
                                           }),
                                 "vo-configured") &&
                       picture;
    if (shown)
        return true;
    char *output = nullptr;
    const bool heard = checkRead(
        waitedFor("reading", "current-ao",
                  [&] { return mpv_get_property(mpv_, "current-ao", MPV_FORMAT_STRING, &output); }),
        "current-ao");
    mpv_free(output);
    if (!heard)
        qCWarning(lcMedia) << request_.path << "has no picture, and its sound cannot be played";
    return heard;
}

void CMovie::handlePropertyChange(const mpv_event &event)
{
    const uint64_t index = event.reply_userdata - kObservedBase;
    if (event.reply_userdata < kObservedBase || index >= std::size(kObserved))
        return;
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    const Observed &observed = kObserved[index];
    const void *value = property->format == observed.format ? property->data : nullptr;
    MediaState next = state_;
    observed.apply(next, value);
    // A seek under way reads as its target, not as where mpv still is.
    if (seekTarget_)
        next.timePos = state_.timePos;
    setState(next);
}

void CMovie::setState(const MediaState &next)
{
    const bool leftEnd = state_.atEnd && !next.atEnd;
    const bool reachedEnd = !state_.atEnd && next.atEnd;
    if (next == state_)
        return;
    const bool newTracks = next.tracks != state_.tracks;
    const bool newChapters = next.chapters != state_.chapters || next.chapter != state_.chapter;
    if (surface_ && next.videoRotation != state_.videoRotation)
        surface_->setTurn(next.videoRotation);
    state_ = next;
    if (leftEnd)
        endTold_ = false;
    emit stateChanged();
    if (newTracks)
        emit tracksChanged();
    if (newChapters)
        emit chaptersChanged();
    notePlaying();
    if (reachedEnd)
        noteEnd();
}

// The end is told from the event loop, after whatever is under way now, and
// only for the movie that is still loaded then.
void CMovie::noteEnd(bool lost)
{
    if (!loaded_ || endTold_ || openStage_ != OpenStage::None)
        return;
    endTold_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, entry = entry_, lost] {
            if (entry == entry_ && (loaded_ || lost))
                emit endReached();
        },
        Qt::QueuedConnection);
}

void CMovie::handleEndFile(const mpv_event &event)
{
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    // A file closed earlier may report its end late, after the next one was
    // asked for.
    if (end->playlist_entry_id != entry_)
        return;
    entryEnded_ = true;
    if (end->reason == MPV_END_FILE_REASON_ERROR)
        qCWarning(lcMedia) << "file ended with an error:" << mpv_error_string(end->error);
    // A playlist under a movie's name: mpv would go on to what it lists.
    if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
        qCWarning(lcMedia) << "file lists other files; they are not played";
        sendStop();
    }
    // The movie prepared to follow would not play.
    if (advance_ != Advance::None) {
        finishAdvance(false);
        return;
    }
    switch (openStage_) {
    case OpenStage::LettingGo:
        startLoading();
        return;
    case OpenStage::Loading:
    case OpenStage::FirstPicture:
        finishOpen(false);
        return;
    case OpenStage::Probing:
    case OpenStage::None:
        break;
    }
    // With keep-open mpv only lets go of a loaded file when told to, when it
    // fails to go on reading it, or when it goes on to the next entry of its
    // playlist: a movie lost while it played has ended.
    if (!loaded_)
        return;
    const bool lost =
        end->reason == MPV_END_FILE_REASON_ERROR || end->reason == MPV_END_FILE_REASON_EOF;
    if (lost && !nextPath_.isEmpty()) {
        startAdvance();
        return;
    }
    seekTarget_.reset();
    state_.atEnd = true;
    noteEnd(lost);
    loaded_ = false;
    state_.loaded = false;
    emit stateChanged();
    notePlaying();
    if (!lost)
        endTold_ = true;
}

void CMovie::readWholeState()
{
    MediaState next = state_;
    for (const Observed &observed : kObserved) {
        if (!observed.readAtOpen)
            continue;
        if (observed.format == MPV_FORMAT_NODE) {
            mpv_node node{};
            const bool read = checkRead(
                waitedFor(
                    "reading", observed.name,
                    [&] { return mpv_get_property(mpv_, observed.name, MPV_FORMAT_NODE, &node); }),
                observed.name);
            observed.apply(next, read ? &node : nullptr);
            if (read)
                mpv_free_node_contents(&node);
            continue;
        }
        // Large enough for a double, an int64 and a flag.
        alignas(8) unsigned char value[8] = {};
        const bool read = checkRead(waitedFor("reading", observed.name,
                                              [&] {
                                                  return mpv_get_property(mpv_, observed.name,
                                                                          observed.format, value);
                                              }),
                                    observed.name);
        observed.apply(next, read ? value : nullptr);
    }
    next.loaded = loaded_;
    setState(next);
}

void CMovie::sendStop()
{
    if (!mpv_)
        return;
    const char *stop[] = {"stop", nullptr};
    commandAsync(mpv_, 0, stop);
}

void CMovie::setBusyCursor(bool on)
{
    if (on == busyCursor_)
        return;
    busyCursor_ = on;
    if (on)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void CMovie::enterStage(OpenStage stage)
{
    openStage_ = stage;
    openTimer_->start(stage == OpenStage::LettingGo ? kLetGoTimeoutMs : kLoadTimeoutMs);
}

void CMovie::onOpenTimeout()
{
    switch (openStage_) {
    case OpenStage::LettingGo:
        qCWarning(lcMedia) << "mpv did not let go of the last file in time; a new player is used";
        stalled_ = true;
        startLoading();
        break;
    case OpenStage::Loading:
    case OpenStage::FirstPicture:
        // Given up on before mpv let go of the file: mpv may be stuck in a
        // read that never returns.
        stalled_ = !entryEnded_;
        qCWarning(lcMedia) << "open of" << request_.path << "failed (no answer in time)";
        finishOpen(false);
        break;
    case OpenStage::Probing:
        break;
    case OpenStage::None:
        // Going on to the prepared movie got no first picture in time.
        if (advance_ != Advance::None) {
            stalled_ = !entryEnded_;
            finishAdvance(false);
        }
        break;
    }
}

// The last file goes first: a player that does not let go of it within a
// moment is stuck on it and is replaced, or the new file would wait too.
void CMovie::letGoOfFile()
{
    if (!mpv_ || entryEnded_ || stalled_) {
        startLoading();
        return;
    }
    sendStop();
    enterStage(OpenStage::LettingGo);
}

void CMovie::startLoading()
{
    openTimer_->stop();
    QElapsedTimer clock;
    clock.start();
    const auto tellIfSlow = qScopeGuard([&clock] {
        if (clock.elapsed() > kSlowCallMs)
            qCInfo(lcMedia) << "starting an open held the window" << clock.elapsed() << "ms";
    });
    if (stalled_)
        releasePlayer();
    // The surface first: setting up its OpenGL needs no player, and the
    // player may still be starting in the background.
    QWidget *screen = request_.screen.data();
    if (screen)
        ensureSurface(screen);
    if (!player() || !attachSurface()) {
        finishOpen(false);
        return;
    }
    // Every file starts paused at pos and at normal speed; MediaPlay starts it.
    setFlag(mpv_, "pause", true);
    setSpeed(1.0);
    setText(mpv_, "start", request_.pos > 0 ? number(request_.pos) : QByteArray("none"));
    setText(mpv_, "vd", request_.filter.toUtf8());

    const QByteArray path = native_path::encode(QDir::current().absoluteFilePath(request_.path));
    const char *load[] = {"loadfile", path.constData(), "replace", nullptr};
    entry_ = -1;
    entryEnded_ = false;
    awaitingStart_ = true;
    endTold_ = false;
    enterStage(OpenStage::Loading);
    if (!commandAsync(mpv_, kLoadReply, load)) {
        awaitingStart_ = false;
        entryEnded_ = true;
        finishOpen(false);
    }
}

void CMovie::finishOpen(bool loaded)
{
    openTimer_->stop();
    openStage_ = OpenStage::None;
    setBusyCursor(false);
    const Request request = std::exchange(request_, Request());
    if (!loaded) {
        qCWarning(lcMedia) << "open of" << request.path << "failed";
        if (!entryEnded_)
            sendStop();
        hideSurface();
        emit opened(request.path, 0);
        return;
    }
    const qint16 result = takeLoadedFile(request.path, request.screen.data());
    emit opened(request.path, result);
    // Opened at or past its end (a resume point beyond a shortened file).
    if (state_.atEnd)
        noteEnd();
}

qint16 CMovie::takeLoadedFile(const QString &path, QWidget *screen)
{
    loaded_ = true;
    filename_ = path;
    endTold_ = false;
    seekTarget_.reset();
    readWholeState();
    // The start was for this file; the movies that follow it start at 0.
    setText(mpv_, "start", "none");

    // The volume belongs to the player, not the file; reading and writing it
    // back settles it on a value the program's unit can express.  Without an
    // audio track both fail and nothing changes.
    qint32 v = 0;
    if (audioVolume(&v)) {
        volume_ = v;
        setAudioVolume(v);
    }

    if (surface_ && screen) {
        surface_->setGeometry(0, 0, screen->width(), screen->height());
        surface_->show();
        surface_->raise();
    }
    MediaPlay(PlayCommand::Play);

    double seconds = 0;
    if (!duration(&seconds))
        return -1;
    const double hundredths = std::floor(seconds * 100.0);
    if (hundredths < 1)
        return 0;
    return hundredths <= 32767 ? static_cast<qint16>(hundredths) : qint16(-1);
}

bool CMovie::isOpening() const
{
    return openStage_ != OpenStage::None;
}

QString CMovie::openingPath() const
{
    return isOpening() ? request_.path : QString();
}

void CMovie::abandonOpen()
{
    if (!isOpening())
        return;
    openTimer_->stop();
    // A file mpv is still reading is let go of; if it does not, the next
    // open finds out and replaces the player.
    if (openStage_ != OpenStage::LettingGo && !entryEnded_)
        sendStop();
    openStage_ = OpenStage::None;
    setBusyCursor(false);
    hideSurface();
    const QString path = std::exchange(request_, Request()).path;
    qCDebug(lcMedia) << "open of" << path << "abandoned";
    emit openAbandoned(path);
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
    surface->setTurn(state_.videoRotation);
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

void CMovie::hideSurface()
{
    if (!surface_)
        return;
    surface_->setCursorHidden(false);
    surface_->hide();
}

void CMovie::MediaOpen(const QString &NewFileNameArgument, const QString &NewFilterName,
                       QWidget *screen, double pos)
{
    // Callers may pass `filename()` itself, which closing clears.
    const QString NewFileName = NewFileNameArgument;
    abandonOpen();
    closeFile();
    notePlaying();
    request_ = Request{NewFileName, NewFilterName, screen, pos};
    setBusyCursor(true);
    // mpv would also play folders and playlists; only a file is a movie.
    // Asked off the window's thread: the file may be on a share that stopped
    // answering.
    openStage_ = OpenStage::Probing;
    const quint64 serial = ++openSerial_;
    file_probe::isFile(NewFileName, this, [this, serial](file_probe::Answer answer) {
        onProbed(serial, answer == file_probe::Answer::File);
    });
}

void CMovie::onProbed(quint64 serial, bool isFile)
{
    if (serial != openSerial_ || openStage_ != OpenStage::Probing)
        return;
    if (!isFile) {
        qCInfo(lcMedia) << request_.path << "is not a file that can be read now";
        finishOpen(false);
        return;
    }
    letGoOfFile();
}

void CMovie::prepareNext(const QString &path, double start)
{
    if (advance_ != Advance::None || (path == nextPath_ && start == nextStart_) || !mpv_)
        return;
    if (!path.isEmpty() && (!isOpen() || isOpening()))
        return;
    forgetNext(true);
    if (path.isEmpty())
        return;
    const QByteArray file = native_path::encode(QDir::current().absoluteFilePath(path));
    if (!appendAsync(mpv_, kAppendReply, file, start))
        return;
    nextPath_ = path;
    nextStart_ = start;
    appendsUnanswered_.append(path);
    qCDebug(lcMedia) << "prepared to follow:" << path;
}

void CMovie::forgetNext(bool tellPlayer)
{
    const bool given = !nextEntries_.isEmpty() || !nextPath_.isEmpty();
    if (tellPlayer && given && mpv_ && !entryEnded_) {
        const char *clear[] = {"playlist-clear", nullptr};
        commandAsync(mpv_, 0, clear);
    }
    nextPath_.clear();
    nextStart_ = 0;
    nextEntries_.clear();
    // Their replies are still to come; the entries they name are stale.
    for (QString &unanswered : appendsUnanswered_)
        unanswered.clear();
}

// The reply to a movie added to follow: its playlist entry, by which its
// start is recognised.
void CMovie::noteAppended(const mpv_event &event)
{
    const QString path = appendsUnanswered_.isEmpty() ? QString() : appendsUnanswered_.takeFirst();
    if (event.error < 0) {
        qCWarning(lcMedia) << "preparing" << path << "failed:" << mpv_error_string(event.error);
        if (!path.isEmpty() && path == nextPath_)
            nextPath_.clear();
        return;
    }
    const mpv_node &result = static_cast<const mpv_event_command *>(event.data)->result;
    if (path.isEmpty() || result.format != MPV_FORMAT_NODE_MAP)
        return;
    const mpv_node_list &fields = *result.u.list;
    for (int i = 0; i < fields.num; ++i)
        if (QByteArray(fields.keys[i]) == "playlist_entry_id" &&
            fields.values[i].format == MPV_FORMAT_INT64)
            nextEntries_.insert(fields.values[i].u.int64, path);
}

// The open movie ended, and mpv goes on to the next entry of its playlist by
// itself: the movie prepared to follow.  The picture stays until the next
// one's first picture replaces it.
void CMovie::startAdvance()
{
    advance_ = Advance::Starting;
    advancingPath_.clear();
    nextPath_.clear();
    nextStart_ = 0;
    seekTarget_.reset();
    // Told to OnOpenTimeout, which gives up on it.
    openTimer_->start(kLoadTimeoutMs);
}

void CMovie::noteAdvanceStart(int64_t entry)
{
    entry_ = entry;
    entryEnded_ = false;
    advancingPath_ = nextEntries_.take(entry);
    advance_ = Advance::FirstPicture;
    // An entry given before a change of mind, which mpv had started already.
    if (advancingPath_.isEmpty()) {
        qCInfo(lcMedia) << "mpv went on to a movie no longer prepared; it is stopped";
        sendStop();
    }
}

void CMovie::finishAdvance(bool shown)
{
    openTimer_->stop();
    advance_ = Advance::None;
    const QString path = std::exchange(advancingPath_, QString());
    if (!shown || path.isEmpty()) {
        qCWarning(lcMedia) << "going on to" << path << "failed";
        closeFile();
        notePlaying();
        emit advanceFailed(path);
        return;
    }
    qCDebug(lcMedia) << "went on to" << path;
    const qint16 result = takeLoadedFile(path, nullptr);
    emit advanced(path, result);
    if (state_.atEnd)
        noteEnd();
}

void CMovie::MediaClose()
{
    abandonOpen();
    closeFile();
    notePlaying();
}

void CMovie::closeFile()
{
    forgetNext(false);
    if (advance_ != Advance::None) {
        openTimer_->stop();
        advance_ = Advance::None;
        advancingPath_.clear();
    }
    if (!loaded_ && filename_.isEmpty())
        return;
    if (!entryEnded_)
        sendStop();
    loaded_ = false;
    seekTarget_.reset();
    hideSurface();
    filename_.clear();
    inCommand_ = false;
    MediaState closed;
    closed.volume = state_.volume;
    closed.speed = state_.speed;
    setState(closed);
}

void CMovie::MediaClear()
{
    MediaClose();
}

void CMovie::MediaPlay(PlayCommand command)
{
    if (!isOpen() || command < PlayCommand::Play || command > PlayCommand::Stop)
        return;
    const bool wasInCommand = inCommand_;
    inCommand_ = true;
    MediaState next = state_;
    switch (command) {
    case PlayCommand::Play:
        setFlag(mpv_, "pause", false);
        next.paused = false;
        break;
    case PlayCommand::Pause:
        setFlag(mpv_, "pause", true);
        next.paused = true;
        break;
    case PlayCommand::Stop:
        // Stopping keeps the file loaded: pause on its first frame.
        setFlag(mpv_, "pause", true);
        next.paused = true;
        seekTo(0);
        break;
    }
    playState_ = PlayState(int(command));
    inCommand_ = wasInCommand;
    setState(next);
    notePlaying();
}

bool CMovie::isPlaying() const
{
    return isOpen() && !state_.paused && !state_.atEnd;
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
    MediaState next = state_;
    next.speed = rate;
    setState(next);
}

// The choice shows in track-list once mpv has made it.
void CMovie::setAudioTrack(int id)
{
    if (!isOpen() || id <= 0)
        return;
    setText(mpv_, "aid", QByteArray::number(id));
}

void CMovie::setSubtitleTrack(int id)
{
    if (!isOpen())
        return;
    setText(mpv_, "sid", id > 0 ? QByteArray::number(id) : QByteArrayLiteral("no"));
}

void CMovie::SetWindowSize(qint16 w, qint16 h)
{
    width_ = w;
    height_ = h;
    if (surface_)
        surface_->setGeometry(0, 0, w, h);
}

void CMovie::SetWindowPosition(int left, int top, int w, int h)
{
    if (surface_)
        surface_->setGeometry(left, top, w, h);
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
    // Not waited for: mpv's core may be busy for a while (taking a file
    // down); the position reads as the target until mpv gets there.
    if (!commandAsync(mpv_, kSeekReply, seek))
        return;
    seekTarget_ = target;
    MediaState next = state_;
    next.timePos = target;
    setState(next);
    emit seeked(target);
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
    if (state_.atEnd && state_.hasDuration) {
        *seconds = state_.duration;
        return true;
    }
    if (!state_.hasTimePos)
        return false;
    *seconds = state_.timePos;
    return true;
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
    if (!isOpen() || !state_.hasDuration)
        return false;
    *seconds = state_.duration;
    return true;
}

bool CMovie::rate(double *value) const
{
    if (!isOpen())
        return false;
    *value = state_.speed;
    return true;
}

bool CMovie::audioVolume(qint32 *value) const
{
    if (!isOpen() || !state_.hasAudio())
        return false;
    *value = audio_gain::hundredthsDbFromMpvVolume(state_.volume);
    return true;
}

bool CMovie::setAudioVolume(qint32 value)
{
    if (!isOpen() || !state_.hasAudio())
        return false;
    // Asked without waiting, like the other properties: mpv carries requests
    // out in order, and the state already holds the value asked for.
    const double percent = audio_gain::mpvVolumeFromHundredthsDb(value);
    setDouble(mpv_, "volume", percent);
    MediaState next = state_;
    next.volume = percent;
    setState(next);
    return true;
}

int CMovie::sourceWidth() const
{
    return isOpen() ? state_.shownWidth() : 0;
}

int CMovie::sourceHeight() const
{
    return isOpen() ? state_.shownHeight() : 0;
}

QWidget *CMovie::videoWidget() const
{
    return surface_.data();
}
