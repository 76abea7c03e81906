#!/usr/bin/env bash
# Runs every benchmark program of a build folder and prints its result lines.
# Usage: scripts/bench.sh [BUILD_DIR]   (default: build)
# A program that is missing or fails is reported and the others still run; the exit
# status is 1 when any of them was missing or failed.
set -u

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
bindir="$build/bench"

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export LC_ALL="${LC_ALL:-C.UTF-8}"

# The programs expected are those whose sources exist; anything else built there runs too.
names=()
for src in "$here"/bench/bench_*.cpp; do
  [ -e "$src" ] && names+=("$(basename "$src" .cpp)")
done
for exe in "$bindir"/bench_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  n="$(basename "$exe")"
  [[ " ${names[*]-} " == *" $n "* ]] || names+=("$n")
done

if [ "${#names[@]}" -eq 0 ]; then
  echo "no benchmark sources in $here/bench and no programs in $bindir"
  exit 1
fi

echo "Benchmarks from $bindir on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
failed=0
summary=()
for n in "${names[@]}"; do
  exe="$bindir/$n"
  echo
  echo "== $n"
  if [ ! -x "$exe" ]; then
    echo "MISSING: $exe is not built (cmake --build $build --target $n)"
    summary+=("$n: missing")
    failed=1
    continue
  fi
  "$exe"
  rc=$?
  if [ $rc -ne 0 ]; then
    echo "FAILED: $n exited with status $rc"
    summary+=("$n: failed ($rc)")
    failed=1
  else
    summary+=("$n: ran")
  fi
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $failed
