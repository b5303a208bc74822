#!/usr/bin/env bash
# The file page's list of a folder of 10,000 files, side by side with `ls`:
# Sazanami reading the folder, matching its movie pattern, sorting and showing
# the list in its real window, against `ls -1 FOLDER > /dev/null` and
# `ls -1 FOLDER | grep -iE PATTERN > /dev/null` on the same folder.
#
# Usage: bash bench/file_list_vs_ls.sh [build-dir]
#   build-dir  holds bench/file_list_fill (default: ./build)
# Environment:
#   RUNS=9       measured runs of each
#   FILES=10000  files in the folder
#   KEEP_TMP=1   keep the temporary folder
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
build="$(cd "$build" && pwd)"
runs="${RUNS:-9}"
count="${FILES:-10000}"

fill="$build/bench/file_list_fill"
if [ ! -x "$fill" ]; then
    echo "missing $fill (build the target file_list_fill)" >&2
    exit 2
fi
source "$here/common.sh"
require_commands Xvfb python3 ls grep

make_workdir sazanami-files

# Empty files named like movies (see make_files.py).
folder="$tmp/files"
python3 "$here/make_files.py" folder "$folder" "$count"
listed=$(list_movies "$folder" | wc -l)
echo "folder: $count files, $listed of them listed by the pattern (hidden ones excluded by ls too)"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"

start_xvfb

# Warm the folder into the page cache for both sides.
ls -1 "$folder" >/dev/null

: >"$tmp/ls.txt"
for run in $(seq 1 "$runs"); do
    echo "$run $(elapsed_us ls -1 "$folder") $(elapsed_us list_movies "$folder")" >>"$tmp/ls.txt"
done

"$fill" "$folder" "$runs" >"$tmp/sazanami.txt" 2>"$tmp/sazanami.log" || {
    echo "file_list_fill failed:" >&2
    cat "$tmp/sazanami.log" >&2
    exit 1
}

python3 - "$tmp/ls.txt" "$tmp/sazanami.txt" "$listed" <<'EOF'
import json, statistics, sys
ls_runs = [line.split() for line in open(sys.argv[1]) if line.strip()]
ls_ms = [int(r[1]) / 1e3 for r in ls_runs]
grep_ms = [int(r[2]) / 1e3 for r in ls_runs]
saz = [json.loads(line) for line in open(sys.argv[2]) if line.startswith("{")]
listed = int(sys.argv[3])
print("raw runs:")
for r, a, b in zip(saz, ls_ms, grep_ms):
    print(f"  run {r['run']}: sazanami set_folder {r['set_folder_ms']:.1f} ms, shown {r['shown_ms']:.1f} ms, "
          f"longest stall {r['longest_stall_ms']:.1f} ms, {r['entries']} entries | "
          f"ls {a:.1f} ms | ls|grep {b:.1f} ms")
bad = [r for r in saz if r["entries"] != listed]
if bad:
    print(f"WARNING: Sazanami listed {bad[0]['entries']} entries, ls|grep {listed}")
med = statistics.median
s_set = med(r["set_folder_ms"] for r in saz)
s_shown = med(r["shown_ms"] for r in saz)
s_stall = med(r["longest_stall_ms"] for r in saz)
m_ls, m_grep = med(ls_ms), med(grep_ms)
print()
print(f"median of {len(saz)} runs")
print(f"  Sazanami setFolder (read, match, sort, fill)  {s_set:8.1f} ms")
print(f"  Sazanami until the list is painted           {s_shown:8.1f} ms   (target: well under 1000 ms)")
print(f"  Sazanami longest event-loop stall            {s_stall:8.1f} ms")
print(f"  ls -1 > /dev/null                             {m_ls:8.1f} ms")
print(f"  ls -1 | grep -iE pattern > /dev/null          {m_grep:8.1f} ms")
print(f"ratio shown / ls          {s_shown / m_ls:6.2f}x")
print(f"ratio shown / ls|grep     {s_shown / m_grep:6.2f}x")
EOF
