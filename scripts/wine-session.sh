# Sourced by the run and test scripts: a Wine prefix inside the build folder, an X display (the user's, or a
# headless Xvfb of our own) and a wineserver kept up for the whole session. Stops only what it started.

wine_session_start() {
  local build_dir=$1
  local want_headless=${2:-auto}
  # A long run (the soak) may keep a prefix of its own, so the everyday one stays as the tests expect it.
  export WINEPREFIX="${KORVEL_WINEPREFIX:-$build_dir/wine-prefix}"
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko download prompts: the machines have no internet.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  KORVEL_XVFB_PID=""

  if [ "$want_headless" = "headless" ] || [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${KORVEL_SCREEN:-1920x1080x24}" -nolisten tcp >"$build_dir/xvfb.log" 2>&1 &
    KORVEL_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
  fi

  # Keep the server up between programs: each start then takes about 0.1 s instead of seconds. Started
  # before anything else, since it refuses to start beside a server that already serves the prefix.
  mkdir -p "$WINEPREFIX"
  wineserver -p || echo "A wineserver already serves $WINEPREFIX; using it."
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (first run only)..."
    wineboot -i >"$build_dir/wineboot.log" 2>&1 || true
    # The server that made the prefix keeps some of the making's state: under it, for one, the desktop
    # shell's window list never answers a program. A new server sees the prefix as every later run does.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p
  fi
  wine cmd /c exit >/dev/null 2>&1 || true
  wine_session_map_fonts
}

# The interface fonts of Windows are not on Linux: map each to an installed font with the same script, so
# Chinese and Japanese texts render instead of showing empty boxes. Once per prefix.
wine_session_map_fonts() {
  local marker="$WINEPREFIX/.korvel-fonts-mapped"
  [ -f "$marker" ] && return 0
  local key='HKCU\Software\Wine\Fonts\Replacements'
  local pair
  for pair in "Microsoft YaHei UI=Noto Sans CJK SC" "Microsoft JhengHei UI=Noto Sans CJK TC" \
    "Yu Gothic UI=Noto Sans CJK JP" "Segoe UI=DejaVu Sans"; do
    wine reg add "$key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1 || return 0
  done
  touch "$marker"
}

# A prefix of its own for a run that needs one registry value set (made on its first run, marked done with
# `marker`), its wineserver restarted so that the value is read when it starts, and kept up:
#   wine_session_prefix_with PREFIX MARKER 'KEY' VALUE TYPE DATA
wine_session_prefix_with() {
  local marker=$2
  export WINEPREFIX=$1
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  wineserver -p || true
  if [ ! -f "$WINEPREFIX/$marker" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (first run only)..."
    wineboot -i >"$WINEPREFIX.wineboot.log" 2>&1 || true
    wine reg add "$3" /v "$4" /t "$5" /d "$6" /f >/dev/null 2>&1
    wine_session_map_fonts
    touch "$WINEPREFIX/$marker"
  fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    # A test that makes config.ini immutable undoes it itself; this covers a test program that was killed
    # meanwhile, so that the build folder can still be removed.
    chattr -i "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Korvel/config.ini >/dev/null 2>&1 || true
  fi
  if [ -n "${KORVEL_XVFB_PID:-}" ]; then
    kill "$KORVEL_XVFB_PID" >/dev/null 2>&1 || true
    wait "$KORVEL_XVFB_PID" 2>/dev/null || true
    KORVEL_XVFB_PID=""
  fi
}
