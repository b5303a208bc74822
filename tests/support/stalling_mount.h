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
    // mode: "mirror", "slow", "hung" or "hungdir" (see stalling_fs.py).
    StallingMount(const QString &mode, const QString &source, const QString &mountPoint);
    ~StallingMount();

    bool waitMounted();
    QString mountPoint() const { return mountPoint_; }
    QString path(const QString &name) const { return mountPoint_ + "/" + name; }

private:
    QString mountPoint_;
    QProcess fs_;
};
