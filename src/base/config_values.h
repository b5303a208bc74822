#pragma once

#include "base/private_profile.h"

#include <QString>
#include <variant>

// The settings kept in config.ini, one field per key, in the file's order.
//
// Sections and keys, in the order they are written:
//   [directory] LastDir ImageDir homeDir
//   [Position]  Left Top Width Height ListWidth
//   [volume]    volume waveout
//   [option]    Resume AutoAdjust NoTaskBar AutoListHide HidePopup SeekTop
//               MoreFormats ResumeEach (only once turned on: see write)
//               SeekPreview (only once turned off)
//   [other]     WindowState PlayMode SmallMode ListMode ListVisible PlaySpeed
//               OriginalSize Temae upper_clip under_clip image_path_root soutai
//
// Values are text: booleans "1" or "0" (any non-zero number reads as true),
// integers in plain decimal.  A missing key reads as "" or 0.
//
// Out-of-range values read as follows, so that a damaged or hand-edited file
// never puts the window into a state it cannot show:
// - Window geometry and ListWidth are twips and stay ints: they are not cut
//   to 16 bits, so a window right of 32767 twips does not wrap to a negative
//   position.  The window code fits them onto the screen.
// - volume is clamped to 0-100.
// - PlayMode outside 0-3 becomes 1 (continuous, the first-run mode).
// - PlaySpeed outside -1..3 becomes 2 (normal speed); -1 (no speed) stays.
// - ListMode outside 1-4 becomes 1 (the file page); a missing ListMode too.
// - WindowState outside 0-2 becomes 0 (normal).
// - AutoAdjust outside 0-2 stays as read and sets none of the three buttons.
// - waveout, upper_clip and under_clip stay as read; their sliders clamp them
//   into their ranges.
// Numbers beyond the range of int saturate (see PrivateProfile::readInt).
struct ConfigValues {
    // [directory]
    QString lastDir;  // the file browser's folder; empty: the current folder
    QString imageDir; // last folder used for thumbnail pictures
    QString homeDir;  // kept only to be written back

    // [Position], in twips
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int listWidth = 0;

    // [volume]
    int volume = 0;  // movie volume 0-100
    int waveout = 0; // the system output volume bar

    // [option]
    bool resume = false;
    int autoAdjust = 0; // 0 fit the window, 1 keep the aspect, 2 fill the window
    bool noTaskBar = false;
    bool autoListHide = false;
    bool hidePopup = false; // despite its name: true shows the balloon help
    bool seekTop = false;
    bool moreFormats = false; // mp4, mkv, webm and the others count as movies
    bool resumeEach = false;  // each movie resumes where it was left
    bool seekPreview = true;  // a picture of the movie over the seek bars

    // [other]
    int windowState = 0; // 0 normal, 1 minimised, 2 maximised
    int playMode = 0;    // 0 normal, 1 continuous, 2 loop, 3 random
    bool smallMode = false;
    int listMode = 1; // side panel page 1-4: files, favourites, search, options
    bool listVisible = false;
    int playSpeed = 0; // -1 none, 0 2.0x, 1 1.5x, 2 1.0x, 3 0.5x
    bool originalSize = false;
    bool temae = false; // always on top
    int upperClip = 0;  // masks over the top and bottom edges of the video
    int underClip = 0;
    bool imagePathRoot = false;
    bool soutai = false; // store paths in relative form

    // A default ConfigValues is what a file without any key reads as.
    bool operator==(const ConfigValues &other) const = default;

    static ConfigValues read(const PrivateProfile &profile);

    // Writes every key in the order above.  Keys already in the profile keep
    // their place, so writing into the loaded file keeps the user's own lines.
    // MoreFormats and ResumeEach are left out while off and SeekPreview while
    // on, unless the profile has them, so a file is written as it always was
    // until an option is first changed.
    void write(PrivateProfile &profile) const;

    // The values of a first run, when there is no config.ini: movie volume
    // 100, small mode off, always on top, ImageDir and homeDir the program
    // folder, continuous play, normal speed, the file page, the list shown.
    // The rest are the window's designed state: every option off except the
    // balloon help (it helps a newcomer), AutoAdjust 0, no masks, a normal
    // window.  lastDir is empty (the browser starts in the current folder).
    // The geometry fields are 0 and waveout is 0: not values to apply - a
    // first run keeps the window's designed size and place and leaves the
    // system volume alone.
    static ConfigValues firstRun(const QString &programFolder);

    // One field, of whichever type.
    using Member = std::variant<QString ConfigValues::*, int ConfigValues::*, bool ConfigValues::*>;

private:
    // The field holds what a file without its key reads as.
    bool isDefault(const Member &member) const;
};
