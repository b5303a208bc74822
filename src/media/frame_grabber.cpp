#include "media/frame_grabber.h"

#include "base/folder_file.h"
#include "base/native_path.h"
#include "base/path.h"
#include "media/frame_limits.h"
#include "media/media_log.h"

#include <QBuffer>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace
{

// How far into a movie a new thumbnail looks for a picture that is not
// black, and how often on the way it looks.
constexpr double DarkOpeningSeconds = 5.0;
constexpr double DarkCheckInterval = 0.5;

// The longest a grab may take.  A thumbnail normally takes well under a
// second; a file built to keep the demuxer busy must not hold one of the
// few grab threads, and with it every later thumbnail, for ever.
constexpr std::chrono::seconds GrabTimeLimit(20);

// The demuxers a grab may use: those that read their own file and nothing
// else, for every type the program counts as a movie.  Playlists, concat
// lists, HLS and DASH manifests and image sequences name other files and
// are left out, whatever a file's content makes FFmpeg guess.
constexpr const char *MovieDemuxers =
    "avi,mpeg,mpegts,mpegvideo,m4v,h264,hevc,asf,mov,matroska,flv,ogg,rm,dv";

constexpr int InputBufferSize = 64 * 1024;

// What every decoder of a grab is opened with, also those that
// avformat_find_stream_info() opens to look at the streams.
AVDictionary *decoderOptions()
{
    AVDictionary *options = nullptr;
    av_dict_set_int(&options, "max_pixels", frame_limits::kMaxPixels, 0);
    return options;
}

struct FormatCloser {
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct ScalerFreer {
    void operator()(SwsContext *s) const { sws_freeContext(s); }
};

using Format = std::unique_ptr<AVFormatContext, FormatCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;

// A picture counts as dark when nearly all of it is close to black: a title
// in small white letters on black still counts as dark, a night scene with
// anything lit in it does not.
bool isAlmostUniformlyDark(const QImage &image)
{
    const qsizetype pixels = qsizetype(image.width()) * image.height();
    if (pixels == 0)
        return true;
    qsizetype bright = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) > 40)
                ++bright;
        }
    }
    return bright * 50 < pixels; // under 2 %
}

// MP4 (QuickTime) and Matroska (WebM) files carry in their header all that
// decoding their pictures needs: codec, size and the codec's set-up.  Asked
// to look further, FFmpeg would first decode several frames of every stream
// (H.264 most of all, to learn its frame reordering), which took two thirds
// of a grab.  Other files, and one whose header leaves a picture stream
// undescribed, are looked at in full.
bool describesItsStreams(const AVFormatContext &format)
{
    const QByteArray name(format.iformat->name);
    if (!name.startsWith("mov,mp4") && !name.startsWith("matroska"))
        return false;
    bool video = false;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVCodecParameters &codec = *format.streams[i]->codecpar;
        if (codec.codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        if (codec.codec_id == AV_CODEC_ID_NONE || codec.width <= 0 || codec.height <= 0)
            return false;
        video = true;
    }
    return video;
}

// The movie file read through a descriptor of our own, so that the demuxer
// sees this one file and no name it could resolve to another: nested opens
// (a playlist's entries, a concat list's files) are refused, and every read
// after the deadline fails.
class MovieInput
{
public:
    MovieInput() : deadline_(std::chrono::steady_clock::now() + GrabTimeLimit) {}
    ~MovieInput();
    MovieInput(const MovieInput &) = delete;
    MovieInput &operator=(const MovieInput &) = delete;

    // Opens the regular file at path, never a link, a pipe or a device (a
    // pipe would block the read for ever).
    bool open(const QString &path);
    AVIOContext *context() const { return context_; }
    bool expired() const { return std::chrono::steady_clock::now() >= deadline_; }

    // For AVFormatContext: refuses every file but the one opened here.
    static int refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *url, int,
                                AVDictionary **);
    static int interrupt(void *input) { return static_cast<MovieInput *>(input)->expired(); }

private:
    static int read(void *input, uint8_t *buffer, int size);
    static int64_t seek(void *input, int64_t offset, int whence);

    int fd_ = -1;
    AVIOContext *context_ = nullptr;
    std::chrono::steady_clock::time_point deadline_;
};

MovieInput::~MovieInput()
{
    if (context_)
        av_freep(&context_->buffer);
    avio_context_free(&context_);
    if (fd_ >= 0)
        ::close(fd_);
}

