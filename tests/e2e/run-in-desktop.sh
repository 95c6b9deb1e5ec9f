#!/usr/bin/env bash
# Runs the end-to-end tests inside a Wine virtual desktop, whose taskbar has a notification area where the
# tray icon and its balloons can be observed. explorer does not pass on the program's exit code, so the
# result is read from the GoogleTest XML report.
set -uo pipefail
exe=$1
shift
report="$(dirname "$exe")/e2e-report.xml"
rm -f "$report"
wine explorer /desktop=KorvelE2E,1920x1080 "$exe" "--gtest_output=xml:$(winepath -w "$report")" "$@"
if [ ! -f "$report" ]; then
  echo "The end-to-end tests wrote no report: they did not run to their end."
  exit 1
fi
if grep -q '<testsuites[^>]* failures="0"[^>]* errors="0"' "$report"; then
  exit 0
fi
echo "End-to-end failures: see above and $report"
exit 1
