// Questions about files answered without waiting: on a share whose server is
// gone the answer is "no answer", in time, and the caller never waits.

#include "base/file_probe.h"
#include "stalling_mount.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using file_probe::Answer;

class TestFileProbe : public QObject
{
    Q_OBJECT

    std::optional<Answer> ask(const QString &path, int timeoutMs = file_probe::kDefaultTimeoutMs)
    {
        std::optional<Answer> answer;
        file_probe::isFile(
            path, this, [&answer](Answer a) { answer = a; }, timeoutMs);
        // Never answered on the caller's stack.
        if (answer)
            return Answer(-1);
        if (!QTest::qWaitFor([&] { return answer.has_value(); }, timeoutMs + 3000))
            return std::nullopt;
        return answer;
    }

private slots:
    void localFilesAndFolders()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("clip.avi"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(ask(file.fileName()), Answer::File);
        QCOMPARE(ask(dir.filePath("gone.avi")), Answer::Missing);
        QCOMPARE(ask(dir.path()), Answer::Missing);
    }

    void aShareThatStopsAnsweringGivesNoAnswerInTime()
    {
        if (!fuseUsable())
            QSKIP("FUSE is not usable here");
        QTemporaryDir source;
        QTemporaryDir mountParent;
        QFile file(source.filePath("clip.avi"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        StallingMount mount("mirror", source.path(), mountParent.filePath("share"));
        QVERIFY(mount.waitMounted());
        QCOMPARE(ask(mount.path("clip.avi")), Answer::File);

        mount.freeze();
        QCOMPARE(ask(mount.path("other.avi"), 300), Answer::NoAnswer);
        QVERIFY(file_probe::stuckQuestions() >= 1);
        // The stuck thread does not hold up questions about other places.
        QCOMPARE(ask(source.filePath("clip.avi")), Answer::File);
        mount.thaw();
        QVERIFY(QTest::qWaitFor([] { return file_probe::stuckQuestions() == 0; }, 5000));
    }

    void noAnswerReachesAContextThatIsGone()
    {
        QTemporaryDir dir;
        bool told = false;
        {
            QObject context;
            file_probe::isFile(dir.path(), &context, [&told](Answer) { told = true; });
        }
        QTest::qWait(200);
        QVERIFY(!told);
    }
};

QTEST_GUILESS_MAIN(TestFileProbe)
#include "test_file_probe.moc"
