// Random play: every position has its turn before any comes again.

#include "base/random_picker.h"

#include <QTest>
#include <set>

class TestRandomPicker : public QObject
{
    Q_OBJECT

private slots:
    void tinyListsNeedNoHistory()
    {
        RandomPicker picker;
        QCOMPARE(picker.pick_random(0), -1);
        QCOMPARE(picker.pick_random(-3), -1);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(picker.pick_random(1), 0);
        QVERIFY(picker.history().empty());
    }

    void everyPositionOnceThenANewRound()
    {
        for (int trial = 0; trial < 50; ++trial) {
            RandomPicker picker;
            std::set<int> seen;
            for (int i = 0; i < 5; ++i) {
                const int r = picker.pick_random(5);
                QVERIFY(r >= 0 && r < 5);
                seen.insert(r);
            }
            QCOMPARE(int(seen.size()), 5);
            // The sixth pick empties the history and starts it again.
            const int sixth = picker.pick_random(5);
            QVERIFY(sixth >= 0 && sixth < 5);
            QCOMPARE(picker.history(), std::vector<int>{sixth});
        }
    }

    void givesUpAfterAHundredUnluckyDraws()
    {
        int draws = 0;
        RandomPicker picker([&draws] {
            ++draws;
            return 0.0;
        });
        QCOMPARE(picker.pick_random(3), 0);
        draws = 0;
        // Every draw hits position 0 again: after a hundred it is returned
        // anyway and not remembered twice.
        QCOMPARE(picker.pick_random(3), 0);
        QCOMPARE(draws, 101);
        QCOMPARE(picker.history(), std::vector<int>{0});
    }

    void historyHoldsAtMost513Positions()
    {
        int next = 0;
        const int n = 1000;
        RandomPicker picker([&next] { return (next++ % n + 0.5) / n; });
        for (int i = 0; i < 600; ++i)
            QCOMPARE(picker.pick_random(n), i);
        // The first 513 picks are remembered, the later ones no longer.
        QCOMPARE(int(picker.history().size()), 513);
        QCOMPARE(picker.history().back(), 512);
    }

    void drawStaysInsideTheList()
    {
        RandomPicker picker([] { return 0.9999999999999999; });
        QCOMPARE(picker.pick_random(7), 6);
    }
};

QTEST_GUILESS_MAIN(TestRandomPicker)
#include "test_random_picker.moc"
