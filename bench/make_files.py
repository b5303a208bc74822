#!/usr/bin/env python3
"""Empty files named like movies, for the benchmarks; one process, no data.

  make_files.py folder FOLDER COUNT
      COUNT files in FOLDER: every listed extension in upper and lower case,
      names ending in "asf" without a dot, extensions that are not listed
      (txt, jpg, srt, mp4), every 97th name hidden, Japanese names, blanks
      and commas.

  make_files.py tree TREE FOLDERS FILES TEXT
      FILES files spread over FOLDERS folders three levels deep, named as
      above; about one name in forty holds TEXT.
"""
import os
import sys

STEMS = ["clip", "動画", "Movie take", "旅行, 夏", "rec"]


def touch(path):
    os.close(os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644))


def folder(where, count):
    exts = ["avi", "MPG", "mpeg", "wmv", "mov", "asf", "xasf", "AVI", "txt", "jpg", "srt", "mp4"]
    os.makedirs(where, exist_ok=True)
    for i in range(count):
        name = f"{STEMS[i % len(STEMS)]} {i:06d}.{exts[i % len(exts)]}"
        if i % 97 == 0:
            name = "." + name
        touch(os.path.join(where, name))


def tree(where, folders, files, text):
    exts = ["avi", "MPG", "mpeg", "wmv", "mov", "asf", "txt", "jpg", "srt", "mp4", "AVI", "Mov"]
    dirs = []
    for d in range(folders):
        path = os.path.join(where, f"g{d % 10}", f"s{d % 500 // 10}", f"d{d:06d}")
        os.makedirs(path, exist_ok=True)
        dirs.append(path)
    for i in range(files):
        stem = STEMS[i % len(STEMS)]
        if i % 41 == 0:
            stem = f"x{text.upper()}y {stem}"
        touch(os.path.join(dirs[i % folders], f"{stem} {i:07d}.{exts[i % len(exts)]}"))


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "folder":
        folder(sys.argv[2], int(sys.argv[3]))
    elif len(sys.argv) == 6 and sys.argv[1] == "tree":
        tree(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    else:
        sys.exit(__doc__)
