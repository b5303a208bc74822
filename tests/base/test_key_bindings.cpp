// The user's key bindings: which keys the key page accepts, which clash, and
// key.ini as written and as read back, also when it is short or damaged.

#include "base/key_bindings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

using K = KeyBindings;

const QByteArray kComment = "\"このファイルを編集しないでください\"\r\n";

QString texts(const KeyBindings &keys)
{
    QString all;
    for (int i = 0; i < K::kClassicCount; ++i)
        all += keys.text(i);
    return all;
}

} // namespace

class TestKeyBindings : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    QString folder; // with a trailing "/", like the program folder

private slots:
    void init()
    {
        QVERIFY(tmp.isValid());
        folder = tmp.path() + "/";
        QFile::remove(folder + "key.ini");
    }

    void firstStartUsesDefaultsAndWritesThemInFileOrder()
    {
        const KeyBindings keys = KeyBindings::load(folder);
        QCOMPARE(texts(keys), "QWXZSA123 C");
        QVERIFY(keys.matches(K::AddFavourite, 32));
        QVERIFY(!keys.matches(K::Play, 0));

        QVERIFY(keys.save(folder));
        QFile file(folder + "key.ini");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kComment + "\"Q\"\r\n\"W\"\r\n\"X\"\r\n\"Z\"\r\n\"S\"\r\n\"A\"\r\n"
                                            "\"1\"\r\n\"2\"\r\n\"3\"\r\n\" \"\r\n\"C\"\r\n");
    }

    // The chapter functions have no key until given one: only then does
    // key.ini have their two lines; they clash like the playback keys, and
    // "back to defaults" takes their keys away again.
    void chapterKeysAreWrittenOnlyOnceBound()
    {
        KeyBindings keys;
        QCOMPARE(keys.trySet(K::NextChapter, 'N').result, K::Result::Ok);
        QCOMPARE(keys.trySet(K::PreviousChapter, 'N').result, K::Result::Clash);
        QCOMPARE(keys.trySet(K::PreviousChapter, 'Q').result, K::Result::Clash);
        QCOMPARE(keys.trySet(K::Play, 'N').result, K::Result::Clash);
        QVERIFY(keys.save(folder));
        const KeyBindings read = KeyBindings::load(folder);
        QVERIFY(read.matches(K::NextChapter, 'N'));
        QCOMPARE(read.code(K::PreviousChapter), 0);
        QVERIFY(KeyBindings().toBytes() + "\"N\"\r\n\"\"\r\n" == read.toBytes());
        keys.resetPlaybackKeys();
        QCOMPARE(keys.toBytes(), KeyBindings().toBytes());
    }

    void everyBindableKeyRoundTripsThroughTheFile()
    {
        // PageDown is stored as a double quote, F1 as "p"; the punctuation
        // keys above 127 take two bytes in the file.
        for (int code = 0; code < 300; ++code) {
            KeyBindings keys;
            if (keys.trySet(K::Capture, code).result != K::Result::Ok)
                continue;
            QVERIFY(keys.save(folder));
            QVERIFY2(KeyBindings::load(folder).matches(K::Capture, code),
                     qPrintable(QString::number(code)));
        }
    }

    void refusesKeysOutsideTheUsableRanges()
    {
        for (int code : {0, 8, 9, 13, 16, 17, 18, 27, 31, 127, 159, 224, 300}) {
            KeyBindings keys;
            const K::Assignment a = keys.trySet(K::Stop, code);
            QCOMPARE(a.result, K::Result::Unusable);
            QCOMPARE(a.message, "そのキーは使えません");
            QCOMPARE(a.nextFocus, int(K::Stop));
            QCOMPARE(keys, KeyBindings());
        }
        for (int code : {32, 126, 160, 223})
            QVERIFY(KeyBindings::isUsable(code));
    }

    void nineKeysMayNotShareButAddAndCaptureMay()
    {
        KeyBindings keys;
        // W belongs to stop: the play box keeps Q.
        K::Assignment a = keys.trySet(K::Play, 'W');
        QCOMPARE(a.result, K::Result::Clash);
        QCOMPARE(a.message, "そのショートカットキーは他の機能に登録されています");
        QCOMPARE(a.nextFocus, int(K::Play));
        QCOMPARE(keys.text(K::Play), "Q");

        // The add and capture keys count neither against the nine nor
        // against each other...
        QCOMPARE(keys.trySet(K::HalfSpeed, 'C').nextFocus, int(K::AddFavourite));
        QCOMPARE(keys.trySet(K::Capture, ' ').nextFocus, int(K::Capture));
        a = keys.trySet(K::Play, ' ');
        QCOMPARE(a.result, K::Result::Ok);
        QCOMPARE(a.message, "OK");
        QCOMPARE(a.nextFocus, int(K::Stop));
        // ...but they are checked against the nine.
        QCOMPARE(keys.trySet(K::AddFavourite, 'W').result, K::Result::Clash);
        QCOMPARE(keys.trySet(K::AddFavourite, 'C').result, K::Result::Clash);
        // A box's own key is no clash.
        QCOMPARE(keys.trySet(K::Stop, 'W').result, K::Result::Ok);
        QCOMPARE(texts(keys), " WXZSA12C  ");

        // Back to defaults leaves add and capture alone.
        keys.resetPlaybackKeys();
        QCOMPARE(texts(keys), "QWXZSA123  ");
    }

    void shortOrDamagedFileFallsBackPerKey()
    {
        const struct {
            QByteArray bytes;
            QString expected;
        } cases[] = {
            {"", "QWXZSA123 C"},
            {kComment + "\"E\"\r\n\"R\"\r\n\"T\"\r\n\"Y\"\r\n", "ERTYSA123 C"},
            {kComment + "\"E\"\r\n\"R\"", "ERXZSA123 C"},
            {kComment + "\"E\"\r\n\"", "EWXZSA123 C"},   // cut inside a value
            {kComment + "\"E\"\r\n\"\"", "EWXZSA123 C"}, // ... and so is PageDown's
            {kComment + "\"E\"\r\n\r\n\"T\"\r\n", "EWTZSA123 C"},
            {"#\n  E \n\"R\"\n", "ERXZSA123 C"},
            {kComment + "\"EW\"\r\n\"p\"\r\n\"a\"\r\n", "EpaZSA123 C"},
            {kComment + "\"\t\"\r\n\"" + QString("あ").toUtf8() + "\"\r\n", "QWXZSA123 C"},
            // A Windows file: a key above 127 is one byte equal to its code.
            {"\"\x82\xb1\"\r\n\"\xba\"\r\n", QString(QChar(0xBA)) + "WXZSA123 C"},
            {kComment + QByteArray("\"E\"\r\n").repeated(20), "EEEEEEEEEEE"},
        };
        for (const auto &c : cases) {
            QFile file(folder + "key.ini");
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(c.bytes);
            file.close();
            QCOMPARE(texts(KeyBindings::load(folder)), c.expected);
        }

        QFile::remove(folder + "key.ini");
        QVERIFY(QDir().mkpath(folder + "key.ini"));
        QCOMPARE(KeyBindings::load(folder), KeyBindings());
        QVERIFY(!KeyBindings().save(folder));
        QVERIFY(!KeyBindings().save(folder + "missing/"));
        QVERIFY(QDir(folder + "key.ini").removeRecursively());
    }
};

QTEST_GUILESS_MAIN(TestKeyBindings)
#include "test_key_bindings.moc"
