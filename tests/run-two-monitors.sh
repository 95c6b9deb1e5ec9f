#!/usr/bin/env bash
# Runs end-to-end tests on a display with two monitors of different sizes: the primary 1920 x 1080 at (0, 0)
# and a 1280 x 1024 monitor left of it, at x = -1280. Wine sees two monitors only on Xephyr with Xinerama
# (a Wine virtual desktop shows one), so this starts a headless Xvfb with an Xephyr inside it, and a Wine
# prefix of its own (made once) whose windows are not handed to a window manager: there is none, and Wine
# would otherwise wait for one whenever a window is hidden. There is no notification area of a desktop here,
# so tests that read balloons stay in the main run. Stops only what it started.
#   run-two-monitors.sh PROGRAM.exe [GoogleTest arguments]
set -uo pipefail
exe=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "$(dirname "$exe")/.." && pwd)
. "$here/../scripts/wine-session.sh"
# Set before anything can stop: the stop below must reach this prefix's server only.
export WINEPREFIX="$build_dir/wine-prefix-two-monitors"

outer_pid=""
nested_pid=""
stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in "$nested_pid" "$outer_pid"; do
    if [ -n "$pid" ]; then
      kill "$pid" >/dev/null 2>&1 || true
      wait "$pid" 2>/dev/null || true
    fi
  done
}
trap stop_all EXIT

free_display() {
  local n=$1
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo "$n"
}
wait_for_display() {
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$1" ] && return 0
    sleep 0.1
  done
  echo "X display :$1 did not start" >&2
  return 1
}

outer=$(free_display 150)
Xvfb ":$outer" -screen 0 3200x1080x24 -nolisten tcp >"$build_dir/xvfb-two-monitors.log" 2>&1 &
outer_pid=$!
wait_for_display "$outer" || exit 1
nested=$(free_display $((outer + 1)))
# The first screen is the primary monitor; the second lies left of it.
DISPLAY=":$outer" Xephyr ":$nested" +xinerama -extension RANDR -nolisten tcp \
  -origin 1280,0 -screen 1920x1080 -origin 0,0 -screen 1280x1024 >"$build_dir/xephyr.log" 2>&1 &
nested_pid=$!
wait_for_display "$nested" || exit 1
export DISPLAY=":$nested"

# The X11 driver's settings are read when the prefix's server starts.
wine_session_prefix_with "$WINEPREFIX" .korvel-two-monitors \
  'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N

# Two monitors or nothing: on one, the two-monitor tests would skip themselves and the others would run on a
# display they were not meant for. Wine's X11 driver reads Xephyr's heads through libXinerama, which it loads
# at run time and no package of Wine requires.
probe="$(dirname "$exe")/monitor_probe.exe"
seen=$(wine "$probe" 2>/dev/null | tr -d '\r')
if [[ $seen != monitors=2\ * ]]; then
  echo "Wine does not see two monitors on this display (${seen:-no answer from $(basename "$probe")})."
  if ! "$(command -v ldconfig || echo /sbin/ldconfig)" -p | grep -q 'libXinerama\.so\.1 '; then
    echo "libXinerama.so.1 is missing: Wine's X11 driver needs it to see more than one monitor."
    echo "Install it with scripts/install-deps.sh (Debian package libxinerama1)."
  else
    echo "Xephyr's log: $build_dir/xephyr.log"
  fi
  exit 1
fi
echo "Wine sees $seen"

report="${exe%.exe}-two-monitors-report.xml"
rm -f "$report"
wine "$exe" "--gtest_output=xml:$(winepath -w "$report")" "$@"
status=$?
if [ ! -f "$report" ]; then
  echo "$(basename "$exe") wrote no report: it did not run to its end."
  exit 1
fi
# Tests that skip themselves on one monitor must not have skipped here.
if [ $status -eq 0 ] && grep -q 'result="skipped"' "$report"; then
  echo "Tests were skipped: Wine did not see two monitors on this display."
  status=1
fi
exit $status
