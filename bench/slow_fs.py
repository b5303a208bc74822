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
import os
import stat
import sys
import time

from fusepy import FUSE

# The tests' mirror, whose reads may stall, is the base: this one only waits
# before every request.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "tests", "support"))
from stalling_fs import StallingMirror, end_with_parent  # noqa: E402


class SlowMirror(StallingMirror):
    def __init__(self, delay, source):
        super().__init__("mirror", source)
        self.delay = delay

    def _wait(self):
        time.sleep(self.delay)

    def getattr(self, path, fh=None):
        self._wait()
        return super().getattr(path, fh)

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
        return super().open(path, flags)

    def read(self, path, size, offset, fh):
        self._wait()
        return super().read(path, size, offset, fh)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    delay = float(sys.argv[1]) / 1000
    source, mountpoint = sys.argv[2:4]
    end_with_parent()
    FUSE(SlowMirror(delay, source), mountpoint, foreground=True, ro=True, nothreads=False)


if __name__ == "__main__":
    main()
