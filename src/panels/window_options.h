#pragma once

#include <QObject>

class QCheckBox;
class QFrame;
class QRadioButton;
class QScrollBar;
class QSlider;

// The options of the window: the basic page `Frame_basic` with every check
// box of the program's options and the system volume bar `vol_control`; the clip page `Frame_clip`
// with the two edge masks and the three fit rules.  They are put at the top of the options frame
// `config`.
class WindowOptions : public QObject
{
    Q_OBJECT
public:
    explicit WindowOptions(QFrame *config, QObject *parent = nullptr);

    // Checks the button of a fit rule as config.ini keeps it: 0 fit the
    // window to the movie, 1 keep the aspect ratio, 2 fill the video area;
    // any other value checks none of the three.
    void setFitRule(int rule);

    QFrame *Frame_basic = nullptr;
    QCheckBox *Check_imagedirchange = nullptr;
    QCheckBox *Check_soutai = nullptr;
    QCheckBox *Check_SeekTop = nullptr;
    QCheckBox *Check_show_popup = nullptr;
    QCheckBox *Check_auto_hide = nullptr;
    QCheckBox *Check_original = nullptr;
    QCheckBox *Check_temae = nullptr;
    QCheckBox *Check_noTaskbar = nullptr;
    QCheckBox *check_resume = nullptr;
    QCheckBox *Check_more_formats = nullptr;
    QCheckBox *Check_resume_each = nullptr;
    QCheckBox *Check_seek_preview = nullptr;
    QScrollBar *vol_control = nullptr;

    QFrame *Frame_clip = nullptr;
    QSlider *Scroll_upper = nullptr;
    QSlider *scroll_under = nullptr;
    QRadioButton *use_fullWindow = nullptr;
    QRadioButton *Keep_Aspect = nullptr;
    QRadioButton *check_auto_adjust = nullptr;

private:
    void buildBasicPage(QFrame *config);
    void buildClipPage(QFrame *config);
};
