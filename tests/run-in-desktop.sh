#!/usr/bin/env bash
# Runs a GoogleTest program inside a Wine virtual desktop, whose taskbar has a notification area where tray
# icons and their balloons can be observed. explorer does not pass on the program's exit code, so the result
# is read from the GoogleTest XML report.
set -uo pipefail
exe=$1
shift
report="${exe%.exe}-report.xml"
rm -f "$report"
# A desktop of its own per program: icons left by an earlier program do not show up in the next one.
wine explorer "/desktop=$(basename "${exe%.exe}"),1920x1080" "$exe" "--gtest_output=xml:$(winepath -w "$report")" "$@"
if [ ! -f "$report" ]; then
  echo "$(basename "$exe") wrote no report: it did not run to its end."
  exit 1
fi
if grep -q '<testsuites tests="[1-9][0-9]*" failures="0"[^>]* errors="0"' "$report"; then
  exit 0
fi
echo "Failures: see above and $report"
exit 1
