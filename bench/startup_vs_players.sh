#!/usr/bin/env bash
# Start-to-first-frame time and peak memory: Sazanami side by side with the
# mpv command and the GUI players a user would pick instead (vlc, celluloid,
# haruna, smplayer), same clip, same X server, one run.
#
# Usage: bash bench/startup_vs_players.sh [build-dir]
#   build-dir  holds sazanami and bench/first_frame_probe (default: ./build)
# Environment:
#   RUNS=7          measured rounds (each round runs every player once)
#   PLAYERS="..."   the players to run (default: sazanami mpv vlc celluloid
#                   haruna smplayer sazanami-gl mpv-auto; sazanami is always
#                   run); players whose command is missing are left out with
#                   a note.  sazanami-gl is Sazanami made to draw with OpenGL,
#                   mpv-auto is mpv choosing its own output.
#   HOLD_MS=2000    how long each player keeps playing after its first frame
#   POLL_MS=5       pause between two screen grabs of the probe
#   TIMEOUT_MS=20000  a player showing no picture by then counts as "no picture"
#   BENCH_USER=sazanami-bench  the account the players run as when the script
#                   runs as root (created by bench/install-peers.sh; "nobody"
#                   when it does not exist)
#   KEEP_TMP=1      keep the temporary folder (clip, logs, raw results)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
build="$(cd "$build" && pwd)"
runs="${RUNS:-7}"
hold_ms="${HOLD_MS:-2000}"
poll_ms="${POLL_MS:-5}"
timeout_ms="${TIMEOUT_MS:-20000}"
read -r -a wanted <<<"${PLAYERS:-sazanami mpv vlc celluloid haruna smplayer sazanami-gl mpv-auto}"

sazanami="$build/sazanami"
probe="$build/bench/first_frame_probe"
for f in "$sazanami" "$probe"; do
    if [ ! -x "$f" ]; then
        echo "missing $f (build the targets sazanami and first_frame_probe)" >&2
        exit 2
    fi
done
source "$here/common.sh"
require_commands ffmpeg Xvfb python3 dbus-daemon

players=(sazanami)
for p in "${wanted[@]}"; do
    [ "$p" = sazanami ] && continue
    # The variants run the same programs.
    if [ "$p" = sazanami-gl ] || command -v "${p%-auto}" >/dev/null; then
        players+=("$p")
    else
        echo "note: $p is not installed; left out (bench/install-peers.sh installs it)"
    fi
done

# As root the players run as an unprivileged account (vlc refuses root);
# setpriv replaces itself with the player, so the process the probe measures
# is the player itself.
bench_account

make_workdir sazanami-bench
chmod 755 "$tmp"

# A clip without audio, so that no player opens an audio output: a solid
# magenta picture that the probe looks for on screen.
clip="$tmp/magenta.avi"
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i color=c=0xFF00FF:size=320x240:rate=25:duration=20 \
    -c:v mpeg4 -an "$clip"
chmod 644 "$clip"

# Sazanami keeps its state files and its single-instance lock in its program
# folder (the executable's folder when writable). A private copy keeps the
# build tree untouched and away from anything else running from it.
progdir="$tmp/sazanami"
mkdir -p "$progdir"
cp "$sazanami" "$progdir/sazanami"

# Each player gets its own fresh home, configuration, cache and runtime
# folders for the whole benchmark: no state from earlier use, and the
# warm-up run leaves the same kind of state (configuration written on first
# start, shader and font caches) for every player's measured runs.
for p in "${players[@]}"; do
    make_home "$tmp/home/$p"
done
[ "$(id -u)" -eq 0 ] && chown -R "$uid:$gid" "$tmp/home" "$progdir"

start_xvfb

player_env() { # name
    home_env "$tmp/home/$1"
}

player_command() { # name
    case "$1" in
        sazanami) echo "$progdir/sazanami $clip" ;;
        # Sazanami made to draw with OpenGL (through llvmpipe here), as it
        # does on a desktop with a graphics processor: like for like with
        # the mpv command below.
        sazanami-gl) echo "env SAZANAMI_RENDERER=opengl $progdir/sazanami $clip" ;;
        # OpenGL output through Mesa's software renderer like Sazanami's, the
        # window as large as Sazanami's picture.
        mpv) echo "mpv --no-config --vo=gpu --gpu-sw=yes --ao=null --hwdec=no --keep-open=yes" \
                  "--keepaspect=no --geometry=$mpv_size+0+0 $clip" ;;
        # mpv choosing its output itself: it refuses OpenGL through a
        # software renderer and draws with plain X11, as Sazanami does.
        mpv-auto) echo "mpv --no-config --ao=null --hwdec=no --keep-open=yes" \
                  "--keepaspect=no --geometry=$mpv_size+0+0 $clip" ;;
        # The interface's own first-start question about network access.
        vlc) echo "vlc --no-qt-privacy-ask $clip" ;;
        celluloid) echo "celluloid $clip" ;;
        haruna) echo "haruna $clip" ;;
        smplayer) echo "smplayer $clip" ;;
    esac
}

