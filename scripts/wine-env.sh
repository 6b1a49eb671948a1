# Sourced by the scripts: a Wine that never waits for a person, in a prefix of our own,
# and an X display (a private Xvfb when none is set).
#   wine_prefix DIR     create DIR as a fresh prefix if it does not exist, and use it
#   need_display        start Xvfb when DISPLAY is unset, with tools/wm_state beside it;
#                       stop_display ends both
#   build_win TARGET... configure and build build/win (Release, MinGW-w64); no target: all

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine_prefix() {
    export WINEPREFIX=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        # A crashing program ends instead of waiting in the debugger.
        wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /f >/dev/null 2>&1 || true
        wineserver -w
    fi
}

xvfb_pid=""
need_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    local up=""
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && { up=1; break; }
        sleep 0.1
    done
    if [ -z "$up" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    start_wm_state || echo "== without tools/wm_state: Wine waits 2 s for each window it hides" >&2
    return 0
}

# With no window manager, nobody sets WM_STATE, and Wine's X11 driver waits 2 s for it
# each time it hides or destroys a window. tools/wm_state keeps that property on our own
# Xvfb and does nothing else (it moves, stacks and focuses nothing). Started only beside
# the Xvfb of need_display, never on a display of the user's; ZANTREL_WM_STATE=0 leaves
# it out. Returns 1 (and the tests run, only slower) when it cannot be built or started.
wm_state_pid=""
start_wm_state() {
    [ "${ZANTREL_WM_STATE:-1}" = 0 ] && return 0
    local root bin ready
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    bin=$root/build/tools/wm_state
    if [ ! -x "$bin" ] || [ "$root/tools/wm_state.cpp" -nt "$bin" ]; then
        mkdir -p "$root/build/tools"
        g++ -std=c++17 -O2 -Wall -Wextra -Wpedantic -Werror -o "$bin" "$root/tools/wm_state.cpp" \
            -lX11 >&2 || { rm -f "$bin"; return 1; }
    fi
    ready=$(mktemp -u "${TMPDIR:-/tmp}/wm_state-ready.XXXXXX")
    "$bin" "$ready" &
    wm_state_pid=$!
    for _ in $(seq 50); do
        if [ -e "$ready" ]; then
            rm -f "$ready"
            return 0
        fi
        kill -0 "$wm_state_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$wm_state_pid" 2>/dev/null
    wm_state_pid=""
    return 1
}

stop_display() {
    if [ -n "$wm_state_pid" ] && ! kill "$wm_state_pid" 2>/dev/null; then
        echo "== tools/wm_state had ended before its display" >&2
    fi
    wm_state_pid=""
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
}

build_win() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null &&
        cmake --build "$root/build/win" -j2 ${1:+--target "$@"}
}
