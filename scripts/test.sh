#!/usr/bin/env bash
# Builds and runs every test: native unit tests (sanitizers), the fuzzer for a bounded
# time, the Win32 tests and the end-to-end tests of zantrel.exe under Wine, and the
# checks of the executable itself. Ends, however it ends, with one line:
# "N passed, N failed, N skipped".
#   FUZZ_SECONDS (default 60) sets the fuzzing time.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
. "$root/scripts/wine-env.sh"

passed=0
failed=0
skipped=0
failures=()
wine_used=""
finish() {
    [ -n "$wine_used" ] && wineserver -k 2>/dev/null
    stop_display
    if [ ${#failures[@]} -gt 0 ]; then echo "failed: ${failures[*]}"; fi
    echo "$passed passed, $failed failed, $skipped skipped"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
record() {  # record NAME PASSED FAILED
    passed=$((passed + $2))
    failed=$((failed + $3))
    [ "$3" -gt 0 ] && failures+=("$1")
    echo "== $1: $2 passed, $3 failed"
}
fail_and_end() {  # fail_and_end NAME: one failure, after which nothing else can run
    record "$1" 0 1
    exit 1
}
check() {  # check NAME COMMAND...: one test that passes when the command succeeds
    local name=$1
    shift
    if "$@"; then record "$name" 1 0; else record "$name" 0 1; fi
}
# Counts of a GoogleTest run from its log; a run that crashed or ran nothing is a failure.
gtest_counts() {  # gtest_counts NAME LOG EXIT_CODE
    local ok bad
    ok=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$2" | grep -oE '[0-9]+' | head -1)
    bad=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$2" | grep -oE '[0-9]+' | head -1)
    skip=$(grep -E '^\[  SKIPPED \] [0-9]+ test' "$2" | grep -oE '[0-9]+' | head -1)
    ok=${ok:-0}
    bad=${bad:-0}
    skipped=$((skipped + ${skip:-0}))
    if [ "$3" -ne 0 ] && [ "$bad" -eq 0 ]; then bad=1; fi
    if [ $((ok + bad)) -eq 0 ]; then bad=1; fi
    [ "$bad" -gt 0 ] && grep -E '^\[  FAILED  \]|Failure|Expected|Which is|Value of|Actual' "$2" | head -60
    record "$1" "$ok" "$bad"
}

"$root/scripts/install-deps.sh" test || fail_and_end "installing what the tests need"

# ---- Native: portable logic under AddressSanitizer and UndefinedBehaviorSanitizer
echo "== native build"
if cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug -DZANTREL_SANITIZE=ON >/dev/null &&
    cmake --build "$build/native" -j2 >"$build/native-build.log" 2>&1; then
    (cd "$build/native" && ctest -j2 --output-on-failure) >"$build/native-tests.log" 2>&1
    tail -3 "$build/native-tests.log"
    ok=$(grep -oE '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$build/native-tests.log")
    total=$(echo "$ok" | grep -oE '[0-9]+$')
    bad=$(echo "$ok" | grep -oE '[0-9]+ tests failed' | grep -oE '^[0-9]+')
    if [ -z "$total" ]; then
        tail -40 "$build/native-tests.log"
        record "native unit tests" 0 1
    else
        [ "${bad:-0}" -gt 0 ] && grep -E 'Failed|\*\*\*' "$build/native-tests.log" | head -40
        skip=$(grep -cE '\((Skipped|Disabled)\)$' "$build/native-tests.log")
        skipped=$((skipped + skip))
        record "native unit tests" $((total - bad - skip)) "$bad"
    fi
else
    tail -40 "$build/native-build.log"
    record "native build" 0 1
fi

# Root writes read-only files (and Wine keeps the read-only attribute as the Unix write
# permission), so run by root the tests of read-only files skip themselves. They run again
# here as an ordinary user (nobody, through setpriv), natively and under Wine, and fail when
# they cannot run there or skip themselves there too.
as_ordinary_user() {  # as_ordinary_user NAME LOG COMMAND...: a GoogleTest run as nobody
    local name=$1 log=$2 status
    shift 2
    if ! command -v setpriv >/dev/null; then
        echo "   setpriv (package util-linux) is missing: the read-only cases cannot run"
        record "$name" 0 1
        return
    fi
    setpriv --reuid=65534 --regid=65534 --clear-groups "$@" >"$log" 2>&1
    status=$?
    if grep -qE '^\[  SKIPPED \] [0-9]+ test' "$log"; then
        grep -B1 -E '^\[  SKIPPED \] [A-Z]' "$log" | head -10
        status=1
    fi
    gtest_counts "$name" "$log" "$status"
}
if [ "$(id -u)" -eq 0 ] && [ -x "$build/native/bin/zantrel_unit_tests" ]; then
    as_ordinary_user "read-only files as an ordinary user" "$build/readonly.log" \
        "$build/native/bin/zantrel_unit_tests" --gtest_filter='*ReadOnly*'
fi

# ---- Fuzzing the alias import and the registry load, sharing the time
echo "== fuzzing for ${FUZZ_SECONDS:-60} s"
mkdir -p "$build"
if FUZZ_BUILD_DIR="$build/fuzz" "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-60}" >"$build/fuzz.log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$build/fuzz.log" | sed 's/^/   /'
    record "fuzzing" 1 0
else
    tail -30 "$build/fuzz.log"
    record "fuzzing" 0 1
fi

# ---- Windows build
echo "== Windows build"
if ! build_win >"$build/win-build.log" 2>&1; then
    tail -40 "$build/win-build.log"
    fail_and_end "Windows build"
fi
exe=$build/win/bin/zantrel.exe

imports_are_system_only() {
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort) ||
        return 1
    echo "   imports: $(echo $dlls)"
    [ -n "$dlls" ] || return 1
    local allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll "
    for dll in $dlls; do
        [[ "$allowed" == *" $dll "* ]] || { echo "   not a system DLL: $dll"; return 1; }
    done
}
# The ANSI NLS functions read a UTF-8 text through the code page of the locale they are given.
imports_no_ansi_comparison() {
    local imports
    imports=$(x86_64-w64-mingw32-objdump -p "$exe") && [ -n "$imports" ] || return 1
    ! echo "$imports" | grep -wE 'lstrcmpiA|CompareStringA|LCMapStringA'
}
is_gui_program() { x86_64-w64-mingw32-objdump -p "$exe" | grep -E 'Subsystem.*Windows GUI' >/dev/null; }
builds_for_32_bits() {
    cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DZANTREL_TESTS=OFF >/dev/null &&
        cmake --build "$build/win32" --target zantrel -j2 >"$build/win32-build.log" 2>&1 ||
        { tail -20 "$build/win32-build.log"; return 1; }
}
# Every C++ file that git knows; a missing git or clang-format, or no file, is a failure.
sources_are_formatted() {
    local files out
    files=$(cd "$root" && "${GIT:-git}" ls-files '*.cpp' '*.h') && [ -n "$files" ] ||
        { echo "   no C++ files listed by ${GIT:-git} ls-files"; return 1; }
    out=$(cd "$root" && echo "$files" | xargs clang-format --dry-run --Werror 2>&1) &&
        [ -z "$out" ] && return 0
    echo "$out" | head -20
    return 1
}
format_check_fails_without_git() { ! GIT=/nonexistent/git sources_are_formatted >/dev/null 2>&1; }
includes_follow_the_layers() { "$root/scripts/check-includes.sh" "$root"; }
# The include check itself: a tree with two forbidden includes, one of them relative, must
# fail, naming both lines.
include_check_catches_a_forbidden_include() {
    local tmp out
    tmp=$(mktemp -d)
    cp -r "$root/state" "$root/run" "$root/ui" "$root/app" "$tmp/"
    echo '#include "ui/dialogs.h"' >>"$tmp/run/runner.cpp"
    echo '#include "../ui/dialogs.h"' >>"$tmp/state/alias_list.cpp"
    out=$("$root/scripts/check-includes.sh" "$tmp")
    local status=$?
    rm -rf "$tmp"
    [ "$status" -ne 0 ] && [[ "$out" == *"run/runner.cpp:"[0-9]*'#include "ui/dialogs.h"'* ]] &&
        [[ "$out" == *"state/alias_list.cpp:"[0-9]*'#include "../ui/dialogs.h"'* ]]
}
# What the About box opens: the MIT licence, every line ended by CR LF, the last included.
licence_is_mit_with_crlf_line_ends() {
    local file=$build/win/bin/license.txt
    [ -s "$file" ] && [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] &&
        ! grep -qv $'\r$' "$file" && grep -q '^MIT License' "$file" &&
        grep -q '^Copyright (c) [0-9]* Corvath Software' "$file"
}
# The built .chm's keyword index: each keyword the program asks for is there once and leads
# to its topic, "Contents" to the title page.
chm_keywords_lead_to_their_topics() {
    local dir=$build/chm-contents pair page
    rm -rf "$dir"
    extract_chmLib "$build/win/bin/zantrel.chm" "$dir" >/dev/null || return 1
    for pair in "Contents:Zantrel Help" "Settings:The Settings dialog"; do
        page=$(awk -F'"' -v k="${pair%%:*}" '/"Name"/ { n = $4 } /"Local"/ && n == k { print $4 }' "$dir"/*.hhk)
        [ "$(echo "$page" | wc -w)" -eq 1 ] && grep -q "<title>${pair#*:}</title>" "$dir/$page" ||
            { echo "   \"${pair%%:*}\" leads to '$page', not to \"${pair#*:}\""; return 1; }
    done
}
icon_matches_its_pictures() { python3 "$root/tools/make_icon.py" --check; }
check "executable imports only system DLLs" imports_are_system_only
check "executable is a GUI program" is_gui_program
check "executable imports none of lstrcmpiA, CompareStringA, LCMapStringA" imports_no_ansi_comparison
check "32-bit build compiles" builds_for_32_bits
check "icon is built from its pictures" icon_matches_its_pictures
check "licence beside the program, MIT, CR LF" licence_is_mit_with_crlf_line_ends
check "HTML help keywords lead to their topics" chm_keywords_lead_to_their_topics
check "sources are formatted" sources_are_formatted
check "format check fails without git" format_check_fails_without_git
check "includes follow the layers" includes_follow_the_layers
check "include check catches forbidden includes, relative ones too" include_check_catches_a_forbidden_include
echo "   zantrel.exe: $(stat -c %s "$exe") bytes"

# ---- Under Wine
need_display || fail_and_end "virtual display"
wine_used=1
rm -rf "$build/wineprefix-test"
wine_prefix "$build/wineprefix-test" || fail_and_end "Wine's dialog fonts (package fonts-wine)"

# A test program that waits for ever (on a message box nobody answers, say) is stopped
# after 20 minutes, naming the test it was in, and counts as failed.
wine_tests() {  # wine_tests LOG PROGRAM [ARGUMENTS...]: runs PROGRAM under Wine, its output in LOG
    local log=$1
    shift
    timeout 1200 wine "$@" >"$log" 2>&1
    local status=$?
    [ "$status" -eq 124 ] && echo "   stopped after 20 minutes in: $(grep '^\[ RUN' "$log" | tail -1)"
    return "$status"
}

echo "== Win32 tests under Wine"
wine_tests "$build/win-tests.log" "$build/win/bin/zantrel_win_tests.exe"
gtest_counts "Win32 tests" "$build/win-tests.log" $?
wineserver -k 2>/dev/null; wineserver -w

# The read-only cases again as an ordinary user, in a prefix of that user's own (Wine uses
# no prefix of another user), without a display (they open no window).
if [ "$(id -u)" -eq 0 ]; then
    echo "== Win32 tests of read-only files as an ordinary user"
    readonly_home=$build/wineprefix-readonly
    rm -rf "$readonly_home"
    mkdir -p "$readonly_home" && chown 65534:65534 "$readonly_home"
    as_ordinary_user "Win32 read-only files as an ordinary user" "$build/win-readonly.log" \
        env -u DISPLAY HOME="$readonly_home" WINEPREFIX="$readonly_home/prefix" timeout 600 sh -c \
        'wineboot -i >/dev/null 2>&1 && wine reg delete "$1" /v Debugger /f >/dev/null 2>&1
         wine "$0" --gtest_filter="*ReadOnly*"; s=$?; wineserver -k; exit $s' \
        "$build/win/bin/zantrel_win_tests.exe" 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
fi

echo "== end-to-end tests under Wine"
wine_tests "$build/e2e-tests.log" "$build/win/bin/zantrel_e2e_tests.exe"
gtest_counts "end-to-end tests" "$build/e2e-tests.log" $?
wineserver -k 2>/dev/null; wineserver -w

# The tray icon on a screen of 144 DPI (150 %): a prefix of its own, whose LogPixels is set
# before its programs start, and the Win32 test of the tray icon's picture run in it again.
echo "== the tray icon at 144 DPI, in a prefix of its own"
test_prefix=$WINEPREFIX
rm -rf "$build/wineprefix-dpi"
wine_prefix "$build/wineprefix-dpi"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -k 2>/dev/null; wineserver -w
ZANTREL_DPI=144 wine_tests "$build/dpi-tests.log" "$build/win/bin/zantrel_win_tests.exe" \
    --gtest_filter='CommandWindowTest.TrayIconIsAnImageOfItsOwnAtTheSmallIconSize'
gtest_counts "tray icon at 144 DPI" "$build/dpi-tests.log" $?
wineserver -k 2>/dev/null; wineserver -w
export WINEPREFIX=$test_prefix

# "!logoff" really asks Wine to end the session, which ends every program of that Wine
# server: run it in a prefix (and so a server) of its own and look at the outcome from
# outside once that server is gone.
echo "== logoff in a Wine server of its own"
logoff_ends_program_and_saves() {
    local test_prefix=$WINEPREFIX
    rm -rf "$build/wineprefix-logoff"
    wine_prefix "$build/wineprefix-logoff" || return 1
    timeout 120 wine "$build/win/bin/zantrel_e2e_tests.exe" --gtest_also_run_disabled_tests \
        --gtest_filter='*DISABLED_Logoff*' >"$build/logoff.log" 2>&1
    timeout 60 wineserver -w
    local left history pids
    # Only this prefix's programs count: other checkouts may run tests beside this one.
    left=0
    pids=$(pgrep -f '[\\/]zantrel\.exe')
    [ $? -le 1 ] || { echo "   pgrep failed"; return 1; }  # 1: none found
    for pid in $pids; do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            left=$((left + 1))
    done
    history=$(wine reg query 'HKCU\Software\Corvath Software\Zantrel\History' /v 0 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *0 *REG_SZ *//p')
    wineserver -k 2>/dev/null
    export WINEPREFIX=$test_prefix
    echo "   history slot 0 after the session: '$history'; zantrel processes left: $left"
    grep -E '^\[  FAILED  \]|Failure' "$build/logoff.log" && return 1
    [ "$history" = '!LogOff' ] && [ "$left" -eq 0 ]
}
check "logoff ends the program and saves" logoff_ends_program_and_saves

# The two downloads, and the setup program under Wine in a prefix where nothing was ever
# installed, so that whatever it leaves behind shows.
echo "== the downloads"
if "$root/scripts/package.sh" >"$build/package.log" 2>&1; then
    sed 's/^/   /' "$build/package.log"
    record "setup program and zip are built" 1 0
    version=$(built_version)
    setup=$root/dist/zantrel-$version-setup.exe
    zip=$root/dist/zantrel-$version-win64.zip
    # 64-bit Windows' own view of Program Files and the registry, and no 32-bit Wine needed.
    setup_is_a_64_bit_program() {
        local format
        format=$(x86_64-w64-mingw32-objdump -f "$setup" | sed -n 's/.*file format //p')
        echo "   setup program: $format"
        [ "$format" = pei-x86-64 ]
    }
    check "setup program is a 64-bit program" setup_is_a_64_bit_program
    zip_holds_the_four_files_of_the_build() {
        [ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "license.txt zantrel.chm zantrel.exe zantrel.hlp " ] ||
            { unzip -Z1 "$zip"; return 1; }
        for file in zantrel.exe zantrel.chm zantrel.hlp license.txt; do
            unzip -p "$zip" "$file" | cmp -s - "$build/win/bin/$file" || { echo "   $file differs"; return 1; }
        done
    }
    check "zip holds the four files of the build" zip_holds_the_four_files_of_the_build

    echo "== setup program under Wine in a fresh prefix"
    test_prefix=$WINEPREFIX
    rm -rf "$build/wineprefix-install"
    wine_prefix "$build/wineprefix-install"
    ZANTREL_SETUP=$(winepath -w "$setup" 2>/dev/null) \
        timeout 600 wine "$build/win/bin/zantrel_install_tests.exe" >"$build/install-tests.log" 2>&1
    gtest_counts "setup program tests" "$build/install-tests.log" $?
    wineserver -k 2>/dev/null; wineserver -w
    export WINEPREFIX=$test_prefix
else
    tail -20 "$build/package.log"
    record "setup program and zip are built" 0 1
fi

[ "$failed" -eq 0 ]
