// The running instance's side of the hand-over: callers that connect and send
// nothing, or too much, and a listener that stopped, never cost a later
// second start its movie.

#include "desktop/instance_handover.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{

int connectedOf(const std::vector<std::unique_ptr<QLocalSocket>> &callers)
{
    int connected = 0;
    for (const auto &caller : callers)
        connected += caller->state() == QLocalSocket::ConnectedState;
    return connected;
}

std::unique_ptr<QLocalSocket> caller(const QString &path)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(path);
    socket->waitForConnected(5000);
    return socket;
}

// A second start's hand-over, which waits for the listener's answer: from a
// thread of its own, as from another process, while this one listens.
std::future<bool> handOverLater(const QString &path, const QString &line, int timeoutMs)
{
    return std::async(std::launch::async,
                      [=] { return InstanceHandover::handOver(path, line, timeoutMs); });
}

bool handOver(const QString &path, const QString &line, int timeoutMs)
{
    std::future<bool> result = handOverLater(path, line, timeoutMs);
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return result.get();
}

// Takes every descriptor the process may still open but `left`, for the
// life of the object.
class DescriptorsTaken
{
public:
    explicit DescriptorsTaken(int left)
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 4096);
        setrlimit(RLIMIT_NOFILE, &low);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            taken_.push_back(null);
        for (int fd; null >= 0 && (fd = ::dup(null)) >= 0;)
            taken_.push_back(fd);
        for (int i = 0; i < left && !taken_.empty(); ++i) {
            ::close(taken_.back());
            taken_.pop_back();
        }
    }
    ~DescriptorsTaken()
    {
        for (const int fd : taken_)
            ::close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

private:
    rlimit saved_{};
    std::vector<int> taken_;
};

// A listener whose idle callers are not closed by time, and what it took.
struct Listener {
    QTemporaryDir dir;
    const QString path = dir.path() + "/handover.socket";
    InstanceHandover handover;
    QStringList received;

    Listener()
    {
        handover.setCallerTimeout(60'000);
        QObject::connect(&handover, &InstanceHandover::received,
                         [this](const QString &line) { received.append(line); });
    }
};

} // namespace

class TestInstanceHandover : public QObject
{
    Q_OBJECT

private slots:
    void idleAndOversizedCallersDoNotWearTheListenerDown()
    {
        // Idle callers are closed only by the cap at first.
        Listener listener;
        const QString &path = listener.path;
        InstanceHandover &handover = listener.handover;
        QStringList &received = listener.received;
        QVERIFY(handover.listen(path));

        // Callers beyond the few served at a time are turned away at once.
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < InstanceHandover::kMostCallers + 4; ++i)
            idle.push_back(caller(path));
        QTRY_COMPARE(connectedOf(idle), InstanceHandover::kMostCallers);
        idle.clear();

        // A whole line longer than the limit is refused, not delivered.
        auto flood = caller(path);
        flood->write(QByteArray(InstanceHandover::kLongestMessage + 100, 'x') + "\n/m/a.avi\n");
        QTRY_COMPARE(flood->state(), QLocalSocket::UnconnectedState);

        // A caller that sends no whole line is closed after a short while.
        handover.setCallerTimeout(200);
        auto silent = caller(path);
        silent->write("/m/half");
        QTRY_COMPARE(silent->state(), QLocalSocket::UnconnectedState);

        QVERIFY(handOver(path, "/m/b.avi", 5000));
        QTRY_COMPARE(received, QStringList{"/m/b.avi"});

        // No descriptor left when a caller comes: the server stops (and
        // removes its socket); it listens again once descriptors are back.
        {
            DescriptorsTaken taken(1);
            auto starved = std::make_unique<QLocalSocket>();
            starved->connectToServer(path);
            QTRY_VERIFY(!QFile::exists(path));
        }
        QTRY_VERIFY(QFile::exists(path));
        QVERIFY(handOver(path, "/m/c.avi", 5000));
        QTRY_COMPARE(received.last(), QString("/m/c.avi"));
        QCOMPARE(received.join(" "), QString("/m/b.avi /m/c.avi"));
    }

    // While every slot is held a second start waits for one; when none comes
    // in its time it says the line was not taken, never that it was.
    void aSecondStartWaitsForASlotOrSaysItWasNotTaken()
    {
        Listener listener;
        const QString &path = listener.path;
        QStringList &received = listener.received;
        QVERIFY(listener.handover.listen(path));
        std::vector<std::unique_ptr<QLocalSocket>> idle;
        for (int i = 0; i < InstanceHandover::kMostCallers; ++i)
            idle.push_back(caller(path));
        QTRY_COMPARE(connectedOf(idle), InstanceHandover::kMostCallers);

        QVERIFY(!handOver(path, "/m/lost.avi", 300));
        std::future<bool> waiting = handOverLater(path, "/m/a.avi", 10'000);
        idle.pop_back();
        QTRY_COMPARE(received, QStringList{"/m/a.avi"});
        QVERIFY(waiting.get());
    }
};

QTEST_GUILESS_MAIN(TestInstanceHandover)
#include "test_instance_handover.moc"
