#!/usr/bin/env bash
# Runs every fuzz target of a build folder over its committed corpus, then for SECONDS more,
# and prints executions per second and coverage (libFuzzer's cov: and ft:) per target.
# New inputs go to a scratch folder, never into the committed corpus. A crash, a leak or
# a sanitizer report fails the run; its input is kept in the scratch folder (printed).
# Usage: scripts/fuzz.sh [BUILD_DIR] [SECONDS]
set -u
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build-fuzz}"
seconds="${2:-60}"
work="$(mktemp -d "${TMPDIR:-/tmp}/cartavent-fuzz.XXXXXX")"
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

failed=0
summary=()
for src in "$here"/tests/fuzz/fuzz_*.cpp; do
  name="$(basename "$src" .cpp)"
  corpus="$here/tests/fuzz/${name#fuzz_}"
  exe="$build/tests/fuzz/$name"
  if [ ! -x "$exe" ]; then
    echo "MISSING: $exe"; summary+=("$name: missing"); failed=1; continue
  fi
  mkdir -p "$work/$name/new" "$work/$name/crash"
  log="$work/$name/log.txt"
  # Time and memory per input are bounded so that a hang or a bomb counts as a finding.
  "$exe" "$work/$name/new" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$name/crash/" >"$log" 2>&1
  rc=$?
  last="$(grep -E '^#[0-9]+' "$log" | tail -1)"
  execs="$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')"
  rate="$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}')"
  cov="$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")"
  ft="$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")"
  line="$name: ${execs:-?} runs, ${rate:-?} exec/s, cov: ${cov:-?} ft: ${ft:-?}, corpus $(ls "$corpus" | wc -l) seeds"
  if [ $rc -ne 0 ]; then
    echo "== $name FAILED (status $rc); log and input under $work/$name"
    tail -60 "$log"
    line="$line, FAILED"
    failed=1
  fi
  echo "$line"
  summary+=("$line")
done
echo
echo "== fuzz summary (${seconds} s per target after the corpus)"
printf '%s\n' "${summary[@]}"
[ $failed -eq 0 ] && rm -rf "$work"
exit $failed
