// first_frame_probe: starts a video player, watches the X screen until the
// clip's solid colour appears, then measures the player's memory while it
// keeps playing, and ends it.
//
// Usage:
//   first_frame_probe [options] -- program [arguments...]
//
// Options:
//   --label TEXT         name printed in the result line (default: program name)
//   --colour RRGGBB      the clip's colour (default FF00FF)
//   --tolerance N        per-channel tolerance (default 60)
//   --min-pixels N       pixels of that colour needed on screen (default 2000)
//   --step N             sample every N-th pixel in both directions (default 4)
//   --poll-ms N          pause between two screen grabs (default 5)
//   --timeout-ms N       give up waiting for the picture after N ms (default 15000)
//   --hold-ms N          keep the player running N ms after the picture (default 2000)
//   --rss-poll-ms N      VmRSS sampling period while holding (default 20)
//   --tree-poll-ms N     period of the look-up of helper processes (default 100)
//   --log FILE           append the player's stdout and stderr to FILE
//
// One JSON object is printed on stdout per run, for example
//   {"label":"mpv","first_frame_ms":183.4,"vm_hwm_kib":71234,"rss_max_kib":70112,
//    "picture":"800x600+0+0",...}
// where "picture" is the rectangle the clip's colour covers at the end.
// The exit status is 0 when the picture was seen and the memory was read.
//
// Programs that start helper processes (a front end running a separate
// player, worker processes) are counted as a whole as well: the process and
// all its descendants are looked up every --tree-poll-ms and their memory is
// read with the program's own.  "tree_hwm_kib" is the largest sum of the
// VmHWM of the processes running at the same time (at one look-up): helpers
// that ran one after the other are not added up, but the peaks of processes
// running together are, even if they did not happen at the same moment.
// "processes" names every process seen, e.g. "smplayer,mpv*2" (two mpv
// processes, one after the other or together).  For a program without
// helpers tree_hwm_kib equals vm_hwm_kib.
//
// The method is the same for every program: the time is taken from right
// before the process is started to the screen grab that first shows enough
// pixels of the clip's colour. Peak memory is VmHWM from /proc/<pid>/status
// read just before the process is asked to end; the largest VmRSS seen while
// polling is printed as a cross-check.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/types.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace
{

// Grabs the whole screen.  On X11 through shared memory: the picture is
// copied once inside the X server instead of being sent over the socket,
// which keeps the server free for the program being measured (a plain grab
// of a 1280x1024 screen keeps Xvfb busy for about 5 ms, during which the
// program's own requests wait).  Elsewhere through Qt.
class ScreenGrabber
{
public:
    explicit ScreenGrabber(QScreen *screen) : screen_(screen)
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        display_ = x11 ? x11->display() : nullptr;
        if (!display_ || !XShmQueryExtension(display_))
            return;
        const int number = DefaultScreen(display_);
        root_ = RootWindow(display_, number);
        image_ = XShmCreateImage(display_, DefaultVisual(display_, number),
                                 DefaultDepth(display_, number), ZPixmap, nullptr, &segment_,
                                 DisplayWidth(display_, number), DisplayHeight(display_, number));
        if (!image_ || image_->bits_per_pixel != 32) {
            release();
            return;
        }
        segment_.shmid =
            shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * image_->height, IPC_CREAT | 0600);
        segment_.shmaddr = image_->data = static_cast<char *>(shmat(segment_.shmid, nullptr, 0));
        segment_.readOnly = False;
        if (segment_.shmaddr == reinterpret_cast<char *>(-1) || !XShmAttach(display_, &segment_)) {
            release();
            return;
        }
        XSync(display_, False);
        // Gone with the last user, even if the probe dies.
        shmctl(segment_.shmid, IPC_RMID, nullptr);
        attached_ = true;
    }

    ~ScreenGrabber() { release(); }

    // The screen as 32-bit RGB; valid until the next grab.
    QImage grab()
    {
        if (attached_ && XShmGetImage(display_, root_, image_, 0, 0, AllPlanes))
            return QImage(reinterpret_cast<const uchar *>(image_->data), image_->width,
                          image_->height, image_->bytes_per_line, QImage::Format_RGB32);
        return screen_->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    }

