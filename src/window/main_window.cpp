#include "window/main_window.h"

#include "base/window_geometry.h"
#include "window/button_images.h"
#include "window/seek_bar.h"
#include "window/video_area.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace
{

// Design sizes of the fixed parts, in pixels.
constexpr int kMinimumListWidth = 100;
constexpr int kSplitterWidth = 4;
constexpr int kControlHeight = 58;
constexpr int kSeekRowHeight = 24;
constexpr int kTimeWidth = 120;
constexpr int kVolWidth = 110;
// Where the video is narrow the volume bar gives way to the toolbar, down to
// this width.
constexpr int kNarrowVolWidth = 50;
constexpr int kRightPanelWidth = 28;
constexpr int kLeastSeekWidth = 100;

const char *const kButtonKeys[] = {"play",  "stop", "pre",   "next",    "size",
                                   "speed", "mode", "temae", "capture", "fullscreen"};
static_assert(std::size(kButtonKeys) == std::size_t(MainWindow::Button::Fullscreen) + 1);

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

QFrame *makeMask(const char *name, QWidget *parent)
{
    auto *mask = new QFrame(parent);
    mask->setObjectName(name);
    mask->setAutoFillBackground(true);
    QPalette pal = mask->palette();
    pal.setColor(QPalette::Window, Qt::black);
    mask->setPalette(pal);
    mask->hide();
    return mask;
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
    kyoukai_->installEventFilter(this);

    list_ = new QFrame(central);
    list_->setObjectName("list");
    buildSizeBar();

    clipUpper_ = makeMask("clip_upper", display_);
    clipUnder_ = makeMask("clip_under", display_);

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
    connect(btList_, &QToolButton::clicked, this, &MainWindow::BtList_Click);
}

void MainWindow::buildSizeBar()
{
    sizeBar_ = new QFrame(list_);
    sizeBar_->setObjectName("size_bar");
    auto *row = new QHBoxLayout(sizeBar_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const std::pair<const char *, int> buttons[] = {{"add", 1}, {"sub", -1}};
    for (const auto &[key, direction] : buttons) {
        auto *action = new QAction(direction > 0 ? "+" : "-", sizeBar_);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this,
                [this, direction = direction] { changeListWidth(direction); });
        auto *button = new QToolButton(sizeBar_);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(18, 18);
        row->addWidget(button);
    }
    sizeBar_->setFixedSize(36, 18);
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
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const char *key = kButtonKeys[i];
        auto *action =
            panel_->addAction(button_images::image(buttonImageFor(key)), tips.value(key));
        // Toolbar buttons are named "panel_" + their key; the bare names
        // belong to the menus.
        action->setObjectName(QString("panel_") + key);
        action->setData(QString(key));
        buttons_[i] = action;
    }
}

void MainWindow::buildFullscreenBar(QWidget *central)
{
    fullscreenControl_ = new QFrame(central);
    fullscreenControl_->setObjectName("fullscreen_control");
    auto *row = new QHBoxLayout(fullscreenControl_);
    // The transport buttons of the toolbar, which is hidden in full screen.
    for (const Button which : {Button::Play, Button::Stop, Button::Pre, Button::Next}) {
        auto *tool = new QToolButton(fullscreenControl_);
        tool->setObjectName(QString("fullscreen_") + kButtonKeys[std::size_t(which)]);
        tool->setDefaultAction(button(which));
        tool->setAutoRaise(true);
        tool->setFocusPolicy(Qt::NoFocus);
        tool->setIconSize(QSize(20, 20));
        row->addWidget(tool);
        fullscreenButtons_.append(tool);
    }
    seekBarForFullscreen_ = new SeekBar(fullscreenControl_);
    seekBarForFullscreen_->setObjectName("SeekBarForFullscreen");
    timeForFullscreen_ = new QLabel(" 00:00 ", fullscreenControl_);
    timeForFullscreen_->setObjectName("time_forFullscreen");
    volForFullscreen_ = makeVolumeBar("volForFullscreen", fullscreenControl_);
    row->addWidget(seekBarForFullscreen_, 1);
    row->addWidget(timeForFullscreen_);
    row->addWidget(volForFullscreen_);
    row->setContentsMargins(4, 4, 4, 4);
    // The controls keep the window's own background over the picture; the
    // mask leaves the picture showing between them.
    fullscreenControl_->setAutoFillBackground(true);
    fullscreenControl_->hide();
}

