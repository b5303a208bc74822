// config.ini: every key, its order and the reading of damaged values.

#include "base/config_values.h"

#include <QTest>

class TestConfigValues : public QObject
{
    Q_OBJECT

private slots:
    void writesEveryKeyInOrder()
    {
        ConfigValues values = ConfigValues::firstRun("/opt/sazanami/");
        values.lastDir = "/home/aki/動画";
        values.left = 40000; // beyond 16 bits: neither cut nor wrapped
        values.width = 14400;
        values.waveout = 65535;
        values.autoAdjust = 2;
        values.windowState = 2;
        values.smallMode = true;
        values.playSpeed = -1;
        values.upperClip = 12;
        values.soutai = true;

        PrivateProfile ini;
        values.write(ini);
        const QString expected = "[directory]\nLastDir=/home/aki/動画\nImageDir=/opt/sazanami/\n"
                                 "homeDir=/opt/sazanami/\n"
                                 "[Position]\nLeft=40000\nTop=0\nWidth=14400\nHeight=0\n"
                                 "ListWidth=0\n"
                                 "[volume]\nvolume=100\nwaveout=65535\n"
                                 "[option]\nResume=0\nAutoAdjust=2\nNoTaskBar=0\n"
                                 "AutoListHide=0\nHidePopup=1\nSeekTop=0\n"
                                 "[other]\nWindowState=2\nPlayMode=1\nSmallMode=1\nListMode=1\n"
                                 "ListVisible=1\nPlaySpeed=-1\nOriginalSize=0\nTemae=1\n"
                                 "upper_clip=12\nunder_clip=0\nimage_path_root=0\nsoutai=1\n";
        QCOMPARE(QString::fromUtf8(ini.toBytes()), QString(expected).replace("\n", "\r\n"));
        QCOMPARE(ConfigValues::read(PrivateProfile::parse(ini.toBytes())), values);

        // Written into the loaded file, the user's lines and order stay.
        PrivateProfile loaded = PrivateProfile::parse("; mine\n[other]\nsoutai=0\n");
        values.write(loaded);
        QVERIFY(loaded.toBytes().startsWith("; mine\r\n[other]\r\nsoutai=1\r\nWindowState=2\r\n"));
        QCOMPARE(ConfigValues::read(loaded), values);
    }

    // The option for the other formats: off in a file without it, written
    // after [option]'s other keys once on, and kept (as 0) once turned off.
    void moreFormatsOnceTurnedOn()
    {
        QVERIFY(!ConfigValues::read(PrivateProfile()).moreFormats);
        ConfigValues values = ConfigValues::firstRun("/p/");
        values.moreFormats = true;
        PrivateProfile ini = PrivateProfile::parse("[option]\nResume=1\n[other]\nTemae=0\n");
        values.write(ini);
        QVERIFY(ini.toBytes().contains("SeekTop=0\r\nMoreFormats=1\r\n[other]"));
        QVERIFY(ConfigValues::read(PrivateProfile::parse(ini.toBytes())).moreFormats);

        values.moreFormats = false;
        values.write(ini);
        QVERIFY(ini.toBytes().contains("SeekTop=0\r\nMoreFormats=0\r\n[other]"));
        QCOMPARE(ConfigValues::read(ini), values);

        // Each movie's place: the same, after it.
        values.resumeEach = true;
        values.write(ini);
        QVERIFY(ini.toBytes().contains("MoreFormats=0\r\nResumeEach=1\r\n[other]"));
        QCOMPARE(ConfigValues::read(ini), values);
    }

    // The seek-bar picture: on in a file without it, written once turned
    // off, and kept (as 1) once turned on again.
    void seekPreviewOnceTurnedOff()
    {
        QVERIFY(ConfigValues::read(PrivateProfile()).seekPreview);
        QVERIFY(ConfigValues::read(PrivateProfile::parse("[option]\nSeekPreview=\n")).seekPreview ==
                false);
        ConfigValues values = ConfigValues::firstRun("/p/");
        values.seekPreview = false;
        PrivateProfile ini;
        values.write(ini);
        QVERIFY(ini.toBytes().contains("SeekTop=0\r\nSeekPreview=0\r\n[other]"));
        QCOMPARE(ConfigValues::read(ini), values);
        values.seekPreview = true;
        values.write(ini);
        QVERIFY(ini.toBytes().contains("SeekTop=0\r\nSeekPreview=1\r\n[other]"));
    }

    void missingAndDamagedValues()
    {
        // Missing keys read as "" and 0, except that ListMode 0 names no page.
        ConfigValues missing = ConfigValues::read(PrivateProfile());
        QCOMPARE(missing, ConfigValues());
        QVERIFY(missing.lastDir.isEmpty() && missing.playSpeed == 0 && missing.volume == 0);
        QCOMPARE(missing.listMode, 1);

        const ConfigValues high = ConfigValues::read(PrivateProfile::parse(
            "[Position]\nLeft=-40000\nListWidth=70000\n[volume]\nvolume=250\n"
            "[option]\nAutoAdjust=7\n[other]\nPlayMode=4\nPlaySpeed=4\nListMode=5\n"
            "WindowState=3\nSmallMode=-3\n"));
        QCOMPARE(high.left, -40000);
        QCOMPARE(high.listWidth, 70000);
        QCOMPARE(high.volume, 100);
        QCOMPARE(high.autoAdjust, 7); // sets none of the three buttons
        QCOMPARE(high.playMode, 1);
        QCOMPARE(high.playSpeed, 2);
        QCOMPARE(high.listMode, 1);
        QCOMPARE(high.windowState, 0);
        QVERIFY(high.smallMode);

        const ConfigValues low = ConfigValues::read(
            PrivateProfile::parse("[volume]\nvolume=-5\n[other]\nPlayMode=-1\nPlaySpeed=-2\n"
                                  "ListMode=4 (options)\nWindowState=-1\n"));
        QCOMPARE(low.volume, 0);
        QCOMPARE(low.playMode, 1);
        QCOMPARE(low.playSpeed, 2);
        QCOMPARE(low.listMode, 4);
        QCOMPARE(low.windowState, 0);
    }
};

QTEST_GUILESS_MAIN(TestConfigValues)
#include "test_config_values.moc"
