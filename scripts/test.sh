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
# taken; they are printed, a line per thread, once CTest is done, so that they
# come last in the log and a hang seen once, on a machine nobody can look at,
# can be understood from it.
HUNG_STACKS="$BUILD/hung-test-stacks.txt"
rm -f "$HUNG_STACKS"
take_stacks_of_hung_tests() {
  local seen=" "
  while sleep 10; do
    for pid in $(pgrep -f "^$BUILD/tests/" || true); do
      case "$seen" in *" $pid "*) continue ;; esac
      local age
      age=$(ps -o etimes= -p "$pid" 2>/dev/null | tr -d ' ')
      [ -n "$age" ] && [ "$age" -ge "${HUNG_TEST_SECONDS:-240}" ] || continue
      seen+="$pid "
      echo "=== $(ps -o args= -p "$pid") (pid $pid) had run ${age} s; its threads:" >>"$HUNG_STACKS"
      gdb -p "$pid" -batch -nx -ex 'thread apply all bt' 2>&1 | grep -E '^(Thread|#)' |
        one_line_per_thread "$pid" >>"$HUNG_STACKS" || true
    done
  done
}
# gdb's frames as "function (file:line)", innermost first, the main thread
# (whose LWP is the process id) before the others.
one_line_per_thread() {
  awk -v pid="$1" '
    function flush() { if (head != "") { if (main) first = head line "\n"; else rest = rest head line "\n" } }
    /^Thread/ { flush(); main = ($0 ~ "LWP " pid "[)]"); head = $0; sub(/:$/, "", head); head = head ":"; line = ""; last = ""; next }
    /^#/ {
      frame = $0; sub(/^#[0-9]+ +(0x[0-9a-f]+ in )?/, "", frame)
      name = frame; sub(/ ?\(.*/, "", name)
      # The C library'"'"'s own frames (waits, thread start) say nothing.
      if (name ~ /^_/ || name == "start_thread" || name == "clone3") next
      where = ""
      if (match(frame, / (at|from) [^ ]+$/)) { where = substr(frame, RSTART + 1); sub(/^(at|from) (.*\/)?/, "", where) }
      if (name == "" || name == "??") name = "?"
      entry = name (where == "" ? "" : " (" where ")")
      if (entry != last) line = line " < " entry
      last = entry
    }
    END { flush(); printf "%s%s", first, rest }'
}
if command -v gdb >/dev/null; then
  take_stacks_of_hung_tests &
  watchdog=$!
  trap 'kill $watchdog 2>/dev/null || true' EXIT
fi
show_stacks_of_hung_tests() {
  [ -s "$HUNG_STACKS" ] || return 0
  echo "Tests that hung, and where each thread of theirs was:"
  cat "$HUNG_STACKS"
}

CTEST=(ctest --test-dir "$BUILD" --output-on-failure "$@")
status=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "${CTEST[@]}" || status=$?
else
  xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' "${CTEST[@]}" || status=$?
fi
show_stacks_of_hung_tests
exit "$status"
