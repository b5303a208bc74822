#include "window/main_window.h"

#include "window/button_images.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace
{

// Design sizes of the fixed parts, in pixels.
constexpr int kMinimumListWidth = 100;
constexpr int kSplitterWidth = 4;
constexpr int kControlHeight = 58;
constexpr int kSeekRowHeight = 24;
constexpr int kTimeWidth = 120;
constexpr int kVolWidth = 110;
constexpr int kRightPanelWidth = 28;

const char *const kButtonKeys[] = {"play",  "stop", "pre",   "next",    "size",
                                   "speed", "mode", "temae", "capture", "fullscreen"};

QString buttonImageFor(const QString &key)
{
    // The speed, mode and capture buttons show their state; these are the
    // pictures they start with.
    if (key == "speed")
        return "bai10";
    if (key == "mode")
        return "rennzoku";
    if (key == "capture")
        return "capture_mask";
    return key;
}

QSlider *makeVolumeBar(const char *name, QWidget *parent)
{
    auto *bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(100);
    bar->setFocusPolicy(Qt::NoFocus);
    return bar;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("player");
    setWindowTitle("Sazanami");
    setWindowIcon(button_images::image("play"));

    auto *central = new QWidget(this);
    central->setObjectName("central");
    setCentralWidget(central);

    display_ = new VideoArea(central);
    buildControlPanel(central);

    kyoukai_ = new QFrame(central);
    kyoukai_->setObjectName("kyoukai");
    kyoukai_->setFrameShape(QFrame::VLine);
    kyoukai_->setCursor(Qt::SizeHorCursor);

    list_ = new QFrame(central);
    list_->setObjectName("list");

    buildDirectoryFrame(central);
    buildFullscreenBar(central);

    resize(640 + kSplitterWidth + listWidth_, 480 + kControlHeight);
}

void MainWindow::buildControlPanel(QWidget *central)
{
    control_ = new QFrame(central);
    control_->setObjectName("control");

    seekBar_ = new SeekBar(control_);
    seekBar_->setObjectName("SeekBar");

    sel_ = new QWidget(control_);
    sel_->setObjectName("sel");
    sel_->hide();

    time_ = new QFrame(control_);
    time_->setObjectName("time");
    auto *timeRow = new QHBoxLayout(time_);
    timeRow->setContentsMargins(0, 0, 0, 0);
    timeRow->setSpacing(0);
    lblMedia4_ = new QLabel(" 00:00 ", time_);
    lblMedia4_->setObjectName("lblMedia_4");
    auto *slash = new QLabel("/", time_);
    slash->setObjectName("lblMedia_2");
    lblMedia3_ = new QLabel("00:00", time_);
    lblMedia3_->setObjectName("lblMedia_3");
    timeRow->addStretch(1);
    timeRow->addWidget(lblMedia4_);
    timeRow->addWidget(slash);
    timeRow->addWidget(lblMedia3_);
    timeRow->addStretch(1);

    panel_ = new QToolBar(control_);
    panel_->setObjectName("panel");
    panel_->setIconSize(QSize(20, 20));
    panel_->setFocusPolicy(Qt::NoFocus);
    buildToolbar();

    vol_ = makeVolumeBar("vol", control_);

    rightPanel_ = new QFrame(control_);
    rightPanel_->setObjectName("right_panel");
    btList_ = new QToolButton(rightPanel_);
    btList_->setObjectName("BtList");
    btList_->setArrowType(Qt::LeftArrow);
    btList_->setAutoRaise(true);
    btList_->setFocusPolicy(Qt::NoFocus);
    btList_->setGeometry(0, 0, kRightPanelWidth, kControlHeight - kSeekRowHeight);
}

void MainWindow::buildToolbar()
{
    const QHash<QString, QString> tips = {
        {"play", QString::fromUtf8("再生・一次停止")},
        {"stop", QString::fromUtf8("停止")},
        {"pre", QString::fromUtf8("前の動画")},
        {"next", QString::fromUtf8("次の動画")},
        {"size", QString::fromUtf8("サイズ")},
        {"speed", QString::fromUtf8("再生速度")},
        {"mode", QString::fromUtf8("再生モード")},
        {"temae", QString::fromUtf8("常に手前に表示")},
        {"capture", QString::fromUtf8("キャプチャ")},
        {"fullscreen", QString::fromUtf8("フルスクリーン")},
    };
    for (const char *key : kButtonKeys) {
        auto *action =
            panel_->addAction(button_images::image(buttonImageFor(key)), tips.value(key));
        // Toolbar buttons are found by "panel_" + their key; the bare names
        // belong to the menus.
        action->setObjectName(QString("panel_") + key);
        action->setData(QString(key));
    }
}

void MainWindow::buildFullscreenBar(QWidget *central)
{
    fullscreenControl_ = new QFrame(central);
    fullscreenControl_->setObjectName("fullscreen_control");
    auto *row = new QHBoxLayout(fullscreenControl_);
    seekBarForFullscreen_ = new SeekBar(fullscreenControl_);
    seekBarForFullscreen_->setObjectName("SeekBarForFullscreen");
    timeForFullscreen_ = new QLabel(" 00:00 ", fullscreenControl_);
    timeForFullscreen_->setObjectName("time_forFullscreen");
    volForFullscreen_ = makeVolumeBar("volForFullscreen", fullscreenControl_);
    row->addWidget(seekBarForFullscreen_, 1);
    row->addWidget(timeForFullscreen_);
    row->addWidget(volForFullscreen_);
    fullscreenControl_->hide();
}

void MainWindow::buildDirectoryFrame(QWidget *central)
{
    directory_ = new QFrame(central);
    directory_->setObjectName("directory");
    directory_->setAutoFillBackground(true);
    auto *column = new QVBoxLayout(directory_);
    column->setContentsMargins(0, 0, 0, 0);
    auto *drives = new QComboBox(directory_);
    drives->setObjectName("Drive1");
    auto *folders = new QListWidget(directory_);
    folders->setObjectName("Dir1");
    column->addWidget(drives);
    column->addWidget(folders, 1);
    directory_->hide();
}

QAction *MainWindow::button(const QString &key) const
{
    return panel_->findChild<QAction *>("panel_" + key, Qt::FindDirectChildrenOnly);
}

QLabel *MainWindow::lblMedia(int index) const
{
    switch (index) {
    case 3:
        return lblMedia3_;
    case 4:
        return lblMedia4_;
    default:
        return nullptr;
    }
}

void MainWindow::layoutControls()
{
    const int w = centralWidget()->width();
    const int h = centralWidget()->height();
    const bool listShown = !list_->isHidden();
    // A width from an old or damaged settings file must leave room for both
    // the list and the video; the width asked for comes back when the window
    // is wide enough again (a settings file's width is set before the
    // window's own size).
    listWidth_ =
        std::clamp(wantedListWidth_, kMinimumListWidth, qMax(kMinimumListWidth, width() - 200));
    const int sideWidth = listShown ? listWidth_ + kSplitterWidth : 0;
    const int videoWidth = qMax(10, w - sideWidth);
    const int videoHeight = qMax(10, h - kControlHeight);

    display_->setGeometry(0, 0, videoWidth, videoHeight);
    directory_->setGeometry(0, 0, videoWidth, videoHeight);
    control_->setGeometry(0, videoHeight, videoWidth, kControlHeight);
    kyoukai_->setGeometry(videoWidth, 0, kSplitterWidth, h);
    list_->setGeometry(videoWidth + kSplitterWidth, 0, listWidth_, h);

    const int seekWidth = qMax(100, videoWidth - kTimeWidth);
    seekBar_->setGeometry(0, 0, seekWidth, kSeekRowHeight);
    time_->setGeometry(videoWidth - kTimeWidth, 0, kTimeWidth, kSeekRowHeight);
    const int rowHeight = kControlHeight - kSeekRowHeight;
    panel_->setGeometry(0, kSeekRowHeight, qMax(10, videoWidth - kVolWidth - kRightPanelWidth),
                        rowHeight);
    vol_->setGeometry(videoWidth - kVolWidth - kRightPanelWidth, kSeekRowHeight, kVolWidth,
                      rowHeight);
    rightPanel_->setGeometry(videoWidth - kRightPanelWidth, kSeekRowHeight, kRightPanelWidth,
                             rowHeight);
    fullscreenControl_->setGeometry(0, qMax(0, h - kSeekRowHeight - 8), w, kSeekRowHeight + 8);
}

void MainWindow::setListWidth(int pixels)
{
    wantedListWidth_ = pixels;
    layoutControls();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutControls();
    emit resized();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Shut-down runs once, however many times the window is asked to close.
    if (!closed_) {
        closed_ = true;
        emit closing();
    }
    event->accept();
}
