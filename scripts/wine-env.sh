# Sourced by the scripts: a Wine that never waits for a person, in a prefix of our own,
# and an X display (a private Xvfb when none is set).
#   wine_prefix DIR     create DIR as a fresh prefix if it does not exist, put the dialog
#                       fonts into it, and use it; 1 when fonts-wine is missing
#   need_display        start Xvfb when DISPLAY is unset, with tools/wm_state beside it;
#                       stop_display ends both
#   build_win TARGET... configure and build build/win (Release, MinGW-w64); no target: all
#   built_version       the version build/win was configured with (project() in CMake)

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
    wine_fonts
}

# Wine's own "MS Sans Serif" and "Tahoma" (Debian's fonts-wine) have the widths of Windows'
# fonts. This Wine does not look where the package puts them, and without them it draws the
# dialogs' "MS Sans Serif" with a wider font that clips their labels; in the prefix's
# C:\windows\Fonts they are used. The dialogs' 8 pt comes from the bitmap sserife.fon
# (sseriff.fon at 120 dpi), the name the prefix's registry gives "MS Sans Serif".
wine_fonts() {
    local fonts font folder=$WINEPREFIX/drive_c/windows/Fonts
    fonts=$(dpkg -L fonts-wine 2>/dev/null |
        grep -E '/(sserife\.fon|sseriff\.fon|ms_sans_serif\.ttf|tahoma\.ttf|tahomabd\.ttf)$')
    if [ -z "$fonts" ]; then
        echo "== the package fonts-wine is missing (scripts/install-deps.sh installs it):" \
            "without it Wine draws the dialogs in a wider font that clips their labels" >&2
        return 1
    fi
    mkdir -p "$folder"
    for font in $fonts; do
        cmp -s "$font" "$folder/${font##*/}" || cp "$font" "$folder/"
    done
}

xvfb_pid=""
xvfb_log=""
# Xvfb takes a free display number itself and writes it down once it accepts connections
# (-displayfd): lock files in /tmp do not show the servers of another root on this machine,
# whose sockets Xvfb would still collide with. A busy machine may take long to start it;
# when it fails, what it said is shown.
need_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local number="" tenths
    xvfb_log=$(mktemp "${TMPDIR:-/tmp}/xvfb.XXXXXX")
    : >"$xvfb_log.display"  # there before the server's shell opens it, for the wait below
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_log.display" >"$xvfb_log" 2>&1 &
    xvfb_pid=$!
    for ((tenths = 0; tenths < 600; tenths++)); do
        # The number with its line end: written whole.
        if [ "$(wc -l <"$xvfb_log.display")" -ge 1 ]; then
            number=$(head -1 "$xvfb_log.display")
            break
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$xvfb_log.display"
    if [ -z "$number" ]; then
        echo "Xvfb did not start within 60 s. It said:" >&2
        sed 's/^/   /' "$xvfb_log" >&2
        stop_display
        return 1
    fi
    export DISPLAY=":$number"
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
    "$bin" "$ready" 2>"$ready.log" &
    wm_state_pid=$!
    for _ in $(seq 600); do
        if [ -e "$ready" ]; then
            rm -f "$ready" "$ready.log"
            return 0
        fi
        kill -0 "$wm_state_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "== tools/wm_state did not start within 60 s. It said:" >&2
    sed 's/^/   /' "$ready.log" >&2
    rm -f "$ready" "$ready.log"
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
    [ -n "$xvfb_log" ] && rm -f "$xvfb_log"
    xvfb_log=""
}

build_win() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null &&
        cmake --build "$root/build/win" -j2 ${1:+--target "$@"}
}

built_version() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    sed -n 's/^#define ZANTREL_VERSION "\(.*\)"$/\1/p' "$root/build/win/generated/zantrel_version.h" \
        2>/dev/null | grep .
}
