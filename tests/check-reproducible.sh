#!/usr/bin/env bash
# Two builds of the same sources give byte-identical shipped programs. The second build starts from a copy
# of the sources at another path into another build folder, so a time stamp or a path inside either program
# shows up as a difference.
#   check-reproducible.sh <source folder> <build folder of the first build> <build type>
set -euo pipefail
source_dir=$1
first_build=$2
build_type=${3:-Release}
programs=(Korvel.exe KorvelSetup.exe)

work=$(mktemp -d "${TMPDIR:-/tmp}/korvel-second-build.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/sources"
# Everything but version control and build folders.
tar -C "$source_dir" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$work/sources" -xf -

cmake -S "$work/sources" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$work/sources/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE="$build_type" -DKORVEL_BUILD_TESTS=OFF >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" --target KorvelSetup -j 2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

status=0
for program in "${programs[@]}"; do
  if cmp "$first_build/bin/$program" "$work/build/bin/$program"; then
    echo "identical: $program ($(stat -c %s "$first_build/bin/$program") bytes)"
  else
    status=1
  fi
  # No build path inside, in either build (narrow or UTF-16 strings).
  for build in "$first_build" "$work/build"; do
    for path in "$source_dir" "$first_build" "$work"; do
      # grep reads to the end (no -q), so strings never dies of a closed pipe under pipefail.
      if strings -a "$build/bin/$program" | grep -F "$path" >/dev/null ||
        strings -a -e l "$build/bin/$program" | grep -F "$path" >/dev/null; then
        echo "$build/bin/$program holds the path $path"
        status=1
      fi
    done
  done
done
exit $status
