#pragma once

#include <QProcess>
#include <QString>

// A FUSE file system mirroring a folder (tests/support/stalling_fs.py),
// mounted for the life of the object.

// Whether the tests can mount one here: /dev/fuse, fusermount3 and
// python3-fusepy.
bool fuseUsable();

class StallingMount
{
public:
    // mode: "mirror", "slow", "hung", "hungdir" or "failing" (see
    // stalling_fs.py).
    StallingMount(const QString &mode, const QString &source, const QString &mountPoint);
    ~StallingMount();

    bool waitMounted();
    // The share's server goes away and comes back: every call into the file
    // system, stat included, waits while it is frozen.
    void freeze();
    void thaw();
    // Reads of file data that have begun, and those begun that have not
    // answered yet.
    int readsBegun() const;
    int readsWaiting() const;
    QString mountPoint() const { return mountPoint_; }
    QString path(const QString &name) const { return mountPoint_ + "/" + name; }

private:
    QByteArray readLog() const;

    QString mountPoint_;
    // Beside the mount point, where the file system notes its reads.
    QString readLog_;
    QProcess fs_;
};
