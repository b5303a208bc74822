#!/usr/bin/env python3
"""Fails when the folders under a source tree include one another in a cycle.

    python3 scripts/check-include-cycles.py [src]

A file in folder A that has `#include "B/..."`, with B another folder of the
tree, makes A depend on B.  Every cycle among those dependencies is printed,
with one include that makes each of its steps.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^/"]+)/[^"]+"', re.MULTILINE)


def folder_includes(root):
    """{folder: {included folder: first file that includes it}}"""
    folders = {p.name for p in root.iterdir() if p.is_dir()}
    edges = {f: {} for f in folders}
    for folder in sorted(folders):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".hpp", ".cpp", ".cc"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for target in INCLUDE.findall(text):
                if target != folder and target in folders:
                    edges[folder].setdefault(target, path.relative_to(root))
    return edges


def cycles(edges):
    """The strongly connected components with more than one folder."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in edges[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    if not root.is_dir():
        print(f"{root}: not a folder", file=sys.stderr)
        return 2
    edges = folder_includes(root)
    found = cycles(edges)
    for component in found:
        print("include cycle between: " + ", ".join(component))
        for a in component:
            for b in component:
                if b in edges[a]:
                    print(f"  {a} -> {b}  ({edges[a][b]})")
    if not found:
        print(f"{root}: no include cycle between its {len(edges)} folders")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
