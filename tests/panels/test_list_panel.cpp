// The side panel's pages and what each one shows.

#include "display/display_modes.h"
#include "media/cmovie.h"
#include "panels/list_panel.h"
#include "panels/okini_view.h"
#include "playback/open_and_play.h"
#include "playback/play_speed.h"
#include "player_fixture.h"
#include "test_media.h"
#include "window/button_images.h"
#include "window/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QSlider>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTabBar>
#include <QTest>
#include <QToolTip>

namespace
{

bool showsImage(QAction *button, const char *key)
{
    return button->icon().cacheKey() == button_images::image(key).cacheKey();
}

void clickTab(QTabBar *tabs, int page)
{
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page - 1).center());
}

} // namespace

class TestListPanel : public QObject
{
    Q_OBJECT

private slots:
    void eachPageShowsItsOwnList()
    {
        PlayerFixture fixture;
        ListPanel &panel = fixture.player().listPanel();
        QAction *capture = fixture.player().window().button(MainWindow::Button::Capture);
        fixture.player().window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fixture.player().window()));

        clickTab(panel.Tab1, ListPanel::FavouritesPage);
        QCOMPARE(panel.selectedTab(), int(ListPanel::FavouritesPage));
        QVERIFY(panel.List_okini->isVisible());
        QVERIFY(!panel.File->isVisible() && !panel.List_Find->isVisible());
        QVERIFY(showsImage(capture, "capture"));

        clickTab(panel.Tab1, ListPanel::SearchPage);
        QVERIFY(panel.List_Find->isVisible() && panel.find->isVisible());
        QVERIFY(!panel.List_okini->isVisible());
        QVERIFY(showsImage(capture, "capture_mask"));
        QVERIFY(panel.FindText->hasFocus());

        clickTab(panel.Tab1, ListPanel::OptionsPage);
        QVERIFY(panel.config->isVisible());
        QVERIFY(!panel.find->isVisible() && !panel.List_Find->isVisible());
        QVERIFY(showsImage(capture, "capture_mask"));

        clickTab(panel.Tab1, ListPanel::FilePage);
        QVERIFY(panel.File->isVisible() && !panel.config->isVisible());
    }

    // Every caption of every options page reads whole in the narrow panel:
    // the page scrolls instead of cutting its texts short.
    void optionCaptionsReadWhole()
    {
        PlayerFixture fixture;
        ListPanel &panel = fixture.player().listPanel();
        panel.selectTab(ListPanel::OptionsPage);
        for (int tab = 0; tab < panel.Tab_Config->count(); ++tab) {
            panel.Tab_Config->setCurrentIndex(tab);
            QApplication::processEvents();
            QList<QWidget *> captions;
            for (auto *button : panel.config->findChildren<QAbstractButton *>())
                if (!button->text().isEmpty())
                    captions.append(button);
            for (auto *label : panel.config->findChildren<QLabel *>())
                if (!label->text().isEmpty() && !label->wordWrap())
                    captions.append(label);
            int shown = 0;
            for (QWidget *caption : captions) {
                if (!caption->isVisible())
                    continue;
                ++shown;
                const QString text = caption->property("text").toString();
                QVERIFY2(caption->width() >= caption->sizeHint().width(), qPrintable(text));
                // Scrolled into view, it lies inside the panel.
                QScrollArea *area = nullptr;
                for (QWidget *up = caption; up && !area; up = up->parentWidget())
                    area = qobject_cast<QScrollArea *>(up);
                QVERIFY2(area, qPrintable(text));
                area->ensureWidgetVisible(caption, 0, 0);
                const QRect inView(caption->mapTo(area->viewport(), QPoint()), caption->size());
                QVERIFY2(area->viewport()->rect().contains(inView) ||
                             caption->width() > area->viewport()->width(),
                         qPrintable(text));
            }
            QVERIFY(shown > 0);
        }
    }

    void folderFrameOpensOnlyWhenThereIsNothingToPlay()
    {
        PlayerFixture fixture;
        ListPanel &panel = fixture.player().listPanel();
        QWidget *directory = fixture.player().window().directory();

        panel.selectTab(ListPanel::FilePage);
        QVERIFY(directory->isVisible());
        panel.selectTab(ListPanel::FavouritesPage);
        QVERIFY(!directory->isVisible());

        panel.File->addItem("clip.avi");
        panel.selectTab(ListPanel::FilePage);
        QVERIFY(!directory->isVisible());

        // The search page opens the frame for an empty result list only, and
        // otherwise leaves it as it was.
        panel.selectTab(ListPanel::SearchPage);
        QVERIFY(directory->isVisible());
        QStringListModel found({"found.avi"});
        panel.List_Find->setModel(&found);
        panel.selectTab(ListPanel::OptionsPage);
        QVERIFY(!directory->isVisible());
        panel.selectTab(ListPanel::SearchPage);
        QVERIFY(!directory->isVisible());
    }

    void tabsDoNothingInFullScreen()
    {
        PlayerFixture fixture;
        ListPanel &panel = fixture.player().listPanel();
        panel.selectTab(ListPanel::FilePage);
        QVERIFY(playAndWait(fixture.player(), test_media::clip("clip.avi")));
        QTRY_VERIFY(fixture.player().movie().isPlaying());
        fixture.player().displayModes().enter_full_screen();
        QVERIFY(fixture.player().displayModes().fullScreen());

        clickTab(panel.Tab1, ListPanel::OptionsPage);
        QCOMPARE(panel.selectedTab(), int(ListPanel::FilePage));
        // The list is hidden in full screen; the page it shows stays.
        fixture.player().displayModes().leave_full_screen();
        QTRY_VERIFY(panel.File->isVisible());
        QVERIFY(!panel.config->isVisible());
    }

    void tabStripPassesFocusAndKeysOn()
    {
        PlayerFixture fixture;
        ListPanel &panel = fixture.player().listPanel();
        QWidget *display = fixture.player().window().findChild<QWidget *>("display");
        fixture.player().window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fixture.player().window()));

        panel.Tab1->setFocus();
        QTRY_VERIFY(display->hasFocus());

        // Keys reach the window's key handling once, pressed and let go.
        QSlider *vol = fixture.player().window().vol();
        vol->setValue(50);
        QTest::keyClick(panel.Tab1, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(vol->value(), 55);
        QTest::keyClick(panel.Tab1, Qt::Key_3);
        QCOMPARE(fixture.player().playSpeed().checkedIndex(), 3);
        // The key does not move the tabs itself.
        QTest::keyClick(panel.Tab1, Qt::Key_Right);
        QCOMPARE(panel.selectedTab(), int(ListPanel::FilePage));
    }

    // Under a thumbnail a long name keeps its start and its extension, and
    // shows whole as the tip; a short one is shown as it is.
    void thumbnailNamesAreCutInTheMiddle()
    {
        const QString japanese = QString::fromUtf8("日本語のとても長い名前の動画ファイル.avi");
        const QString latin = "delta_long_name_with_th is.wmv";
        QStandardItemModel model;
        for (const QString &name : {japanese, latin, QString("a.avi")})
            model.appendRow(new QStandardItem(name));
        OkiniView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QFontMetrics metrics = view.fontMetrics();
        const int width = view.gridSize().width() - 10;
        for (const QString &name : {japanese, latin}) {
            const QString shown = OkiniView::shownName(name, metrics, width);
            QVERIFY2(shown.startsWith(name.left(2)) && shown.endsWith(name.right(4)) &&
                         shown.contains(u'…'),
                     qPrintable(shown));
            QVERIFY(metrics.horizontalAdvance(shown) <= width);
        }
        QCOMPARE(OkiniView::shownName("a.avi", metrics, width), QString("a.avi"));

        const auto tipAt = [&view, &model](int row) {
            const QPoint at = view.visualRect(model.index(row, 0)).center();
            QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
            QApplication::sendEvent(view.viewport(), &help);
        };
        tipAt(0);
        QTRY_COMPARE(QToolTip::text(), japanese);
        view.setToolTip("balloon");
        tipAt(2);
        QTRY_COMPARE(QToolTip::text(), QString("balloon"));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestListPanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_list_panel.moc"
