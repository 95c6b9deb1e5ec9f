#!/usr/bin/env bash
# Installs what is missing, then configures and builds Korvel and its tests with MinGW-w64 into the build
# folder (default: ./build), and the portable core with clang, sanitizers and fuzz targets into its native/
# (skipped with KORVEL_NATIVE_BUILD=0, for commands that only run the programs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
mkdir -p "$build_dir"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$build_dir/configure.log" 2>&1 || { cat "$build_dir/configure.log"; exit 1; }
cmake --build "$build_dir" -j "$(nproc)"
if [ "${KORVEL_NATIVE_BUILD:-1}" = 0 ]; then
  exit 0
fi
native_dir=$build_dir/native
mkdir -p "$native_dir"
cmake -S "$root/tests/native" -B "$native_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  >"$native_dir/configure.log" 2>&1 || { cat "$native_dir/configure.log"; exit 1; }
cmake --build "$native_dir" -j "$(nproc)"