void MainWindow::buildDirectoryFrame(QWidget *central)
{
    directory_ = new QFrame(central);
    directory_->setObjectName("directory");
    directory_->setAutoFillBackground(true);
    auto *column = new QVBoxLayout(directory_);
    column->setContentsMargins(0, 0, 0, 0);
    drives_ = new QComboBox(directory_);
    drives_->setObjectName("Drive1");
    folders_ = new QListWidget(directory_);
    folders_->setObjectName("Dir1");
    column->addWidget(drives_);
    column->addWidget(folders_, 1);
    directory_->hide();
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

void MainWindow::setMetrics(const ScreenMetrics &metrics)
{
    metrics_ = metrics;
}

int MainWindow::pixelsX(int twips) const
{
    return int(std::lround(double(twips) / qMax(1, metrics_.TwipsPerPixelX)));
}

int MainWindow::pixelsY(int twips) const
{
    return int(std::lround(double(twips) / qMax(1, metrics_.TwipsPerPixelY)));
}

int MainWindow::minimumVideo() const
{
    return qMax(pixelsX(window_geometry::kMinimumVideoTwips),
                pixelsY(window_geometry::kMinimumVideoTwips));
}

int MainWindow::sideWidth() const
{
    return listWidth_ + kSplitterWidth;
}

int MainWindow::controlHeight() const
{
    return kControlHeight;
}

void MainWindow::layout_window()
{
    if (layoutSuspended)
        return;
    // The central widget fills the window, but is resized only once the
    // window shows; the window's own size holds before that.
    const QSize inner = size();
    // The full-screen controls come over the video at the top.
    fullscreenControl_->setGeometry(0, 0, inner.width(), fullscreenControl_->sizeHint().height());
    maskFullscreenControl();
    fullscreenControl_->raise();
    if (fullScreenLayout_ || smallLayout_) {
        // The video fills the window.
        display_->setGeometry(QRect(QPoint(0, 0), inner));
        if (!oldSizeReport_)
            emit laidOut();
        return;
    }
    if (isMinimized())
        return;
    btList_->setEnabled(windowState() == Qt::WindowNoState);

    // A width from an old or damaged settings file must leave room for both
    // the list and the video; the width asked for comes back when the window
    // is wide enough again (a settings file's width is set before the
    // window's own size).
    updateListWidth();
    const int side = listOpen() ? sideWidth() : 0;
    const window_geometry::VideoRoom room =
        window_geometry::videoRoom(inner, side, kControlHeight, minimumVideo());
    if (room.inner != inner && !oldSizeReport_)
        resize(room.inner);

    const int h = room.inner.height();
    display_->setGeometry(0, 0, room.video.width(), room.video.height());
    directory_->setGeometry(0, 0, room.video.width(), room.video.height());
    control_->setGeometry(0, room.video.height(), room.video.width(), kControlHeight);
    placeControlPanel(room.video.width());
    kyoukai_->setVisible(side > 0);
    kyoukai_->setGeometry(room.video.width(), 0, kSplitterWidth, h);
    list_->setGeometry(room.video.width() + kSplitterWidth, 0, listWidth_, h);
    placeSizeBar();
    if (!oldSizeReport_)
        emit laidOut();
}

// A closed list keeps its width for when it opens.
void MainWindow::updateListWidth()
{
    const int widest = width() - kSplitterWidth - minimumVideo();
    listWidth_ = listOpen() ? std::clamp(wantedListWidth_, kMinimumListWidth,
                                         qMax(kMinimumListWidth, widest))
                            : qMax(kMinimumListWidth, wantedListWidth_);
}

int MainWindow::leastVideoWidth() const
{
    return qMax(minimumVideo(), pixelsX(window_geometry::kNarrowestControlsTwips));
}

void MainWindow::placeControlPanel(int videoWidth)
{
    const int seekWidth = qMax(kLeastSeekWidth, videoWidth - kTimeWidth);
    seekBar_->setGeometry(0, 0, seekWidth, kSeekRowHeight);
    time_->setGeometry(videoWidth - kTimeWidth, 0, kTimeWidth, kSeekRowHeight);
    const int rowHeight = kControlHeight - kSeekRowHeight;
    // The toolbar folds the buttons it has no room for into its extension
    // menu; the volume bar narrows first.
    const int volWidth = std::clamp(videoWidth - kRightPanelWidth - panel_->sizeHint().width(),
                                    kNarrowVolWidth, kVolWidth);
    panel_->setGeometry(0, kSeekRowHeight, qMax(10, videoWidth - volWidth - kRightPanelWidth),
                        rowHeight);
    vol_->setGeometry(videoWidth - volWidth - kRightPanelWidth, kSeekRowHeight, volWidth,
                      rowHeight);
    rightPanel_->setGeometry(videoWidth - kRightPanelWidth, kSeekRowHeight, kRightPanelWidth,
                             rowHeight);
}

void MainWindow::placeSizeBar()
{
    sizeBar_->move(list_->width() - sizeBar_->width() - pixelsX(20), 0);
    sizeBar_->raise();
}

// Only the controls show over the video, each on a little of the bar's
// background, not the frame between them.
void MainWindow::maskFullscreenControl()
{
    constexpr int kEdge = 3;
    fullscreenControl_->layout()->activate();
    QRegion shown;
    QList<QWidget *> parts = fullscreenButtons_;
    parts << timeForFullscreen_ << seekBarForFullscreen_ << volForFullscreen_;
    for (const QWidget *part : parts)
        shown += part->geometry().adjusted(-kEdge, -kEdge, kEdge, kEdge);
    fullscreenControl_->setMask(shown);
}

void MainWindow::setSmallLayout(bool on)
{
    smallLayout_ = on;
    control_->setVisible(!on && !fullScreenLayout_);
}

bool MainWindow::listOpen() const
{
    return fullScreenLayout_ ? listOpen_ : !list_->isHidden();
}

void MainWindow::setFullScreenLayout(bool on)
{
    if (on && !fullScreenLayout_)
        listOpen_ = listOpen();
    fullScreenLayout_ = on;
    control_->setVisible(!on && !smallLayout_);
    kyoukai_->setVisible(!on && listOpen_ && !smallLayout_);
    list_->setVisible(!on && listOpen_ && !smallLayout_);
    if (!on)
        fullscreenControl_->hide();
}

void MainWindow::setListShown(bool shown)
{
    listOpen_ = shown;
    kyoukai_->setVisible(shown);
    list_->setVisible(shown);
    btList_->setArrowType(shown ? Qt::LeftArrow : Qt::RightArrow);
}

void MainWindow::show_list()
{
    if (listOpen())
        return;
    layoutSuspended = true;
    setListShown(true);
    resize(width() + sideWidth(), height());
    layoutSuspended = false;
    layout_window();
}

void MainWindow::hide_list()
{
    if (!listOpen())
        return;
    updateListWidth();
    layoutSuspended = true;
    setListShown(false);
    resize(width() - sideWidth(), height());
    layoutSuspended = false;
    layout_window();
}

void MainWindow::BtList_Click()
{
    const Qt::WindowStates state = windowState();
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized))
        setWindowState(Qt::WindowNoState);
    if (listOpen())
        hide_list();
    else
        show_list();
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized))
        setWindowState(state);
}

