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
#   SLOW_MS=5     also search a smaller tree on a FUSE mirror (bench/slow_fs.py)
#                 where every request takes SLOW_MS ms, as on a network share
#                 (SLOW_MS=0 leaves it out; needs /dev/fuse, fusermount3 and
#                 python3-fusepy); SLOW_FOLDERS=200, SLOW_FILES=4000,
#                 SLOW_RUNS=3
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
slow_pid=""
unmount_slow() {
    if [ -n "$slow_pid" ]; then
        fusermount3 -u "$tmp/slow" 2>/dev/null || true
        wait "$slow_pid" 2>/dev/null || true
        slow_pid=""
    fi
}
trap 'unmount_slow; bench_cleanup' EXIT

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

# The slow share: a smaller tree, since find there takes seconds.
slow_ms="${SLOW_MS:-5}"
: >"$tmp/slow.txt"
slow_expected=0
if [ "$slow_ms" != 0 ]; then
    if [ -e /dev/fuse ] && command -v fusermount3 >/dev/null &&
        /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
        slow_runs="${SLOW_RUNS:-3}"
        python3 "$here/make_files.py" tree "$tmp/slow-source" "${SLOW_FOLDERS:-200}" \
            "${SLOW_FILES:-4000}" "$text"
        slow_expected=$(find_movies "$tmp/slow-source" "$text" | wc -l)
        slow_fd_args=("${fd_args[@]:0:$((${#fd_args[@]} - 1))}" "$tmp/slow")
        mkdir -p "$tmp/slow"
        /usr/bin/python3 "$here/slow_fs.py" "$slow_ms" "$tmp/slow-source" "$tmp/slow" \
            >"$tmp/slow_fs.log" 2>&1 &
        slow_pid=$!
        for _ in $(seq 1 100); do
            grep -qs " $tmp/slow fuse" /proc/mounts && break
            sleep 0.1
        done
        echo "slow share: ${SLOW_FILES:-4000} files in ${SLOW_FOLDERS:-200} folders, ${slow_ms} ms a request; $slow_expected movies match"
        for run in $(seq 1 "$slow_runs"); do
            echo "fuse find $(elapsed_us find_movies "$tmp/slow" "$text")" >>"$tmp/peers.txt"
            [ $have_fd = 1 ] && echo "fuse fdfind $(elapsed_us fdfind "${slow_fd_args[@]}")" >>"$tmp/peers.txt"
        done
        "$search" "$tmp/slow" "$text" "$slow_runs" 0 >"$tmp/slow.txt" 2>>"$tmp/sazanami.log" || {
            echo "search_tree (slow share) failed:" >&2; cat "$tmp/sazanami.log" >&2; exit 1; }
        unmount_slow
    else
        echo "slow share left out: /dev/fuse, fusermount3 or python3-fusepy missing"
    fi
fi

python3 - "$tmp/peers.txt" "$tmp/warm.txt" "$tmp/cold.txt" "$expected" "$tmp/slow.txt" "$slow_expected" <<'PY'
import json, statistics, sys
peers = {}
for line in open(sys.argv[1]):
    cache, tool, us = line.split()
    peers.setdefault((cache, tool), []).append(int(us) / 1000)
def runs(path):
    return [json.loads(l) for l in open(path) if l.startswith("{")]
print(f"{'cache':6} {'tool':10} {'median ms':>10} {'vs find':>8} {'vs fdfind':>10}  notes")
for cache, path, expected in (("warm", sys.argv[2], int(sys.argv[4])),
                              ("cold", sys.argv[3], int(sys.argv[4])),
                              ("fuse", sys.argv[5], int(sys.argv[6]))):
    saz = runs(path)
    if not saz or (cache, "find") not in peers:
        continue
    find_ms = statistics.median(peers[(cache, "find")])
    fd = statistics.median(peers[(cache, "fdfind")]) if (cache, "fdfind") in peers else None
    def ratio(ms, of):
        return f"{ms / of:10.2f}" if of else f"{'-':>10}"
    print(f"{cache:6} {'find':10} {find_ms:10.1f} {1.0:8.2f} {ratio(find_ms, fd)}")
    if fd:
        print(f"{cache:6} {'fdfind':10} {fd:10.1f} {fd / find_ms:8.2f} {1.0:10.2f}")
    ms = statistics.median(r["ms"] for r in saz)
    stall = max(r["stall_ms"] for r in saz)
    firsts = [r["first_screen_ms"] for r in saz if r.get("first_screen_ms", -1) >= 0]
    first = f"first screen {statistics.median(firsts):.1f} ms; " if firsts else ""
    hits = {r["hits"] for r in saz}
    ok = "same hits as find" if hits == {expected} else f"HITS {sorted(hits)} != find {expected}"
    print(f"{cache:6} {'sazanami':10} {ms:10.1f} {ms / find_ms:8.2f} {ratio(ms, fd)}  "
          f"{first}longest stall {stall:.1f} ms; {ok}")
    print("       runs: " + ", ".join(f"{r['ms']:.0f}" for r in saz) + " ms")
PY
