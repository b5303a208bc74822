#include "test_media.h"

#include "media/cmovie.h"
#include "media/video_surface.h"

#include <QSignalSpy>

#include "test_files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStringList>
#include <QTest>
#include <QUuid>
#include <QWidget>
#include <QtEndian>

namespace test_media
{

namespace
{

// Three seconds of test picture with a tone.  The lengths of picture and
// sound are tuned per container so that every clip's duration reads 3.00 s
// (MPEG and ASF count a little beyond the last frame).
QStringList shortClip(const QString &video, const QString &audio, const QStringList &codec)
{
    return QStringList{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=" + video,
                       "-f", "lavfi", "-i", "sine=frequency=440:" + audio} +
           codec;
}

QStringList shortClip(const QStringList &codec)
{
    return shortClip("3", "duration=3", codec);
}

QStringList longClip(int seconds)
{
    return {"-f",   "lavfi", "-i", QString("testsrc=size=64x48:rate=1:duration=%1").arg(seconds),
            "-c:v", "mpeg4", "-f", "avi"};
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The ffmpeg arguments between the global options and the output file.
QStringList recipe(const QString &name)
{
    if (name == "clip.mpg" || name == "clip.mpeg")
        return shortClip("2.96", "duration=3", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"});
    if (name == "clip.avi")
        return shortClip({"-c:v", "mpeg4", "-c:a", "pcm_s16le", "-f", "avi"});
    if (name == "clip.wmv" || name == "clip.asf")
        return shortClip("3", "duration=2.9:sample_rate=48000",
                         {"-c:v", "wmv2", "-c:a", "wmav2", "-f", "asf", "-shortest"});
    if (name == "clip.mov")
        return shortClip({"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a",
                          "aac", "-f", "mov"});
    if (name == "clip.mp4")
        return shortClip({"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a",
                          "aac", "-f", "mp4"});
    if (name == "clip.mkv")
        return shortClip({"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a",
                          "aac", "-f", "matroska"});
    if (name == "clip.webm")
        return shortClip({"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-c:a",
                          "libopus", "-f", "webm"});
    if (name == "tracks.mkv")
        return {"-f",
                "lavfi",
                "-i",
                "testsrc=size=320x240:rate=25:duration=3",
                "-f",
                "lavfi",
                "-i",
                "sine=frequency=440:duration=3",
                "-f",
                "lavfi",
                "-i",
                "sine=frequency=880:duration=3",
                "-map",
                "0:v",
                "-map",
                "1:a",
                "-map",
                "2:a",
                "-metadata:s:a:0",
                "language=jpn",
                "-metadata:s:a:0",
                "title=Main",
                "-metadata:s:a:1",
                "language=eng",
                "-metadata:s:a:1",
                "title=Commentary",
                "-c:v",
                "libx264",
                "-preset",
                "ultrafast",
                "-pix_fmt",
                "yuv420p",
                "-c:a",
                "aac",
                "-f",
                "matroska"};
    if (name == "noaudio.avi")
        return {"-f",   "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3",
                "-c:v", "mpeg4", "-f", "avi"};
    if (name == "magenta.avi")
        return {"-f",   "lavfi", "-i", "color=c=0xFF00FF:s=320x240:r=25:d=3",
                "-c:v", "mpeg4", "-f", "avi"};
    if (name == "fadein.avi")
        return {"-f",
                "lavfi",
                "-i",
                "color=c=black:s=320x240:r=25:d=2[a];testsrc=s=320x240:r=25:d=2[b];"
                "[a][b]concat=n=2[out0]",
                "-c:v",
                "mpeg4",
                "-f",
                "avi"};
    // Dark all through the opening seconds a new thumbnail looks at, and
    // large: its grab takes a while.
    if (name == "darkopening.avi")
        return {"-f", "lavfi", "-i", "color=c=black:s=1920x1080:r=50:d=6", "-c:v", "mpeg4", "-g",
                "1",  "-f",    "avi"};
    if (name == "play60.avi")
        return {"-f",   "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=60",
                "-c:v", "mpeg4", "-f", "avi"};
    if (name == "audioonly.wmv")
        return {"-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-c:a", "wmav2", "-f", "asf"};
    if (name == "oddsize.mov")
        return {"-f",
                "lavfi",
                "-i",
                "testsrc=size=241x181:rate=25:duration=3",
                "-c:v",
                "libx264",
                "-preset",
                "ultrafast",
                "-pix_fmt",
                "yuv444p",
                "-metadata:s:v:0",
                "rotate=90",
                "-f",
                "mov"};
    if (name == "long3.avi")
        return longClip(180);
    if (name == "long10.avi")
        return longClip(600);
    return {};
}

bool runFfmpeg(const QStringList &body, const QString &output)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 QStringList{"-v", "error", "-nostdin", "-y"} + body + QStringList{output});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
           ffmpeg.exitCode() == 0;
}

// Two MPEG-2 program streams one after the other, as a cut-together file has
// them: a few 4K frames, then a second of 16x16 ones.
bool makeResizingStream(const QString &output)
{
    const QString big = output + ".big";
    const QString small = output + ".small";
    const auto part = [](const QString &size, const QString &duration) {
        return QStringList{
            "-f",   "lavfi",
            "-i",   QString("testsrc=size=%1:rate=25:duration=%2").arg(size, duration),
            "-c:v", "mpeg2video",
            "-f",   "mpeg"};
    };
    const bool made =
        runFfmpeg(part("3840x2160", "0.2"), big) && runFfmpeg(part("16x16", "1"), small);
    const QByteArray joined = test_files::readFile(big) + test_files::readFile(small);
    QFile::remove(big);
    QFile::remove(small);
    return made && writeBytes(output, joined);
}

// noaudio.avi whose headers claim `frames` frames instead of its 75: the main
// header, the stream header and the OpenDML header all say so.
bool makeLyingAvi(quint32 frames, const QString &output)
{
    QByteArray avi = test_files::readFile(clip("noaudio.avi"));
    const auto put = [&avi](qsizetype at, quint32 value) {
        if (at < 0 || at + 4 > avi.size())
            return false;
        qToLittleEndian(value, avi.data() + at);
        return true;
    };
    // Offsets inside the chunks as the AVI format lays them out: avih's
    // dwTotalFrames, strh's dwLength, dmlh's dwTotalFrames.
    const qsizetype strh = avi.indexOf("strh");
    const qsizetype dmlh = avi.indexOf("dmlh");
    return avi.startsWith("RIFF") && strh > 0 && dmlh > 0 && put(48, frames) &&
           put(strh + 40, frames) && put(dmlh + 8, frames) && writeBytes(output, avi);
}

// A movie (clip.mov) as a phone stores one filmed upright: its pictures with
// the instruction to turn them a quarter.  Newer ffmpeg takes the turn as an
// input option; older ones keep the rotate tag of the stream.
bool makeRotatedMovie(const QString &source, const QString &output)
{
    const QString movie = clip(source);
    return !movie.isEmpty() &&
           (runFfmpeg({"-display_rotation:v:0", "90", "-i", movie, "-c", "copy", "-f", "mov"},
                      output) ||
            runFfmpeg({"-i", movie, "-c", "copy", "-metadata:s:v:0", "rotate=90", "-f", "mov"},
                      output));
}

// clip.mov whose pictures carry the turn themselves (a display-orientation
// message in every frame), in a container that knows nothing of it.
bool makeTurnedFrames(const QString &format, const QString &output)
{
    const QString movie = clip("clip.mov");
    return !movie.isEmpty() &&
           runFfmpeg({"-i", movie, "-c", "copy", "-bsf:v",
                      "h264_metadata=display_orientation=insert:rotate=90", "-f", format},
                     output);
}

// Two picture tracks: clip.mov's upright one first, rotated.mov's turned one
// second and marked as the one to play.
bool makeTurnedSecondTrack(const QString &output)
{
    const QString upright = clip("clip.mov");
    const QString turned = clip("rotated.mov");
    return !upright.isEmpty() && !turned.isEmpty() &&
           runFfmpeg({"-i", upright, "-i", turned, "-map", "0:v", "-map", "1:v", "-map", "0:a",
                      "-c", "copy", "-disposition:v:0", "0", "-disposition:v:1", "default", "-f",
                      "mov"},
                     output);
}

// The first picture of rotated.mov the way ffmpeg itself shows it, turned.
bool makeUprightPicture(const QString &output)
{
    const QString movie = clip("rotated.mov");
    return !movie.isEmpty() &&
           runFfmpeg({"-i", movie, "-frames:v", "1", "-c:v", "png", "-f", "image2pipe"}, output);
}

// The standard CRC of PNG chunks (and zlib's).
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A few kilobytes of AVI holding PNG pictures whose headers say 16000x16000:
// a decoder believes them and sets aside (and clears) 768 MB a frame.
bool makeHugeFrames(const QString &output)
{
    const QString small = output + ".small";
    const bool made = runFfmpeg({"-f", "lavfi", "-i", "color=black:s=16x16:r=25:d=1", "-c:v", "png",
                                 "-pix_fmt", "rgb24", "-f", "avi"},
                                small);
    QByteArray avi = test_files::readFile(small);
    QFile::remove(small);
    int headers = 0;
    for (qsizetype at = avi.indexOf("IHDR"); made && at >= 0 && at + 21 <= avi.size();
         at = avi.indexOf("IHDR", at + 4), ++headers) {
        qToBigEndian(quint32(16000), avi.data() + at + 4);
        qToBigEndian(quint32(16000), avi.data() + at + 8);
        qToBigEndian(crc32(avi.mid(at, 17)), avi.data() + at + 17);
    }
    return headers > 0 && writeBytes(output, avi);
}

// hugeframes.avi whose picture format in its own header says 16000x16000
// as well: biWidth and biHeight of the stream's BITMAPINFOHEADER.
bool makeHugeHeader(const QString &output)
{
    QByteArray avi = test_files::readFile(clip("hugeframes.avi"));
    const qsizetype strf = avi.indexOf("strf");
    if (strf < 0 || strf + 20 > avi.size())
        return false;
    qToLittleEndian(quint32(16000), avi.data() + strf + 12);
    qToLittleEndian(quint32(16000), avi.data() + strf + 16);
    return writeBytes(output, avi);
}

// 12 s of test picture in three chapters, "Opening" at 0, "Middle" at 4 s and
// "End" at 8 s, read from an ffmetadata file.
bool makeChapters(const QString &format, const QString &output)
{
    const QString metadata = output + ".chapters";
    QByteArray text = ";FFMETADATA1\n";
    const char *const titles[] = {"Opening", "Middle", "End"};
    for (int i = 0; i < 3; ++i)
        text += QString("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                    .arg(i * 4000)
                    .arg((i + 1) * 4000)
                    .arg(titles[i])
                    .toUtf8();
    const bool made =
        writeBytes(metadata, text) && runFfmpeg({"-f",
                                                 "lavfi",
                                                 "-i",
                                                 "testsrc=size=320x240:rate=25:duration=12",
                                                 "-i",
                                                 metadata,
                                                 "-map_metadata",
                                                 "1",
                                                 "-map_chapters",
                                                 "1",
                                                 "-c:v",
                                                 "libx264",
                                                 "-preset",
                                                 "ultrafast",
                                                 "-pix_fmt",
                                                 "yuv420p",
                                                 "-g",
                                                 "25",
                                                 "-f",
                                                 format},
                                                output);
    QFile::remove(metadata);
    return made;
}

bool make(const QString &name, const QString &output)
{
    if (name == "chapters.mkv" || name == "chapters.mp4")
        return makeChapters(name.endsWith(".mkv") ? "matroska" : "mp4", output);
    if (name == "rotated.mov")
        return makeRotatedMovie("clip.mov", output);
    if (name == "turnedodd.mov")
        return makeRotatedMovie("oddsize.mov", output);
    if (name == "rotated.png")
        return makeUprightPicture(output);
    if (name == "hugeframes.avi")
        return makeHugeFrames(output);
    if (name == "hugeheader.avi")
        return makeHugeHeader(output);
    if (name == "turnedframes.avi" || name == "turnedframes.mp4" || name == "turnedframes.ts")
        return makeTurnedFrames(name == "turnedframes.ts" ? "mpegts" : QFileInfo(name).suffix(),
                                output);
    if (name == "turnedsecond.mov")
        return makeTurnedSecondTrack(output);
    if (name == "notmovie.avi")
        return writeBytes(output, "This is a note, not a movie.\nIt only has a movie's name.\n");
    if (name == "resize.mpg")
        return makeResizingStream(output);
    if (name == "longheader.avi")
        return makeLyingAvi(25000, output);
    if (name == "shortheader.avi")
        return makeLyingAvi(10, output);
    const QStringList body = recipe(name);
    return !body.isEmpty() && runFfmpeg(body, output);
}

// Writes to a name of its own and renames, so that two test programs making
// the same clip at once never see half a file.
bool generate(const QString &name, const QString &target)
{
    const QString temp =
        QString("%1.%2.part").arg(target, QUuid::createUuid().toString(QUuid::Id128));
    if (!make(name, temp)) {
        QFile::remove(temp);
        return false;
    }
    // rename() refuses to replace: if another process won, keep its file.
    if (!QFile::rename(temp, target))
        QFile::remove(temp);
    return QFileInfo::exists(target);
}

} // namespace

QImage shownPicture(QWidget *video)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !video->screen())
        return video->grab().toImage();
    const QPoint at = video->mapTo(video->window(), QPoint());
    return video->screen()
        ->grabWindow(video->window()->winId(), at.x(), at.y(), video->width(), video->height())
        .toImage();
}

