#!/usr/bin/env bash
# Installs what Sazanami needs to build, run and test on Debian 12.
# Idempotent: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-base-dev-tools libgl-dev
  libmpv-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libpulse-dev
  xvfb xauth libgl1-mesa-dri x11-utils libx11-dev libxext-dev
  ffmpeg mpv pulseaudio dbus-daemon
  fonts-noto-cjk
  time
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
