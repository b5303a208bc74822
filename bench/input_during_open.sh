#!/usr/bin/env bash
# Keys typed while the window opens a movie from a mount whose reads never
# return: the time from the key press to its effect, and the window's longest
# event-loop stall over the whole dead open (see input_during_open.cpp).
#
# Usage: bash bench/input_during_open.sh [build-dir]
#   build-dir  holds bench/input_during_open (default: ./build; configure with
#              -DSAZANAMI_BUILD_BENCH=ON and the tests on)
# Environment: RUNS=5
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
build="$(cd "$build" && pwd)"
runs="${RUNS:-5}"
probe="$build/bench/input_during_open"
if [ ! -x "$probe" ]; then
    echo "missing $probe (build the target input_during_open)" >&2
    exit 2
fi
source "$here/common.sh"
require_commands Xvfb python3 fusermount3
make_workdir sazanami-input
start_xvfb

"$probe" "$runs" 2>"$tmp/player.log" | tee "$tmp/runs.json"
python3 - "$tmp/runs.json" <<'PY'
import json, statistics, sys
runs = [json.loads(l) for l in open(sys.argv[1]) if l.startswith("{")]
if not runs:
    sys.exit("no run finished")
med = lambda xs: statistics.median(xs)
f4 = [ms for r in runs for ms in r["f4_ms"]]
print(f"{len(runs)} runs, medians (worst):")
print(f"  F4 to the folder box           {med(f4):7.1f} ms ({max(f4):.1f})   target 50 ms")
print(f"  next key to the open replaced  {med([r['next_ms'] for r in runs]):7.1f} ms "
      f"({max(r['next_ms'] for r in runs):.1f})   target 50 ms")
print(f"  next key to the next movie     {med([r['next_play_ms'] for r in runs]):7.1f} ms "
      f"({max(r['next_play_ms'] for r in runs):.1f})")
print(f"  longest event-loop stall       {med([r['stall_ms'] for r in runs]):7.1f} ms "
      f"({max(r['stall_ms'] for r in runs):.1f})   target 50 ms")
PY
