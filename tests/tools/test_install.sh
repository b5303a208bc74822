#!/usr/bin/env bash
# The installed program and its Debian package: the files in their freedesktop
# places and valid, --help and --version without a window, the state in the
# user's data folder, and a package whose dependencies come from the binary.
#   test_install.sh <build folder>
set -euo pipefail
BUILD="$1"
WORK="$(mktemp -d)"
PID=
cleanup() {
  [ -n "$PID" ] && kill "$PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

PREFIX="$WORK/prefix"
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null
SHARE="$PREFIX/share"
for file in bin/sazanami share/sazanami/help.html share/applications/sazanami.desktop \
            share/metainfo/org.sazanami.sazanami.metainfo.xml \
            share/icons/hicolor/scalable/apps/sazanami.svg; do
  [ -f "$PREFIX/$file" ] || fail "$file not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  file "$SHARE/icons/hicolor/${size}x${size}/apps/sazanami.png" | grep -q "PNG image data, $size x $size" \
    || fail "no ${size}x${size} icon"
done
grep -qx 'Exec=sazanami %f' "$SHARE/applications/sazanami.desktop" || fail "Exec line"
desktop-file-validate "$SHARE/applications/sazanami.desktop"
# Pedantic: anything beyond an informational note fails.
APPSTREAM="$(appstreamcli validate --pedantic --no-net \
  "$SHARE/metainfo/org.sazanami.sazanami.metainfo.xml" 2>&1)" || fail "AppStream file not valid: $APPSTREAM"
! grep -q '^[EWP]:' <<<"$APPSTREAM" || fail "AppStream file: $APPSTREAM"

# Text answers need no display.
env -u DISPLAY -u WAYLAND_DISPLAY "$PREFIX/bin/sazanami" --version >"$WORK/version"
grep -qx 'Sazanami [0-9]*\.[0-9]*\.[0-9]*' "$WORK/version" || fail "--version"
grep -q 'GPL-3.0-or-later' "$WORK/version" || fail "--version without the licence"
env -u DISPLAY -u WAYLAND_DISPLAY "$PREFIX/bin/sazanami" --help >"$WORK/help"
grep -q '^Usage: sazanami' "$WORK/help" || fail "--help"
grep -q 'man sazanami' "$WORK/help" || fail "--help does not point to the manual page"

# The installed copy keeps its state in the user's data folder, never beside
# the executable (which root could write to).
export XDG_DATA_HOME="$WORK/data"
"$PREFIX/bin/sazanami" >/dev/null 2>&1 &
PID=$!
for _ in $(seq 200); do
  [ -d "$XDG_DATA_HOME/sazanami/seen" ] && break
  sleep 0.1
done
[ -d "$XDG_DATA_HOME/sazanami/seen" ] || fail "no state folder in the user's data folder"
kill -TERM "$PID"
wait "$PID" || fail "the installed program did not end cleanly"
PID=
[ -f "$XDG_DATA_HOME/sazanami/config.ini" ] || fail "settings not saved in the user's data folder"
[ "$(ls -A "$PREFIX/bin")" = sazanami ] || fail "state written beside the installed program"

# The Debian package depends on what the binary links (libmpv, Qt).
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/deb" >/dev/null)
DEB="$(ls "$WORK"/deb/*.deb)"
DEPENDS="$(dpkg-deb -f "$DEB" Depends)"
for package in libmpv libqt6widgets6 libqt6dbus6 qt6-qpa-plugins qt6-translations-l10n; do
  grep -q "$package" <<<"$DEPENDS" || fail "package does not depend on $package: $DEPENDS"
done
CONTENTS="$(dpkg-deb -c "$DEB")"
grep -q '\./usr/share/applications/sazanami.desktop$' <<<"$CONTENTS" || fail "package lacks the desktop entry"
grep -q '\./usr/bin/sazanami$' <<<"$CONTENTS" || fail "package lacks the program"
for file in doc/sazanami/copyright doc/sazanami/changelog.gz man/man1/sazanami.1.gz; do
  grep -q "\./usr/share/$file\$" <<<"$CONTENTS" || fail "package lacks $file"
done
# Debian's own package checker: errors and warnings fail, notes do not.
lintian --fail-on error,warning "$DEB" >"$WORK/lintian" 2>&1 || fail "lintian: $(cat "$WORK/lintian")"
echo "install and package: ok"
