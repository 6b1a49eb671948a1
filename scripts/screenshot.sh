#!/usr/bin/env bash
# Takes the README's pictures: zantrel.exe under Wine on a private Xvfb. The command window
# as a returning user with a few commands in its history (docs/screenshot.png) and its About
# box (docs/about.png); then the Settings dialog and the New Alias dialog
# (docs/settings.png, docs/new-alias.png), opened and filled in by the end-to-end test program,
# and the suggestion list below the command box (docs/suggestions.png), typed into by it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
. "$root/scripts/wine-env.sh"
build_win zantrel post_command zantrel_e2e_tests >/dev/null

unset DISPLAY
need_display
rm -rf "$root/build/wineprefix-shot"
wine_prefix "$root/build/wineprefix-shot"
trap 'wineserver -k 2>/dev/null; stop_display' EXIT
# With no window manager on Xvfb, Wine draws the frames and captions itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
key='HKCU\Software\Corvath Software\Zantrel'
wine reg add "$key\\Alias" /f >/dev/null
wine reg add "$key\\History" /v 0 /d 'notepad C:\notes\todo.txt' /f >/dev/null
wine reg add "$key\\History" /v 1 /d 'https://corvath.example/zantrel' /f >/dev/null
wine reg add "$key" /v LocX /t REG_DWORD /d 40 /f >/dev/null
wine reg add "$key" /v LocY /t REG_DWORD /d 40 /f >/dev/null

wine "$root/build/win/bin/zantrel.exe" &
sleep 4
mkdir -p "$root/docs"
# Each picture is cut from a generous part of the screen down to its window (the screen
# around it is black), whatever size the window's font gives it.
# A busy machine may take longer to show it: up to 30 s more.
shoot() {  # shoot WIDTHxHEIGHT+X+Y FILE
    local width
    for _ in $(seq 30); do
        import -window root -crop "$1" +repage png:- | convert png:- -trim +repage "$2" 2>/dev/null || true
        width=$(identify -format '%w' "$2" 2>/dev/null)
        [ "${width:-0}" -gt 100 ] && return 0
        sleep 1
    done
    echo "screenshot.sh: no window to picture in $1 of the screen" >&2
    return 1
}
shoot 440x100+40+40 "$root/docs/screenshot.png"
echo "wrote docs/screenshot.png"
# The About box, centred on the screen (ID_ABOUT, as the tray menu's "&About" sends it).
wine "$root/build/win/bin/post_command.exe" 2003
sleep 3
shoot 400x200+440+412 "$root/docs/about.png"
echo "wrote docs/about.png"
wineserver -k 2>/dev/null
wineserver -w

shots=$root/build/shots
rm -rf "$shots"
mkdir -p "$shots"
ZANTREL_SHOTS=$(winepath -w "$shots") wine "$root/build/win/bin/zantrel_e2e_tests.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='Screenshot.*' >"$shots/log.txt" 2>&1 ||
    { tail -20 "$shots/log.txt"; exit 1; }
for name in settings new-alias suggestions; do
    convert "$shots/$name.bmp" "$root/docs/$name.png"
    echo "wrote docs/$name.png"
done