# A session bus for one run, as a desktop session has one.  It is started
# before the probe starts the clock, so none of the players pays for it.
bus_pid=""
start_bus() { # name
    local h="$tmp/home/$1"
    rm -f "$h/runtime/bus"
    # shellcheck disable=SC2046
    "${as_user[@]}" $(player_env "$1") dbus-daemon --session --nofork --nopidfile \
        "--address=unix:path=$h/runtime/bus" >/dev/null 2>>"$tmp/$1.bus.log" &
    bus_pid=$!
    for _ in $(seq 1 100); do
        [ -S "$h/runtime/bus" ] && return 0
        sleep 0.02
    done
    echo "warning: the session bus for $1 did not start" >&2
}

# Ends the session bus.
stop_bus() {
    kill "$bus_pid" 2>/dev/null || true
    wait "$bus_pid" 2>/dev/null || true
    bus_pid=""
}

# The processes started for a player's run other than its session bus: every
# one of them has the run's bus address in its environment, the services the
# bus started for the player (the bus hands them its address, with its guid
# appended) as well as helpers the player left behind.
run_processes() { # name
    local bus="DBUS_SESSION_BUS_ADDRESS=unix:path=$tmp/home/$1/runtime/bus" pid
    for environ in /proc/[0-9]*/environ; do
        pid="${environ#/proc/}"
        pid="${pid%/environ}"
        [ "$pid" = "$bus_pid" ] && continue
        # Not grep -q: its early exit would fail the pipeline (pipefail).
        { tr '\0' '\n' <"$environ" | grep -F "$bus" >/dev/null && echo "$pid"; } 2>/dev/null
    done
    return 0
}

# Processes still running a moment after the player has ended: noted with
# their peak memory in $tmp/leftovers ("player name:VmHWM-kiB ..."), then
# ended one by one.
end_leftovers() { # name
    local name="$1" pid list="" pids
    for _ in $(seq 1 10); do
        pids="$(run_processes "$name")"
        [ -z "$pids" ] && break
        sleep 0.1
    done
    for pid in $pids; do
        list+=" $(cat "/proc/$pid/comm" 2>/dev/null):$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)"
        kill "$pid" 2>/dev/null || true
    done
    echo "$name$list" >>"$tmp/leftovers"
}

run_one() { # name
    local name="$1" out
    local -a cmd
    # shellcheck disable=SC2207
    cmd=("${as_user[@]}" $(player_env "$name") $(player_command "$name"))
    start_bus "$name"
    # The probe waits for the player to exit before it returns, so runs never
    # overlap and the single-instance lock is free for the next one.
    out="$("$probe" --label "$name" --poll-ms "$poll_ms" --hold-ms "$hold_ms" \
        --timeout-ms "$timeout_ms" --log "$tmp/$name.log" -- "${cmd[@]}" \
        2>>"$tmp/probe.log")" || true
    end_leftovers "$name"
    stop_bus
    sleep 0.3
    if [ -z "$out" ]; then
        out="{\"label\":\"$name\",\"ok\":false}"
    fi
    echo "$out"
}

version_of() {
    case "$1" in
        sazanami*) echo "this build" ;;
        mpv*) mpv --version 2>/dev/null | head -n1 ;;
        *) dpkg-query -W -f='${Package} ${Version}' "$1" 2>/dev/null || echo "?" ;;
    esac
}

echo "clip: 320x240 solid magenta, mpeg4 in .avi, no audio; X server $DISPLAY 1280x1024x24, no window manager"
echo "players run as user $user; each in its own fresh home, with its own session bus"
for p in "${players[@]}"; do
    echo "  $p: $(version_of "$p")"
done
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
for p in "${players[@]:1}"; do
    echo "warm-up $(run_one "$p")"
done

echo "commands (each as: ${as_user[*]:+${as_user[*]} }env -i HOME=... XDG_*=... DBUS_SESSION_BUS_ADDRESS=... DISPLAY=...):"
for p in "${players[@]}"; do
    echo "  $p: $(player_command "$p")"
done

