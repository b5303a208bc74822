#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.  GUI and media tests
# need an X server: one is started with Xvfb unless a display is already given.
#   bash scripts/test.sh [ctest arguments]
#   SANITIZE=1 bash scripts/test.sh    the same in a build with AddressSanitizer
#                                      and UndefinedBehaviorSanitizer (build-sanitize/)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
CMAKE_ARGS=()
if [ "${SANITIZE:-0}" = 1 ]; then
  BUILD="${BUILD_DIR:-$ROOT/build-sanitize}"
  CMAKE_ARGS+=(-DSAZANAMI_SANITIZE=ON)
  # Leaks are not reported: the graphics driver, fontconfig and libmpv keep
  # process-lifetime allocations that would drown ours.
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
else
  BUILD="${BUILD_DIR:-$ROOT/build}"
fi
bash "$ROOT/scripts/install-deps.sh" --test
bash "$ROOT/scripts/build.sh" "$BUILD" "${CMAKE_ARGS[@]}"

CTEST=(ctest --test-dir "$BUILD" --output-on-failure "$@")
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "${CTEST[@]}"
else
  xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' "${CTEST[@]}"
fi
