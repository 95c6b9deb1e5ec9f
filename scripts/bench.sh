#!/usr/bin/env bash
# Builds everything and prints the benchmark as one table, stated with the machine it ran on: the times for a
# 1920 x 1080 and a 3840 x 2160 screen (each a Wine virtual desktop on a headless Xvfb of its own, where Wine
# never waits for a window manager), the idle memory of Korvel.exe beside a minimal Win32 program under the
# same Wine, Korvel's wake-ups over 60 s of idling, and the sizes of the two programs. A second table shows
# where the time of a shortcut goes, step by step. The table is also left in build/bench/table.md.
# Figures taken while other programs keep the machine busy are disturbed: the load is printed with them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${KORVEL_BUILD_DIR:-$root/build}
KORVEL_BUILD_DIR=$build_dir "$root/scripts/build.sh" >/dev/null

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
out="$build_dir/bench"
mkdir -p "$out"
rm -f "$out"/*.tsv "$out"/*.log
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# A Windows program in a virtual desktop of the session's size; explorer does not pass the exit code on and a
# Wine program keeps a pipe open, so the output goes to a file that is followed here.
run_in_desktop() {
  local name=$1 size=$2 log=$3
  shift 3
  wine explorer "/desktop=$name,$size" "$@" >"$log" 2>&1 &
  local pid=$!
  tail -n +1 -f --pid="$pid" "$log"
  wait "$pid" || true
}

for size in 1920x1080 3840x2160; do
  KORVEL_SCREEN=${size}x24 wine_session_start "$build_dir" headless
  run_in_desktop korvel-bench "$size" "$out/$size.log" "$build_dir/bin/korvel_bench.exe" \
    "$(winepath -w "$out/$size.tsv")"
  wine_session_stop
done

# The Wine process of this prefix that runs the program (not the explorer that started it).
unix_pid_of() {
  local dir cmd
  for dir in /proc/[0-9]*; do
    cmd=$(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null) || continue
    case "$cmd" in *explorer*) continue ;; *"$1"*) ;; *) continue ;; esac
    if tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "${dir#/proc/}"
      return 0
    fi
  done
  return 1
}
# Every thread of the process: how often it was put to sleep and woken again (context switches).
wakeups_of() {
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '/_ctxt_switches:/ { n += $2 } END { print n + 0 }'
}
kib_of() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

# Both programs idle side by side in one desktop, Korvel with the configuration the bench left.
wine_session_start "$build_dir" headless
wine explorer /desktop=korvel-idle,1920x1080 "$build_dir/bin/Korvel.exe" >"$out/idle-korvel.log" 2>&1 &
wine explorer /desktop=korvel-idle,1920x1080 "$build_dir/bin/minimal_window.exe" >"$out/idle-minimal.log" 2>&1 &
sleep 15 # started, tray icon and balloons settled
korvel_pid=$(unix_pid_of Korvel.exe) || { echo "Korvel.exe is not running"; exit 1; }
minimal_pid=$(unix_pid_of minimal_window.exe) || { echo "minimal_window.exe is not running"; exit 1; }
korvel_wakeups=$(wakeups_of "$korvel_pid")
minimal_wakeups=$(wakeups_of "$minimal_pid")
sleep 60
korvel_wakeups=$(($(wakeups_of "$korvel_pid") - korvel_wakeups))
minimal_wakeups=$(($(wakeups_of "$minimal_pid") - minimal_wakeups))
korvel_threads=$(ls /proc/"$korvel_pid"/task | wc -l)
memory_row() { # working set (VmRSS: what GetProcessMemoryInfo reports under Wine) and its private part
  awk -v rss="$(kib_of "$1" VmRSS)" -v anon="$(kib_of "$1" RssAnon)" \
    'BEGIN { printf "%.1f MiB (private %.1f MiB)", rss / 1024, anon / 1024 }'
}
korvel_memory=$(memory_row "$korvel_pid")
minimal_memory=$(memory_row "$minimal_pid")
wine_session_stop
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

size_of() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.0f KiB (%d bytes)", b / 1024, b }'; }
cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
wine_version=$(wine --version 2>/dev/null)

# One table: a row per measure, the two screen sizes side by side (median / 95th percentile, in ms).
joint_rows() { # $1: rows to take: "main" or "steps"
  awk -F'\t' -v take="$1" '
    { sub(/\r$/, "") } # the results files are written by a Windows program
    FNR == 1 { file++ }
    {
      step = ($1 ~ /^(overlay, |overlay preparation, |screen to PNG: )/)
      if ((take == "steps") != step) next
      if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 }
      cell[$1, file] = ($4 == 0) ? "failed" : sprintf("%s / %s", $2, $3)
      runs[$1] = $4
    }
    END {
      for (i = 1; i <= n; i++)
        printf "| %s | %s | %s | %s |\n", order[i], cell[order[i], 1], cell[order[i], 2], runs[order[i]]
    }' "$out/1920x1080.tsv" "$out/3840x2160.tsv"
}
{
  echo "Measured on: $cpu, $(nproc) cores; $wine_version; headless Xvfb, Wine virtual desktop of the screen's size."
  echo "Load average (1, 5, 15 min) at the start: $load_before; at the end: $load_after."
  echo
  echo "| measure | 1920 x 1080: median / p95 | 3840 x 2160: median / p95 | runs |"
  echo "|---|---|---|---|"
  joint_rows main
  echo "| idle memory of Korvel.exe (working set) | $korvel_memory | | |"
  echo "| idle memory of a minimal Win32 program, same Wine | $minimal_memory | | |"
  echo "| wake-ups of an idle Korvel.exe over 60 s (threads: $korvel_threads) | $korvel_wakeups | | |"
  echo "| wake-ups of the minimal program over 60 s | $minimal_wakeups | | |"
  echo "| size of Korvel.exe | $(size_of "$build_dir/bin/Korvel.exe") | | |"
  echo "| size of KorvelSetup.exe | $(size_of "$build_dir/bin/KorvelSetup.exe") | | |"
  echo
  echo "Where the time goes: the same pipeline code run in the bench's own process, each step timed (ms)."
  echo
  echo "| step | 1920 x 1080: median / p95 | 3840 x 2160: median / p95 | runs |"
  echo "|---|---|---|---|"
  joint_rows steps
} >"$out/table.md"
echo
cat "$out/table.md"
