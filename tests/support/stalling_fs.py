#!/usr/bin/python3
"""A read-only mirror of a folder whose file reads may be slow or never return.

    stalling_fs.py mirror|slow|hung|hungdir|failing SOURCE MOUNTPOINT [READ_LOG]

mirror: reads answer at once.  slow: every read of file data takes about a
second.  hung: every read of file data blocks until the file system is
unmounted or this process ends, like a network mount whose server went away.
hungdir: as hung, and listing any folder but the top one blocks the same way.
failing: reads of the second half of a file fail with an I/O error, like a
disk that goes bad or a share that drops out while a movie plays.
Listing and stat answer at once in the other modes.  The file system reports no size (statfs answers zeros), so Qt leaves
it out of the mounted volumes.  Runs in the foreground; ends when unmounted.
With READ_LOG, each read of file data appends a line "begin" to that file when
it starts and "end" when it answers, so that a test can tell a read waiting.
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

SLOW_READ_SECONDS = 1.0


class StallingMirror(Operations):
    def __init__(self, mode, source, read_log=None):
        self.mode = mode
        self.source = source
        self.never = threading.Event()
        self.read_log = read_log
        self.log_lock = threading.Lock()

    def _note(self, what):
        if not self.read_log:
            return
        with self.log_lock, open(self.read_log, "a") as log:
            log.write(what + "\n")

    def _real(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._real(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        return {key: getattr(st, key) for key in (
            "st_mode", "st_nlink", "st_size", "st_uid", "st_gid",
            "st_atime", "st_mtime", "st_ctime")}

    def readdir(self, path, fh):
        if self.mode == "hungdir" and path != "/":
            self.never.wait()
        return [".", ".."] + os.listdir(self._real(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._real(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        self._note("begin")
        try:
            return self._read(size, offset, fh)
        finally:
            self._note("end")

    def _read(self, size, offset, fh):
        if self.mode in ("hung", "hungdir"):
            self.never.wait()
        if self.mode == "slow":
            self.never.wait(SLOW_READ_SECONDS)
        if self.mode == "failing" and offset + size > os.fstat(fh).st_size // 2:
            raise FuseOSError(errno.EIO)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)
        return 0


def end_with_parent():
    """A test that crashed must not leave the file system behind: once the
    test process is gone, end this one (the kernel then drops the mount's
    connection)."""
    parent = os.getppid()

    def watch():
        while os.getppid() == parent:
            time.sleep(0.5)
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()


def main():
    mode, source, mountpoint = sys.argv[1:4]
    read_log = sys.argv[4] if len(sys.argv) > 4 else None
    end_with_parent()
    FUSE(StallingMirror(mode, source, read_log), mountpoint, foreground=True, ro=True,
         nothreads=False)


if __name__ == "__main__":
    main()
