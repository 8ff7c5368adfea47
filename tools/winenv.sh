# Sourced by the scripts that run our programs under Wine: a fresh prefix inside the build tree,
# a private Xvfb display, and a warm wineserver. Call winenv_start, and winenv_stop on exit.
# The prefix is new on every start, so nothing one run writes reaches the next. It is a copy of a
# prepared prefix that wineboot made once (a copy costs milliseconds, a wineboot seconds): the
# prepared one is kept in the build tree while Wine and this file stay the same, and no program
# ever runs in it.

# The environment of every Wine program we start (tools/ondisplay.sh sources this file too, and
# keeps what a test program's own environment says). VGT_TARGET names the build's target: i686
# (the default; 32-bit Wine) or x86_64 (64-bit Wine, reached through its own loader, since
# Debian's wine and its tool scripts start the 32-bit loader whenever 32-bit Wine is installed).
winenv_environment() {
  export WINEDEBUG=-all
  if [ "${VGT_TARGET:-i686}" = x86_64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    VGT_WINE=/usr/lib/wine/wine64
  else
    export WINEARCH=win32
    unset WINELOADER
    VGT_WINE=/usr/lib/wine/wine
  fi
  # No Mono or Gecko: nothing of ours needs them, and their installers would ask. No menu builder:
  # wineboot starts it in the background, and it writes menu entries into the host's home.
  export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
}

# wine ...: a program under the target's Wine (the environment is set on first use, for scripts
# that source this file and start Wine programs without winenv_start).
wine() {
  [ -n "${VGT_WINE:-}" ] || winenv_environment
  "$VGT_WINE" "$@"
}

# winenv_path PATH: the Windows name of a host path (drive Z: is the host's root in every prefix).
winenv_path() {
  local p
  p=$(realpath -m "$1")
  p=${p//\//\\}
  echo "Z:$p"
}

# winenv_copy FROM TO: a prefix copy. The system's programs, libraries and tables are never
# written after wineboot, so the copy shares them by hard links; everything else (the registry,
# .ini files, whatever a program may rewrite in place) is copied, so no program reaches FROM.
winenv_copy() {
  local from=$1 to=$2 files
  [ -f "$from/system.reg" ] || { echo "winenv: $from is no Wine prefix (no system.reg)" >&2; return 1; }
  mkdir -p "$to"
  cp -al "$from/." "$to/"
  mapfile -t files < <(cd "$from" && find . -type f ! \( -name '*.dll' -o -name '*.exe' -o \
    -name '*.drv' -o -name '*.sys' -o -name '*.nls' -o -name '*.vxd' -o -name '*.ocx' -o \
    -name '*.cpl' -o -name '*.acm' -o -name '*.tlb' -o -name '*.ds' -o -name '*.ax' -o \
    -name '*.com' -o -name '*.msstyles' \))
  (cd "$to" && rm -f -- "${files[@]}")
  (cd "$from" && cp -a --parents -t "$to" -- "${files[@]}")
}

# winenv_end_server: ends the server of WINEPREFIX, which writes the registry out as it ends, and
# returns once no process of it is left.
winenv_end_server() {
  wineserver -k >/dev/null 2>&1 || true
  [ -f "$WINEPREFIX/wineserver" ] || return 0
  local dir p busy
  dir="/tmp/$(cat "$WINEPREFIX/wineserver")/server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")")"
  for _ in $(seq 1 100); do
    busy=
    for p in /proc/[0-9]*; do
      if [ "$(readlink "$p/cwd" 2>/dev/null)" = "$dir" ]; then busy=1; break; fi
    done
    [ -n "$busy" ] || return 0
    wineserver -k >/dev/null 2>&1 || true
    sleep 0.1
  done
}

# winenv_prepared BUILD: makes the prepared prefix BUILD/wineprefix-prepared when it is missing or
# was made by another Wine or another version of this file, and prints its path.
winenv_prepared() {
  local build=$1
  local prepared="$build/wineprefix-prepared" stamp
  stamp="$(wine --version 2>/dev/null) $(sha1sum <"${BASH_SOURCE[0]}" | cut -d' ' -f1)"
  mkdir -p "$build"
  (
    # Two runs in one build tree (tools/test.sh beside tools/run.sh) make it once.
    flock 9
    if [ -d "$prepared" ] && [ "$(cat "$prepared.stamp" 2>/dev/null)" = "$stamp" ]; then exit 0; fi
    rm -rf "$prepared" "$prepared.new" "$prepared.stamp"
    mkdir -p "$prepared.new"
    export WINEPREFIX="$prepared.new"
    # Wine's service processes inherit the pipes of whoever starts them; keep them off ours (the
    # loader's own words go to a file, to be shown if the prefix cannot be made).
    local said="$build/wineprefix-prepared.log" status=0
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >"$said" 2>&1 || status=$?
    # (The registry is written out later, as the server ends; the system folder is there at once.)
    if [ $status -ne 0 ] || [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
      winenv_end_server
      {
        echo "winenv: Wine could not make a prefix for the ${VGT_TARGET:-i686} build" \
             "('$VGT_WINE wineboot' ended with status $status). It said:"
        grep -v '^[[:space:]]*$' "$said" | tail -n 15 | sed 's/^/  /'
        if [ "${VGT_TARGET:-i686}" = i686 ]; then
          echo "A 32-bit loader that is missing or cannot start ('Exec format error') means this host runs no 32-bit"
          echo "programs: run the x86_64 build (tools/test.sh does, and says which targets it ran)."
        fi
        echo "Check that tools/setup.sh finished, and that $VGT_WINE runs: $VGT_WINE --version"
      } >&2
      rm -rf "$prepared.new"
      exit 1
    fi
    # There is no window manager on a private display: with Wine's managed windows, hiding a
    # top-level window waits for one that never answers (the Managed value below; winenv_start
    # takes it out again for a display of the caller's).
    # Debian's Wine looks for its own fonts (Tahoma, Marlett for caption buttons) beside the
    # system's fonts instead of in /usr/share/wine/fonts, where fonts-wine puts them; and its font
    # links name CJK fonts that Debian does not have, so CJK text falls back to the CJK font that
    # is there.
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

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
    wine regedit /S "$(winenv_path "$reg")" </dev/null >/dev/null 2>&1
    rm -f "$reg"
    winenv_end_server
    mv "$prepared.new" "$prepared"
    echo "$stamp" >"$prepared.stamp"
  ) 9>"$build/wineprefix-prepared.lock" || return 1
  echo "$prepared"
}

# winenv_xvfb: starts a private X server and exports DISPLAY for it; VGT_XVFB_PID is its process.
# The server says its display number once it accepts clients (-displayfd), so nothing waits longer
# than it takes to start. Not -terminate: Wine opens and closes short connections while a program
# starts, and a server that ends with its last client would be gone before the program's windows.
winenv_xvfb() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" </dev/null >/dev/null 2>&1 &
  VGT_XVFB_PID=$!
  for _ in $(seq 1 1000); do
    [ -s "$fd_file" ] && break
    kill -0 "$VGT_XVFB_PID" 2>/dev/null || break
    sleep 0.01
  done
  if [ ! -s "$fd_file" ]; then
    rm -f "$fd_file"
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$fd_file")"
  rm -f "$fd_file"
}

# winenv_start DIR [keep-display]: the prefix is DIR/wineprefix; with keep-display the programs
# use the caller's DISPLAY instead of a private Xvfb. The prepared prefix it copies is kept in the
# target's build tree, VGT_TARGET_BUILD (else DIR).
winenv_start() {
  local build=$1 keep_display=${2:-} prepared
  winenv_environment
  prepared=$(winenv_prepared "${VGT_TARGET_BUILD:-$build}") || return 1
  export WINEPREFIX="$build/wineprefix"
  # Names this run, so a test can tell its own earlier repeats from what another run left behind.
  VGT_RUN_ID="$(date +%s)-$$-$RANDOM"
  export VGT_RUN_ID
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  winenv_copy "$prepared" "$WINEPREFIX" || return 1

  if [ "$keep_display" != keep-display ]; then
    winenv_xvfb || return 1
  fi

  # Wine's service processes inherit the pipes of whoever starts them; keep them off ours.
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1
  if [ "$keep_display" = keep-display ]; then
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
  fi
}

# winenv_versions LIST: gives each program copy the Windows version Wine reports to it. LIST is
# the build's winversions.txt (written by vgt_add_gtest), a line "<name>_<version>.exe <version>"
# for each copy.
winenv_versions() {
  local list=$1 reg exe ver
  # A folder of the build's programs (bin/, or a folder of its own below it) names the list at the
  # top of the build tree, the nearest above it.
  if [ -d "$list" ]; then
    list=$(cd "$list" && while [ "$PWD" != / ] && [ ! -f winversions.txt ]; do cd ..; done; echo "$PWD/winversions.txt")
  fi
  [ -f "$list" ] || return 0
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\r\n\r\n' >"$reg"
  while read -r exe ver; do
    [ -n "$ver" ] || continue
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s]\r\n"Version"="%s"\r\n\r\n' \
      "$exe" "$ver" >>"$reg"
  done <"$list"
  wine regedit /S "$(winenv_path "$reg")" </dev/null >/dev/null 2>&1
  rm -f "$reg"
}

