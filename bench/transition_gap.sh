#!/usr/bin/env bash
# The gap between two movies in continuous play: Sazanami side by side with
# mpv and vlc playing the same folder of short clips, each clip a colour of
# its own, in one run.  The screen is grabbed at 50 Hz for the whole run and
# every grab classed by the colour in the middle of the picture; a change from
# clip k to clip k + 1 is the time from the last grab of k to the first grab
# of k + 1 (one grab interval, 20 ms, when nothing else showed between them).
#
# Usage: bash bench/transition_gap.sh [--build DIR] [--short]
#   --build DIR  holds sazanami (default: ./build)
#   --short      one round, the solid-colour clips only
# Environment:
#   RUNS=3          measured rounds (each round runs every player once on
#                   each set of clips)
#   CLIPS=4         clips in a set (2 to 6), 2 seconds each
#   PLAYERS="sazanami mpv vlc"  sazanami is always run; a player whose
#                   command is missing is left out with a note
#   LIMIT_S         how long a run may last (default: the clips' length plus
#                   6 s); Sazanami, which plays its folder round and round,
#                   is ended then, the others end after the last clip
#   BENCH_USER=sazanami-bench  the account the players run as when the script
#                   runs as root
#   KEEP_TMP=1      keep the temporary folder (clips, grabs, logs, results;
#                   the raw grabs of a whole run take about 2.6 GB)
# Exits 1 when a player showed no picture in a run or a change between two
# clips was never seen.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$here/../build"
short=0
while [ $# -gt 0 ]; do
    case "$1" in
        --build)
            build="$2"
            shift 2
            ;;
        --short)
            short=1
            shift
            ;;
        *)
            sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
            exit 2
            ;;
    esac
done
build="$(cd "$build" && pwd)"
runs="${RUNS:-3}"
[ "$short" = 1 ] && runs=1
clips="${CLIPS:-4}"
if [ "$clips" -lt 2 ] || [ "$clips" -gt 6 ]; then
    echo "CLIPS must be 2 to 6" >&2
    exit 2
fi
clip_s=2
limit_s="${LIMIT_S:-$((clips * clip_s + 6))}"
read -r -a wanted <<<"${PLAYERS:-sazanami mpv vlc}"

sazanami="$build/sazanami"
if [ ! -x "$sazanami" ]; then
    echo "missing $sazanami (build the target sazanami)" >&2
    exit 2
fi
# shellcheck source=common.sh
source "$here/common.sh"
require_commands ffmpeg Xvfb python3 setpriv

players=(sazanami)
for p in "${wanted[@]}"; do
    [ "$p" = sazanami ] && continue
    if command -v "$p" >/dev/null; then
        players+=("$p")
    else
        echo "note: $p is not installed; left out (bench/install-peers.sh installs it)"
    fi
done

# Colours far apart from each other, from black and from the players'
# interfaces (vlc's orange cone, the grey of the window frames).
all_colours=(FF0000 00FF00 0000FF FFFF00 FF00FF 00FFFF)
colours=("${all_colours[@]:0:clips}")
colour_list="$(
    IFS=,
    echo "${colours[*]}"
)"

bench_account
make_workdir sazanami-gap
chmod 755 "$tmp"

# The first set: solid colours, mpeg4 in .avi without sound, small.  The
# second: 1080p H.264 with sound in .mov, a moving test picture in grey (its
# colour bars would pass for clips) with a box of the clip's colour over its
# middle half, and a tone of the clip's own pitch.
# Names sort in play order; a folder holds one set only, as Sazanami plays the
# whole folder.
make_clips() { # set
    local set="$1" k name
    mkdir -p "$tmp/clips/$set"
    for k in $(seq 1 "$clips"); do
        name="$tmp/clips/$set/clip$k-${colours[k - 1]}"
        case "$set" in
            solid)
                ffmpeg -hide_banner -loglevel error -y \
                    -f lavfi -i "color=c=0x${colours[k - 1]}:size=640x360:rate=25:duration=$clip_s" \
                    -c:v mpeg4 -q:v 2 -an "$name.avi"
                ;;
            h264)
                ffmpeg -hide_banner -loglevel error -y \
                    -f lavfi -i "testsrc2=size=1920x1080:rate=25:duration=$clip_s" \
                    -f lavfi -i "sine=frequency=$((300 + 100 * k)):duration=$clip_s" \
                    -vf "hue=s=0,drawbox=x=iw/4:y=ih/4:w=iw/2:h=ih/2:color=0x${colours[k - 1]}:t=fill" \
                    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest "$name.mov"
                ;;
        esac
    done
    chmod -R a+rX "$tmp/clips"
}

