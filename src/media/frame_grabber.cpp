#include "media/frame_grabber.h"

#include "base/folder_file.h"
#include "base/native_path.h"
#include "media/frame_limits.h"
#include "media/media_log.h"

#include "base/state_file.h"

#include <QBuffer>
#include <cmath>
#include <memory>
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

// One movie opened for decoding its video stream.
class VideoDecoder
{
public:
    bool open(const QString &path);
    // Positions the decoder so that the next frames are those at or after
    // `seconds`.
    void seekTo(double seconds);
    // The next decoded frame, or null at the end or on an error.
    AVFrame *nextFrame();
    // The frame's time in seconds from the start of the movie.
    double secondsOf(const AVFrame *frame) const;
    QImage scaled(const AVFrame *frame, QSize size);

private:
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
    if (!packet_ || !frame_)
        return false;
    AVFormatContext *raw = nullptr;
    // Local files only: a playlist or a stream description saved under a
    // movie's name must not make the grab reach out to the network.
    AVDictionary *formatOptions = nullptr;
    av_dict_set(&formatOptions, "protocol_whitelist", "file", 0);
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
    // Only plain files: a named pipe or a device would never end the read.
    if (size.isEmpty() || !std::isfinite(seconds) || !native_path::isFile(moviePath))
        return {};
    VideoDecoder decoder;
    if (!decoder.open(moviePath)) {
        qCDebug(lcMedia) << "no picture to grab in" << moviePath;
        return {};
    }
    if (start == Start::SkipDarkOpening && seconds <= 0)
        return firstLitFrame(decoder, size);
    return frameAt(decoder, std::max(seconds, 0.0), size);
}

bool FrameGrabber::writeBitmap(const QString &moviePath, double seconds, QSize size,
                               const QString &target, Start start)
{
    const QImage image = grab(moviePath, seconds, size, start);
    if (image.isNull())
        return false;
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "BMP"))
        return false;
    // The image folder may lie beside the movie, in a folder others can
    // write: never through a link planted there.
    if (folder_file::writePath(target, bitmap, state_file::newFileMode(target)) ==
        folder_file::Result::Written)
        return true;
    qCInfo(lcMedia) << "cannot write the thumbnail" << target;
    return false;
}