results="$tmp/results.jsonl"
: >"$results"
n=${#players[@]}
for round in $(seq 1 "$runs"); do
    # The order turns by one player every round.
    order=()
    for i in $(seq 0 $((n - 1))); do
        order+=("${players[$(((i + round - 1) % n))]}")
    done
    for name in "${order[@]}"; do
        line="$(run_one "$name")"
        echo "$line" >>"$results"
        echo "round $round $line"
    done
done

python3 - "$results" "$tmp/leftovers" "$timeout_ms" "${players[@]}" <<'EOF'
import json, statistics, sys

rows = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
left_lines = [l.split() for l in open(sys.argv[2]) if l.strip()]
timeout_ms = int(sys.argv[3])
players = sys.argv[4:]

def values(label, key):
    return [r[key] for r in rows
            if r.get("label") == label and r.get("ok") and r.get(key) is not None]

def med(label, key, scale=1):
    v = values(label, key)
    return statistics.median(v) / scale if v else None

def fmt(v, f):
    return format(v, f) if v is not None else "-"

print()
print(f"medians of the measured runs; peak RSS = VmHWM of the player process plus its helper processes")
print(f"{'player':<11} {'runs':>4} {'no pic':>6} {'first frame':>12} {'peak RSS':>9} "
      f"{'(process)':>9}  processes counted; picture")
for p in players:
    total = sum(1 for r in rows if r.get("label") == p)
    good = len(values(p, "first_frame_ms"))
    nopic = sum(1 for r in rows if r.get("label") == p and r.get("first_frame_ms") is None)
    procs = sorted({r.get("processes") for r in rows if r.get("label") == p and r.get("processes")})
    pics = sorted({r["picture"] for r in rows if r.get("label") == p and r.get("picture")})
    print(f"{p:<11} {good:>4} {nopic:>6} {fmt(med(p, 'first_frame_ms'), '.0f'):>9} ms "
          f"{fmt(med(p, 'tree_hwm_kib', 1024), '.1f'):>5} MiB {fmt(med(p, 'vm_hwm_kib', 1024), '.1f'):>5} MiB"
          f"  {' | '.join(procs) or '-'}; {', '.join(pics) or '-'}")
    if total and not good:
        print(f"{'':<11} no picture within {timeout_ms} ms in any run")

print()
print("Sazanami / player      first frame (target)          peak RSS (target)")
s_ff, s_rss = med("sazanami", "first_frame_ms"), med("sazanami", "tree_hwm_kib")
def ratios(me, s_ff, s_rss, p):
    mpv = p.startswith("mpv")
    limit_ff, limit_rss = (1.2, 1.3) if mpv else (1.0, 1.0)
    # Drawing with OpenGL against mpv's OpenGL output: no later, no larger.
    if me == "sazanami-gl" and p == "mpv":
        limit_ff, limit_rss = 1.0, 1.0
    cmp = "<=" if mpv else "<"
    def cell(s, o, limit):
        if s is None or o is None:
            who = me if s is None else p
            return f"{'no picture from ' + who:<29}"
        r = s / o
        good = r <= limit if mpv else r < limit
        return f"{r:5.2f}  ({cmp} {limit:.1f}) {'ok' if good else 'MISSED':<7}      "
    print(f"  vs {p:<17} {cell(s_ff, med(p, 'first_frame_ms'), limit_ff)}"
          f"{cell(s_rss, med(p, 'tree_hwm_kib'), limit_rss)}")

for p in players:
    if not p.startswith("sazanami"):
        ratios("sazanami", s_ff, s_rss, p)
if "sazanami-gl" in players:
    print()
    print("Sazanami drawing with OpenGL / player")
    g_ff, g_rss = med("sazanami-gl", "first_frame_ms"), med("sazanami-gl", "tree_hwm_kib")
    for p in players:
        if not p.startswith("sazanami"):
            ratios("sazanami-gl", g_ff, g_rss, p)

print()
for p in players:
    ff = values(p, "first_frame_ms")
    rss = [x / 1024 for x in values(p, "tree_hwm_kib")]
    change = med(p, "first_change_ms")
    grab = statistics.median(values(p, "mean_grab_ms") or [0])
    print(f"{p:<11} first frame {min(ff):.0f}..{max(ff):.0f} ms, " if ff else f"{p:<11} first frame -, ",
          end="")
    print(f"peak RSS {min(rss):.1f}..{max(rss):.1f} MiB, " if rss else "peak RSS -, ", end="")
    print(f"screen first changed at {fmt(change, '.0f')} ms, one grab ~{grab:.1f} ms")
left = {}
for fields in left_lines:
    for f in fields[1:]:
        left.setdefault(fields[0], set()).add(f.split(":")[0])
for p in players:
    if p in left:
        print(f"{p:<11} left running after it ended (ended by the script): {', '.join(sorted(left[p]))}")
EOF
