#!/usr/bin/python3
"""A read-only mirror of a folder where every request takes a while, as on a
network share: a stand-in for a share to search over.

    slow_fs.py DELAY_MS SOURCE MOUNTPOINT

Every lookup (getattr), folder listing, open and read of file data waits
DELAY_MS milliseconds before it answers; requests are served by several
threads at once, as a file server does.  Listings carry each entry's type,
as those of network file systems do, so that a walk need not ask for it.
Runs in the foreground until unmounted (fusermount3 -u MOUNTPOINT) or until
the process that started it ends.
"""
import errno
import os
import stat
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class SlowMirror(Operations):
    def __init__(self, delay, source):
        self.delay = delay
        self.source = source

    def _real(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def _wait(self):
        time.sleep(self.delay)

    def getattr(self, path, fh=None):
        self._wait()
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in (
            "st_mode", "st_nlink", "st_size", "st_uid", "st_gid",
            "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        self._wait()
        entries = [(".", None, 0), ("..", None, 0)]
        with os.scandir(self._real(path)) as listing:
            for entry in listing:
                mode = stat.S_IFDIR if entry.is_dir(follow_symlinks=False) else (
                    stat.S_IFLNK if entry.is_symlink() else stat.S_IFREG)
                entries.append((entry.name, {"st_mode": mode}, 0))
        return entries

    def open(self, path, flags):
        self._wait()
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        self._wait()
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0


def end_with_parent():
    parent = os.getppid()

    def watch():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    delay = float(sys.argv[1]) / 1000
    source, mountpoint = sys.argv[2:4]
    end_with_parent()
    FUSE(SlowMirror(delay, source), mountpoint, foreground=True, ro=True, nothreads=False)


if __name__ == "__main__":
    main()