# winenv_seal: ends the run prefix's server, which writes the registry out; from then on the
# test launcher (tools/ondisplay.sh) gives each program a copy of the prefix, with a wineserver of
# its own, under VGT_TEST_PREFIXES.
winenv_seal() {
  winenv_end_server
  export VGT_TEST_PREFIXES="$WINEPREFIX-copies"
  rm -rf "$VGT_TEST_PREFIXES"
  mkdir -p "$VGT_TEST_PREFIXES"
}

# winenv_end_prefix DIR: ends every process of the prefix DIR and removes the prefix. Wine's
# service processes outlive a server that is killed, and a server asked to end writes out the
# registry first; a copy is thrown away, so every process that runs in it is killed at once.
winenv_end_prefix() {
  local f pids=() server=
  # The server's folder for this prefix (named by the prefix folder's device and inode).
  [ -f "$1/wineserver" ] &&
    server="/tmp/$(cat "$1/wineserver")/server-$(stat -c %D "$1")-$(printf %x "$(stat -c %i "$1")")"
  # (The search itself runs without the variable, so it never finds itself.) Threads are searched,
  # not processes: a process whose main thread has ended shows no environment, yet a thread of
  # its own may live on and keep the program's output open (64-bit Wine's USB driver host leaves
  # its event thread so); a signal to any thread ends the whole process.
  for f in $(env -u WINEPREFIX grep -lzxF "WINEPREFIX=$1" /proc/[0-9]*/task/[0-9]*/environ 2>/dev/null); do
    f=${f%/environ}
    pids+=("${f##*/}")
  done
  [ ${#pids[@]} -eq 0 ] || kill -9 "${pids[@]}" 2>/dev/null
  # The server's folder goes first: once the prefix is gone its inode may name the server folder
  # of a new copy at once, which must not lose its folder to this one's removal.
  if [ -n "$server" ] && [ "$server" != "/tmp/" ]; then rm -rf "$server"; fi
  rm -rf "$1"
}

winenv_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${VGT_TEST_PREFIXES:-}" ] && [ -d "$VGT_TEST_PREFIXES" ]; then
    # Copies whose program CTest ended at its time-out, and so its launcher with it.
    local copy
    for copy in "$VGT_TEST_PREFIXES"/*/; do
      [ -d "$copy" ] && winenv_end_prefix "${copy%/}"
    done
    rm -rf "$VGT_TEST_PREFIXES"
  fi
  if [ -n "${VGT_XVFB_PID:-}" ]; then
    kill "$VGT_XVFB_PID" >/dev/null 2>&1 || true
    wait "$VGT_XVFB_PID" 2>/dev/null || true
  fi
}
