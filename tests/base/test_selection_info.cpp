// The size and count texts of the list menus and the drag range toggle.

#include "base/selection_info.h"

#include <QTest>

class TestSelectionInfo : public QObject
{
    Q_OBJECT

private slots:
    void sizeAndCountTexts()
    {
        using selection_info::infoCaption;
        using selection_info::sizeText;
        QCOMPARE(sizeText(0), QString("Byte"));
        QCOMPARE(sizeText(1000), QString("1,000Byte"));
        QCOMPARE(sizeText(999999), QString("999,999Byte"));
        QCOMPARE(sizeText(1000000), QString("1MByte"));
        QCOMPARE(sizeText(9999999), QString("9MByte"));
        QCOMPARE(sizeText(10000000), QString("10MByte"));
        QCOMPARE(sizeText(12345678901.0), QString("12,345MByte"));
        QCOMPARE(sizeText(1234567890123.0), QString("1,234,567MByte"));

        QCOMPARE(infoCaption(0, 5000), QString());
        QCOMPARE(infoCaption(1, 123456), QString("123,456Byte"));
        QCOMPARE(infoCaption(3, 12500000), QString::fromUtf8("12MByte - 3個のファイル"));
        QCOMPARE(infoCaption(12, 0), QString::fromUtf8("Byte - 12個のファイル"));
    }

    void rangeToggleRows()
    {
        using selection_info::rangeToggleRows;
        // From the row released on towards the pressed one, without it.
        QCOMPARE(rangeToggleRows(2, 5), QList<int>({5, 4, 3}));
        QCOMPARE(rangeToggleRows(5, 2), QList<int>({2, 3, 4}));
        QCOMPARE(rangeToggleRows(4, 3), QList<int>({3}));
        QVERIFY(rangeToggleRows(3, 3).isEmpty());
        QVERIFY(rangeToggleRows(-1, 3).isEmpty());
        QVERIFY(rangeToggleRows(3, -1).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestSelectionInfo)

#include "test_selection_info.moc"
