#!/usr/bin/env bash
# The search page over a generated tree of 100,000 files in 5,000 folders,
# side by side with `find TREE -type f -iname '*TEXT*'` filtered to the six
# movie extensions and with `fdfind` asked the same, warm and (as root) cold
# page cache, in one run.  Sazanami is timed in its real window from Enter to
# the last result listed, with the window's longest event-loop stall.
#
# Usage: bash bench/search_vs_find.sh [build-dir]
#   build-dir  holds bench/search_tree (default: ./build)
# Environment:
#   RUNS=5        measured warm runs of each (cold: COLD_RUNS=3)
#   FOLDERS=5000  folders; FILES=100000 files
#   TEXT=abc      the search text (TEXT= searches for every movie)
#   KEEP_TMP=1    keep the temporary folder
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
build="$(cd "$build" && pwd)"
runs="${RUNS:-5}"
cold_runs="${COLD_RUNS:-3}"
folders="${FOLDERS:-5000}"
files="${FILES:-100000}"
text="${TEXT-abc}"

search="$build/bench/search_tree"
if [ ! -x "$search" ]; then
    echo "missing $search (build the target search_tree)" >&2
    exit 2
fi
source "$here/common.sh"
require_commands Xvfb python3 find
have_fd=0
command -v fdfind >/dev/null && have_fd=1

make_workdir sazanami-search

# Folders three levels deep, the text in one name of about forty (see
# make_files.py).
tree="$tmp/tree"
python3 "$here/make_files.py" tree "$tree" "$folders" "$files" "$text"
expected=$(find_movies "$tree" "$text" | wc -l)
echo "tree: $files files in $(find "$tree" -type d | wc -l) folders; $expected movies match *$text*"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"

drop_caches() { sync; echo 3 >/proc/sys/vm/drop_caches; }
can_drop=0
if [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/vm/drop_caches ]; then can_drop=1; fi

fd_args=(-u -i -t f -e avi -e mpg -e mpeg -e wmv -e mov -e asf -- "$text" "$tree")

: >"$tmp/peers.txt"
find "$tree" >/dev/null
for run in $(seq 1 "$runs"); do
    echo "warm find $(elapsed_us find_movies "$tree" "$text")" >>"$tmp/peers.txt"
    [ $have_fd = 1 ] && echo "warm fdfind $(elapsed_us fdfind "${fd_args[@]}")" >>"$tmp/peers.txt"
done
if [ $can_drop = 1 ]; then
    for run in $(seq 1 "$cold_runs"); do
        drop_caches; echo "cold find $(elapsed_us find_movies "$tree" "$text")" >>"$tmp/peers.txt"
        if [ $have_fd = 1 ]; then
            drop_caches; echo "cold fdfind $(elapsed_us fdfind "${fd_args[@]}")" >>"$tmp/peers.txt"
        fi
    done
fi
[ $have_fd = 1 ] && echo "fdfind finds $(fdfind "${fd_args[@]}" | wc -l)"

start_xvfb
find "$tree" >/dev/null
"$search" "$tree" "$text" "$runs" 0 >"$tmp/warm.txt" 2>"$tmp/sazanami.log" || {
    echo "search_tree failed:" >&2; cat "$tmp/sazanami.log" >&2; exit 1; }
: >"$tmp/cold.txt"
if [ $can_drop = 1 ]; then
    "$search" "$tree" "$text" "$cold_runs" 1 >"$tmp/cold.txt" 2>>"$tmp/sazanami.log" || {
        echo "search_tree (cold) failed:" >&2; cat "$tmp/sazanami.log" >&2; exit 1; }
fi

python3 - "$tmp/peers.txt" "$tmp/warm.txt" "$tmp/cold.txt" "$expected" <<'PY'
import json, statistics, sys
peers = {}
for line in open(sys.argv[1]):
    cache, tool, us = line.split()
    peers.setdefault((cache, tool), []).append(int(us) / 1000)
expected = int(sys.argv[4])
def runs(path):
    return [json.loads(l) for l in open(path) if l.startswith("{")]
print(f"{'cache':6} {'tool':10} {'median ms':>10} {'ratio vs find':>14}  notes")
for cache, path in (("warm", sys.argv[2]), ("cold", sys.argv[3])):
    saz = runs(path)
    if not saz or (cache, "find") not in peers:
        continue
    find_ms = statistics.median(peers[(cache, "find")])
    print(f"{cache:6} {'find':10} {find_ms:10.1f} {1.0:14.2f}")
    if (cache, "fdfind") in peers:
        fd = statistics.median(peers[(cache, "fdfind")])
        print(f"{cache:6} {'fdfind':10} {fd:10.1f} {fd / find_ms:14.2f}")
    ms = statistics.median(r["ms"] for r in saz)
    stall = max(r["stall_ms"] for r in saz)
    hits = {r["hits"] for r in saz}
    ok = "same hits as find" if hits == {expected} else f"HITS {sorted(hits)} != find {expected}"
    print(f"{cache:6} {'sazanami':10} {ms:10.1f} {ms / find_ms:14.2f}  longest stall {stall:.1f} ms; {ok}")
PY
