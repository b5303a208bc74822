#!/usr/bin/env bash
# How the program's lists grow with their size: the favourites page, the file
# page of a large folder and the search page over a large tree, each at
# several sizes, in the program's real window under a private Xvfb.  Prints a
# table with the growth of the time between two sizes next to the growth of
# the size (anything worse than linear shows as a larger time factor), the
# longest event-loop stall, and the same work done by `ls | grep` and `find`
# with the ratio.
#
# Usage: bash bench/scale_curves.sh [--short] [--build] [build-dir]
#   --short    small sizes, a minute or two (what CI runs)
#   --build    configure build-dir with the benchmarks and build the probes
#   build-dir  holds bench/favourites_load, file_list_fill, search_tree
#              (default: ./build)
# Environment:
#   RUNS=3      measured runs of each size (the median is shown)
#   KEEP_TMP=1  keep the temporary folder
# Exits 1 when something did not work (a probe failed, a count is wrong);
# times never fail it.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
short=0
build_probes=0
build="$here/../build"
for arg in "$@"; do
    case "$arg" in
    --short) short=1 ;;
    --build) build_probes=1 ;;
    *) build="$arg" ;;
    esac
done
runs="${RUNS:-3}"
probes=(favourites_load file_list_fill search_tree)

if [ $build_probes = 1 ]; then
    cmake -S "$here/.." -B "$build" -DSAZANAMI_BUILD_BENCH=ON >/dev/null
    nice cmake --build "$build" -j"$(nproc)" --target "${probes[@]}"
fi
build="$(cd "$build" && pwd)"
for probe in "${probes[@]}"; do
    if [ ! -x "$build/bench/$probe" ]; then
        echo "missing $build/bench/$probe (build the target $probe, or pass --build)" >&2
        exit 2
    fi
done

if [ $short = 1 ]; then
    favourite_sizes=(1000 3000)
    folder_sizes=(1000 10000)
    tree_sizes=(10000 100000)
else
    favourite_sizes=(1000 10000 30000)
    folder_sizes=(10000 100000)
    tree_sizes=(100000 1000000)
fi

source "$here/common.sh"
require_commands Xvfb python3 ffmpeg find ls grep
make_workdir sazanami-scale
start_xvfb
results="$tmp/results.jsonl"
: >"$results"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg); $runs runs a size"

# record MEASURE SIZE EXPECTED [PEER_US...]: one result line from the probe's
# JSON lines in $tmp/probe.out.
record() {
    local measure="$1" size="$2" expected="$3"
    shift 3
    python3 - "$tmp/probe.out" "$measure" "$size" "$expected" "$@" >>"$results" <<'PY'
import json, statistics, sys
measure, size, expected = sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
peer = [int(us) / 1000 for us in sys.argv[5:]]
runs = [json.loads(line) for line in open(sys.argv[1]) if line.startswith("{")]
print(json.dumps({"measure": measure, "size": size, "runs": runs, "expected": expected,
                  "peer_ms": statistics.median(peer) if peer else None}))
PY
}

# Each folder and tree goes once measured: a million files take 250 MB.
drop_unless_kept() {
    [ "${KEEP_TMP:-0}" = 1 ] || rm -rf "$1"
}

run_probe() { # LOG PROBE ARGS...: the output into $tmp/probe.out; the log shown on failure
    local log="$1" status=0
    shift
    "$@" >"$tmp/probe.out" 2>"$log" || status=$?
    if [ $status != 0 ]; then
        echo "$1 failed (exit $status):" >&2
        tail -n 20 "$log" >&2
        exit 1
    fi
}

# The favourites page: start-up with N favourites to the painted list,
# load_okini of them alone, and N/10 new ones added at once (their
# thumbnails grabbed) with the longest stall meanwhile.
for size in "${favourite_sizes[@]}"; do
    echo "favourites: $size"
    fresh=$((size / 10))
    run_probe "$tmp/favourites-$size.log" "$build/bench/favourites_load" "$runs" "$size" "$fresh"
    record favourites "$size" $((size + fresh))
done

# The file page showing a folder of N files, against ls | grep.
for size in "${folder_sizes[@]}"; do
    echo "folder: $size files"
    folder="$tmp/folder-$size"
    python3 "$here/make_files.py" folder "$folder" "$size"
    listed=$(list_movies "$folder" | wc -l)
    peer=()
    for _ in $(seq 1 "$runs"); do peer+=("$(elapsed_us list_movies "$folder")"); done
    run_probe "$tmp/folder-$size.log" "$build/bench/file_list_fill" "$folder" "$runs"
    record folder "$size" "$listed" "${peer[@]}"
    drop_unless_kept "$folder"
done

# The search page over a tree of N files (twenty a folder), for a text in
# one name of about forty and for every movie, against find.
for size in "${tree_sizes[@]}"; do
    echo "search: $size files"
    tree="$tmp/tree-$size"
    python3 "$here/make_files.py" tree "$tree" $((size / 20)) "$size" abc
    for text in abc ""; do
        expected=$(find_movies "$tree" "$text" | wc -l)
        peer=()
        for _ in $(seq 1 "$runs"); do peer+=("$(elapsed_us find_movies "$tree" "$text")"); done
        run_probe "$tmp/search-$size.log" "$build/bench/search_tree" "$tree" "$text" "$runs" 0
        record "search ${text:-(every movie)}" "$size" "$expected" "${peer[@]}"
    done
    drop_unless_kept "$tree"
done

python3 "$here/scale_table.py" "$results"
