#include "panels/list_panel.h"

#include "panels/list_selection.h"
#include "panels/okini_view.h"
#include "window/button_images.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProxyStyle>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>
#include <iterator>

namespace
{

QListWidget *makeList(const char *name, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    return list;
}

QFrame *makeFrame(const char *name, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(name);
    return frame;
}

} // namespace

ListPanel::ListPanel(QFrame *list, QWidget *directory, QWidget *display, QAction *captureButton,
                     std::function<bool()> fullScreen, QObject *parent)
    : QObject(parent), list_(list), directory_(directory), display_(display),
      captureButton_(captureButton), fullScreen_(std::move(fullScreen))
{
    buildPages(list);
}

namespace
{

// The style's roomy tabs would not all fit beside the list-width buttons in
// a list of the usual width.
class CompactTabsStyle : public QProxyStyle
{
public:
    explicit CompactTabsStyle(QObject *owner) { setParent(owner); }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return 10;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

void ListPanel::buildPages(QFrame *list)
{
    auto *layout = new QVBoxLayout(list);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    Tab1 = new QTabBar(list);
    Tab1->setObjectName("Tab1");
    Tab1->setExpanding(false);
    Tab1->setDrawBase(true);
    Tab1->setStyle(new CompactTabsStyle(Tab1));
    const struct {
        const char *caption;
        const char *key;
    } tabs[] = {
        {"ファイル", "file"}, {"お気に入り", "okini"}, {"検索", "find"}, {"設定", "config"}};
    for (const auto &tab : tabs)
        Tab1->setTabData(Tab1->addTab(QString::fromUtf8(tab.caption)), QString(tab.key));
    Tab1->installEventFilter(this);
    tabRow_ = new QHBoxLayout;
    tabRow_->setContentsMargins(0, 0, 0, 0);
    tabRow_->addWidget(Tab1);
    layout->addLayout(tabRow_);

    File = makeList("File", list);
    List_okini = new OkiniView(list);
    List_okini->setObjectName("List_okini");
    List_Find = new QListView(list);
    List_Find->setObjectName("List_Find");
    layout->addWidget(File, 1);
    layout->addWidget(List_okini, 1);
    layout->addWidget(List_Find, 1);

    find = makeFrame("find", list);
    auto *findRow = new QHBoxLayout(find);
    findRow->setContentsMargins(2, 2, 2, 2);
    labelFind = new QLabel(QString::fromUtf8("検索文字列"), find);
    labelFind->setObjectName("labelFind");
    FindText = new QComboBox(find);
    FindText->setObjectName("FindText");
    FindText->setEditable(true);
    // Enter runs a search; the history is kept by the search page.
    FindText->setInsertPolicy(QComboBox::NoInsert);
    findRow->addWidget(labelFind);
    findRow->addWidget(FindText, 1);
    layout->addWidget(find);

    config = makeFrame("config", list);
    auto *configLayout = new QVBoxLayout(config);
    soft_info = makeFrame("soft_info", config);
    auto *infoLayout = new QVBoxLayout(soft_info);
    auto *softName = new QLabel(QString::fromUtf8("ソフト名：　Sazanami"), soft_info);
    softName->setObjectName("soft_name");
    Ver = new QLabel(soft_info);
    Ver->setObjectName("Ver");
    infoLayout->addWidget(softName);
    infoLayout->addWidget(Ver);
    infoLayout->addStretch(1);
    configLayout->addWidget(soft_info, 1);
    layout->addWidget(config, 1);

    connect(Tab1, &QTabBar::currentChanged, this, &ListPanel::Tab1_Click);
    showFilePage();
}

int ListPanel::selectedTab() const
{
    return Tab1->currentIndex() + 1;
}

void ListPanel::selectTab(int page)
{
    if (page < FilePage || page > OptionsPage)
        return;
    {
        const QSignalBlocker blocker(Tab1);
        Tab1->setCurrentIndex(page - 1);
    }
    showPage(page);
}

void ListPanel::leaveRoomRightOfTabs(int pixels)
{
    tabRow_->setContentsMargins(0, 0, pixels, 0);
}

void ListPanel::Tab1_Click()
{
    if (fullScreen_())
        return;
    showPage(selectedTab());
}

void ListPanel::showPage(int page)
{
    switch (page) {
    case FilePage:
        showFilePage();
        break;
    case FavouritesPage:
        showFavouritesPage();
        break;
    case SearchPage:
        showSearchPage();
        break;
    case OptionsPage:
        showOptionsPage();
        break;
    default:
        break;
    }
}

void ListPanel::showOnly(QWidget *page)
{
    for (QWidget *candidate : {static_cast<QWidget *>(File), static_cast<QWidget *>(List_okini),
                               static_cast<QWidget *>(List_Find), static_cast<QWidget *>(config)})
        candidate->setVisible(candidate == page);
    find->setVisible(page == List_Find);
}

void ListPanel::showFilePage()
{
    showOnly(File);
    if (File->count() > 0) {
        directory_->hide();
    } else if (list_->isVisible() && directory_->isHidden()) {
        // Nothing to play yet: offer the folder lists so the user can pick one.
        directory_->show();
        directory_->raise();
    }
    setCaptureImage("capture_mask");
}

void ListPanel::showFavouritesPage()
{
    showOnly(List_okini);
    directory_->hide();
    setCaptureImage("capture");
}

void ListPanel::showSearchPage()
{
    showOnly(List_Find);
    if (list_selection::rowCount(List_Find) == 0 && directory_->isHidden()) {
        directory_->show();
        directory_->raise();
    }
    setCaptureImage("capture_mask");
    if (FindText->isVisible())
        FindText->setFocus();
}

void ListPanel::showOptionsPage()
{
    showOnly(config);
    directory_->hide();
    setCaptureImage("capture_mask");
}

namespace
{

// The options' pages in the order of their tabs.
const struct {
    const char *caption;
    const char *frame;
} kConfigPages[] = {{"基本", "Frame_basic"},
                    {"表示領域", "Frame_clip"},
                    {"キー", "Frame_Key"},
                    {"関連付け", "Frame_other"},
                    {"ソフト情報", "soft_info"}};

} // namespace

void ListPanel::buildConfigTabs()
{
    Tab_Config = new QTabBar(config);
    Tab_Config->setObjectName("Tab_Config");
    Tab_Config->setExpanding(false);
    for (const auto &page : kConfigPages)
        Tab_Config->addTab(QString::fromUtf8(page.caption));
    Tab_Config->setTabToolTip(0, QString::fromUtf8("基本設定"));
    if (auto *layout = qobject_cast<QBoxLayout *>(config->layout())) {
        layout->insertWidget(0, Tab_Config);
        for (const auto &page : kConfigPages) {
            if (auto *frame = config->findChild<QWidget *>(page.frame))
                makeScrollable(layout, frame);
        }
    }
    connect(Tab_Config, &QTabBar::currentChanged, this, &ListPanel::showConfigPage);
    showConfigPage(0);
}

// The side panel is narrow and the captions are long: a page keeps the width
// and height its captions need and scrolls inside the panel rather than
// squeezing them.
void ListPanel::makeScrollable(QBoxLayout *layout, QWidget *page)
{
    auto *area = new QScrollArea(config);
    area->setObjectName(page->objectName() + "_scroll");
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setVisible(page->isVisibleTo(config));
    delete layout->replaceWidget(page, area);
    area->setWidget(page);
    page->show();
}

namespace
{

// A page shows with the scroll area it lies in.
QWidget *holderOf(QWidget *page, const QWidget *config)
{
    QWidget *holder = page;
    while (holder->parentWidget() && holder->parentWidget() != config)
        holder = holder->parentWidget();
    return holder->parentWidget() ? holder : page;
}

} // namespace

void ListPanel::showConfigPage(int index)
{
    for (int i = 0; i < int(std::size(kConfigPages)); ++i) {
        if (auto *page = config->findChild<QWidget *>(kConfigPages[i].frame))
            holderOf(page, config)->setVisible(i == index);
    }
}

void ListPanel::setCaptureImage(const char *key)
{
    if (captureButton_)
        captureButton_->setIcon(button_images::image(key));
}

bool ListPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Tab1)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        // In full screen the tabs stay as they are.
        return fullScreen_();
    case QEvent::FocusIn:
        if (display_ && display_->isVisible())
            display_->setFocus();
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // The window's key handling has had the key; the arrows do not move
        // the tabs.
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
