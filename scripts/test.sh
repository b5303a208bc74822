#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.  GUI and media tests
# need an X server: one is started with Xvfb unless a display is already given.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
bash "$ROOT/scripts/install-deps.sh" --test
bash "$ROOT/scripts/build.sh" "$BUILD"

CTEST=(ctest --test-dir "$BUILD" --output-on-failure "$@")
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "${CTEST[@]}"
else
  xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' "${CTEST[@]}"
fi