bool drawsWithOpenGL(QWidget *area)
{
    auto *surface = qobject_cast<VideoSurface *>(area);
    if (!surface)
        surface = area->findChild<VideoSurface *>();
    return surface && surface->backend() == VideoSurface::Backend::OpenGL && surface->canDraw();
}

double distanceFromUpright(CMovie &movie)
{
    const QImage upright(clip("rotated.png"));
    if (upright.size() != QSize(240, 320))
        return -1;
    return pictureDistance(shownPicture(movie.videoWidget()).convertToFormat(QImage::Format_RGB32),
                           upright);
}

double distanceFromUprightAtStart(CMovie &movie)
{
    QSignalSpy frames(&movie, &CMovie::frameShown);
    movie.MediaPlay(PlayCommand::Stop);
    if (!frames.wait(5000))
        return -1;
    // The picture settles on the first frame after the seek.
    QTest::qWait(100);
    return distanceFromUpright(movie);
}

double pictureDistance(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return double(sum) / (qint64(a.width()) * a.height());
}

QString mediaDir()
{
    return QStringLiteral(SAZANAMI_TEST_MEDIA_DIR);
}

QString clip(const QString &name)
{
    // Clips live in a folder named after their recipe, so a changed recipe
    // never meets a clip made by the old one.
    const QByteArray key = QCryptographicHash::hash(recipe(name).join(' ').toUtf8() + name.toUtf8(),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(10);
    const QString folder = mediaDir() + "/" + QString::fromLatin1(key);
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(name);
    if (QFileInfo::exists(target) || generate(name, target))
        return target;
    return QString();
}

} // namespace test_media

qint16 test_media::openAndWait(CMovie &movie, const QString &path, QWidget *screen, double pos)
{
    QSignalSpy results(&movie, &CMovie::opened);
    movie.MediaOpen(path, "", screen, pos);
    if (results.isEmpty() && !results.wait(15000))
        return -2;
    return results.first().at(1).value<qint16>();
}
