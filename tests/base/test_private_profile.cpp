// The INI document of config.ini and color.ini, and the whole-file writes
// that every state file goes through.

#include "base/private_profile.h"
#include "base/state_file.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using test_files::readFile;
using test_files::writeFile;

} // namespace

class TestPrivateProfile : public QObject
{
    Q_OBJECT

private slots:
    void editingKeepsOrderAndUserLines()
    {
        PrivateProfile ini = PrivateProfile::parse("; by hand\n[directory]\nLastDir=/home/aki\n"
                                                   "; keep me\n\n[other]\n\xff\xfe junk\n"
                                                   "PlayMode=0\n");
        QVERIFY(ini.writeString("Directory", "lastdir", "/home/aki/動画"));
        QVERIFY(ini.writeString("directory", "ImageDir", "/img"));
        QVERIFY(ini.writeString("other", "PlayMode", "3"));
        QVERIFY(ini.writeInt("volume", "waveout", -1));
        // Existing keys keep their place and spelling, a new key follows the
        // last non-blank line of its section, a new section goes last, and
        // the lines that are no entries survive byte for byte.
        QCOMPARE(ini.toBytes(), QByteArray("; by hand\r\n[directory]\r\n"
                                           "LastDir=/home/aki/\xe5\x8b\x95\xe7\x94\xbb\r\n"
                                           "; keep me\r\nImageDir=/img\r\n\r\n"
                                           "[other]\r\n\xff\xfe junk\r\nPlayMode=3\r\n"
                                           "[volume]\r\nwaveout=-1\r\n"));
    }

    void lookupRules()
    {
        // LF, CR LF and a lone CR all end lines; a byte-order mark and blanks
        // around names and values are not part of them, but the ideographic
        // space is: a Japanese name may end with it.
        const PrivateProfile ini = PrivateProfile::parse(
            "Left=1\n\xef\xbb\xbf[ Position ]\r\n  Left =  120 \nCmd=a=b = c\r"
            "Name=\xe3\x80\x80名\xe3\x80\x80\nLeft=999\n[position]\nTop=5\nBlank=\n");
        QCOMPARE(ini.readString("POSITION", "left"), QString("120"));
        QCOMPARE(ini.readString("Position", "cmd"), QString("a=b = c"));
        QCOMPARE(ini.readString("Position", "Name"), QString("\u3000名\u3000"));
        // The first section of a name counts; entries before any section
        // belong to none.
        QCOMPARE(ini.readString("Position", "Top", "d"), QString("d"));
        QCOMPARE(ini.readString("", "Left", "d"), QString("d"));
        QCOMPARE(ini.keys("Position"), QStringList({"Left", "Cmd", "Name", "Left"}));
        QCOMPARE(ini.sections(), QStringList({"Position", "position"}));
    }

    void readIntTakesTheLeadingNumber()
    {
        const QList<std::pair<const char *, int>> cases = {{"9600", 9600},
                                                           {"12abc", 12},
                                                           {"-7 px", -7},
                                                           {"+5", 5},
                                                           {"abc", 0},
                                                           {"-", 0},
                                                           {"0x10", 0},
                                                           {"\xef\xbc\x93", 0},
                                                           {"", 42},
                                                           {"99999999999", INT_MAX},
                                                           {"-99999999999", INT_MIN},
                                                           {"-2147483648", INT_MIN}};
        QByteArray text = "[s]\n";
        for (const auto &[value, expected] : cases)
            text += QByteArray("k") + value + '=' + value + '\n';
        const PrivateProfile ini = PrivateProfile::parse(text);
        for (const auto &[value, expected] : cases)
            QCOMPARE(ini.readInt("s", QString("k") + value, 42), expected);
        QCOMPARE(ini.readInt("s", "missing", 42), 42);
    }

    void writeWholeReplacesByRename()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath("okini.ini");
        QVERIFY(writeFile(path, "old"));
        // A second name for the old file keeps the old content only when the
        // new file is renamed into place, not written over the old one.
        QCOMPARE(::link(QFile::encodeName(path), QFile::encodeName(tmp.filePath("link"))), 0);
        QVERIFY(state_file::writeWhole(path, "new\r\n"));
        QCOMPARE(readFile(path), QByteArray("new\r\n"));
        QCOMPARE(readFile(tmp.filePath("link")), QByteArray("old"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void failedWritesLeaveTheOldFile()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath("file"), "x"));
        QVERIFY(!state_file::writeWhole(tmp.filePath("file/config.ini"), "data"));
        QVERIFY(!state_file::writeWhole(tmp.path(), "data"));

        // A full disk, made by a file size limit (which binds root too).
        const QString path = tmp.filePath("searchData.ini");
        QVERIFY(writeFile(path, "\"old\",1\r\n"));
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = state_file::writeWhole(path, QByteArray(256 * 1024, 'x'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!written);
        QCOMPARE(readFile(path), QByteArray("\"old\",1\r\n"));
        QCOMPARE(readFile(tmp.filePath("file")), QByteArray("x"));
        // No temporary file is left behind.
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"file", "searchData.ini"}));
    }

    void readWholeRefusesWhatIsNoStateFile()
    {
        QTemporaryDir tmp;
        QVERIFY(!state_file::readWhole(tmp.filePath("missing")));
        QVERIFY(!state_file::readWhole(tmp.path()));
        QCOMPARE(mkfifo(QFile::encodeName(tmp.filePath("pipe")), 0600), 0);
        QVERIFY(!state_file::readWhole(tmp.filePath("pipe"))); // would block if opened
        QVERIFY(writeFile(tmp.filePath("big"), QByteArray(1000, 'a')));
        QCOMPARE(state_file::readWhole(tmp.filePath("big"), 1000)->size(), 1000);
        QVERIFY(!state_file::readWhole(tmp.filePath("big"), 999));
    }
};

QTEST_GUILESS_MAIN(TestPrivateProfile)
#include "test_private_profile.moc"
