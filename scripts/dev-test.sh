#!/usr/bin/env bash
# For day-to-day work: builds one test program and runs it under Wine on a headless Xvfb, for example
#   KORVEL_BUILD_DIR=build-mine scripts/dev-test.sh korvel_unit_tests --gtest_filter='Texts*'
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
target=$1
shift
mkdir -p "$build_dir"
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_dir" --target "$target" -j 2
. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir" headless
wine "$build_dir/bin/$target.exe" "$@"
