#!/usr/bin/env bash
# Installs what is missing, builds Korvel and runs it under Wine: on your X display when there is one,
# otherwise on a headless Xvfb. Stop it with Ctrl+C here (or Quit in its tray menu).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
KORVEL_BUILD_DIR=$build_dir "$root/scripts/build.sh"

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir"

data_dir="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/Korvel"
echo "Korvel runs on display $DISPLAY with the Wine prefix $WINEPREFIX."
echo "Log: $data_dir/korvel.log"
echo "Configuration: $data_dir/config.ini"
echo "Stop it with Ctrl+C (or Quit in its tray menu)."
# A virtual desktop gives the program a notification area to show its tray icon in.
wine explorer /desktop=Korvel,1920x1080 "$build_dir/bin/Korvel.exe" || true
