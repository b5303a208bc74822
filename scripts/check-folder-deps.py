#!/usr/bin/env python3
"""Fails when the folders of a source tree link what they do not include, or
include what they do not link.

    python3 scripts/check-folder-deps.py [src]

Each folder F has a CMakeLists.txt whose sazanami_library(...) or
target_link_libraries(...) names the libraries it stands on, sazanami_<G> for
another folder G.  A file of F with `#include "G/..."` makes F use G.  The
check fails on

  - a library linked that no file of the folder includes,
  - an include of a folder whose library is not linked,
  - a library linked PRIVATE although a header of the folder includes it
    (whoever includes that header would not see it),
  - a library linked PUBLIC although only sources include it (it should be
    PRIVATE, so that it does not leak into everything above).

When all is well it prints the levels of the folders, top down: a folder
stands one level above the highest of those it links.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^/"]+)/[^"]+"', re.MULTILINE)
HEADERS = (".h", ".hpp")
SOURCES = HEADERS + (".cpp", ".cc")
# The commands that link, and for each the number of leading arguments that
# name the target itself rather than a library it links.
LINK_COMMANDS = {"sazanami_library": 1, "target_link_libraries": 1}
KEYWORDS = {"PUBLIC": True, "INTERFACE": True, "PRIVATE": False}
TOKEN = re.compile(r'\(|\)|"[^"]*"|[^\s()"]+')


def includes(root, folders):
    """{folder: {included folder: (first header, first source)}}; either may
    be None."""
    found = {f: {} for f in folders}
    for folder in sorted(folders):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in SOURCES:
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            header = path.suffix in HEADERS
            for target in INCLUDE.findall(text):
                if target == folder or target not in folders:
                    continue
                first = list(found[folder].get(target, (None, None)))
                slot = 0 if header else 1
                if first[slot] is None:
                    first[slot] = path.relative_to(root)
                found[folder][target] = tuple(first)
    return found


def links(cmake_file, folder, folders):
    """{linked folder: True when linked PUBLIC or INTERFACE} from the link
    commands of one CMakeLists.txt."""
    text = re.sub(r"#[^\n]*", "", cmake_file.read_text(encoding="utf-8"))
    tokens = TOKEN.findall(text)
    linked = {}
    i = 0
    while i < len(tokens):
        command = tokens[i].lower()
        if i + 1 < len(tokens) and tokens[i + 1] == "(":
            end = tokens.index(")", i + 2) if ")" in tokens[i + 2:] else len(tokens)
            if command in LINK_COMMANDS:
                public = True  # a plain target_link_libraries is seen through
                for arg in tokens[i + 2 + LINK_COMMANDS[command]:end]:
                    if arg in KEYWORDS:
                        public = KEYWORDS[arg]
                    elif arg.startswith("sazanami_"):
                        other = arg[len("sazanami_"):]
                        if other in folders and other != folder:
                            linked[other] = linked.get(other, False) or public
            i = end + 1
        else:
            i += 1
    return linked


def levels(linked):
    """{folder: level}, 0 for a folder that links no other; None on a cycle."""
    level, visiting = {}, set()

    def visit(f):
        if f in level:
            return level[f]
        if f in visiting:
            raise ValueError(f)
        visiting.add(f)
        level[f] = 1 + max((visit(g) for g in linked[f]), default=-1)
        visiting.discard(f)
        return level[f]

    try:
        for f in sorted(linked):
            visit(f)
    except ValueError:
        return None
    return level


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    if not root.is_dir():
        print(f"{root}: not a folder", file=sys.stderr)
        return 2
    folders = {p.name for p in root.iterdir() if p.is_dir()}
    used = includes(root, folders)
    faults = []
    linked = {}
    for folder in sorted(folders):
        cmake_file = root / folder / "CMakeLists.txt"
        linked[folder] = links(cmake_file, folder, folders) if cmake_file.is_file() else {}
        declared = f"{folder}/CMakeLists.txt"
        for other, public in sorted(linked[folder].items()):
            header, source = used[folder].get(other, (None, None))
            if header is None and source is None:
                faults.append(f"{folder} links sazanami_{other} ({declared}) but none of its "
                              f'files includes "{other}/...": drop it')
            elif header is not None and not public:
                faults.append(f'{folder} links sazanami_{other} PRIVATE but its header {header} '
                              f'includes "{other}/...": link it PUBLIC')
            elif header is None and public:
                faults.append(f'{folder} links sazanami_{other} PUBLIC but only its sources include '
                              f'"{other}/..." ({source}): link it PRIVATE')
        for other, (header, source) in sorted(used[folder].items()):
            if other not in linked[folder]:
                faults.append(f'{folder} includes "{other}/..." ({header or source}) but '
                              f"{declared} does not link sazanami_{other}")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"{root}: its {len(folders)} folders link what they include and include what they link")
    level = levels(linked)
    if level is not None:
        for n in range(max(level.values(), default=-1), -1, -1):
            print(f"    level {n}  " + ", ".join(sorted(f for f in level if level[f] == n)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
