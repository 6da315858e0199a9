#!/usr/bin/env bash
# Times pictrix-cli similar against an index of a million hashes, as whole commands: the manifest
# (one short record per group, hashes from a fixed seed) and its index are made once in
# BUILD_DIR/bench-similar; each query is timed (median of RUNS runs, default 5) with its peak
# resident memory (/usr/bin/time). Also `list --json` over the Wine modules where installed.
# Usage: bench/similar.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-5}
cli="$build/pictrix-cli"
work="$build/bench-similar"
[[ -x "$cli" ]] || { echo "similar.sh: build $build first (pictrix-cli)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "similar.sh: /usr/bin/time (package time) is needed" >&2; exit 1; }
mkdir -p "$work"
manifest="$work/m1M.jsonl" index="$work/m1M.pxi"
if [[ ! -f "$manifest" ]]; then
  awk 'BEGIN { srand(7); for (i = 0; i < 1000000; i++) {
         h = sprintf("%08x%08x", int(rand() * 4294967296), int(rand() * 4294967296))
         printf "{\"source\":\"/c/f%07d.dll\",\"kind\":\"icon\",\"position\":1,\"id\":1,\"dhash\":\"%s\"}\n", i, h } }' \
    > "$manifest.tmp" && mv "$manifest.tmp" "$manifest"
fi
/usr/bin/time -o "$work/time.txt" -f "%e %M" "$cli" index "$manifest" -o "$index" >/dev/null
read -r secs kib < "$work/time.txt"
echo "index of $(wc -l < "$manifest") records: ${secs} s, peak ${kib} KiB; index $(stat -c %s "$index") bytes"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
query() { # label, arguments...
  local label=$1; shift
  local times=() kib=0
  for ((r = 0; r < runs; r++)); do
    /usr/bin/time -o "$work/time.txt" -f "%e %M" "$cli" similar "$@" >/dev/null
    read -r secs kib < "$work/time.txt"
    times+=("$secs")
  done
  printf '%s: median %s s, peak %s KiB\n' "$label" "$(printf '%s\n' "${times[@]}" | median)" "$kib"
}
query "similar --top 10 (index)" --top 10 0123456789abcdef "$index"
query "similar --top 10 --max-distance 64 (index)" --top 10 --max-distance 64 0123456789abcdef "$index"
query "similar --max-distance 20 (index)" --max-distance 20 0123456789abcdef "$index"
query "similar --top 10 (manifest)" --top 10 0123456789abcdef "$manifest"

corpus=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
if [[ -d "$corpus" ]]; then
  times=()
  for ((r = 0; r < runs; r++)); do
    /usr/bin/time -o "$work/time.txt" -f "%e %M" "$cli" list --json --jobs 1 "$corpus"/* >/dev/null 2>&1 || true
    read -r secs kib < "$work/time.txt"
    times+=("$secs")
  done
  echo "list --json --jobs 1 over $(ls "$corpus" | wc -l) modules: median $(printf '%s\n' "${times[@]}" | median) s"
fi