private:
    void release()
    {
        if (attached_)
            XShmDetach(display_, &segment_);
        if (image_) {
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
        }
        if (segment_.shmaddr && segment_.shmaddr != reinterpret_cast<char *>(-1))
            shmdt(segment_.shmaddr);
        segment_.shmaddr = nullptr;
        attached_ = false;
    }

    QScreen *screen_;
    Display *display_ = nullptr;
    Window root_ = 0;
    XImage *image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool attached_ = false;
};

struct Options {
    QString label;
    QRgb colour = qRgb(0xFF, 0x00, 0xFF);
    int tolerance = 60;
    int minPixels = 2000;
    int step = 4;
    int pollMs = 5;
    int timeoutMs = 15000;
    int holdMs = 2000;
    int rssPollMs = 20;
    int treePollMs = 100;
    QString logFile;
    QString program;
    QStringList arguments;
};

struct ProcMemory {
    qint64 rssKib = -1;
    qint64 hwmKib = -1;
};

// Reads VmRSS and VmHWM (kB) of a running process; -1 when not available
// (the process is gone or is a zombie).
ProcMemory readProcMemory(qint64 pid)
{
    ProcMemory m;
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return m;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const bool isRss = line.startsWith("VmRSS:");
        const bool isHwm = line.startsWith("VmHWM:");
        if (!isRss && !isHwm)
            continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        bool ok = false;
        const qint64 v = parts.at(1).toLongLong(&ok);
        if (!ok)
            continue;
        if (isRss)
            m.rssKib = v;
        else
            m.hwmKib = v;
    }
    return m;
}

// The parent of every running process, from /proc/<pid>/stat.
QHash<qint64, qint64> parentsOfAll()
{
    QHash<qint64, qint64> parents;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = f.readAll();
        // "pid (comm) state ppid ...": comm may hold blanks and parentheses.
        const int close = stat.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() < 2)
            continue;
        parents.insert(pid, fields.at(1).toLongLong());
    }
    return parents;
}

// The process and its helpers: every process started by it, directly or not.
class ProcessTree
{
public:
    explicit ProcessTree(qint64 root) : root_(root) {}

    // Looks for new descendants and reads everyone's memory.
    void scan()
    {
        const QHash<qint64, qint64> parents = parentsOfAll();
        QList<qint64> tree{root_};
        for (int i = 0; i < tree.size(); ++i) {
            for (auto it = parents.constBegin(); it != parents.constEnd(); ++it) {
                if (it.value() == tree.at(i) && !tree.contains(it.key()))
                    tree.append(it.key());
            }
        }
        live_ = tree;
        sample();
        // The name after the process has replaced itself (a wrapper that
        // execs the program).
        for (const qint64 pid : std::as_const(live_)) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            if (members_.contains(pid) && comm.open(QIODevice::ReadOnly))
                members_[pid].name = QString::fromLocal8Bit(comm.readAll().trimmed());
        }
    }

    // Reads the memory of the processes known to be in the tree; returns the
    // sum of their VmRSS.
    qint64 sample()
    {
        qint64 rss = 0;
        qint64 hwm = 0;
        for (const qint64 pid : std::as_const(live_)) {
            const ProcMemory m = readOne(pid);
            if (m.hwmKib < 0)
                continue;
            rss += std::max<qint64>(0, m.rssKib);
            hwm += m.hwmKib;
        }
        peakHwmSumKib_ = std::max(peakHwmSumKib_, hwm);
        return rss;
    }

    qint64 hwmSumKib() const { return peakHwmSumKib_; }

    QString names() const
    {
        QStringList order;
        QHash<QString, int> counts;
        for (const Member &m : members_) {
            if (!counts.contains(m.name))
                order << m.name;
            ++counts[m.name];
        }
        QStringList names;
        for (const QString &name : std::as_const(order))
            names << (counts.value(name) > 1
                          ? QStringLiteral("%1*%2").arg(name).arg(counts.value(name))
                          : name);
        return names.join(QLatin1Char(','));
    }

    int count() const { return int(members_.size()); }

