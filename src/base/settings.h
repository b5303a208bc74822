#pragma once

#include <QObject>
#include <array>

struct ConfigValues;

// The user's options, kept in config.ini's [option] and [other] sections:
// the one place the program learns them from.  The options page and the
// menu show and edit them; every part that acts on one reads it here.
//
// Each option is an int; the on/off ones are 0 or 1.  A change of value
// emits `changed` with the option; setting the value an option has already
// emits nothing, so a control that shows an option and writes it back when
// shown never goes round in a loop.
class Settings : public QObject
{
    Q_OBJECT
public:
    enum Option {
        Resume,        // resume the last movie at start
        AutoAdjust,    // the fit rule: 0 fit the window to the movie, 1 keep
                       // the aspect ratio, 2 fill the video area; other
                       // values (from a hand-edited file) choose none
        NoTaskBar,     // minimised into the tray only
        AutoListHide,  // the list opens with the pointer at the video's edge
        HidePopup,     // despite its name: on shows the balloon help
        SeekTop,       // show the first frame of a file selected
        OriginalSize,  // play at the movie's own size
        Temae,         // always on top
        UpperClip,     // the masks over the top and bottom edges of the video
        UnderClip,     //   (percent of the picture's height, 0 none)
        ImagePathRoot, // thumbnail pictures in a folder beside the movie
        Soutai,        // store paths in relative form
        MoreFormats,   // mp4, mkv, webm and the other types count as movies
        ResumeEach,    // each movie resumes where it was left
        SeekPreview,   // a picture of the movie over the seek bars
        OptionCount
    };
    Q_ENUM(Option)

    explicit Settings(QObject *parent = nullptr);

    int value(Option option) const { return values_[option]; }
    void set(Option option, int value);
    void set(Option option, bool on) { set(option, int(on)); }

    bool resume() const { return isOn(Resume); }
    int fitRule() const { return value(AutoAdjust); }
    bool fitsWindowToMovie() const { return fitRule() == 0; }
    bool keepsAspect() const { return fitRule() == 1; }
    bool stretchesPicture() const { return fitRule() == 2; }
    bool noTaskBar() const { return isOn(NoTaskBar); }
    bool autoListHide() const { return isOn(AutoListHide); }
    bool balloonHelp() const { return isOn(HidePopup); }
    bool seekTop() const { return isOn(SeekTop); }
    bool originalSize() const { return isOn(OriginalSize); }
    bool alwaysOnTop() const { return isOn(Temae); }
    int upperClip() const { return value(UpperClip); }
    int underClip() const { return value(UnderClip); }
    bool imageBesideMovie() const { return isOn(ImagePathRoot); }
    bool relativePaths() const { return isOn(Soutai); }
    bool moreFormats() const { return isOn(MoreFormats); }
    bool resumeEach() const { return isOn(ResumeEach); }
    bool seekPreview() const { return isOn(SeekPreview); }

    // From the values read from config.ini, and back into the values to be
    // written.  A fit rule outside 0-2 is written as 2, the rule the window
    // follows when none is chosen.
    void readFrom(const ConfigValues &values);
    void writeTo(ConfigValues &values) const;

signals:
    void changed(Settings::Option option);

private:
    bool isOn(Option option) const { return values_[option] != 0; }

    // Every option off but the seek preview, the fit rule 0: what a file
    // without these keys reads as.
    std::array<int, OptionCount> values_{};
};
