#!/usr/bin/env bash
# Installs what is missing, builds zantrel.exe and starts it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run
. "$root/scripts/wine-env.sh"

build_win zantrel

wine_prefix "$root/build/wineprefix-run"
need_display
trap stop_display EXIT  # also when a time limit ends this script
if [ -n "$xvfb_pid" ]; then
    echo "== no display was set: Zantrel runs on the virtual display $DISPLAY"
fi
echo "== starting Zantrel (tray menu or Esc hides it; the tray menu's Close ends it)"
wine "$root/build/win/bin/zantrel.exe" || true
wineserver -w
stop_display