private:
    struct Member {
        QString name;
        qint64 hwmKib = -1;
    };

    ProcMemory readOne(qint64 pid)
    {
        const ProcMemory m = readProcMemory(pid);
        if (m.hwmKib < 0)
            return m;
        Member &member = members_[pid];
        if (member.name.isEmpty()) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            if (comm.open(QIODevice::ReadOnly))
                member.name = QString::fromLocal8Bit(comm.readAll().trimmed());
        }
        member.hwmKib = std::max(member.hwmKib, m.hwmKib);
        return m;
    }

    qint64 root_;
    qint64 peakHwmSumKib_ = 0;
    QList<qint64> live_;
    QMap<qint64, Member> members_;
};

bool isNear(QRgb p, const Options &o)
{
    return std::abs(qRed(p) - qRed(o.colour)) <= o.tolerance &&
           std::abs(qGreen(p) - qGreen(o.colour)) <= o.tolerance &&
           std::abs(qBlue(p) - qBlue(o.colour)) <= o.tolerance;
}

// Counts the sampled pixels close to the wanted colour and returns the
// equivalent number of screen pixels (each sample stands for step*step).
qint64 colourArea(const QImage &image, const Options &o)
{
    qint64 hits = 0;
    const int w = image.width();
    const int h = image.height();
    for (int y = 0; y < h; y += o.step) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; x += o.step) {
            if (isNear(line[x], o))
                ++hits;
        }
    }
    return hits * o.step * o.step;
}

// Counts the sampled pixels that differ from the same pixels of an earlier
// grab of the same size.
qint64 changedSamples(const QImage &image, const QImage &before, const Options &o)
{
    if (image.size() != before.size())
        return 0;
    qint64 changed = 0;
    for (int y = 0; y < image.height(); y += o.step) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const auto *old = reinterpret_cast<const QRgb *>(before.constScanLine(y));
        for (int x = 0; x < image.width(); x += o.step) {
            if ((line[x] & 0xFFFFFF) != (old[x] & 0xFFFFFF))
                ++changed;
        }
    }
    return changed;
}

