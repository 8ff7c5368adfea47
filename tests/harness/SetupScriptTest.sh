#!/usr/bin/env bash
# The set-up script against the machines it meets: apt lists in either style, a list left empty by
# an interrupted run, a package mirror caught mid-sync, a source download that fails, and hosts
# that do and do not run 32-bit programs. apt and dpkg are stand-ins on PATH that log their calls,
# and so is the 32-bit probe; nothing on this machine is changed.
# Usage: SetupScriptTest.sh path/to/tools/setup.sh
set -u
setup=$1
targets_sh=$(dirname "$setup")/targets.sh
failures=0
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

mkdir -p "$root/bin"
cat >"$root/bin/dpkg-query" <<'EOF'
#!/bin/sh
for p in $FAKE_MISSING; do [ "$p" = "$3" ] && exit 1; done
echo "install ok installed"
EOF
cat >"$root/bin/dpkg" <<'EOF'
#!/bin/sh
echo "dpkg $*" >>"$FAKE_LOG"
[ "$1" = --print-foreign-architectures ] && [ -z "${FAKE_NO_I386:-}" ] && echo i386
exit 0
EOF
# The 32-bit probes: a host that runs 32-bit programs, and one whose kernel refuses them.
printf '#!/bin/sh\nexit 0\n' >"$root/runs32"
printf '#!/bin/sh\necho "cannot execute binary file: Exec format error" >&2\nexit 126\n' >"$root/no32"
chmod +x "$root/runs32" "$root/no32"
cat >"$root/bin/apt-cache" <<'EOF'
#!/bin/sh
[ "$1" = showsrc ] && [ -z "${FAKE_NO_SRC:-}" ] && printf 'Package: %s\nVersion: 1.0-1\n' "$2"
exit 0
EOF
cat >"$root/bin/apt-get" <<'EOF'
#!/bin/sh
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*) exit "${FAKE_UPDATE_RC:-0}" ;;
  *" install "*" -t "*) exit "${FAKE_INSTALL_T_RC:-0}" ;;
  *" install "*) exit "${FAKE_INSTALL_RC:-0}" ;;
  *" source "*) echo "E: Failed to fetch orig tarball: 404 Not Found" >&2; exit "${FAKE_SOURCE_RC:-0}" ;;
esac
exit 0
EOF
chmod +x "$root/bin/"*

# run_case NAME: a fresh apt folder and dependency cache; the caller fills them, then calls setup.
new_machine() {
  case_dir=$(mktemp -d -p "$root")
  mkdir -p "$case_dir/apt/sources.list.d" "$case_dir/deps"
  printf 'VERSION_CODENAME=bookworm\n' >"$case_dir/os-release"
  export FAKE_LOG="$case_dir/log" VEILGATE_APT_ETC="$case_dir/apt" VEILGATE_DEPS="$case_dir/deps"
  export VEILGATE_OS_RELEASE="$case_dir/os-release" VEILGATE_RETRY_PAUSE=0
  unset FAKE_MISSING FAKE_NO_SRC FAKE_UPDATE_RC FAKE_INSTALL_RC FAKE_INSTALL_T_RC FAKE_SOURCE_RC
  unset FAKE_NO_I386
  export FAKE_MISSING="" VEILGATE_32BIT_PROBE="$root/runs32"
  : >"$FAKE_LOG"
}
built_deps() {
  local t l
  for t in i686 x86_64; do
    for l in libjpeg-turbo libxml2; do
      mkdir -p "$case_dir/deps/$t/$l-1.0-1"
      touch "$case_dir/deps/$t/$l-1.0-1/.done"
    done
  done
}
run_setup() {
  PATH="$root/bin:$PATH" bash "$setup" >"$case_dir/out" 2>&1
  status=$?
}
check() { # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then echo "ok: $name"; else
    echo "FAILED: $name"; sed 's/^/    /' "$case_dir/out" "$FAKE_LOG"; failures=$((failures + 1)); fi
}
deb_debian_sources() {
  printf 'Types: deb\nURIs: http://deb.example/debian\nSuites: bookworm\nComponents: main\n\n' \
    >"$case_dir/apt/sources.list.d/debian.sources"
}

new_machine; built_deps
printf 'deb http://deb.example/debian bookworm main\n# deb http://old.example/debian buster main\n' \
  >"$case_dir/apt/sources.list"
