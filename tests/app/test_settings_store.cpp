// config.ini and key.ini across a restart of the real program.

#include "base/path.h"
#include "base/private_profile.h"
#include "base/settings.h"
#include "input/main_menu.h"
#include "library/file_browser.h"
#include "panels/list_panel.h"
#include "panels/window_options.h"
#include "playback/play_mode.h"
#include "playback/play_speed.h"
#include "player_fixture.h"
#include "test_files.h"
#include "window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <random>

namespace
{

using test_files::readFile;
using test_files::writeFile;

QStringList keysIn(const QByteArray &ini)
{
    QStringList keys;
    for (const QByteArray &line : ini.split('\n')) {
        const int equals = line.indexOf('=');
        if (line.startsWith('['))
            keys << QString::fromUtf8(line.trimmed());
        else if (equals > 0)
            keys << QString::fromUtf8(line.left(equals));
    }
    return keys;
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void firstRunWritesEveryKeyAtExit()
    {
        QTemporaryDir folder;
        const QString programFolder = folder.path() + "/";
        {
            Player player;
            StartupOptions options;
            options.programFolder = programFolder;
            options.currentDir = folder.path();
            QVERIFY(player.Form_Load(options));
            QTRY_VERIFY(!player.isStarting());
            QVERIFY(!QFile::exists(programFolder + "config.ini"));
            QCOMPARE(player.playMode().get_play_mode(), 1);
            QCOMPARE(player.playSpeed().checkedIndex(), 2);
            player.window().close();
        }
        const QByteArray ini = readFile(programFolder + "config.ini");
        QCOMPARE(keysIn(ini),
                 QStringList({"[directory]", "LastDir",      "ImageDir",   "homeDir",
                              "[Position]",  "Left",         "Top",        "Width",
                              "Height",      "ListWidth",    "[volume]",   "volume",
                              "waveout",     "[option]",     "Resume",     "AutoAdjust",
                              "NoTaskBar",   "AutoListHide", "HidePopup",  "SeekTop",
                              "[other]",     "WindowState",  "PlayMode",   "SmallMode",
                              "ListMode",    "ListVisible",  "PlaySpeed",  "OriginalSize",
                              "Temae",       "upper_clip",   "under_clip", "image_path_root",
                              "soutai"}));
        QVERIFY(ini.contains("\r\n"));
        const PrivateProfile profile = PrivateProfile::parse(ini);
        QCOMPARE(profile.readString("directory", "LastDir"), folder.path());
        QCOMPARE(profile.readString("other", "PlayMode"), QString("1"));
        QCOMPARE(profile.readString("other", "PlaySpeed"), QString("2"));
        QCOMPARE(profile.readString("volume", "volume"), QString("100"));
        QCOMPARE(profile.readString("other", "ListVisible"), QString("1"));
        // key.ini is written with the default keys.
        QVERIFY(readFile(programFolder + "key.ini").size() > 11);
    }

    void settingsSurviveARestart()
    {
        QTemporaryDir folder;
        QTemporaryDir browsed;
        const QString programFolder = folder.path() + "/";
        QRect geometry;
        {
            PlayerFixture::Options options{programFolder, {}, folder.path()};
            auto first = PlayerFixture::start(options);
            Player &player = first->player();
            // Kept on top from the first run on.
            QVERIFY(player.mainMenu().m_temae->isChecked());
            player.mainMenu().m_temae->setChecked(false);
            player.mainMenu().original->setChecked(true);
            player.playMode().mode_Click(3);
            player.playSpeed().bai_Click(-1);
            player.window().vol()->setValue(40);
            player.fileBrowser().setFolder(browsed.path());
            player.listPanel().selectTab(ListPanel::SearchPage);
            player.window().setGeometry(120, 90, 1000, 640);
            QTRY_COMPARE(player.window().size(), QSize(1000, 640));
            // Wider than a window of the first run's size would leave room for.
            player.window().setListWidth(750);
            player.window().list()->hide();
            geometry = player.window().geometry();
            player.window().close();
        }
        QCOMPARE(
            PrivateProfile::load(programFolder + "config.ini").readString("other", "PlaySpeed"),
            QString("-1"));

        PlayerFixture::Options options{programFolder, {}, folder.path()};
        auto second = PlayerFixture::start(options);
        Player &player = second->player();
        QCOMPARE(player.playMode().get_play_mode(), 3);
        QCOMPARE(player.playSpeed().checkedIndex(), -1);
        QCOMPARE(player.window().vol()->value(), 40);
        QCOMPARE(player.fileBrowser().folder(), browsed.path());
        QCOMPARE(player.listPanel().selectedTab(), int(ListPanel::SearchPage));
        QCOMPARE(player.window().size(), geometry.size());
        QVERIFY(player.mainMenu().original->isChecked());
        QVERIFY(!player.mainMenu().m_temae->isChecked());
        QCOMPARE(player.window().listWidth(), 750);
        QVERIFY(player.window().list()->isHidden());
    }

    // The options page and the menu show the settings, and what either of
    // them changes is what is saved.
    void optionsShowTheSettingsBothWays()
    {
        QTemporaryDir folder;
        const QString programFolder = folder.path() + "/";
        writeFile(programFolder + "config.ini",
                  "[option]\r\nAutoAdjust=7\r\n[other]\r\nTemae=1\r\n");
        {
            PlayerFixture::Options options{programFolder, {}, folder.path()};
            auto fixture = PlayerFixture::start(options);
            Player &player = fixture->player();
            WindowOptions &page = player.windowOptions();
            // A rule out of range chooses none of the three.
            for (QRadioButton *rule :
                 {page.check_auto_adjust, page.Keep_Aspect, page.use_fullWindow})
                QVERIFY(!rule->isChecked());
            QVERIFY(page.Check_temae->isChecked());
            QVERIFY(player.mainMenu().m_temae->isChecked());

            player.settings().set(Settings::Soutai, true);
            player.settings().set(Settings::Temae, false);
            QVERIFY(page.Check_soutai->isChecked());
            QVERIFY(!page.Check_temae->isChecked());
            QVERIFY(!player.mainMenu().m_temae->isChecked());

            page.Check_original->click();
            QVERIFY(player.mainMenu().original->isChecked());
            QVERIFY(player.settings().originalSize());
            player.window().close();
        }
        const PrivateProfile saved = PrivateProfile::load(programFolder + "config.ini");
        QCOMPARE(saved.readString("other", "soutai"), QString("1"));
        QCOMPARE(saved.readString("other", "Temae"), QString("0"));
        QCOMPARE(saved.readString("other", "OriginalSize"), QString("1"));
        QCOMPARE(saved.readString("option", "AutoAdjust"), QString("2"));
    }

    void lostFolderOpensTheProgramFolder()
    {
        QTemporaryDir folder;
        const QString programFolder = folder.path() + "/";
        writeFile(programFolder + "config.ini",
                  "[directory]\r\nLastDir=/no/such/folder/anywhere\r\n[other]\r\nPlayMode=2\r\n");
        PlayerFixture::Options options{programFolder, {}, QDir::rootPath()};
        auto fixture = PlayerFixture::start(options);
        QCOMPARE(path::addbackslash(fixture->player().fileBrowser().folder()), programFolder);
        QCOMPARE(fixture->player().playMode().get_play_mode(), 2);
        // A missing PlaySpeed reads as 0, the fastest speed.
        QCOMPARE(fixture->player().playSpeed().checkedIndex(), 0);
    }

    void damagedFilesStartCleanly()
    {
        std::mt19937 random(7);
        const QList<QByteArray> damaged = {
            QByteArray("\x00\xff\xfe[directory\r\nLastDir", 22),
            "[Position]\r\nLeft=99999999999\r\nTop=-70000\r\nWidth=40000\r\nHeight=abc\r\n"
            "[other]\r\nListMode=9\r\nPlaySpeed=17\r\nWindowState=5\r\n[volume]\r\nvolume=300\r\n",
            QByteArray(4096, '\xff'),
        };
        for (const QByteArray &bytes : damaged) {
            QTemporaryDir folder;
            const QString programFolder = folder.path() + "/";
            QVERIFY(writeFile(programFolder + "config.ini", bytes));
            QByteArray keys(64, 0);
            for (char &c : keys)
                c = char(random());
            QVERIFY(writeFile(programFolder + "key.ini", keys));

            PlayerFixture::Options options{programFolder, {}, folder.path()};
            auto fixture = PlayerFixture::start(options);
            Player &player = fixture->player();
            QVERIFY(fixture->started());
            QVERIFY(player.window().isVisible());
            QVERIFY(player.window().vol()->value() >= 0 && player.window().vol()->value() <= 100);
            const int tab = player.listPanel().selectedTab();
            QVERIFY(tab >= 1 && tab <= 4);
            // The window is somewhere on the screen, not thousands of pixels off.
            QVERIFY(QGuiApplication::primaryScreen()->virtualGeometry().intersects(
                player.window().geometry()));
        }
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    prepareMediaTests();
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings_store.moc"
