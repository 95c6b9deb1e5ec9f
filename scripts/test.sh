#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (unit, integration, end-to-end) under
# Wine on a headless Xvfb of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
KORVEL_BUILD_DIR=$build_dir "$root/scripts/build.sh"

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir" headless

ctest --test-dir "$build_dir" --output-on-failure "$@"
