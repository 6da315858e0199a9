#!/usr/bin/env bash
# Batch extraction at scale on the corpus of bench/extract_corpus.sh (1,000 modules, x86/ and x64/
# twins; made there first): `pictrix-cli extract` with --jobs 1 and --jobs 2, with --dedupe, and
# with a manifest, each into a fresh folder, warm cache, RUNS rounds (default 5), medians. Also
# the bytes each writes and the peak memory (/usr/bin/time) of one run of each.
# Usage: bench/extract_scale.sh BUILD_DIR   (CORPUS_BASE as for extract_corpus.sh)
# CORPUS_FILES=LIST times the files LIST names, one per line, instead: the Wine corpus, say
#   find /usr/lib/x86_64-linux-gnu/wine -path '*-windows/*' -type f | sort > wine.list
# `list --json` (loads and digests, no writes) shows what the manifest's digests cost alone. "rerun"
# extracts again into the folder a run just filled (every output is there with the same bytes:
# each is left unchanged). Last, 1,000,000 names of missing files streamed through --from -: the
# time and peak memory of a run over a list that long.
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-5}
cli="$build/pictrix-cli"
base=${CORPUS_BASE:-$build/bench-corpus}
corpus="$base/corpus"
if [[ -n ${CORPUS_FILES:-} ]]; then
  mkdir -p "$base"
  mapfile -t files < "$CORPUS_FILES"
else
  [[ -f "$corpus/files" ]] || RUNS=1 "$(dirname "$0")/extract_corpus.sh" "$build" > /dev/null
  mapfile -t files < "$corpus/files"
fi
out="$base/out-scale"

now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
ms() { awk -v n="$1" 'BEGIN { printf "%.1f ms", n / 1e6 }'; }

cat "${files[@]}" > /dev/null
declare -A times
variants=("--jobs 1" "--jobs 2" "rerun --jobs 2" "--jobs 2 --dedupe" "--jobs 2 --manifest $base/m.jsonl"
          "--jobs 1 --manifest $base/m.jsonl" "list --json --jobs 1" "list --json --jobs 2")
# A variant is an extraction's options, or a whole command when it starts with "list".
command_of() {
  if [[ $1 == list* ]]; then echo "$1"; else echo "extract ${1#rerun } -o $out"; fi
}
# A fresh folder, or for a rerun the folder a run of the same options has just filled.
prepare() {
  rm -rf "$out"; mkdir -p "$out"
  # shellcheck disable=SC2046
  if [[ $1 == rerun* ]]; then "$cli" $(command_of "$1") "${files[@]}" > /dev/null 2>&1 || true; fi
  sync
}
for ((r = 0; r < runs; r++)); do
  for v in "${variants[@]}"; do
    prepare "$v"
    # shellcheck disable=SC2046
    t0=$(now); "$cli" $(command_of "$v") "${files[@]}" > /dev/null 2>&1 || true; t1=$(now)
    times[$v]+="$(( t1 - t0 )) "
  done
done
echo "== pictrix-cli extract over ${#files[@]} modules, median of $runs rounds ($(nproc) cores)"
for v in "${variants[@]}"; do
  prepare "$v"
  # shellcheck disable=SC2046
  peak=$( { /usr/bin/time -f '%M' "$cli" $(command_of "$v") "${files[@]}" > /dev/null 2> "$base/time.txt" || true; } ; tail -n 1 "$base/time.txt")
  bytes=$(du -sb "$out" | cut -f1)
  count=$(ls "$out" | wc -l)
  # shellcheck disable=SC2086
  printf '%-46s %12s   %5d files, %9d bytes, peak %6d KiB\n' "${v/$base\//}" "$(ms "$(median ${times[$v]})")" "$count" "$bytes" "$peak"
done
rm -rf "$out"; mkdir -p "$out"
t0=$(now)
seq 1000000 | sed 's|^|/nonexistent/pictrix-bench/m|' |
  /usr/bin/time -f '%M' "$cli" extract --quiet --jobs 2 --from - -o "$out" > /dev/null 2> "$base/time.txt" || true
t1=$(now)
printf '%-46s %12s   peak %6d KiB\n' "1,000,000 names of missing files (--from -)" "$(ms $(( t1 - t0 )))" \
  "$(tail -n 1 "$base/time.txt")"
rm -rf "$out" "$base/m.jsonl" "$base/time.txt"
