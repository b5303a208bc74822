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

# A test that hangs is killed by CTest after its timeout, which tells nothing
# about where it hung.  Shortly before that, the stacks of all its threads are
# printed, so that a hang seen once, on a machine nobody can look at, can be
# understood from the log.
print_stacks_of_hung_tests() {
  local seen=" "
  while sleep 10; do
    for pid in $(pgrep -f "^$BUILD/tests/" || true); do
      case "$seen" in *" $pid "*) continue ;; esac
      local age
      age=$(ps -o etimes= -p "$pid" 2>/dev/null | tr -d ' ')
      [ -n "$age" ] && [ "$age" -ge "${HUNG_TEST_SECONDS:-240}" ] || continue
      seen+="$pid "
      echo "=== $(ps -o args= -p "$pid") has run ${age} s; its threads:" >&2
      gdb -p "$pid" -batch -nx -ex 'thread apply all bt' 2>&1 | grep -E '^(Thread|#)' >&2 || true
    done
  done
}
if command -v gdb >/dev/null; then
  print_stacks_of_hung_tests &
  trap 'kill $! 2>/dev/null || true' EXIT
fi

CTEST=(ctest --test-dir "$BUILD" --output-on-failure "$@")
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "${CTEST[@]}"
else
  xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' "${CTEST[@]}"
fi
