// The one order names are shown in.

#include "base/folder_reader.h"
#include "base/name_order.h"

#include <QTest>
#include <algorithm>

class TestNameOrder : public QObject
{
    Q_OBJECT

private slots:
    // Numbers as numbers, case ignored but fixed, kana together; the same
    // order whether a list is short or long enough to be sorted by keys.
    void namesSortAsAFileManagerShowsThem()
    {
        QStringList names{"d10",
                          "d2",
                          "d1",
                          "D1",
                          "d11",
                          "clip_10.avi",
                          "clip_9.avi",
                          "clip_0007.avi",
                          "clip_0004.avi",
                          "b",
                          "B",
                          "a",
                          QString::fromUtf8("かきく"),
                          QString::fromUtf8("アイウ"),
                          QString::fromUtf8("あいう")};
        folder_reader::sortNames(names);
        QCOMPARE(names, (QStringList{"a", "B", "b", "clip_0004.avi", "clip_0007.avi", "clip_9.avi",
                                     "clip_10.avi", "D1", "d1", "d2", "d10", "d11",
                                     QString::fromUtf8("あいう"), QString::fromUtf8("アイウ"),
                                     QString::fromUtf8("かきく")}));

        // Sorted through the collation's keys (one name is not ASCII), against
        // pairs compared one by one (ASCII names on their own quicker path).
        QStringList many{QString::fromUtf8("動画 1.avi")};
        const QString marks = " _-,;!?.'()[]{}@*/&#%^+<=>|~$";
        for (int i = 0; i < 600; ++i)
            many.append(QString("%1%2%3%4")
                            .arg(i % 3 ? "Take" : "take")
                            .arg(marks[i % marks.size()])
                            .arg(i % 5 ? QString::number(i * 37 % 211) : "007")
                            .arg(i % 7));
        QStringList byCompare = many;
        std::sort(byCompare.begin(), byCompare.end(), name_order::less);
        QCOMPARE(name_order::firstInOrder(many, 40), byCompare.mid(0, 40));
        name_order::sort(many);
        QCOMPARE(many, byCompare);

        // A big folder's keys are made on two threads.
        QStringList big;
        for (int i = 0; i < 24000; ++i)
            big.append(byCompare[i * 7 % byCompare.size()] + QString::number(i % 13));
        QStringList bigByCompare = big;
        std::sort(bigByCompare.begin(), bigByCompare.end(), name_order::less);
        name_order::sort(big);
        QCOMPARE(big, bigByCompare);
        QVERIFY(name_order::less("take2_0", "Take10_0"));
    }
};

QTEST_GUILESS_MAIN(TestNameOrder)
#include "test_name_order.moc"