bool MovieInput::open(const QString &path)
{
    // A device is not even opened: opening some does something of its own
    // (a tape rewinds).
    if (!native_path::isFile(path))
        return false;
    // Non-blocking, so that a pipe put under the name meanwhile cannot make
    // the open wait for a writer; what was opened must be a regular file.
    fd_ = ::open(native_path::encode(path).constData(),
                 O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0)
        return false;
    auto *buffer = static_cast<unsigned char *>(av_malloc(InputBufferSize));
    if (!buffer)
        return false;
    context_ = avio_alloc_context(buffer, InputBufferSize, 0, this, &MovieInput::read, nullptr,
                                  &MovieInput::seek);
    if (!context_)
        av_free(buffer);
    return context_ != nullptr;
}

int MovieInput::read(void *input, uint8_t *buffer, int size)
{
    auto *self = static_cast<MovieInput *>(input);
    if (self->expired())
        return AVERROR_EXIT;
    for (;;) {
        const ssize_t n = ::read(self->fd_, buffer, size_t(size));
        if (n > 0)
            return int(n);
        if (n == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t MovieInput::seek(void *input, int64_t offset, int whence)
{
    auto *self = static_cast<MovieInput *>(input);
    if (whence == AVSEEK_SIZE) {
        struct stat info;
        return ::fstat(self->fd_, &info) == 0 ? int64_t(info.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(self->fd_, off_t(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

int MovieInput::refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *url, int,
                                 AVDictionary **)
{
    qCInfo(lcMedia) << "a grab does not open" << url << "named inside a movie";
    return AVERROR(EPERM);
}

// One movie opened for decoding its video stream.
class VideoDecoder
{
public:
    bool open(const QString &path);
    // The grab's time ran out: what it decoded is not to be trusted to be the
    // frame asked for.
    bool timedOut() const { return input_.expired(); }
    // Positions the decoder so that the next frames are those at or after
    // `seconds`.
    void seekTo(double seconds);
    // The next decoded frame, or null at the end or on an error.
    AVFrame *nextFrame();
    // The frame's time in seconds from the start of the movie.
    double secondsOf(const AVFrame *frame) const;
    QImage scaled(const AVFrame *frame, QSize size);

private:
    // Declared first: the demuxer reads through it up to its end.
    MovieInput input_;
    Format format_;
    Codec codec_;
    Packet packet_{av_packet_alloc()};
    Frame frame_{av_frame_alloc()};
    std::unique_ptr<SwsContext, ScalerFreer> scaler_;
    int stream_ = -1;
    bool drained_ = false;
};

bool VideoDecoder::open(const QString &path)
{
    if (!packet_ || !frame_ || !input_.open(path))
        return false;
    AVFormatContext *raw = avformat_alloc_context();
    if (!raw)
        return false;
    raw->pb = input_.context();
    raw->io_open = &MovieInput::refuseNestedOpen;
    raw->interrupt_callback = {&MovieInput::interrupt, &input_};
    AVDictionary *formatOptions = nullptr;
    av_dict_set(&formatOptions, "format_whitelist", MovieDemuxers, 0);
    // The name only helps the guess of the type; nothing is opened by it.
    // On failure avformat_open_input() frees the context itself.
    const int opened =
        avformat_open_input(&raw, native_path::encode(path).constData(), nullptr, &formatOptions);
    av_dict_free(&formatOptions);
    if (opened < 0)
        return false;
    format_.reset(raw);
    if (!describesItsStreams(*format_)) {
        std::vector<AVDictionary *> perStream(format_->nb_streams);
        for (AVDictionary *&options : perStream)
            options = decoderOptions();
        const int found = avformat_find_stream_info(format_.get(), perStream.data());
        for (AVDictionary *&options : perStream)
            av_dict_free(&options);
        if (found < 0)
            return false;
    }
    const AVCodec *decoder = nullptr;
    stream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder)
        return false;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (int(i) != stream_)
            format_->streams[i]->discard = AVDISCARD_ALL;
    }
    codec_.reset(avcodec_alloc_context3(decoder));
    if (!codec_ ||
        avcodec_parameters_to_context(codec_.get(), format_->streams[stream_]->codecpar) < 0)
        return false;
    // Thumbnails are grabbed several at a time on their own threads; one
    // decoding thread each keeps them from competing.
    codec_->thread_count = 1;
    AVDictionary *options = decoderOptions();
    const int result = avcodec_open2(codec_.get(), decoder, &options);
    av_dict_free(&options);
    return result >= 0;
}

void VideoDecoder::seekTo(double seconds)
{
    if (seconds <= 0)
        return;
    const AVStream *stream = format_->streams[stream_];
    const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    const int64_t target = start + int64_t(seconds / av_q2d(stream->time_base));
    if (av_seek_frame(format_.get(), stream_, target, AVSEEK_FLAG_BACKWARD) >= 0)
        avcodec_flush_buffers(codec_.get());
}

AVFrame *VideoDecoder::nextFrame()
{
    for (;;) {
        if (timedOut())
            return nullptr;
        const int received = avcodec_receive_frame(codec_.get(), frame_.get());
        if (received >= 0)
            return frame_.get();
        if (received != AVERROR(EAGAIN) || drained_)
            return nullptr;
        const int read = av_read_frame(format_.get(), packet_.get());
        if (read < 0) {
            // The end of the file: let the decoder give up what it holds.
            drained_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            continue;
        }
        if (packet_->stream_index == stream_)
            avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
    }
}

double VideoDecoder::secondsOf(const AVFrame *frame) const
{
    const AVStream *stream = format_->streams[stream_];
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE)
        return 0;
    const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    return double(frame->best_effort_timestamp - start) * av_q2d(stream->time_base);
}

QImage VideoDecoder::scaled(const AVFrame *frame, QSize size)
{
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height,
                                       AVPixelFormat(frame->format), size.width(), size.height(),
                                       AV_PIX_FMT_BGRA, SWS_AREA, nullptr, nullptr, nullptr));
    if (!scaler_)
        return {};
    // BGRA in memory is Qt's RGB32 on a little-endian machine.
    QImage image(size, QImage::Format_RGB32);
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) !=
        size.height())
        return {};
    return image;
}

