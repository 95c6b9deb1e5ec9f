#!/usr/bin/env bash
# Builds everything and runs the soak: 1000 region, 1000 marked-up region, 1000 screen and 1000 window
# captures through the real Korvel.exe, then 300 previews opened, copied and closed, in a 1920 x 1080 Wine
# virtual desktop on a headless Xvfb of its own. Prints Korvel's committed memory and GDI objects before, along
# the way and after, and whether it still answers at the end; exits with 0 when nothing failed and nothing
# grew. Takes the better part of an hour or more. Fewer rounds for a quick look: ./scripts/soak.sh ROUNDS PREVIEWS (e.g. 20 30).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
KORVEL_BUILD_DIR=$build_dir "$root/scripts/build.sh" >/dev/null

# A Wine prefix of its own (made on the first run): the thousands of pictures and log lines stay out of the
# tests' prefix, and the test command can run meanwhile.
export KORVEL_WINEPREFIX="$build_dir/wine-prefix-soak"
. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$build_dir" headless

# explorer does not pass the exit code on, and a Wine program keeps a pipe open: the output goes to a file
# that is followed here, and the verdict is read from its last line.
# The programs run from a copy, so that a rebuild meanwhile does not replace them under the running soak.
run_dir="$build_dir/soak"
mkdir -p "$run_dir"
cp "$build_dir/bin/korvel_soak.exe" "$build_dir/bin/Korvel.exe" "$build_dir/bin/pattern_window.exe" "$run_dir/"
log="$build_dir/soak.log"
wine explorer "/desktop=korvel-soak,1920x1080" "$run_dir/korvel_soak.exe" "$@" >"$log" 2>&1 &
soak=$!
tail -n +1 -f --pid="$soak" "$log"
wait "$soak" || true
echo "(the whole output is in $log)"
tail -n 1 "$log" | grep -q "SOAK PASSED"
