#!/usr/bin/env bash
# Start-to-first-frame time and peak memory: Sazanami side by side with the
# mpv command, same clip, same kind of output, same X server, one run.
#
# Usage: bash bench/startup_vs_mpv.sh [build-dir]
#   build-dir  holds sazanami and bench/first_frame_probe (default: ./build)
# Environment:
#   RUNS=7       measured rounds (each round runs both programs once)
#   HOLD_MS=2000 how long each program keeps playing after its first frame
#   POLL_MS=5    pause between two screen grabs of the probe
#   KEEP_TMP=1   keep the temporary folder (clip, logs, raw results)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
build="$(cd "$build" && pwd)"
runs="${RUNS:-7}"
hold_ms="${HOLD_MS:-2000}"
poll_ms="${POLL_MS:-5}"

sazanami="$build/sazanami"
probe="$build/bench/first_frame_probe"
for f in "$sazanami" "$probe"; do
    if [ ! -x "$f" ]; then
        echo "missing $f (build the targets sazanami and first_frame_probe)" >&2
        exit 2
    fi
done
source "$here/common.sh"
require_commands mpv ffmpeg Xvfb python3

make_workdir sazanami-bench

# A clip without audio, so that neither program opens an audio output: a solid
# magenta picture that the probe looks for on screen.
clip="$tmp/magenta.avi"
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i color=c=0xFF00FF:size=320x240:rate=25:duration=20 \
    -c:v mpeg4 -an "$clip"

# Sazanami keeps its state files and its single-instance lock in its program
# folder (the executable's folder when writable). A private copy keeps the
# build tree untouched and away from anything else running from it.
progdir="$tmp/sazanami"
mkdir -p "$progdir"
cp "$sazanami" "$progdir/sazanami"

start_xvfb

results="$tmp/results.jsonl"
: >"$results"

run_one() { # name
    local name="$1" out
    local cmd
    if [ "$name" = sazanami ]; then
        cmd=("$progdir/sazanami" "$clip")
    else
        cmd=(mpv --no-config --vo=gpu --gpu-sw=yes --ao=null --hwdec=no --keep-open=yes
             --keepaspect=no "--geometry=$mpv_size+0+0" "$clip")
    fi
    # The probe waits for the program to exit before it returns, so runs never
    # overlap and the single-instance lock is free for the next one.
    out="$("$probe" --label "$name" --poll-ms "$poll_ms" --hold-ms "$hold_ms" \
        --log "$tmp/$name.log" -- "${cmd[@]}" 2>>"$tmp/probe.log")" || true
    if [ -z "$out" ]; then
        out="{\"label\":\"$name\",\"ok\":false}"
    fi
    echo "$out"
    sleep 0.3
}

echo "clip: 320x240 solid magenta, mpeg4 in .avi, no audio; X server $DISPLAY 1280x1024x24"
echo "mpv: $(mpv --version | head -n1)"
echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
# The warm-up run of Sazanami also tells the size of its picture; mpv's
# window gets the same size, so that both draw the same number of pixels.
mpv_size=800x600
echo "warm-up round (not counted)"
warm="$(run_one sazanami)"
size="$(printf '%s' "$warm" | sed -n 's/.*"picture":"\([0-9]*x[0-9]*\)+.*/\1/p')"
if [ -n "$size" ]; then
    mpv_size="$size"
else
    echo "warning: no picture seen in Sazanami's warm-up run: $warm"
fi
echo "mpv window: $mpv_size (Sazanami's picture size)"
run_one mpv >/dev/null

for round in $(seq 1 "$runs"); do
    if [ $((round % 2)) -eq 1 ]; then
        order=(sazanami mpv)
    else
        order=(mpv sazanami)
    fi
    for name in "${order[@]}"; do
        line="$(run_one "$name")"
        echo "$line" >>"$results"
        echo "round $round $line"
    done
done

python3 - "$results" <<'EOF'
import json, statistics, sys

rows = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]

def values(label, key):
    return [r[key] for r in rows if r.get("label") == label and r.get("ok") and r.get(key) is not None]

def med(label, key):
    v = values(label, key)
    return statistics.median(v) if v else None

for label in ("sazanami", "mpv"):
    bad = sum(1 for r in rows if r.get("label") == label and not r.get("ok"))
    if bad:
        print(f"warning: {bad} failed run(s) of {label} left out")

def line(title, key, scale, unit, target, fmt):
    s, m = med("sazanami", key), med("mpv", key)
    if s is None or m is None:
        print(f"{title:<22}no result")
        return
    s, m = s / scale, m / scale
    ratio = s / m if m else float("nan")
    verdict = "ok" if ratio <= target else "OVER"
    print(f"{title:<22}sazanami {s:{fmt}} {unit}  mpv {m:{fmt}} {unit}  "
          f"ratio {ratio:.2f} (target <= {target:.2f}) {verdict}")

def spread(label, key, scale):
    v = [x / scale for x in values(label, key)]
    return f"{min(v):.1f}..{max(v):.1f}" if v else "-"

print()
print(f"medians of {len(values('sazanami', 'first_frame_ms'))} sazanami and "
      f"{len(values('mpv', 'first_frame_ms'))} mpv runs")
line("start-to-first-frame", "first_frame_ms", 1, "ms", 1.10, ".0f")
line("peak RSS", "vm_hwm_kib", 1024, "MiB", 1.50, ".1f")
line("  (max polled VmRSS)", "rss_max_kib", 1024, "MiB", 1.50, ".1f")
print()
for label in ("sazanami", "mpv"):
    pictures = sorted({r["picture"] for r in rows if r.get("label") == label and r.get("picture")})
    change = med(label, "first_change_ms")
    change_text = f"{change:.0f} ms" if change is not None else "-"
    print(f"{label:<9} picture {', '.join(pictures) or '-'}; "
          f"screen first changed (window or picture) at {change_text} (median)")
for label in ("sazanami", "mpv"):
    print(f"{label:<9} first frame {spread(label, 'first_frame_ms', 1)} ms, "
          f"VmHWM {spread(label, 'vm_hwm_kib', 1024)} MiB, "
          f"one screen grab ~{statistics.median(values(label, 'mean_grab_ms') or [0]):.1f} ms")
EOF
