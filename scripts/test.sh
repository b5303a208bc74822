#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.  GUI and media tests
# need an X server: one is started with Xvfb unless a display is already given.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
bash "$ROOT/scripts/install-deps.sh"
bash "$ROOT/scripts/build.sh" "$BUILD"

run_ctest() {
  cd "$BUILD" && ctest --output-on-failure "$@"
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  run_ctest "$@"
else
  export -f run_ctest
  export BUILD
  xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' bash -c 'run_ctest "$@"' _ "$@"
fi
