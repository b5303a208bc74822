#!/usr/bin/env bash
# Installs, on Debian 12, what the start-up benchmark needs besides Sazanami's
# own build dependencies (scripts/install-deps.sh): the probe's X11 headers,
# the X server, the clip maker, and the players Sazanami is compared with --
# the mpv command and the GUI players a user would pick instead (vlc,
# celluloid, haruna, smplayer).  Idempotent: packages already present are left
# alone.  Without root and without sudo it prints the apt-get command to run
# instead.
#
# When run as root it also creates the unprivileged account "sazanami-bench"
# the benchmark starts the players as (vlc refuses to run as root).
set -euo pipefail

# Building and running the benchmark itself.
BENCH_PACKAGES=(
  libx11-dev libxext-dev
  xvfb xauth x11-utils
  ffmpeg python3
  dbus-daemon
  util-linux passwd
  # The search benchmark's second yardstick beside find.
  fd-find
)
# The players.  --no-install-recommends still gives each a working player:
# vlc's metapackage depends on its Qt interface and its video outputs;
# smplayer's recommends are only skins and translations; haruna's are
# yt-dlp; celluloid's youtube-dl.
PLAYER_PACKAGES=(
  mpv
  vlc
  celluloid
  haruna
  ffmpegthumbnailer
  smplayer
  libgl1-mesa-dri
)
PACKAGES=("${BENCH_PACKAGES[@]}" "${PLAYER_PACKAGES[@]}")

BENCH_USER=sazanami-bench

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=(sudo)
  elif ((${#missing[@]})); then
    echo "Missing packages; install them as root with:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  else
    exit 0
  fi
fi

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -q
  "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The account the benchmark runs the players as when it is itself run as
# root: no login shell, no home (each run gets a fresh temporary HOME).
if ! getent passwd "$BENCH_USER" >/dev/null; then
  "${SUDO[@]}" useradd --system --no-create-home --home-dir /nonexistent \
    --shell /usr/sbin/nologin --user-group "$BENCH_USER"
fi
