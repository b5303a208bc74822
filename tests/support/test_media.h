#pragma once

#include <QString>

class QImage;
class QWidget;

class CMovie;
class QWidget;

// Movie clips for the tests, made with the ffmpeg command on first use and kept
// in the build tree (SAZANAMI_TEST_MEDIA_DIR), so no media is committed.
namespace test_media
{

// The full path of a clip, generated if it does not exist yet; "" when ffmpeg
// failed.  Known names:
//   clip.mpg, clip.mpeg, clip.avi, clip.wmv, clip.asf, clip.mov
//                3 s, 320x240 at 25 fps, with a 440 Hz tone
//   clip.mp4, clip.mkv (H.264 and AAC), clip.webm (VP9 and Opus)
//                the same in the other containers of today
//   tracks.mkv   clip.mkv with two sound tracks: 440 Hz "jpn" titled "Main",
//                880 Hz "eng" titled "Commentary"
//   chapters.mkv, chapters.mp4
//                12 s of test picture, no sound, in three chapters: "Opening"
//                at 0, "Middle" at 4 s, "End" at 8 s
//   noaudio.avi  the same picture without sound
//   magenta.avi  3 s of solid magenta, 320x240, no sound
//   fadein.avi   2 s of black, then 2 s of test picture, no sound
//   play60.avi   60 s, 160x120 at 25 fps, no sound
//   long3.avi    exactly 180 s, 64x48 at one frame a second, no sound
//   long10.avi   600 s, 64x48 at one frame a second, no sound
//   notmovie.avi a text file with a movie's name
//   longheader.avi, shortheader.avi
//                noaudio.avi with headers that claim 1000 s and 0.4 s
//   resize.mpg   an MPEG-2 stream whose pictures go from 3840x2160 to 16x16
//   rotated.mov  clip.mov filmed upright: stored 320x240, shown 240x320
//   rotated.png  its first picture as ffmpeg shows it, upright
//   turnedframes.avi, turnedframes.mp4, turnedframes.ts
//                clip.mov whose first frame asks to be turned a quarter (a
//                display-orientation message), in a container that knows
//                nothing of it
//   turnedsecond.mov two picture tracks: clip.mov's first, rotated.mov's
//                second and chosen to play
//   oddsize.mov  3 s of 241x181 test picture (4:4:4), no sound
//   turnedodd.mov oddsize.mov stored on its side, shown 181x241
//   audioonly.wmv 3 s of tone, no picture
//   hugeframes.avi a few kB of PNG pictures that claim to be 16000x16000
//   hugeheader.avi the same, its header claiming that size as well
QString clip(const QString &name);

// How far apart two pictures of the same size are: the mean difference of
// their grey levels, 0..255.
double pictureDistance(const QImage &a, const QImage &b);
// The picture as the screen shows it over video (the movie's surface or an
// area holding it).  OpenGL draws into a native window of its own, which a
// grab of the widgets does not see; under X the screen is read instead.
QImage shownPicture(QWidget *video);
// Whether the movie's picture in area (its surface or a widget holding it)
// is drawn with OpenGL.
bool drawsWithOpenGL(QWidget *area);
// How far the picture movie shows now is from rotated.png, the upright
// first picture of rotated.mov; negative when that picture is not 240x320.
double distanceFromUpright(CMovie &movie);
// The same once movie is stopped, back on its first picture; negative when
// no picture was drawn.
double distanceFromUprightAtStart(CMovie &movie);

// The folder of the generated clips.
QString mediaDir();

// Asks the session to open path and waits for the result it sends; -2 when
// none came.
qint16 openAndWait(CMovie &movie, const QString &path, QWidget *screen, double pos = 0);

} // namespace test_media