// "add" widens the list and the window, "sub" narrows both while the list
// stays usable; the pointer follows the button.
void MainWindow::changeListWidth(int direction)
{
    const int tpp = qMax(1, metrics_.TwipsPerPixelX);
    const int twips = listWidth_ * tpp;
    const int wanted =
        qMax(kMinimumListWidth, pixelsX(window_geometry::steppedListWidthTwips(twips, direction)));
    const int step = wanted - listWidth_;
    if (step == 0)
        return;
    wantedListWidth_ = wanted;
    listWidth_ = wanted;
    resize(width() + step, height());
    layout_window();
    QCursor::setPos(QCursor::pos() + QPoint(step, 0));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != kyoukai_)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        draggingSplitter_ = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        return draggingSplitter_;
    case QEvent::MouseMove:
        if (draggingSplitter_)
            dragSplitter(int(static_cast<QMouseEvent *>(event)->globalPosition().x()));
        return draggingSplitter_;
    case QEvent::MouseButtonRelease:
        if (!draggingSplitter_)
            return false;
        draggingSplitter_ = false;
        dropSplitter();
        return true;
    default:
        return QMainWindow::eventFilter(watched, event);
    }
}

// Only the splitter moves while it is dragged.
void MainWindow::dragSplitter(int globalX)
{
    const int x = centralWidget()->mapFromGlobal(QPoint(globalX, 0)).x();
    const int w = centralWidget()->width();
    kyoukai_->move(
        window_geometry::splitterLeft(x, w, pixelsX(window_geometry::kSplitterLeftMarginTwips),
                                      pixelsX(window_geometry::kSplitterRightMarginTwips)),
        0);
}

// The video takes the width left of the splitter, the list the rest.
void MainWindow::dropSplitter()
{
    const int left = kyoukai_->x();
    wantedListWidth_ = centralWidget()->width() - left - kSplitterWidth;
    layout_window();
    emit splitterDropped();
}

void MainWindow::setListWidth(int pixels)
{
    wantedListWidth_ = pixels;
    layout_window();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    oldSizeReport_ = isOldSizeReport(*event);
    layout_window();
    oldSizeReport_ = false;
    emit resized();
}

// A window manager reports the sizes it applies in order, so after the
// program resizes the window twice in a row (a frame added, then the list
// opened) the first size comes back after the second was asked.  Acting on
// that old size (fitting the window to the movie, or to its minimum) would
// ask for a size made from it and undo the later request.
bool MainWindow::isOldSizeReport(const QResizeEvent &event)
{
    constexpr qint64 kReportWaitMs = 1000;
    if (!event.spontaneous()) {
        sizeAsked_ = event.size();
        sinceSizeAsked_.start();
        return false;
    }
    if (sizeAsked_.isEmpty())
        return false;
    if (event.size() == sizeAsked_ || sinceSizeAsked_.hasExpired(kReportWaitMs)) {
        sizeAsked_ = QSize();
        return false;
    }
    return true;
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
