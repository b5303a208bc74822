// Play sequencing over an in-memory source: the order of steps by mode,
// without a window or a media session.

#include "memory_play_source.h"
#include "playback/play_mode.h"
#include "playback/play_sequencing.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <set>

namespace
{

struct Sequencing {
    explicit Sequencing(QStringList paths, int mode = PlayMode::Continuous)
        : source(std::move(paths)), mode(mode),
          sequencer([this] { return active ? &source : nullptr; }, [this] { return this->mode; })
    {
    }
    MemoryPlaySource source;
    int mode;
    bool active = true;
    PlaySequencer sequencer;
    QSignalSpy played{&sequencer, &PlaySequencer::playWanted};
    QSignalSpy stopped{&sequencer, &PlaySequencer::stopWanted};

    QString lastPlayed() const
    {
        return played.isEmpty() ? QString() : played.last()[0].toString();
    }
};

} // namespace

class TestPlayOrder : public QObject
{
    Q_OBJECT

private slots:
    void stepsWrapAroundBothWays()
    {
        Sequencing s({"a", "b", "c"});
        s.sequencer.play_prev(); // nothing current: the last entry
        QCOMPARE(s.lastPlayed(), QString("c"));
        QCOMPARE(s.source.topLine, 2);
        s.sequencer.play_next();
        QCOMPARE(s.lastPlayed(), QString("a"));
        QCOMPARE(s.source.topLine, 0);
        s.sequencer.play_next();
        QCOMPARE(s.lastPlayed(), QString("b"));
        s.sequencer.play_prev();
        s.sequencer.play_prev();
        QCOMPARE(s.lastPlayed(), QString("c"));
        QCOMPARE(s.played.count(), 5);
        QCOMPARE(s.stopped.count(), 5);
    }

    void randomPlaysEveryEntryOnceBeforeARepeatAndNeverStopsFirst()
    {
        Sequencing s({"1", "2", "3", "4", "5", "6", "7"}, PlayMode::Random);
        for (int round = 0; round < 3; ++round) {
            std::set<QString> seen;
            for (int i = 0; i < 7; ++i) {
                s.sequencer.play_next();
                seen.insert(s.lastPlayed());
                QCOMPARE(s.source.topLine, s.source.current);
            }
            QCOMPARE(int(seen.size()), 7);
        }
        QCOMPARE(s.stopped.count(), 0);
    }

    void nothingHappensWithoutAListOrWithAnEmptyOne()
    {
        Sequencing s({});
        s.sequencer.play_next();
        s.active = false;
        s.source.paths = {"a"};
        s.sequencer.play_prev();
        QCOMPARE(s.played.count(), 0);
        QCOMPARE(s.stopped.count(), 0);
    }

    // A vanished entry is selected and handed back to its list; playback
    // does not skip on to a further entry.
    void aVanishedEntryIsReportedAndNotPlayed()
    {
        Sequencing s({"a", "b", "c"});
        s.source.current = 0;
        s.source.gone = {1};
        s.sequencer.play_next();
        QCOMPARE(s.source.current, 1);
        QCOMPARE(s.played.count(), 0);
        QCOMPARE(s.source.missed, QList<int>{1});
    }

    // A list that keeps the movie going forward (the search results) is only
    // stopped going back.
    void stoppingBeforeAStepIsTheListsChoice()
    {
        Sequencing s({"a", "b"});
        s.source.stopsGoingForward = false;
        s.sequencer.play_next();
        QCOMPARE(s.stopped.count(), 0);
        s.sequencer.play_prev();
        QCOMPARE(s.stopped.count(), 1);
        QCOMPARE(s.played.count(), 2);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestPlayOrder test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_play_order.moc"
