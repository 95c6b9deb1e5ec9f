#!/usr/bin/env bash
# Runs the high-DPI end-to-end tests (the settings window and the markup strip) in a second Wine prefix under
# the build folder whose LogPixels is 144 (made once, on the first run), inside a virtual desktop, on the display
# of the test session. Stops the prefix's own wineserver at the end.
set -uo pipefail
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "$(dirname "$exe")/.." && pwd)
. "$here/../scripts/wine-session.sh"
# The DPI is read when the prefix's server starts.
wine_session_prefix_with "$build_dir/wine-prefix-144" .korvel-144 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 144

"$here/run-in-desktop.sh" "$exe" --gtest_filter='SettingsScreenshotTest.At144Dpi*:MarkupScreenshotTest.At144Dpi*'
status=$?
report="${exe%.exe}-report.xml"
if [ $status -eq 0 ] && grep -q 'result="skipped"' "$report"; then
  echo "A high-DPI test was skipped: the prefix does not run at 144 DPI."
  status=1
fi
wineserver -k >/dev/null 2>&1 || true
exit $status