// The first frame at or after `seconds`, or the last one before the end
// when the movie is shorter.
QImage frameAt(VideoDecoder &decoder, double seconds, QSize size)
{
    decoder.seekTo(seconds);
    QImage last;
    while (AVFrame *frame = decoder.nextFrame()) {
        // Frame times are rounded; a frame within 20 ms of the target is it.
        if (decoder.secondsOf(frame) + 0.02 >= seconds)
            return decoder.scaled(frame, size);
        last = decoder.scaled(frame, size);
    }
    return last;
}

// The first frame the decoder gives after a seek to the key frame at or
// before the time.
QImage keyFrameBefore(VideoDecoder &decoder, double seconds, QSize size)
{
    decoder.seekTo(seconds);
    AVFrame *frame = decoder.nextFrame();
    return frame ? decoder.scaled(frame, size) : QImage();
}

// The first frame, unless it is dark: then the first frame within the
// opening seconds that is not, checked every half second.  A movie dark
// all through its opening keeps its first frame.
QImage firstLitFrame(VideoDecoder &decoder, QSize size)
{
    QImage first;
    double nextCheck = 0;
    while (AVFrame *frame = decoder.nextFrame()) {
        const double at = decoder.secondsOf(frame);
        if (!first.isNull() && at < nextCheck)
            continue;
        if (at > DarkOpeningSeconds)
            break;
        QImage image = decoder.scaled(frame, size);
        if (!isAlmostUniformlyDark(image))
            return image;
        if (first.isNull())
            first = image;
        nextCheck = at + DarkCheckInterval;
    }
    return first;
}

} // namespace

QImage FrameGrabber::grab(const QString &moviePath, double seconds, QSize size, Start start)
{
    if (size.isEmpty() || !std::isfinite(seconds))
        return {};
    VideoDecoder decoder;
    if (!decoder.open(moviePath)) {
        qCDebug(lcMedia) << "no picture to grab in" << moviePath;
        return {};
    }
    QImage image = start == Start::SkipDarkOpening && seconds <= 0 ? firstLitFrame(decoder, size)
                   : start == Start::KeyFrameBefore
                       ? keyFrameBefore(decoder, std::max(seconds, 0.0), size)
                       : frameAt(decoder, std::max(seconds, 0.0), size);
    if (decoder.timedOut()) {
        qCInfo(lcMedia) << "gave up grabbing a picture of" << moviePath << "after"
                        << GrabTimeLimit.count() << "seconds";
        return {};
    }
    return image;
}

QByteArray FrameGrabber::bitmap(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "BMP"))
        return {};
    return bytes;
}

bool FrameGrabber::writeBitmap(const QString &moviePath, double seconds, QSize size,
                               const QString &target, Start start)
{
    const QString folderPath = path::getfiledir(target);
    folder_file::Folder folder;
    if (folder.open(folderPath) != folder_file::Result::Written)
        return false;
    const QByteArray bytes = bitmap(grab(moviePath, seconds, size, start));
    if (bytes.isEmpty())
        return false;
    if (folder.write(target.mid(folderPath.size() + 1), bytes) == folder_file::Result::Written)
        return true;
    qCInfo(lcMedia) << "cannot write the thumbnail" << target;
    return false;
}
