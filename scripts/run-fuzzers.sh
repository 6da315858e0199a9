#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time, seeded from the test fixtures.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS. Fails when any target finds a crash.
set -euo pipefail
build=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for exe in "$build"/fuzz_*; do
  [[ -x "$exe" ]] || continue
  name=$(basename "$exe"); name=${name#fuzz_}
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus" "$build/fuzz-findings/$name"
  if [[ -f "$root/fuzz/$name.seeds" ]]; then
    while read -r pattern; do
      [[ -z "$pattern" ]] && continue
      for f in "$build"/fixtures/$pattern; do [[ -f "$f" ]] && cp -n "$f" "$corpus/" ; done
    done < "$root/fuzz/$name.seeds"
  fi
  echo "== fuzz_$name for ${seconds}s"
  if ! "$exe" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix="$build/fuzz-findings/$name/" -print_final_stats=1 2>"$build/fuzz-$name.log"; then
    echo "fuzz_$name: FINDING, see $build/fuzz-$name.log and $build/fuzz-findings/$name/"
    tail -40 "$build/fuzz-$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$build/fuzz-$name.log" | tail -2
  fi
done
exit $status