run_setup
check "a machine with only a one-line sources.list gets source entries and finishes" \
  test "$status" -eq 0 -a "$(cat "$case_dir/apt/sources.list.d/veilgate-src.list" 2>/dev/null)" \
       = "deb-src http://deb.example/debian bookworm main"
run_setup
check "a second run changes nothing and asks apt for no update" \
  test "$status" -eq 0 -a "$(grep -c update "$FAKE_LOG")" -eq 1

new_machine; built_deps; deb_debian_sources
: >"$case_dir/apt/sources.list.d/veilgate-src.sources"
run_setup
check "an empty source list left by an interrupted run is written again" \
  grep -q '^Types: deb-src' "$case_dir/apt/sources.list.d/veilgate-src.sources"

new_machine; built_deps; deb_debian_sources
export FAKE_MISSING="cmake" FAKE_UPDATE_RC=100
run_setup
check "a failing index is retried, then set-up goes on and installs what is missing" \
  test "$status" -eq 0 -a "$(grep -c ' update' "$FAKE_LOG")" -eq 3 -a "$(grep -c ' install' "$FAKE_LOG")" -eq 1

new_machine; built_deps; deb_debian_sources
export FAKE_MISSING="wine32:i386" FAKE_UPDATE_RC=100 FAKE_INSTALL_RC=100
run_setup
check "with an update index missing, the install is retried from the release itself" \
  test "$status" -eq 0 -a -n "$(grep ' install .*-t bookworm' "$FAKE_LOG")"

new_machine; built_deps; deb_debian_sources
export FAKE_MISSING="wine32:i386" FAKE_UPDATE_RC=100 FAKE_INSTALL_RC=100 FAKE_INSTALL_T_RC=100
run_setup
check "an install that cannot be done fails and says what and why" \
  test "$status" -ne 0 -a -n "$(grep 'could not install: wine32:i386' "$case_dir/out")"

new_machine; deb_debian_sources
export FAKE_SOURCE_RC=100
run_setup
check "a failed source download fails with apt's own words" \
  test "$status" -ne 0 -a -n "$(grep '404 Not Found' "$case_dir/out")" \
       -a -n "$(grep 'apt-get source libjpeg-turbo' "$case_dir/out")"

new_machine; built_deps; deb_debian_sources
export FAKE_NO_SRC=1
run_setup
check "libraries built once are used when apt cannot list their sources" test "$status" -eq 0

# Both kinds of host: what is installed for each, what set-up says, and which targets the suite
# then runs.
new_machine; built_deps; deb_debian_sources
export FAKE_MISSING="wine32:i386 wine64" FAKE_NO_I386=1
run_setup
check "a host that runs 32-bit programs gets 32-bit Wine, and the suite runs for both targets" \
  test "$status" -eq 0 -a -n "$(grep ' install .*wine32:i386' "$FAKE_LOG")" \
       -a -n "$(grep 'dpkg --add-architecture i386' "$FAKE_LOG")" \
       -a -n "$(grep 'runs 32-bit programs: the suite runs for i686 and x86_64' "$case_dir/out")" \
       -a "$(. "$targets_sh"; vgt_run_targets)" = "i686 x86_64"

new_machine; built_deps; deb_debian_sources
export FAKE_MISSING="wine32:i386 wine64 g++-mingw-w64-i686-posix" FAKE_NO_I386=1
export VEILGATE_32BIT_PROBE="$root/no32"
run_setup
check "a host that runs no 32-bit programs says so, builds both and runs the x86_64 suite alone" \
  test "$status" -eq 0 -a -n "$(grep ' install .*wine64' "$FAKE_LOG")" \
       -a -n "$(grep ' install .*g++-mingw-w64-i686-posix' "$FAKE_LOG")" \
       -a -z "$(grep 'wine32\|add-architecture' "$FAKE_LOG")" \
       -a -n "$(grep 'runs no 32-bit programs (a 32-bit program ended with: Exec format error)' "$case_dir/out")" \
       -a "$(. "$targets_sh"; vgt_run_targets)" = "x86_64"

# The real probe: whatever this host is, it answers, and the suite's targets always hold x86_64.
unset VEILGATE_32BIT_PROBE
check "the real 32-bit probe runs and x86_64 is always a target" \
  bash -c '. "$1"; vgt_run_targets | grep -qx "i686 x86_64\|x86_64"' probe "$targets_sh"

echo "$((11 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
