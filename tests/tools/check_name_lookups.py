#!/usr/bin/env python3
"""Fails when a part of the program looks a widget up by its objectName.

A part gets the widgets and menus it needs from their owner, through a typed
accessor handed on by the composition root; it never searches another part's
objects by name.  The rule kept here is simple: no findChild/findChildren
with an argument (a name or a pattern), and no comparison with objectName(),
anywhere under src/, except the uses listed in ALLOWED, each a search inside
the part's own objects.  A lookup by type alone, findChild<T>(), is allowed.

Usage: check_name_lookups.py SRC_DIR
"""
import pathlib
import re
import sys

# (file under src/, text of the line): why the lookup is the part's own.
ALLOWED = {
    # The list panel owns the options frame `config` and shows one of the
    # pages placed in it at a time; it finds them among its own frame's
    # children by the names its tab table gives them.
    ("panels/list_panel.cpp", "if (auto *frame = config->findChild<QWidget *>(page.frame))"),
    ("panels/list_panel.cpp",
     "if (auto *page = config->findChild<QWidget *>(kConfigPages[i].frame))"),
}

# findChild<...>( or findChildren<...>( followed by anything but ")".
NAMED_SEARCH = re.compile(r"\bfindChild(?:ren)?\s*<[^;]*?>\s*\(\s*[^)\s]")
# A lookup done by hand: comparing an object's name with something.
NAME_COMPARED = re.compile(r"\bobjectName\s*\(\s*\)\s*(?:==|!=)|(?:==|!=)\s*[\w.>-]*objectName\s*\(\s*\)")


def offences(src):
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in {".cpp", ".h"} or not path.is_file():
            continue
        relative = path.relative_to(src).as_posix()
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            text = line.strip()
            if text.startswith("//"):
                continue
            if not (NAMED_SEARCH.search(text) or NAME_COMPARED.search(text)):
                continue
            if (relative, text) in ALLOWED:
                continue
            found.append(f"{relative}:{number}: widget looked up by name: {text}")
    return found


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    found = offences(pathlib.Path(sys.argv[1]))
    for line in found:
        print(line)
    if found:
        print("Take the widget from its owner through a typed accessor instead.")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