// The smallest rectangle holding every pixel close to the wanted colour, at
// full resolution; empty when there is none.
QRect colourBounds(const QImage &image, const Options &o)
{
    int left = image.width();
    int top = image.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (!isNear(line[x], o))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

std::optional<Options> parseArguments(const QStringList &args, QString *error)
{
    Options o;
    int i = 1;
    auto intValue = [&](int *target) {
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("missing value for %1").arg(args.at(i));
            return false;
        }
        bool ok = false;
        const int v = args.at(i + 1).toInt(&ok);
        if (!ok || v < 0) {
            *error = QStringLiteral("bad value for %1").arg(args.at(i));
            return false;
        }
        *target = v;
        ++i;
        return true;
    };
    for (; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--")) {
            ++i;
            break;
        }
        if (a == QLatin1String("--label") && i + 1 < args.size()) {
            o.label = args.at(++i);
        } else if (a == QLatin1String("--log") && i + 1 < args.size()) {
            o.logFile = args.at(++i);
        } else if (a == QLatin1String("--colour") && i + 1 < args.size()) {
            bool ok = false;
            const uint v = args.at(++i).toUInt(&ok, 16);
            if (!ok) {
                *error = QStringLiteral("bad colour");
                return std::nullopt;
            }
            o.colour = qRgb((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        } else if (a == QLatin1String("--tolerance")) {
            if (!intValue(&o.tolerance))
                return std::nullopt;
        } else if (a == QLatin1String("--min-pixels")) {
            if (!intValue(&o.minPixels))
                return std::nullopt;
        } else if (a == QLatin1String("--step")) {
            if (!intValue(&o.step))
                return std::nullopt;
        } else if (a == QLatin1String("--poll-ms")) {
            if (!intValue(&o.pollMs))
                return std::nullopt;
        } else if (a == QLatin1String("--timeout-ms")) {
            if (!intValue(&o.timeoutMs))
                return std::nullopt;
        } else if (a == QLatin1String("--hold-ms")) {
            if (!intValue(&o.holdMs))
                return std::nullopt;
        } else if (a == QLatin1String("--rss-poll-ms")) {
            if (!intValue(&o.rssPollMs))
                return std::nullopt;
        } else if (a == QLatin1String("--tree-poll-ms")) {
            if (!intValue(&o.treePollMs))
                return std::nullopt;
        } else {
            *error = QStringLiteral("unknown option %1").arg(a);
            return std::nullopt;
        }
    }
    if (i >= args.size()) {
        *error = QStringLiteral("no program given");
        return std::nullopt;
    }
    o.program = args.at(i);
    o.arguments = args.mid(i + 1);
    if (o.step < 1)
        o.step = 1;
    if (o.rssPollMs < 1)
        o.rssPollMs = 1;
    if (o.treePollMs < 1)
        o.treePollMs = 1;
    if (o.label.isEmpty())
        o.label = o.program.section(QLatin1Char('/'), -1);
    return o;
}

QString jsonString(const QString &s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QString error;
    const std::optional<Options> parsed = parseArguments(app.arguments(), &error);
    if (!parsed) {
        std::fprintf(stderr, "first_frame_probe: %s\n", qPrintable(error));
        std::fprintf(stderr, "usage: first_frame_probe [options] -- program [arguments...]\n");
        return 2;
    }
    const Options &o = *parsed;

    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "first_frame_probe: no screen\n");
        return 2;
    }

    QProcess proc;
    proc.setProgram(o.program);
    proc.setArguments(o.arguments);
    proc.setStandardInputFile(QProcess::nullDevice());
    if (o.logFile.isEmpty()) {
        proc.setStandardOutputFile(QProcess::nullDevice());
        proc.setStandardErrorFile(QProcess::nullDevice());
    } else {
        proc.setStandardOutputFile(o.logFile, QIODevice::Append);
        proc.setStandardErrorFile(o.logFile, QIODevice::Append);
    }

    // Make sure nothing of the colour is on screen before the start.
    ScreenGrabber grabber(screen);
    // A deep copy: the grabber reuses its buffer.
    const QImage before = grabber.grab().copy();
    if (colourArea(before, o) >= o.minPixels) {
        std::fprintf(stderr, "first_frame_probe: the colour is already on screen\n");
        return 2;
    }

    QElapsedTimer clock; // monotonic
    clock.start();
    proc.start();
    if (!proc.waitForStarted(5000)) {
        std::fprintf(stderr, "first_frame_probe: cannot start %s: %s\n", qPrintable(o.program),
                     qPrintable(proc.errorString()));
        return 1;
    }
    const qint64 pid = proc.processId();
    ProcessTree tree(pid);
    qint64 treeRssMaxKib = -1;
    QElapsedTimer sinceTreeScan;
    sinceTreeScan.start();
    auto sampleTree = [&]() {
        if (sinceTreeScan.elapsed() >= o.treePollMs) {
            tree.scan();
            sinceTreeScan.restart();
        }
        treeRssMaxKib = std::max(treeRssMaxKib, tree.sample());
    };

    double firstFrameMs = -1.0;
    // A diagnostic: the first grab where the screen differs from the one
    // before the start (a window other than black was drawn, or the picture).
    double firstChangeMs = -1.0;
    const qint64 minChangedSamples = std::max<qint64>(1, o.minPixels / (o.step * o.step));
    qint64 rssMaxKib = -1;
    int grabs = 0;
    double grabMsTotal = 0.0;
    double lastMissMs = 0.0;
    bool exitedEarly = false;

    while (clock.elapsed() < o.timeoutMs) {
        const double issuedMs = clock.nsecsElapsed() / 1e6;
        const QImage image = grabber.grab();
        const double grabbedMs = clock.nsecsElapsed() / 1e6;
        ++grabs;
        grabMsTotal += grabbedMs - issuedMs;
        if (firstChangeMs < 0 && changedSamples(image, before, o) >= minChangedSamples)
            firstChangeMs = issuedMs;
        if (colourArea(image, o) >= o.minPixels) {
            // The picture appeared after the previous grab and before this
            // one finished; take the moment this grab was issued.
            firstFrameMs = issuedMs;
            break;
        }
        lastMissMs = issuedMs;
        const ProcMemory m = readProcMemory(pid);
        rssMaxKib = std::max(rssMaxKib, m.rssKib);
        if (sinceTreeScan.elapsed() >= o.treePollMs)
            sampleTree();
        QCoreApplication::processEvents();
        if (proc.state() == QProcess::NotRunning) {
            exitedEarly = true;
            break;
        }
        if (o.pollMs > 0)
            QThread::msleep(o.pollMs);
    }

    ProcMemory last;
    if (firstFrameMs >= 0) {
        QElapsedTimer hold;
        hold.start();
        while (hold.elapsed() < o.holdMs) {
            const ProcMemory m = readProcMemory(pid);
            if (m.rssKib < 0)
                break;
            rssMaxKib = std::max(rssMaxKib, m.rssKib);
            last = m;
            sampleTree();
            QThread::msleep(o.rssPollMs);
        }
    }
    // Where the picture is once it plays, so that the caller can compare the
    // picture sizes of different programs.
    QRect picture;
    if (firstFrameMs >= 0 && proc.state() != QProcess::NotRunning)
        picture = colourBounds(grabber.grab(), o);

    // Read just before the process is asked to end.
    const ProcMemory atEnd = readProcMemory(pid);
    if (atEnd.hwmKib >= 0)
        last = atEnd;
    rssMaxKib = std::max(rssMaxKib, atEnd.rssKib);
    if (atEnd.hwmKib >= 0) {
        tree.scan();
        treeRssMaxKib = std::max(treeRssMaxKib, tree.sample());
    }

    bool killed = false;
    if (proc.state() != QProcess::NotRunning) {
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        if (!proc.waitForFinished(5000)) {
            proc.kill();
            proc.waitForFinished(5000);
            killed = true;
        }
    } else {
        exitedEarly = true;
    }

    const bool ok = firstFrameMs >= 0 && last.hwmKib >= 0;
    QString line = QStringLiteral("{\"label\":%1").arg(jsonString(o.label));
    line += QStringLiteral(",\"ok\":%1").arg(ok ? QStringLiteral("true") : QStringLiteral("false"));
    line += QStringLiteral(",\"first_frame_ms\":%1")
                .arg(firstFrameMs >= 0 ? QString::number(firstFrameMs, 'f', 1)
                                       : QStringLiteral("null"));
    line += QStringLiteral(",\"first_change_ms\":%1")
                .arg(firstChangeMs >= 0 ? QString::number(firstChangeMs, 'f', 1)
                                        : QStringLiteral("null"));
    line += QStringLiteral(",\"last_miss_ms\":%1").arg(QString::number(lastMissMs, 'f', 1));
    line += QStringLiteral(",\"vm_hwm_kib\":%1")
                .arg(last.hwmKib >= 0 ? QString::number(last.hwmKib) : QStringLiteral("null"));
    line += QStringLiteral(",\"rss_max_kib\":%1")
                .arg(rssMaxKib >= 0 ? QString::number(rssMaxKib) : QStringLiteral("null"));
    line += QStringLiteral(",\"tree_hwm_kib\":%1")
                .arg(tree.count() ? QString::number(tree.hwmSumKib()) : QStringLiteral("null"));
    line += QStringLiteral(",\"tree_rss_max_kib\":%1")
                .arg(treeRssMaxKib >= 0 ? QString::number(treeRssMaxKib) : QStringLiteral("null"));
    line += QStringLiteral(",\"processes\":%1").arg(jsonString(tree.names()));
    line += QStringLiteral(",\"picture\":%1")
                .arg(picture.isEmpty() ? QStringLiteral("null")
                                       : jsonString(QStringLiteral("%1x%2+%3+%4")
                                                        .arg(picture.width())
                                                        .arg(picture.height())
                                                        .arg(picture.x())
                                                        .arg(picture.y())));
    line += QStringLiteral(",\"grabs\":%1").arg(grabs);
    line += QStringLiteral(",\"mean_grab_ms\":%1")
                .arg(QString::number(grabs ? grabMsTotal / grabs : 0.0, 'f', 2));
    line += QStringLiteral(",\"exited_early\":%1")
                .arg(exitedEarly ? QStringLiteral("true") : QStringLiteral("false"));
    line += QStringLiteral(",\"killed\":%1}")
                .arg(killed ? QStringLiteral("true") : QStringLiteral("false"));
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
    return ok ? 0 : 1;
}
