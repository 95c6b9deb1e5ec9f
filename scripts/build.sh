#!/usr/bin/env bash
# Installs what is missing, then configures and builds Korvel and its tests with MinGW-w64 into the build
# folder (default: ./build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
mkdir -p "$build_dir"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$build_dir/configure.log" 2>&1 || { cat "$build_dir/configure.log"; exit 1; }
cmake --build "$build_dir" -j "$(nproc)"
