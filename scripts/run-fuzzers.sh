#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time, one after the other, seeded from
# the test fixtures. Usage: run-fuzzers.sh BUILD_DIR SECONDS [NAME...] (only the targets named, as
# fuzz_NAME; two such runs side by side use two cores). Fails when any target finds a crash,
# a hang, or memory out of bounds: inputs of up to 1 MiB (large enough for thousands of entries
# sharing a block), no single allocation over 128 MiB and no more than 1 GiB resident in all
# (the program keeps at most 64 MiB plus a few times the file's size; the rest is the sanitizer's
# own), so an input that copies shared bytes once per reference is a finding.
# A target's own libFuzzer flags, if any, are the words of fuzz/<name>.flags; they come last and so
# win over these (a tighter memory limit, for example).
# The fixtures are the build's own where it made them; a fuzz build makes none (its tests are off),
# so then those of $FIXTURES, by default the test build's (build/fixtures: make test makes them).
set -euo pipefail
build=$1
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
only=" $* "
root=$(cd "$(dirname "$0")/.." && pwd)
fixtures="$build/fixtures"
[[ -d "$fixtures" ]] || fixtures=${FIXTURES:-$root/build/fixtures}
[[ -d "$fixtures" ]] || echo "run-fuzzers.sh: no fixtures in $build or $fixtures: the targets start from nothing" >&2
status=0
for exe in "$build"/fuzz_*; do
  [[ -x "$exe" ]] || continue
  name=$(basename "$exe"); name=${name#fuzz_}
  [[ $only == "  " || $only == *" $name "* ]] || continue
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus" "$build/fuzz-findings/$name"
  if [[ -f "$root/fuzz/$name.seeds" ]]; then
    while read -r pattern; do
      [[ -z "$pattern" ]] && continue
      for f in "$fixtures"/$pattern; do [[ -f "$f" ]] && cp -n "$f" "$corpus/" ; done
    done < "$root/fuzz/$name.seeds"
  fi
  flags=()
  [[ -f "$root/fuzz/$name.flags" ]] && read -r -a flags < "$root/fuzz/$name.flags"
  echo "== fuzz_$name for ${seconds}s ${flags[*]}"
  if ! "$exe" "$corpus" -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=1024 -malloc_limit_mb=128 -timeout=10 "${flags[@]}" \
       -artifact_prefix="$build/fuzz-findings/$name/" -print_final_stats=1 2>"$build/fuzz-$name.log"; then
    echo "fuzz_$name: FINDING, see $build/fuzz-$name.log and $build/fuzz-findings/$name/"
    tail -40 "$build/fuzz-$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|cov:' "$build/fuzz-$name.log" | tail -3
  fi
done
exit $status
