// The record files: scene files, resume.ini, searchData.ini, dir.ini, key.ini.

#include "base/native_path.h"
#include "base/quoted_records.h"

#include <QTest>

using namespace quoted_records;

namespace
{

Field text(const QString &s)
{
    return Field::quotedText(s);
}

Field bare(const QString &s)
{
    return Field{s, false};
}

} // namespace

class TestQuotedRecords : public QObject
{
    Q_OBJECT

private slots:
    void writeAndReadBack()
    {
        const QList<Record> records = {
            {text("/home/aki/動画/a, b.avi"), Field::real(83.5), Field::integer(-1)},
            {text("  blanks kept  "), text(""), Field::real(0.1), Field::real(1e21)},
        };
        const QByteArray bytes = write(records);
        QCOMPARE(bytes, QByteArray("\"/home/aki/\xe5\x8b\x95\xe7\x94\xbb/a, b.avi\",83.5,-1\r\n"
                                   "\"  blanks kept  \",\"\",0.1,1e+21\r\n"));
        QCOMPARE(parse(bytes), records);
        QCOMPARE(fieldAt(records[1], 2).toDouble(), std::optional<double>(0.1));
        QCOMPARE(fieldAt(records[0], 2).toInteger(), std::optional<qint64>(-1));
        QCOMPARE(fieldAt(records[0], 0).toInteger(), std::nullopt);
    }

    void textThatCannotStandInTheFormat()
    {
        // A quote is doubled, so that it neither ends the text early nor
        // comes back as another character: clip"A.avi and clip”A.avi are two
        // files.  Line breaks become blanks, and a bare field loses what would
        // make it read differently.
        const QByteArray bytes = write({
            {text("say \"hi\", then\r\nleave"), Field::integer(7), text("next")},
            {bare(" \"1,2\"3\n "), Field::real(std::nan(""))},
            {text("/m/clip\"A.avi"), text("/m/clip”A.avi"), text("\""), text("\"\"x\"")},
        });
        QCOMPARE(bytes, QByteArray("\"say \"\"hi\"\", then  leave\",7,\"next\"\r\n"
                                   "12\"3,0\r\n"
                                   "\"/m/clip\"\"A.avi\",\"/m/clip\xe2\x80\x9d"
                                   "A.avi\","
                                   "\"\"\"\",\"\"\"\"\"x\"\"\"\r\n"));
        QCOMPARE(parse(bytes),
                 QList<Record>({{text("say \"hi\", then  leave"), bare("7"), text("next")},
                                {bare("12\"3"), bare("0")},
                                {text("/m/clip\"A.avi"), text("/m/clip”A.avi"), text("\""),
                                 text("\"\"x\"")}}));
        // Files written before quotes were doubled read as they always did.
        QCOMPARE(parse("\"/m/clip\xe2\x80\x9d"
                       "A.avi\",\"\",\"b\"\r\n"),
                 QList<Record>({{text("/m/clip”A.avi"), text(""), text("b")}}));
    }

    void forgivingReader()
    {
        const QList<Record> records = parse("\xef\xbb\xbf\"a\" , 12 ,  \"b,c\"\n" // BOM, blanks
                                            "\n   \r\n"                           // blank lines
                                            "\"d\"junk,5\r"                       // junk; a lone CR
                                            "\"unterminated, still text\n"
                                            "1,\n"                 // trailing comma
                                            "\"\xff\xfe\",x y\n"); // not UTF-8
        QCOMPARE(records, QList<Record>({{text("a"), bare("12"), text("b,c")},
                                         {text("d"), bare("5")},
                                         {text("unterminated, still text")},
                                         {bare("1"), bare("")},
                                         {text(native_path::decode("\xff\xfe")), bare("x y")}}));
        QCOMPARE(fieldAt(records[2], 3), Field()); // a missing field reads empty
        // Bytes that are not UTF-8 (a name in Shift_JIS) go back as they were.
        QCOMPARE(write({records[4]}), QByteArray("\"\xff\xfe\",x y\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestQuotedRecords)
#include "test_quoted_records.moc"