sets=(solid)
[ "$short" = 1 ] || sets+=(h264)
for set in "${sets[@]}"; do
    make_clips "$set"
done

# One copy of the program; every run links it into a fresh program folder of
# its own (the executable's folder, holding config.ini and the other state
# files), so no run sees what an earlier one left.
cp "$sazanami" "$tmp/sazanami"
for p in "${players[@]}"; do
    make_home "$tmp/home/$p"
done
[ "$(id -u)" -eq 0 ] && chown -R "$uid:$gid" "$tmp/home"

start_xvfb

# The program folder of one run, starting in continuous play ("PlayMode" 1)
# on the file page ("ListMode" 1), which the command-line movie fills with its
# folder.
fresh_program_folder() { # dir
    mkdir -p "$1"
    ln "$tmp/sazanami" "$1/sazanami"
    printf '%s\r\n' "[volume]" "volume=100" "[option]" "HidePopup=1" \
        "[other]" "PlayMode=1" "ListMode=1" "ListVisible=1" "PlaySpeed=2" >"$1/config.ini"
    [ "$(id -u)" -eq 0 ] && chown -R "$uid:$gid" "$1"
    chmod 700 "$1"
}

# The command of a player for one run, in $command.  Without a sound server
# Sazanami chooses mpv's silent output, which keeps time as a sound card
# would; mpv and vlc are given theirs.
mpv_size=640x360
player_command() { # name set run-dir
    local -a files
    files=("$tmp/clips/$2"/*)
    case "$1" in
        sazanami)
            fresh_program_folder "$3/program"
            command=("$3/program/sazanami" "${files[0]}")
            ;;
        # mpv choosing its own video output (plain X11 on Xvfb, as Sazanami
        # draws in software there), its window as large as Sazanami's picture.
        mpv)
            command=(mpv --no-config --keep-open=no --ao=null --hwdec=no --keepaspect=no
                "--geometry=$mpv_size+0+0" "${files[@]}")
            ;;
        # The Qt interface as a user starts it; the option skips the first
        # start's question about network access.
        vlc)
            command=(vlc --no-qt-privacy-ask --aout=adummy --play-and-exit "${files[@]}")
            ;;
    esac
}

grab_scale=4
grab_size="$((1280 / grab_scale))x$((1024 / grab_scale))"
grab_frame_bytes=$(((1280 / grab_scale) * (1024 / grab_scale) * 3))
results="$tmp/results.jsonl"
: >"$results"

# Grabs the screen at 50 Hz into DIR/grab.rgb, made 4 times smaller by
# keeping every 4th pixel (a solid colour stays exact), each grab with its
# time stamp in DIR/grab.log; returns once the first grab is written.
grab_pid=""
start_grab() { # dir
    ffmpeg -hide_banner -nostdin -nostats -loglevel info -f x11grab -draw_mouse 0 \
        -framerate 50 -video_size 1280x1024 -i "$DISPLAY" \
        -vf "scale=$grab_size:flags=neighbor,showinfo" -fps_mode passthrough \
        -pix_fmt rgb24 -f rawvideo "$1/grab.rgb" 2>"$1/grab.log" &
    grab_pid=$!
    for _ in $(seq 1 100); do
        [ -f "$1/grab.rgb" ] && [ "$(stat -c %s "$1/grab.rgb")" -ge "$grab_frame_bytes" ] && return 0
        sleep 0.05
    done
    echo "the screen grab did not start:" >&2
    cat "$1/grab.log" >&2
    exit 1
}

stop_grab() {
    kill -INT "$grab_pid" 2>/dev/null || true
    wait "$grab_pid" 2>/dev/null || true
}

# Waits for the player to end by itself, or ends it at the run's limit.
end_player() { # pid
    local pid="$1" deadline=$((SECONDS + limit_s))
    while kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.1
    done
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

run_one() { # set name round
    local set="$1" name="$2" round="$3" dir="$tmp/runs/$1-$2-$3" line pid
    local -a command
    mkdir -p "$dir"
    player_command "$name" "$set" "$dir"
    start_grab "$dir"
    # shellcheck disable=SC2046
    "${as_user[@]}" $(home_env "$tmp/home/$name") "${command[@]}" >"$dir/player.log" 2>&1 &
    pid=$!
    end_player "$pid"
    # A few grabs of what is left on the screen once the player is gone.
    sleep 0.1
    stop_grab
    line="$(python3 "$here/transition_gap.py" classify "$dir/grab.rgb" "$grab_size" \
        "$dir/grab.log" "$grab_scale" "$colour_list" "$name" "$set" "$round")"
    [ "${KEEP_TMP:-0}" = 1 ] || rm -f "$dir/grab.rgb"
    case "$line" in
        *'"picture": null'*)
            echo "ERROR: $name showed no picture ($set, round $round); its output:" >&2
            tail -n 20 "$dir/player.log" >&2
            ;;
    esac
    echo "$line"
}

version_of() {
    case "$1" in
        sazanami)
            echo "$("$sazanami" --version | head -n1), $sazanami built $(date -r "$sazanami" '+%F %H:%M')" \
                "(this tree: $(git -C "$here" describe --always --dirty 2>/dev/null || echo '?'))"
            ;;
        mpv) mpv --version 2>/dev/null | head -n1 ;;
        *) dpkg-query -W -f='${Package} ${Version}' "$1" 2>/dev/null || echo "?" ;;
    esac
}

echo "clips: $clips of ${clip_s} s, colours $colour_list; sets: ${sets[*]}"
echo "  solid: 640x360 25 fps, mpeg4 in .avi, no sound"
[ "$short" = 1 ] || echo "  h264: 1920x1080 25 fps grey testsrc2 with a box of the colour over the middle, H.264 + AAC tone in .mov"
echo "X server $DISPLAY 1280x1024x24, no window manager; grabs at 50 Hz; players run as $user"
for p in "${players[@]}"; do
    echo "  $p: $(version_of "$p")"
done
echo "load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

# The warm-up run of Sazanami (not counted) also gives the size of its
# picture, which mpv's window is given, so that both draw as many pixels.
warm="$(run_one solid sazanami 0)"
size="$(printf '%s' "$warm" | sed -n 's/.*"picture": "\([0-9]*x[0-9]*\)+.*/\1/p')"
if [ -n "$size" ]; then
    mpv_size="$size"
else
    echo "warning: no picture seen in Sazanami's warm-up run" >&2
fi
echo "warm-up: $warm"
echo "mpv window: $mpv_size (Sazanami's picture, as found in the grabs)"

n=${#players[@]}
for round in $(seq 1 "$runs"); do
    for set in "${sets[@]}"; do
        # The order turns by one player every round.
        for i in $(seq 0 $((n - 1))); do
            name="${players[$(((i + round - 1) % n))]}"
            line="$(run_one "$set" "$name" "$round")"
            echo "$line" >>"$results"
            echo "round $round $line"
        done
    done
done

status=0
python3 "$here/transition_gap.py" report "$results" "${players[@]}" || status=$?
if [ "$status" -ne 0 ]; then
    echo "FAILED: a player showed no picture, or a change between clips was not seen (above)" >&2
    exit 1
fi
