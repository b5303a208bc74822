// key.ini and scene files edited by hand, cut short by a full disk or simply
// garbage: reading never crashes or hangs, every key stays bindable, and what
// is read is what gets written back.

#include "base/key_bindings.h"
#include "base/scene_file.h"
#include "base/virtual_keys.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Bytes that matter to the two formats are drawn more often than the rest.
QByteArray randomBytes(QRandomGenerator &random, int maxSize)
{
    static const QByteArray interesting =
        QByteArray("\"\",,\r\n\n  QW1p.09") + QString("あ”º").toUtf8() + "\xff\xba\x82";
    QByteArray bytes;
    for (int i = random.bounded(maxSize + 1); i > 0; --i) {
        bytes += random.bounded(3) == 0 ? char(random.bounded(256))
                                        : interesting.at(random.bounded(int(interesting.size())));
    }
    return bytes;
}

bool allUsable(const KeyBindings &keys)
{
    for (int i = 0; i < KeyBindings::kCount; ++i) {
        // The functions added after the classic ones may be left without a key.
        if (i >= KeyBindings::kClassicCount && keys.text(i).isEmpty())
            continue;
        if (!KeyBindings::isUsable(keys.code(i)) ||
            keys.text(i) != virtual_keys::storedText(keys.code(i)))
            return false;
    }
    return true;
}

// SAZANAMI_FUZZ_SEED repeats a run; without it each run tries new input.
quint32 fuzzSeed()
{
    bool given = false;
    const quint32 seed = qEnvironmentVariable("SAZANAMI_FUZZ_SEED").toUInt(&given);
    return given ? seed : QRandomGenerator::global()->generate();
}

} // namespace

class TestKeySceneFuzz : public QObject
{
    Q_OBJECT

    quint32 seed = fuzzSeed();

private slots:
    void initTestCase() { qInfo("seed %u (SAZANAMI_FUZZ_SEED=%u repeats this run)", seed, seed); }

    void keyFiles()
    {
        QRandomGenerator random(seed);
        for (int round = 0; round < 3000; ++round) {
            const QByteArray bytes = randomBytes(random, 300);
            const KeyBindings keys = KeyBindings::fromBytes(bytes);
            QVERIFY2(allUsable(keys), bytes.toHex().constData());
            QVERIFY(KeyBindings::fromBytes(keys.toBytes()) == keys);
        }

        // Cut anywhere, a file keeps every key whose line is whole; the key of
        // the line cut is its own or the default, the rest are defaults.
        KeyBindings custom;
        const int codes[] = {'E', 34, 112, 186, 'R', '0', 96, 'T', 223, 160, 33};
        static_assert(std::size(codes) == KeyBindings::kClassicCount);
        for (int i = 0; i < KeyBindings::kClassicCount; ++i)
            QCOMPARE(custom.trySet(i, codes[i]).result, KeyBindings::Result::Ok);
        const QByteArray whole = custom.toBytes();
        const KeyBindings defaults;
        for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
            const KeyBindings keys = KeyBindings::fromBytes(whole.left(cut));
            // Lines whose text is whole, the comment first.
            const int complete = int(whole.left(cut + 2).count("\r\n")) - 1;
            for (int i = 0; i < KeyBindings::kCount; ++i) {
                const QString expected = i < complete ? custom.text(i) : defaults.text(i);
                QVERIFY2(keys.text(i) == expected ||
                             (i == complete && keys.text(i) == custom.text(i)),
                         qPrintable(QStringLiteral("cut %1, key %2").arg(cut).arg(i)));
            }
        }
    }

    void sceneFiles()
    {
        QRandomGenerator random(seed + 1);
        for (int round = 0; round < 3000; ++round) {
            const QByteArray bytes = randomBytes(random, 400);
            const SceneFile::Slots first = SceneFile::parse(bytes);
            // Once written, the slots read back the same ever after.
            const SceneFile::Slots written = SceneFile::parse(SceneFile::serialise(first));
            QVERIFY2(SceneFile::parse(SceneFile::serialise(written)) == written,
                     bytes.toHex().constData());
            for (int n = 0; n < SceneFile::kSlotCount; ++n)
                QCOMPARE(written[n].hasScene(), first[n].hasScene());
        }

        // Cut anywhere, a file keeps every whole line; slots past the cut one
        // are free.
        SceneFile::Slots full;
        for (int n = 0; n < SceneFile::kSlotCount; ++n)
            full[n] = {SceneFile::registeredCaption(n, n * 1234), SceneFile::positionText(n / 3.0)};
        const QByteArray whole = SceneFile::serialise(full);
        for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
            const SceneFile::Slots read = SceneFile::parse(whole.left(cut));
            const int complete = int(whole.left(cut + 2).count("\r\n"));
            for (int n = 0; n < SceneFile::kSlotCount; ++n) {
                if (n != complete)
                    QVERIFY(read[n] ==
                            (n < complete ? full[n] : SceneSlot{SceneFile::emptyCaption(n), ""}));
            }
        }
    }

    void editsOfRandomSceneFilesTouchOnlyTheirSlot()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString path = tmp.path() + "/clip.txt";
        QRandomGenerator random(seed + 2);
        for (int round = 0; round < 300; ++round) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            // Random text of the record format: a file that holds no record
            // line, or a NUL, is not a scene file and is left alone.
            file.write('"' + randomBytes(random, 400).replace('\0', ' '));
            file.close();

            SceneFile scenes(path);
            const SceneFile::Slots before =
                SceneFile::parse(SceneFile::serialise(scenes.allSlots()));
            const int n = random.bounded(SceneFile::kSlotCount);
            const int edit = random.bounded(3);
            if (edit == 0)
                QVERIFY(scenes.registerScene(n, random.bounded(10000.0), 1234));
            else if (edit == 1)
                QVERIFY(scenes.rename(n, QString::fromUtf8(randomBytes(random, 20)) + "x"));
            else
                QVERIFY(scenes.remove(n));
            QCOMPARE(scenes.hasScene(n), edit == 0 || (edit == 1 && before[n].hasScene()));
            for (int other = 0; scenes.exists() && other < SceneFile::kSlotCount; ++other)
                QVERIFY(other == n || scenes.slot(other) == before[other]);
        }
    }
};

QTEST_GUILESS_MAIN(TestKeySceneFuzz)
#include "test_key_scene_fuzz.moc"
