#!/usr/bin/env bash
# Runs every benchmark of a bench build: the Google Benchmark programs, then the command scripts.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
for exe in "$build"/bench_*; do
  [[ -x "$exe" ]] && "$exe" --benchmark_min_time=0.2
done
for script in "$root"/bench/*.sh; do
  [[ -x "$script" ]] && "$script" "$build"
done
exit 0
