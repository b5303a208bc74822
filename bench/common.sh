# shellcheck shell=bash
# Shared by the benchmark scripts: sourced, not run.
#   require_commands CMD...   exits 2 naming the first command that is missing
#   make_workdir PREFIX       sets $tmp to a new temporary folder, removed at exit
#                             unless KEEP_TMP=1
#   start_xvfb                starts a private 1280x1024 X server and exports DISPLAY
#   elapsed_us CMD...         runs CMD (output discarded), prints its time in µs
#   bench_account             sets $user, $uid, $gid and $as_user, the command
#                             prefix that runs a player as that account
#   make_home DIR             makes DIR a fresh home with its XDG folders
#   home_env DIR              prints the env -i command giving a player DIR as
#                             its home, on this X server
#   list_movies FOLDER        ls | grep: the names the file page lists
#   find_movies TREE TEXT     find: the files the search page finds for TEXT

require_commands() {
    for c in "$@"; do
        if ! command -v "$c" >/dev/null; then
            echo "missing command: $c" >&2
            exit 2
        fi
    done
}

xvfb_pid=""
bench_cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "${KEEP_TMP:-0}" = 1 ]; then
        echo "kept $tmp" >&2
    else
        rm -rf "$tmp"
    fi
}

make_workdir() {
    tmp="$(mktemp -d "/tmp/$1.XXXXXX")"
    trap bench_cleanup EXIT
}

# -displayfd picks a free display and reports it once the server accepts
# connections.
start_xvfb() {
    mkdir -p "$tmp/runtime"
    chmod 700 "$tmp/runtime"
    export XDG_RUNTIME_DIR="$tmp/runtime"
    exec 3>"$tmp/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 1 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$tmp/display" ]; then
        echo "Xvfb did not start" >&2
        cat "$tmp/xvfb.log" >&2
        exit 1
    fi
    DISPLAY=":$(head -n1 "$tmp/display")"
    export DISPLAY
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    # Without a session bus given, libdbus would start one by forking
    # dbus-launch from inside the measured program; an address where none
    # listens leaves the program without one, at once.
    export DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-unix:path=$tmp/runtime/bus}"
}

elapsed_us() {
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
}

# vlc refuses to run as root, and a player running as root is not what a user
# starts: as root, every player (Sazanami included) runs as an unprivileged
# account, BENCH_USER (made by bench/install-peers.sh; "nobody" when it does
# not exist).  setpriv changes the user and then replaces itself with the
# player, so the process started is the player itself.
bench_account() {
    as_user=()
    if [ "$(id -u)" -eq 0 ]; then
        user="${BENCH_USER:-sazanami-bench}"
        getent passwd "$user" >/dev/null || user=nobody
        uid="$(id -u "$user")"
        gid="$(id -g "$user")"
        # shellcheck disable=SC2034 # used by the scripts that source this
        as_user=(setpriv "--reuid=$uid" "--regid=$gid" --init-groups --)
    else
        user="$(id -un)"
        uid="$(id -u)"
        gid="$(id -g)"
    fi
}

make_home() {
    mkdir -p "$1/.config" "$1/.cache" "$1/.local/share" "$1/.local/state" "$1/runtime"
    chmod 700 "$1/runtime"
}

# Nothing of the caller's environment reaches the player but the X server:
# no state from earlier use, and the same for every player.
home_env() {
    local h="$1"
    echo env -i "PATH=/usr/local/bin:/usr/bin:/bin" "HOME=$h" "USER=$user" "LOGNAME=$user" \
        "LANG=C.UTF-8" "DISPLAY=$DISPLAY" "XDG_CONFIG_HOME=$h/.config" \
        "XDG_CACHE_HOME=$h/.cache" "XDG_DATA_HOME=$h/.local/share" \
        "XDG_STATE_HOME=$h/.local/state" "XDG_RUNTIME_DIR=$h/runtime" \
        "DBUS_SESSION_BUS_ADDRESS=unix:path=$h/runtime/bus"
}

# The file page's pattern, as grep sees it.
list_movies() {
    # shellcheck disable=SC2012 # ls is the yardstick here
    ls -1 "$1" | { grep -iE '(\.mpg|\.avi|\.mpeg|asf|\.wmv|\.mov)$' || true; }
}

# The search page's selection: the six movie extensions, TEXT in the name.
find_movies() {
    find "$1" -type f -iname "*$2*" \( -iname '*.avi' -o -iname '*.mpg' -o -iname '*.mpeg' \
        -o -iname '*.wmv' -o -iname '*.mov' -o -iname '*.asf' \)
}
