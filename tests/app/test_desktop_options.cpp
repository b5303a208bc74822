// The program on the desktop, as the options pages show it: file association
// in private MIME settings, the list colours and color.ini, the information
// page, and the tray icon in a real notification area (trayer) clicked with
// real X input.

#include "app/desktop_options.h"
#include "desktop/file_associations.h"
#include "desktop/tray_icon.h"
#include "panels/association_page.h"
#include "panels/list_panel.h"
#include "panels/soft_info_page.h"
#include "panels/window_options.h"
#include "player_fixture.h"
#include "test_files.h"
#include "window/main_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#ifdef SAZANAMI_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

#include <sys/stat.h>

namespace
{

using test_files::readFile;
using test_files::writeFile;

QCheckBox *box(Player &player, const char *row, int index)
{
    return player.window().findChild<QCheckBox *>(QString("%1_%2").arg(row).arg(index));
}

ino_t inodeOf(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

void clickConfigTab(Player &player, int index)
{
    QTabBar *tabs = player.listPanel().Tab_Config;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

} // namespace

class TestDesktopOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir xdg_;

private slots:
    void initTestCase()
    {
        QVERIFY(xdg_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg_.path() + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg_.path() + "/data"));
        prepareMediaTests();
    }

    void associationFollowsTheBoxes()
    {
        // The user's settings live elsewhere and are linked in.
        QDir().mkpath(xdg_.path() + "/config");
        const QString target = xdg_.path() + "/dotfiles mimeapps.list";
        const QString link = xdg_.path() + "/config/mimeapps.list";
        const QByteArray user = "# kept\n[Default Applications]\nvideo/x-msvideo=vlc.desktop;\n"
                                "application/octet-stream=hexedit.desktop;\n";
        writeFile(target, user);
        QVERIFY(QFile::link(target, link));

        // A program under a "%" is not associated at all: no entry could run it.
        QVERIFY(!FileAssociations(xdg_.path() + "/100%/sazanami").associate("avi"));
        QVERIFY(!QFile::exists(xdg_.path() + "/data/applications/sazanami.desktop"));
        QCOMPARE(readFile(target), user);

        PlayerFixture fixture;
        Player &player = fixture.player();
        QCheckBox *avi = box(player, "Check_kanren", 2);
        QCheckBox *aviDefault = box(player, "Check_default", 2);
        QCOMPARE(avi->text(), QString("avi"));
        QVERIFY(!avi->isChecked());
        QVERIFY(!aviDefault->isEnabled());

        avi->click();
        QVERIFY(avi->isChecked());
        QVERIFY(aviDefault->isEnabled());
        QVERIFY(QFileInfo(link).isSymLink());
        QByteArray text = readFile(target);
        QVERIFY(text.startsWith(user));
        QVERIFY(text.contains("[Added Associations]\nvideo/x-msvideo=sazanami.desktop;\n"));
        const QByteArray entry = readFile(xdg_.path() + "/data/applications/sazanami.desktop");
        QVERIFY(entry.contains(
            "\nExec=" + QFile::encodeName(QCoreApplication::applicationFilePath()) + " %f\n"));
        // Associating what is associated writes nothing.
        const ino_t before = inodeOf(target);
        avi->setChecked(false);
        avi->click();
        QCOMPARE(inodeOf(target), before);

        aviDefault->click();
        QVERIFY(readFile(target).contains("video/x-msvideo=sazanami.desktop;vlc.desktop;\n"));
        // What the desktop's own tools make of it.
        const auto ask = [](const QString &program, const QStringList &arguments) {
            QProcess run;
            run.start(program, arguments);
            return run.waitForFinished(10000) ? QString::fromUtf8(run.readAllStandardOutput())
                                              : QString();
        };
        QVERIFY(ask("gio", {"mime", "video/x-msvideo"})
                    .contains(QString::fromUtf8("video/x-msvideo”: sazanami.desktop")));
        QCOMPARE(ask("xdg-mime", {"query", "default", "video/x-msvideo"}).trimmed(),
                 QString("sazanami.desktop"));
        // mpg and mpeg are one type: their boxes move together.
        box(player, "Check_kanren", 0)->click();
        QVERIFY(box(player, "Check_kanren", 1)->isChecked());
        QVERIFY(box(player, "Check_default", 1)->isEnabled());

        // Clearing the association gives the default back to vlc.
        avi->click();
        QVERIFY(!aviDefault->isEnabled());
        QVERIFY(!aviDefault->isChecked());
        text = readFile(target);
        QVERIFY(text.startsWith(user));
        QVERIFY(text.contains("video/mpeg=sazanami.desktop;"));
        QVERIFY(!text.contains("x-msvideo=sazanami"));

        // A new start shows what the settings say, and mends an entry that
        // runs another program (the copy was moved).
        writeFile(xdg_.path() + "/data/applications/sazanami.desktop", "[Desktop Entry]\n");
        PlayerFixture again;
        QCOMPARE(readFile(xdg_.path() + "/data/applications/sazanami.desktop"), entry);
        QVERIFY(box(again.player(), "Check_kanren", 1)->isChecked());
        QVERIFY(!box(again.player(), "Check_kanren", 2)->isChecked());
    }

