#include "test_media.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUuid>

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
    if (name == "noaudio.avi")
        return {"-f",   "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3",
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
    if (name == "play60.avi")
        return {"-f",   "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=60",
                "-c:v", "mpeg4", "-f", "avi"};
    if (name == "long3.avi")
        return longClip(180);
    if (name == "long10.avi")
        return longClip(600);
    return {};
}

// Writes to a name of its own and renames, so that two test programs making
// the same clip at once never see half a file.
bool generate(const QString &name, const QString &target)
{
    const QString temp =
        QString("%1.%2.part").arg(target, QUuid::createUuid().toString(QUuid::Id128));
    if (name == "notmovie.avi") {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("This is a note, not a movie.\nIt only has a movie's name.\n");
        file.close();
    } else {
        const QStringList body = recipe(name);
        if (body.isEmpty())
            return false;
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     QStringList{"-v", "error", "-nostdin", "-y"} + body + QStringList{temp});
        if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
            ffmpeg.exitCode() != 0) {
            QFile::remove(temp);
            return false;
        }
    }
    // rename() refuses to replace: if another process won, keep its file.
    if (!QFile::rename(temp, target))
        QFile::remove(temp);
    return QFileInfo::exists(target);
}

} // namespace

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
