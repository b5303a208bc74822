#include "panels/soft_info_page.h"

#include "base/system_info.h"
#include "panels/hover_cue.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTabBar>
#include <QUrl>

SoftInfoPage::SoftInfoPage(QFrame *soft_info, QUrl homepage, QObject *parent)
    : QObject(parent), page_(soft_info), homepage_(std::move(homepage))
{
    auto *layout = qobject_cast<QBoxLayout *>(soft_info->layout());
    const auto label = [soft_info](const char *text) {
        return new QLabel(QString::fromUtf8(text), soft_info);
    };
    LHomepage = new QLabel(
        homepage_.fileName().isEmpty() ? homepage_.toString() : homepage_.fileName(), soft_info);
    LHomepage->setObjectName("LHomepage");
    LHomepage->setCursor(Qt::PointingHandCursor);
    LHomepage->setStyleSheet("color: blue;");
    pbMem = new QProgressBar(soft_info);
    pbMem->setObjectName("pbMem");
    pbMem->setTextVisible(false);
    lblMem = label("");
    lblMem->setObjectName("lblMem");
    lblDisplay = label("");
    lblDisplay->setObjectName("lblDisplay");

    // After the name and version, before the closing stretch.
    int at = layout ? qMax(0, layout->count() - 1) : 0;
    for (QWidget *widget :
         {static_cast<QWidget *>(label("作者：　Sazanami の開発者")),
          static_cast<QWidget *>(label("ホームページ")), static_cast<QWidget *>(LHomepage),
          static_cast<QWidget *>(label("使用可能なメモリ")), static_cast<QWidget *>(pbMem),
          static_cast<QWidget *>(lblMem), static_cast<QWidget *>(label("画面の解像度")),
          static_cast<QWidget *>(lblDisplay)}) {
        if (layout)
            layout->insertWidget(at++, widget);
    }
    LHomepage->installEventFilter(this);
    new HoverCue(LHomepage, HoverCue::Underline, {page_});
}

void SoftInfoPage::followTab(QTabBar *tabs, int index)
{
    connect(tabs, &QTabBar::tabBarClicked, this, [this, index](int clicked) {
        if (clicked == index)
            refresh();
    });
}

void SoftInfoPage::refresh()
{
    refreshMemory();
    refreshDisplay();
}

void SoftInfoPage::refreshMemory()
{
    // A file of the kernel: its size reads as 0, so it is read to its end.
    QFile meminfo("/proc/meminfo");
    const auto memory = system_info::parseMeminfo(
        meminfo.open(QIODevice::ReadOnly) ? meminfo.readAll() : QByteArray());
    if (!memory) {
        lblMem->clear();
        return;
    }
    pbMem->setMaximum(int(qMin<qint64>(memory->total, INT_MAX)));
    pbMem->setValue(int(qMin<qint64>(memory->available, INT_MAX)));
    lblMem->setText(system_info::memoryLine(*memory));
}

void SoftInfoPage::refreshDisplay()
{
    const QScreen *screen = page_->screen();
    if (!screen) {
        lblDisplay->clear();
        return;
    }
    const QSize size = screen->size() * screen->devicePixelRatio();
    lblDisplay->setText(system_info::displayLine(size.width(), size.height(), screen->depth()));
}

bool SoftInfoPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LHomepage && event->type() == QEvent::MouseButtonRelease)
        QDesktopServices::openUrl(homepage_);
    return QObject::eventFilter(watched, event);
}