    // The other formats' boxes come after the six, only with the option on,
    // and write the types of those formats.
    void otherFormatsHaveBoxesOfTheirOwn()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        auto *more = player.window().findChild<QWidget *>("Frame_more");
        QVERIFY(more && more->isHidden());
        QCOMPARE(box(player, "Check_kanren", 5)->text(), QString("mov"));
        player.windowOptions().Check_more_formats->click();
        QVERIFY(!more->isHidden());
        QCheckBox *mp4 = box(player, "Check_kanren", 6);
        QCOMPARE(mp4->text(), QString("mp4"));
        QCOMPARE(box(player, "Check_kanren", 7)->text(), QString("m4v"));
        // divx is avi's type and has no box of its own.
        for (int i = 6; box(player, "Check_kanren", i); ++i)
            QVERIFY(box(player, "Check_kanren", i)->text() != "divx");
        mp4->click();
        QVERIFY(box(player, "Check_kanren", 7)->isChecked());
        QCheckBox *ts = box(player, "Check_kanren", 10);
        QCOMPARE(ts->text(), QString("ts"));
        ts->click();
        const QByteArray text = readFile(FileAssociations::mimeAppsPath());
        QVERIFY(text.contains("video/mp4=sazanami.desktop;"));
        QVERIFY(text.contains("video/mp2t=sazanami.desktop;"));
        const QByteArray entry = readFile(FileAssociations::desktopEntryPath());
        QVERIFY(entry.contains("video/x-msvideo;"));
        QVERIFY(entry.contains("video/x-matroska;"));
        mp4->click();
        ts->click();
        QVERIFY(!readFile(FileAssociations::mimeAppsPath()).contains("video/mp4=sazanami"));
    }

    void listColoursComeFromColorIni()
    {
        QTemporaryDir folder;
        const QString programFolder = folder.path() + "/";
        writeFile(programFolder + "color.ini", "[list]\nForeColor=255\nBackColor=16777215\n");
        {
            auto fixture = PlayerFixture::start({programFolder, {}, {}});
            QListWidget *files = fixture->player().listPanel().File;
            QCOMPARE(files->palette().color(QPalette::Text), QColor(Qt::red));
            QCOMPARE(files->palette().color(QPalette::Base), QColor(Qt::white));
            fixture->player().window().findChild<QPushButton *>("bt_default_color")->click();
            QCOMPARE(files->palette().color(QPalette::Text), QColor(119, 150, 230));
        }
        const QByteArray written = readFile(programFolder + "color.ini");
        QVERIFY(written.contains("ForeColor=15111799"));
        QVERIFY(written.contains("BackColor=0"));

        // Without color.ini: the same light blue on black.  A first run
        // shows the balloon help.
        PlayerFixture fresh;
        QVERIFY(fresh.player().window().findChild<QWidget *>("SeekBar")->toolTip().startsWith(
            QString::fromUtf8("　シークバー\n・CTRL＋ドラッグ")));
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(40, 80, 140));
        // Each part hands its controls over: every one has its tip.
        for (const char *name :
             {"display", "List_okini", "File", "List_Find", "FindText", "Dir1", "Tab1",
              "vol_control", "check_resume", "Check_more_formats", "check_auto_adjust",
              "Check_noTaskbar", "Check_auto_hide", "vol"}) {
            const auto *control = fresh.player().window().findChild<QWidget *>(name);
            QVERIFY2(control && !control->toolTip().isEmpty(), name);
        }
        QCOMPARE(fresh.player().listPanel().List_Find->palette().color(QPalette::Text),
                 QColor(119, 150, 230));
        QCOMPARE(fresh.player().listPanel().List_Find->palette().color(QPalette::Base),
                 QColor(Qt::black));
    }

    void informationPageRefreshesOnEachVisit()
    {
        PlayerFixture fixture;
        Player &player = fixture.player();
        player.listPanel().selectTab(ListPanel::OptionsPage);
        QTabBar *tabs = player.listPanel().Tab_Config;
        QCOMPARE(tabs->count(), 5);
        QCOMPARE(tabs->tabText(3), QString::fromUtf8("関連付け"));
        SoftInfoPage &info = player.desktopOptions().softInfo();
        // The strip scrolls its last tab into sight.
        tabs->setCurrentIndex(4);
        for (int visit = 0; visit < 2; ++visit) {
            info.lblMem->clear();
            info.lblDisplay->clear();
            clickConfigTab(player, 4);
            QVERIFY(player.listPanel().soft_info->isVisible());
            QVERIFY(!player.window().findChild<QWidget *>("Frame_other")->isVisible());
            QVERIFY(QRegularExpression("^\\d{1,3}(,\\d{3})*KB / \\d{1,3}(,\\d{3})*KB$")
                        .match(info.lblMem->text())
                        .hasMatch());
            QVERIFY(info.pbMem->maximum() > 0);
            QVERIFY(QRegularExpression(QString::fromUtf8("^\\d+×\\d+ \\d+ビット$"))
                        .match(info.lblDisplay->text())
                        .hasMatch());
        }
        // Bound keys still work while an option has the focus: Ctrl+I shows
        // the favourites.
        QTest::keyClick(player.windowOptions().Check_temae, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(player.listPanel().selectedTab(), int(ListPanel::FavouritesPage));
    }

    void trayIconTogglesTheWindow()
    {
#ifndef SAZANAMI_HAVE_XTEST
        QSKIP("needs XTest");
#else
        if (QStandardPaths::findExecutable("trayer").isEmpty())
            QSKIP("needs trayer");
        Display *x = XOpenDisplay(nullptr);
        if (!x)
            QSKIP("needs an X server");
        // No notification area: minimising to it would strand the window.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        {
            PlayerFixture fixture;
            MainWindow &window = fixture.player().window();
            fixture.player().windowOptions().Check_noTaskbar->setChecked(true);
            window.showMinimized();
            QTest::qWait(200);
            QVERIFY(window.isVisible());
        }

        // A desktop: a window manager and a notification area.
        QProcess windowManager;
        windowManager.start("openbox", {"--sm-disable"});
        QVERIFY(windowManager.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QProcess::execute("sh", {"-c", "wmctrl -m >/dev/null 2>&1"}) == 0,
                                 10000);
        QProcess trayer;
        trayer.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel",
                                "--width", "64", "--height", "32"});
        QVERIFY(trayer.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);

        PlayerFixture fixture;
        MainWindow &window = fixture.player().window();
        auto *icon = fixture.player().desktopOptions().trayIcon().findChild<QSystemTrayIcon *>();
        QCOMPARE(icon->toolTip(), QString("Sazanami"));
        // Embedded in trayer's strip at the top right.
        const QRect strip = QGuiApplication::primaryScreen()->geometry().adjusted(
            QGuiApplication::primaryScreen()->geometry().width() - 64, 0, 0, 0);
        QTRY_VERIFY_WITH_TIMEOUT(strip.contains(icon->geometry().center()), 10000);
        const QPoint centre = icon->geometry().center();
        const auto doubleClick = [x, centre] {
            XTestFakeMotionEvent(x, -1, centre.x(), centre.y(), CurrentTime);
            for (int i = 0; i < 2; ++i) {
                XTestFakeButtonEvent(x, 1, True, CurrentTime);
                XTestFakeButtonEvent(x, 1, False, CurrentTime);
            }
            XFlush(x);
        };
        doubleClick();
        QTRY_VERIFY(!window.isVisible());
        doubleClick();
        QTRY_VERIFY(window.isVisible());

        // Minimised with the option on, only the icon is left, not a blank
        // window still on the screen; it brings the window back whole.
        fixture.player().windowOptions().Check_noTaskbar->setChecked(true);
        const auto viewable = [x, &window] {
            XWindowAttributes attributes{};
            return XGetWindowAttributes(x, window.windowHandle()->winId(), &attributes) &&
                   attributes.map_state == IsViewable;
        };
        window.showMinimized();
        QTRY_VERIFY(!window.isVisible());
        QTest::qWait(300);
        QVERIFY(!viewable());
        doubleClick();
        QTRY_VERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
        QTRY_VERIFY(viewable());
        QWidget *tabs = fixture.player().listPanel().Tab1;
        const QRect onScreen(tabs->mapToGlobal(QPoint(0, 0)), tabs->size());
        QTRY_COMPARE(
            QGuiApplication::primaryScreen()
                ->grabWindow(0, onScreen.x(), onScreen.y(), onScreen.width(), onScreen.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32),
            tabs->grab().toImage().convertToFormat(QImage::Format_RGB32));

        fixture.player().Form_Unload();
        QVERIFY(!icon->isVisible());
        for (QProcess *process : {&trayer, &windowManager}) {
            process->terminate();
            process->waitForFinished();
        }
        XCloseDisplay(x);
#endif
    }
};

QTEST_MAIN(TestDesktopOptions)
#include "test_desktop_options.moc"
