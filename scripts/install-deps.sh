#!/usr/bin/env bash
# Installs what Sazanami needs on Debian 12.  Idempotent: packages already
# present are left alone.
#   bash scripts/install-deps.sh          building and running
#   bash scripts/install-deps.sh --test   and running the tests as well
# Without root and without sudo it prints the apt-get command to run instead
# and goes on.
set -euo pipefail

# Building and running the program.
PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-base-dev-tools libgl-dev
  libmpv-dev libxcb1-dev libpulse-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libgl1-mesa-dri
  fonts-noto-cjk
  # Qt's own buttons and dialogs in Japanese.
  qt6-translations-l10n
  # Installing and packaging: the icon's PNG sizes drawn from its SVG, a
  # Debian package's dependencies read from the binary (dpkg-shlibdeps, and
  # CPack's use of file).
  librsvg2-bin dpkg-dev file
)
# The tests: a headless X server, clips made by ffmpeg, a private PulseAudio
# and session bus, real X input and a window manager, FUSE file systems, a
# headless Wayland compositor and Qt's Wayland platform.
TEST_PACKAGES=(
  xvfb xauth x11-utils
  ffmpeg mpv pulseaudio pulseaudio-utils dbus-daemon
  # The soak watches the media controls on its private bus.
  dbus-bin
  python3
  fuse3 python3-fusepy
  openbox wmctrl x11-xkb-utils libx11-dev libxtst-dev
  # Media controls asked the way a desktop does, the installed desktop
  # entry and AppStream file checked, and the association as GLib and
  # xdg-utils read it.
  playerctl desktop-file-utils appstream libglib2.0-bin xdg-utils
  # The Debian package checked as a distribution would check it.
  lintian
  # A notification area inside the tests' X server for the tray icon.
  trayer
  # The window under a Wayland compositor without a screen.
  weston qt6-wayland
  # The stacks of a test that hangs, printed before it is killed.
  gdb
)

if [ "${1:-}" = "--test" ]; then
  PACKAGES+=("${TEST_PACKAGES[@]}")
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
((${#missing[@]})) || exit 0

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=(sudo)
  else
    # Not fatal: what is there may be enough for what is asked.
    echo "Missing packages; install them as root with:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 0
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
