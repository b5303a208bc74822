#!/usr/bin/env bash
# Thumbnails of 200 generated movies (.avi, .mpg, .mp4 and .mkv with H.264
# and VP9), side by side with ffmpegthumbnailer:
# Sazanami's in-process grabber (bench/thumbnail_grab, the code the favourites
# use) against `ffmpegthumbnailer -s 100 -t 0` run once per file, as a
# thumbnailer is.  Both take the first frame of the same files; each is
# timed one file at a time and with two at once.  Prints files per second
# and the ratio.
#
# Usage: bash bench/thumbnails_vs_ffmpegthumbnailer.sh [build-dir]
#   build-dir  holds bench/thumbnail_grab (default: ./build)
# Environment:
#   RUNS=3       measured runs of each (the best is kept)
#   FILES=200    movies
#   KINDS="avi mpg mp4 mkv-h264 mkv-vp9"
#                the kinds of movie, taken in turn (see below)
#   KEEP_TMP=1   keep the temporary folder
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
build="$(cd "$build" && pwd)"
runs="${RUNS:-3}"
count="${FILES:-200}"
read -r -a kinds <<<"${KINDS:-avi mpg mp4 mkv-h264 mkv-vp9}"

grab="$build/bench/thumbnail_grab"
if [ ! -x "$grab" ]; then
    echo "missing $grab (build the target thumbnail_grab)" >&2
    exit 2
fi
source "$here/common.sh"
require_commands ffmpeg ffmpegthumbnailer xargs python3

make_workdir sazanami-thumbs

# Five distinct movies of each kind, like a user's, ten seconds each with
# sound, copied under $count names taking the kinds in turn:
#   avi       1280x720 MPEG-4 with MP2 sound
#   mpg       720x480 MPEG-2 in an MPEG program stream
#   mp4       1280x720 H.264 with AAC, as phones and cameras write it
#   mkv-h264  1280x720 H.264 with AAC in Matroska
#   mkv-vp9   1280x720 VP9 with Opus in Matroska, as downloads come
movies="$tmp/movies"
mkdir -p "$movies"
echo "making $count movies (${kinds[*]})..." >&2
make_source() { # kind i
    local kind="$1" i="$2" big=(-f lavfi -i "testsrc2=size=1280x720:rate=25:duration=10")
    local sound=(-f lavfi -i "sine=frequency=$((300 + i * 50)):duration=10") hue=(-vf "hue=h=$((i * 60))")
    local x264=(-c:v libx264 -preset veryfast -pix_fmt yuv420p -g 250 -c:a aac)
    case "$kind" in
    avi) ffmpeg -v error -y "${big[@]}" "${sound[@]}" "${hue[@]}" -c:v mpeg4 -q:v 4 -c:a mp2 \
        "$movies/src$i.avi" ;;
    mpg) ffmpeg -v error -y -f lavfi -i "testsrc=size=720x480:rate=25:duration=10" "${sound[@]}" \
        "${hue[@]}" -c:v mpeg2video -q:v 4 -c:a mp2 -f mpeg "$movies/src$i.mpg" ;;
    mp4) ffmpeg -v error -y "${big[@]}" "${sound[@]}" "${hue[@]}" "${x264[@]}" "$movies/src$i.mp4" ;;
    mkv-h264) ffmpeg -v error -y "${big[@]}" "${sound[@]}" "${hue[@]}" "${x264[@]}" \
        -f matroska "$movies/src$i.mkv-h264" ;;
    mkv-vp9) ffmpeg -v error -y "${big[@]}" "${sound[@]}" "${hue[@]}" -c:v libvpx-vp9 \
        -deadline realtime -cpu-used 8 -b:v 1M -g 250 -c:a libopus -f matroska "$movies/src$i.mkv-vp9" ;;
    *) echo "unknown kind $kind" >&2; exit 2 ;;
    esac
}
for kind in "${kinds[@]}"; do
    for i in 0 1 2 3 4; do make_source "$kind" "$i"; done
done
for n in $(seq 1 "$count"); do
    kind="${kinds[$((n % ${#kinds[@]}))]}"
    cp "$movies/src$((n % 5)).$kind" "$movies/movie $n.${kind%-*}"
done
rm "$movies"/src*
list="$tmp/list"
find "$movies" -type f -print0 | sort -z >"$list"

now_ms() { date +%s%3N; }

# Milliseconds for one way of grabbing all the movies: the best of $runs.
best_of() {
    local best="" t
    for _ in $(seq 1 "$runs"); do
        rm -rf "$tmp/out"
        mkdir -p "$tmp/out"
        t="$("$@")"
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best="$t"; fi
    done
    echo "$best"
}

sazanami_grab() { # jobs
    xargs -0 "$grab" --jobs "$1" "$tmp/out" <"$list"
}
thumbnailer_grab() { # jobs
    local start end
    start="$(now_ms)"
    xargs -0 -P "$1" -I{} sh -c 'ffmpegthumbnailer -s 100 -t 0 -i "$1" -o "$2/$(basename "$1").png" 2>/dev/null' sh {} "$tmp/out" <"$list"
    end="$(now_ms)"
    echo $((end - start))
}

# A warm-up of each puts the files in the page cache.
mkdir -p "$tmp/out"
sazanami_grab 1 >/dev/null
thumbnailer_grab 1 >/dev/null

printf '%-22s %6s %10s %10s\n' "grabber" "jobs" "ms" "files/s"
declare -A rate
for jobs in 1 2; do
    for who in sazanami thumbnailer; do
        ms="$(best_of "${who}_grab" "$jobs")"
        rate[$who$jobs]="$(python3 -c "print(f'{$count * 1000 / $ms:.1f}')")"
        printf '%-22s %6s %10s %10s\n' "$who" "$jobs" "$ms" "${rate[$who$jobs]}"
    done
done
for jobs in 1 2; do
    python3 -c "print(f'ratio at $jobs job(s): sazanami / ffmpegthumbnailer = {${rate[sazanami$jobs]} / ${rate[thumbnailer$jobs]}:.2f} x')"
done
