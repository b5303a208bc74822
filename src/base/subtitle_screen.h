#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Which subtitle files beside a movie are shown with it.  A subtitle file is
// drawn by libass, on the window's thread, for every frame, and libass knows
// no limit: a few hundred bytes asking for letters a thousand times the
// picture's height took gigabytes, and a file of 200,000 lines shown at
// once took minutes a frame.  Such files are left out.
namespace subtitle_screen
{

// Larger subtitle files are not read at all.
inline constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
// More lines than this on screen at one moment are refused.
inline constexpr int kMaxLinesAtOnce = 200;
// A letter may be this many times as high (or wide) as the picture.
inline constexpr double kMaxLetterToPicture = 1.5;
// The letters shown at one moment may take this much room, in pictures: a
// letter as high as the picture takes one, a letter half as high a quarter.
inline constexpr double kMaxLetterRoom = 4.0;
// Blurring beyond this radius or count of passes is refused.
inline constexpr double kMaxBlur = 20.0;

// What keeps text, a subtitle file's contents, from being shown; "" when
// nothing does.
QString refusal(const QByteArray &text);

// The subtitle files among names (a folder's file names) that belong to
// the movie named movieName: its name without the extension, optionally a
// language (".en", ".jpn", ".pt-BR"), and a subtitle extension (srt, ass,
// ssa, vtt, sub).
QStringList besideFiles(const QString &movieName, const QStringList &names);

// The subtitle files beside the movie at moviePath that may be shown, as
// full paths.  Reads the folder and the files: call it off the window's
// thread.
QStringList safeFilesBeside(const QString &moviePath);

} // namespace subtitle_screen
