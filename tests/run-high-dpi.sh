#!/usr/bin/env bash
# Runs the high-DPI end-to-end test in a second Wine prefix under the build folder whose LogPixels is 144
# (made once, on the first run), inside a virtual desktop, on the display of the test session. Stops the
# prefix's own wineserver at the end.
set -uo pipefail
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "$(dirname "$exe")/.." && pwd)
export WINEPREFIX="$build_dir/wine-prefix-144"
. "$here/../scripts/wine-session.sh"

mkdir -p "$WINEPREFIX"
wineserver -p || true
if [ ! -f "$WINEPREFIX/.korvel-144" ]; then
  echo "Creating the 144-DPI Wine prefix in $WINEPREFIX (first run only)..."
  wineboot -i >"$build_dir/wineboot-144.log" 2>&1 || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  wine_session_map_fonts
  touch "$WINEPREFIX/.korvel-144"
fi
# The DPI is read when the prefix's server starts.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true

"$here/run-in-desktop.sh" "$exe" --gtest_filter='SettingsScreenshotTest.At144Dpi*'
status=$?
report="${exe%.exe}-report.xml"
if [ $status -eq 0 ] && grep -q 'result="skipped"' "$report"; then
  echo "The high-DPI test was skipped: the prefix does not run at 144 DPI."
  status=1
fi
wineserver -k >/dev/null 2>&1 || true
exit $status
