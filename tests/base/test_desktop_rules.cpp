// The association rules over a mimeapps.list text, the desktop entry, and
// the texts of the software-information page.

#include "base/mime_apps.h"
#include "base/native_path.h"
#include "base/system_info.h"

#include <QTest>

namespace
{

const QString kId = "sazanami.desktop";
const QString kAvi = "video/x-msvideo";

} // namespace

class TestDesktopRules : public QObject
{
    Q_OBJECT

private slots:
    void associationKeepsForeignLines()
    {
        const QByteArray user =
            "# mine\r\n[Default Applications]\r\nvideo/x-msvideo=vlc.desktop;\r\n"
            "text/plain=gedit.desktop;\r\n\r\n[Removed Associations]\r\n"
            "video/x-msvideo=sazanami.desktop;totem.desktop;\r\n";
        const QByteArray associated = mime_apps::associate(user, kAvi, kId);
        QVERIFY(mime_apps::isAssociated(associated, kAvi, kId));
        QVERIFY(!mime_apps::isDefault(associated, kAvi, kId));
        // Added at the end as a new section; ours leaves the removed list,
        // the user's removal of another player stays.
        QCOMPARE(associated, "# mine\r\n[Default Applications]\r\nvideo/x-msvideo=vlc.desktop;\r\n"
                             "text/plain=gedit.desktop;\r\n\r\n[Removed Associations]\r\n"
                             "video/x-msvideo=totem.desktop;\r\n\n[Added Associations]\n"
                             "video/x-msvideo=sazanami.desktop;\n");
        // Doing it twice changes nothing.
        QCOMPARE(mime_apps::associate(associated, kAvi, kId), associated);

        // Default: ours first, the user's earlier default kept behind it and
        // back in front once we give it back.
        const QByteArray made = mime_apps::makeDefault(associated, kAvi, kId);
        QVERIFY(mime_apps::isDefault(made, kAvi, kId));
        QVERIFY(made.contains("video/x-msvideo=sazanami.desktop;vlc.desktop;\r\n"));
        QCOMPARE(mime_apps::giveBackDefault(made, kAvi, kId), associated);

        // Dissociating also gives the default back; the user's lines are as
        // they were apart from ours.
        const QByteArray dissociated = mime_apps::dissociate(made, kAvi, kId);
        QVERIFY(!mime_apps::isAssociated(dissociated, kAvi, kId));
        QVERIFY(!mime_apps::isDefault(dissociated, kAvi, kId));
        QVERIFY(
            dissociated.startsWith("# mine\r\n[Default Applications]\r\n"
                                   "video/x-msvideo=vlc.desktop;\r\ntext/plain=gedit.desktop;"));
        QVERIFY(!dissociated.contains("sazanami"));
    }

    void unknownTypesAreNeverTouched()
    {
        const QByteArray user = "[Added Associations]\napplication/octet-stream=hexedit.desktop;\n";
        for (const QString &type : {QString("application/octet-stream"), QString()}) {
            QCOMPARE(mime_apps::associate(user, type, kId), user);
            QCOMPARE(mime_apps::makeDefault(user, type, kId), user);
            QVERIFY(!mime_apps::isAssociated(mime_apps::associate(user, type, kId), type, kId));
        }
        // Into an existing section, after its last line, before the blank.
        QCOMPARE(mime_apps::associate(user + "\n[Other]\n", "video/mpeg", kId),
                 "[Added Associations]\napplication/octet-stream=hexedit.desktop;\n"
                 "video/mpeg=sazanami.desktop;\n\n[Other]\n");
        QCOMPARE(mime_apps::associate("", "video/mpeg", kId),
                 "[Added Associations]\nvideo/mpeg=sazanami.desktop;\n");
    }

    void desktopEntryQuotesTheProgram()
    {
        const QByteArray entry = mime_apps::desktopEntry(
            QString::fromUtf8("/home/a b/動画 \"x\" $5\ttab\nline/sazanami"), {"video/mpeg", kAvi});
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains(
            QString::fromUtf8(
                "\nExec=\"/home/a b/動画 \\\\\"x\\\\\" \\\\$5\\ttab\\nline/sazanami\" %f\n")
                .toUtf8()));
        // A plain path is not quoted: xdg-utils would take the quotes for
        // part of the program's name.
        QVERIFY(mime_apps::desktopEntry(QString::fromUtf8("/opt/動画-1.0/sazanami"), {kAvi})
                    .contains(QString::fromUtf8("\nExec=/opt/動画-1.0/sazanami %f\n").toUtf8()));
        QVERIFY(!mime_apps::canRunFromDesktopEntry("/home/a/100%/sazanami"));
        QVERIFY(mime_apps::canRunFromDesktopEntry("/home/a/100/sazanami"));
        // Bytes that are not UTF-8 cannot be written in the entry's text.
        QVERIFY(!mime_apps::canRunFromDesktopEntry(native_path::decode("/opt/\x93\xae/sazanami")));
        QVERIFY(entry.contains("\nMimeType=video/mpeg;video/x-msvideo;\n"));
        QVERIFY(entry.contains("\nCategories=AudioVideo;Video;Player;\n"));
        QVERIFY(entry.contains(QString::fromUtf8("\nComment=Sazanamiで開く\n").toUtf8()));
    }

    void informationTexts()
    {
        const auto memory = system_info::parseMeminfo(
            "MemTotal:         523744 kB\nMemFree:  1 kB\nMemAvailable:     123456 kB\n");
        QVERIFY(memory);
        QCOMPARE(system_info::memoryLine(*memory), "123,456KB / 523,744KB");
        QCOMPARE(system_info::memoryLine({999, 0}), "0KB / 999KB");
        QVERIFY(!system_info::parseMeminfo("MemTotal: 5 kB\n"));
        QCOMPARE(system_info::displayLine(1024, 768, 32), QString::fromUtf8("1024×768 32ビット"));
    }
};

QTEST_GUILESS_MAIN(TestDesktopRules)
#include "test_desktop_rules.moc"
