#!/usr/bin/env bash
# Runs a test program under a headless Wayland compositor of its own (weston),
# with Qt's Wayland platform.  Exits 77 (skipped) when weston is missing.
set -u
command -v weston >/dev/null 2>&1 || { echo "weston is not installed"; exit 77; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
socket=sazanami-test
# Pixman draws what the screenshooter reads; --debug lets clients use it.
weston --backend=headless-backend.so --use-pixman --debug --socket="$socket" --width=1280 \
  --height=1024 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 200); do
  [ -S "$runtime/$socket" ] && break
  sleep 0.05
done
if [ ! -S "$runtime/$socket" ]; then
  echo "weston did not start:"
  cat "$runtime/weston.log"
  kill "$weston_pid" 2>/dev/null
  rm -rf "$runtime"
  exit 1
fi
if command -v weston-screenshooter >/dev/null 2>&1; then
  SAZANAMI_TEST_SCREENSHOOTER=$(command -v weston-screenshooter)
  export SAZANAMI_TEST_SCREENSHOOTER
fi
WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland "$@"
status=$?
kill "$weston_pid" 2>/dev/null
wait "$weston_pid" 2>/dev/null
rm -rf "$runtime"
exit "$status"
