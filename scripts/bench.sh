#!/usr/bin/env bash
# Builds everything and prints the capture benchmark's table for a 1920 x 1080 and a 3840 x 2160 screen, each
# on a headless Xvfb of its own under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
KORVEL_BUILD_DIR=$build_dir "$root/scripts/build.sh" >/dev/null

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
for screen in 1920x1080x24 3840x2160x24; do
  KORVEL_SCREEN=$screen wine_session_start "$build_dir" headless
  wine "$build_dir/bin/korvel_bench.exe"
  wine_session_stop
done
