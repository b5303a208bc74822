#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Still pictures of movies for the favourites' thumbnails, decoded in
// process with FFmpeg.  No FFmpeg header is seen outside this library.
class FrameGrabber
{
public:
    // Where to take the picture from: the frame at the time asked for, or,
    // for a new thumbnail at the start of a movie, the first frame within
    // the opening seconds that is not almost uniformly dark (many movies
    // fade in from black).
    // KeyFrameBefore: the frame the decoder can start from at or before the
    // time, quick to get and close enough for a picture over the seek bar.
    enum class Start { Exact, SkipDarkOpening, KeyFrameBefore };

    // The frame shown at `seconds`, scaled to `size`; a null image on any
    // failure.  Only the regular file at moviePath itself is read: not
    // through a symbolic link in its last part, and never a file that a
    // playlist, a concat list or a stream description under a movie's name
    // points to.  A grab that takes too long fails.  Safe from any thread:
    // every call has its own demuxer and decoder.
    static QImage grab(const QString &moviePath, double seconds, QSize size,
                       Start start = Start::Exact);
    // The image as the bytes of a BMP file; empty on failure.
    static QByteArray bitmap(const QImage &image);
    // grab(), then writes it as a BMP file at `target` (replaced whole,
    // never half-written, never through a link, readable by the user only)
    // into the folder as it was before the decoding began.  False on any
    // failure; then nothing is written.
    static bool writeBitmap(const QString &moviePath, double seconds, QSize size,
                            const QString &target, Start start = Start::Exact);
};
