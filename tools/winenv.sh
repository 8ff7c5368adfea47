# Sourced by the scripts that run our programs under Wine: a fresh prefix inside the build tree,
# a private Xvfb display, and a warm wineserver. Call winenv_start, and winenv_stop on exit.
# The prefix is new on every start, so nothing one run writes reaches the next.

# winenv_start DIR [keep-display]: the prefix is DIR/wineprefix; with keep-display the programs
# use the caller's DISPLAY instead of a private Xvfb.
winenv_start() {
  local build=$1 keep_display=${2:-}
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  export WINEARCH=win32
  # No Mono or Gecko: nothing of ours needs them, and their installers would ask.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  # Names this run, so a test can tell its own earlier repeats from what another run left behind.
  VGT_RUN_ID="$(date +%s)-$$-$RANDOM"
  export VGT_RUN_ID
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"

  if [ "$keep_display" != keep-display ]; then
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    VGT_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$fd_file" ] && break
      sleep 0.1
    done
    [ -s "$fd_file" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n 1 "$fd_file")"
    rm -f "$fd_file"
  fi

  # Wine's service processes inherit the pipes of whoever starts them; keep them off ours.
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1
  # There is no window manager on the private display: with Wine's managed windows, hiding a
  # top-level window waits for one that never answers (the Managed value below).
  # Debian's Wine looks for its own fonts (Tahoma, Marlett for caption buttons) beside the system's
  # fonts instead of in /usr/share/wine/fonts, where fonts-wine puts them; and its font links name
  # CJK fonts that Debian does not have, so CJK text falls back to the CJK font that is there.
  local reg
  reg=$(mktemp --suffix=.reg)
  cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts]
"Path"="Z:\\usr\\share\\wine\\fonts"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"=hex(7):77,71,79,2d,6d,69,63,72,6f,68,65,69,2e,74,74,63,2c,57,65,6e,51,75,61,6e,59,69,20,4d,69,63,72,6f,20,48,65,69,00,00
"DejaVu Sans"=hex(7):77,71,79,2d,6d,69,63,72,6f,68,65,69,2e,74,74,63,2c,57,65,6e,51,75,61,6e,59,69,20,4d,69,63,72,6f,20,48,65,69,00,00
"Tahoma Bold"=hex(7):77,71,79,2d,6d,69,63,72,6f,68,65,69,2e,74,74,63,2c,57,65,6e,51,75,61,6e,59,69,20,4d,69,63,72,6f,20,48,65,69,00,00
REG
  if [ "$keep_display" != keep-display ]; then
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n' >>"$reg"
  fi
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
  rm -f "$reg"
}

# Gives each program copy named <name>_<version>.exe the Windows version Wine reports to it.
winenv_versions() {
  local bin=$1 reg exe ver
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\r\n\r\n' >"$reg"
  for exe in "$bin"/*_win98.exe "$bin"/*_win2k.exe "$bin"/*_winxp.exe "$bin"/*_win7.exe; do
    [ -f "$exe" ] || continue
    ver=${exe##*_}; ver=${ver%.exe}
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s]\r\n"Version"="%s"\r\n\r\n' \
      "$(basename "$exe")" "$ver" >>"$reg"
  done
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
  rm -f "$reg"
}

winenv_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${VGT_XVFB_PID:-}" ]; then
    kill "$VGT_XVFB_PID" >/dev/null 2>&1 || true
    wait "$VGT_XVFB_PID" 2>/dev/null || true
  fi
}
