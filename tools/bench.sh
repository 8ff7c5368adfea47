#!/usr/bin/env bash
# Runs every benchmark of the build (listed in <build>/benches.txt) N times under Wine and prints
# one table: each figure's min, median and max over the runs, and its ratio to its baseline (a
# figure of the same run, divided run by run; the median of those ratios). Ratios are what to
# compare between machines and between loaded and quiet runs; absolute times depend on both.
#
# They run on the shipped i686 build where this host runs 32-bit programs, on the x86_64 build
# elsewhere; VGT_TARGET chooses.
#
# Usage: tools/bench.sh [-n RUNS] [--bin DIR] [--no-build] [NAME-PATTERN...]
#   -n RUNS      runs of each benchmark (default 3)
#   --bin DIR    run the benchmarks found in DIR instead of <build>/bin (for example a copy kept
#                from an earlier commit, to measure before and after one after the other)
#   --no-build   do not build first
#   NAME-PATTERN only benchmarks whose name matches one of the grep patterns (e.g. Zone Wizard)
# The raw output of every run is kept in <build>/bench/<name>.<run>.log.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/tools/targets.sh"
VGT_TARGET=$(vgt_main_target)
export VGT_TARGET
build=$(vgt_target_build "${VGT_BUILD:-$here/build}" "$VGT_TARGET")
export VGT_TARGET_BUILD=$build
runs=3 bin= build_first=1 patterns=()
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    --bin) bin=$(cd "$2" && pwd); shift 2 ;;
    --no-build) build_first=; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) patterns+=("$1"); shift ;;
  esac
done

if [ -n "$build_first" ]; then
  "$here/tools/setup.sh"
  "$here/tools/build.sh"
fi
bin=${bin:-$build/bin}
[ -f "$build/benches.txt" ] || { echo "no $build/benches.txt: build first" >&2; exit 1; }
benches=()
while read -r name; do
  [ -n "$name" ] || continue
  if [ ${#patterns[@]} -gt 0 ]; then
    keep=
    for p in "${patterns[@]}"; do echo "$name" | grep -q -- "$p" && keep=1; done
    [ -n "$keep" ] || continue
  fi
  [ -f "$bin/$name.exe" ] || { echo "not built: $bin/$name.exe" >&2; continue; }
  benches+=("$name")
done <"$build/benches.txt"
[ ${#benches[@]} -gt 0 ] || { echo "no benchmark to run" >&2; exit 1; }

. "$here/tools/winenv.sh"
trap winenv_stop EXIT
out=$build/bench
mkdir -p "$out"
winenv_start "$out"

figures=$out/figures.tsv
: >"$figures"
cd "$bin"
for name in "${benches[@]}"; do
  for run in $(seq 1 "$runs"); do
    log=$out/$name.$run.log
    printf '%s, run %s of %s ...\n' "$name" "$run" "$runs" >&2
    status=0
    wine "$name.exe" </dev/null >"$log" 2>&1 || status=$?
    [ $status -eq 0 ] || echo "  $name ended with $status (see $log)" >&2
    tr -d '\r' <"$log" | awk -F'\t' -v b="$name" -v r="$run" '$1 == "BENCH" { print b "\t" r "\t" $2 "\t" $3 "\t" $4 "\t" $5 }' \
      >>"$figures"
  done
done

# The table: figures in the order they first appeared.
awk -F'\t' -v runs="$runs" '
  function median(list,   n, a, i, j, t) {
    n = split(list, a, " ")
    for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] + 0 > t + 0; j--) a[j + 1] = a[j]; a[j + 1] = t }
    return n ? a[int((n + 1) / 2)] : ""
  }
  function minmax(list, want,   n, a, i, m) {
    n = split(list, a, " "); m = a[1]
    for (i = 2; i <= n; i++) if ((want == "min" && a[i] + 0 < m + 0) || (want == "max" && a[i] + 0 > m + 0)) m = a[i]
    return m
  }
  {
    key = $1 SUBSEP $3
    if (!(key in seen)) { seen[key] = 1; order[++count] = key; bench[key] = $1; what[key] = $3; unit[key] = $5; base[key] = $6 }
    values[key] = values[key] " " $4
    value[$1 SUBSEP $2 SUBSEP $3] = $4
    runsof[key] = runsof[key] " " $2
  }
  END {
    printf "%-70s %4s %11s %11s %11s %-6s %7s  %s\n", "what", "runs", "min", "median", "max", "unit", "ratio", "to"
    for (k = 1; k <= count; k++) {
      key = order[k]
      ratios = ""
      if (base[key] != "-" && base[key] != what[key]) {
        n = split(runsof[key], rs, " ")
        for (i = 1; i <= n; i++) {
          b = value[bench[key] SUBSEP rs[i] SUBSEP base[key]]
          v = value[bench[key] SUBSEP rs[i] SUBSEP what[key]]
          if (b + 0 > 0) ratios = ratios " " (v / b)
        }
      }
      ratio = ratios == "" ? "" : sprintf("%.2f", median(ratios))
      n = split(values[key], dummy, " ")
      printf "%-70s %4d %11.2f %11.2f %11.2f %-6s %7s  %s\n", substr(what[key], 1, 70), n, minmax(values[key], "min"),
             median(values[key]), minmax(values[key], "max"), unit[key], ratio, (ratio == "" ? "" : base[key])
    }
  }' "$figures" | tee "$out/table.txt"
echo "(table also in $out/table.txt; raw output in $out/*.log)" >&2
