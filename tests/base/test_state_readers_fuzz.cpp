// The state-file readers against damaged input: random bytes, files cut short
// and valid files with random changes.  No input may crash or hang a reader,
// and whatever a reader makes of it must survive a write and a second read.

#include "base/config_values.h"
#include "base/private_profile.h"
#include "base/quoted_records.h"

#include <QRandomGenerator>
#include <QTest>

namespace
{

constexpr int kIterations = 4000;

// The bytes that matter to the formats, some UTF-8, some not.
const QByteArray kAlphabet = QByteArray("[]=;\",\r\n \t-+0123456789ab") +
                             QByteArray("\xef\xbb\xbf\xe5\x8b\x95\xff\x80\0", 9);

class Generator
{
public:
    explicit Generator(quint32 seed) : random_(seed) {}

    int below(int n) { return int(random_.bounded(quint32(n))); }
    char someByte() { return below(4) ? kAlphabet[below(kAlphabet.size())] : char(below(256)); }

    QByteArray randomBytes(int maxLength)
    {
        QByteArray out;
        for (int n = below(maxLength); n > 0; --n)
            out += someByte();
        return out;
    }

    // Random bytes, a valid file cut short, or one with a few random edits.
    QByteArray input(QByteArray valid)
    {
        if (below(3) == 0)
            return randomBytes(200);
        if (below(2) == 0)
            return valid.left(below(valid.size() + 1));
        for (int edits = 1 + below(8); edits > 0 && !valid.isEmpty(); --edits) {
            const int at = below(valid.size());
            switch (below(4)) {
            case 0:
                valid[at] = someByte();
                break;
            case 1:
                valid.insert(at, someByte());
                break;
            case 2:
                valid.remove(at, 1 + below(10));
                break;
            default:
                valid.insert(below(valid.size()), valid.mid(at, 1 + below(30)));
            }
        }
        return valid;
    }

private:
    QRandomGenerator random_;
};

QByteArray validConfig()
{
    PrivateProfile ini = PrivateProfile::parse("; notes\r\n\r\n[extra]\r\nkey = value\r\n");
    ConfigValues::firstRun("/opt/さざなみ/").write(ini);
    return ini.toBytes();
}

QByteArray validRecords()
{
    using quoted_records::Field;
    return quoted_records::write({{Field::quotedText("/動画/a, b.avi"), Field::real(83.5)},
                                  {Field::integer(65), Field::integer(112)}});
}

// Every value the document shows through its interface.
QList<QStringList> shownValues(const PrivateProfile &ini)
{
    QList<QStringList> all;
    for (const QString &section : ini.sections()) {
        QStringList entries{section};
        for (const QString &key : ini.keys(section))
            entries << key << ini.readString(section, key);
        all.append(entries);
    }
    return all;
}

} // namespace

class TestStateReadersFuzz : public QObject
{
    Q_OBJECT

private slots:
    void privateProfileAndConfig()
    {
        Generator gen(20240601);
        const QByteArray valid = validConfig();
        for (int i = 0; i < kIterations; ++i) {
            const QByteArray input = gen.input(valid);
            PrivateProfile ini = PrivateProfile::parse(input);
            if (gen.below(2))
                ini.writeString(gen.randomBytes(12), gen.randomBytes(12), gen.randomBytes(12));
            const QByteArray written = ini.toBytes();
            const PrivateProfile again = PrivateProfile::parse(written);
            QVERIFY2(shownValues(again) == shownValues(ini), input.toPercentEncoding());
            QVERIFY2(again.toBytes() == written, input.toPercentEncoding());

            const ConfigValues values = ConfigValues::read(ini);
            PrivateProfile saved;
            values.write(saved);
            QVERIFY2(ConfigValues::read(PrivateProfile::parse(saved.toBytes())) == values,
                     input.toPercentEncoding());
        }
    }

    void quotedRecords()
    {
        Generator gen(77031);
        const QByteArray valid = validRecords();
        for (int i = 0; i < kIterations; ++i) {
            const QByteArray input = gen.input(valid);
            const QList<quoted_records::Record> records = quoted_records::parse(input);
            const QByteArray written = quoted_records::write(records);
            QVERIFY2(quoted_records::parse(written) == records, input.toPercentEncoding());
        }
    }

    // A line of a million fields and a key line of four million bytes are
    // read to their end.  Their times are not compared here: on a shared
    // machine the memory allocator alone changes them eightfold.
    void longLinesAreRead()
    {
        const QByteArray many(1 << 20, ',');
        QCOMPARE(quoted_records::parse(many).first().size(), (1 << 20) + 1);
        QCOMPARE(quoted_records::parse('"' + many).first().size(), 1);
        QVERIFY(PrivateProfile::parse("[s]\n" + QByteArray(1 << 22, '=')).keys("s").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStateReadersFuzz)
#include "test_state_readers_fuzz.moc"
