#include "panels/window_options.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(name);
    return widget;
}

QFrame *addPage(QFrame *config, const char *name, int position)
{
    auto *page = named(new QFrame(config), name);
    if (auto *layout = qobject_cast<QBoxLayout *>(config->layout()))
        layout->insertWidget(position, page);
    return page;
}

QSlider *maskSlider(const char *name, QWidget *parent)
{
    auto *slider = named(new QSlider(Qt::Horizontal, parent), name);
    // Percent of the picture's height; more than half would cover it twice.
    slider->setRange(0, 50);
    return slider;
}

} // namespace

WindowOptions::WindowOptions(QFrame *config, QObject *parent) : QObject(parent)
{
    buildBasicPage(config);
    buildClipPage(config);
}

void WindowOptions::buildBasicPage(QFrame *config)
{
    Frame_basic = addPage(config, "Frame_basic", 0);
    auto *column = new QVBoxLayout(Frame_basic);
    column->setContentsMargins(2, 2, 2, 2);
    const auto check = [this, column](const char *name, const char *caption) {
        auto *box = named(new QCheckBox(QString::fromUtf8(caption), Frame_basic), name);
        column->addWidget(box);
        return box;
    };
    Check_imagedirchange =
        check("Check_imagedirchange", "imageディレクトリをファイルのあるディレクトリの下に作る");
    Check_soutai = check("Check_soutai", "セーブ時に相対ディレクトリを使用（.\\と..\\まで）");
    column->addWidget(new QLabel(
        QString::fromUtf8("（ただし、セーブ先をカレントディレクトリとする）"), Frame_basic));
    Check_SeekTop = check("Check_SeekTop", "ファイルを選択したら先頭フレームを表示する");
    Check_show_popup = check("Check_show_popup", "バブルアップヘルプを表示する（次回起動時から）");
    Check_auto_hide = check("Check_auto_hide", "カーソルの位置から、リストの自動表示・非表示");
    Check_original = check("Check_original", "再生時は常にオリジナルサイズ");
    Check_temae = check("Check_temae", "常に手前に表示");
    Check_noTaskbar =
        check("Check_noTaskbar", "最小化時にタスクバーにいれない（タスクトレイのみ）");
    check_resume = check("check_resume", "再生情報の復元（リジューム再生）");
    Check_more_formats = check("Check_more_formats", "mp4・mkv・webm などの形式も扱う");
    Check_resume_each = check("Check_resume_each", "動画ごとに続きから再生する");
    Check_seek_preview = check("Check_seek_preview", "シークバーにプレビューを表示する");
    column->addWidget(new QLabel(QString::fromUtf8("WaveOutのボリューム音量設定"), Frame_basic));
    vol_control = named(new QScrollBar(Qt::Horizontal, Frame_basic), "vol_control");
    vol_control->setRange(-32768, 32767);
    vol_control->setSingleStep(655);
    vol_control->setPageStep(3277);
    column->addWidget(vol_control);
    column->addStretch(1);
}

void WindowOptions::buildClipPage(QFrame *config)
{
    Frame_clip = addPage(config, "Frame_clip", 1);
    auto *column = new QVBoxLayout(Frame_clip);
    column->setContentsMargins(2, 2, 2, 2);

    auto *clipping = new QGroupBox(QString::fromUtf8("クリッピング"), Frame_clip);
    auto *rows = new QFormLayout(clipping);
    Scroll_upper = maskSlider("Scroll_upper", clipping);
    scroll_under = maskSlider("scroll_under", clipping);
    rows->addRow(QString::fromUtf8("上"), Scroll_upper);
    rows->addRow(QString::fromUtf8("下"), scroll_under);
    column->addWidget(clipping);

    auto *ratio = new QGroupBox(QString::fromUtf8("再生比率"), Frame_clip);
    auto *choices = new QVBoxLayout(ratio);
    const auto option = [ratio, choices](const char *name, const char *caption) {
        auto *button = named(new QRadioButton(QString::fromUtf8(caption), ratio), name);
        choices->addWidget(button);
        return button;
    };
    use_fullWindow = option("use_fullWindow", "再生画面いっぱいに表示");
    Keep_Aspect = option("Keep_Aspect", "アスペクト比を保持して拡大");
    check_auto_adjust = option("check_auto_adjust", "リサイズ時にウィンドウサイズを自動で最適化");
    column->addWidget(ratio);
    column->addStretch(1);
}

void WindowOptions::setFitRule(int rule)
{
    QRadioButton *const buttons[] = {check_auto_adjust, Keep_Aspect, use_fullWindow};
    if (rule >= 0 && rule <= 2) {
        buttons[rule]->setChecked(true);
        return;
    }
    // None of the three: a radio button cannot be unchecked while exclusive.
    for (QRadioButton *button : buttons) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}
