#!/usr/bin/env bash
# Times `pictrix-cli list` (wall time, median of RUNS runs, default 5) and takes its peak resident
# memory (/usr/bin/time) on modules of many named groups, on the 1,200-group module of extract.sh
# (when that script has made it), and on the crafted hostile files whose entries, groups or names
# share bytes. The modules are made by the craft tool of the build.
# Usage: bench/list.sh BUILD_DIR
# BEFORE=/path/to/an/older/pictrix-cli runs that binary on the same files as well (each run cut
# off after LIMIT seconds, default 300), for before-and-after figures.
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-5}
limit=${LIMIT:-300}
cli="$build/pictrix-cli"
craft="$build/craft"
work="$build/bench-list"
[[ -x "$cli" && -x "$craft" ]] || { echo "list.sh: build $build first (pictrix-cli and craft)" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "list.sh: /usr/bin/time (package time) is needed" >&2; exit 1; }
mkdir -p "$work"

files=()
add() { # name, craft arguments...
  local name=$1; shift
  [[ -f "$work/$name" ]] || "$craft" "$1" "$work/$name" "${@:2}"
  files+=("$work/$name")
}
add named1200.dll pe-named 1200
add named4000.dll pe-named 4000
add named8000.dll pe-named 8000
[[ -f "$build/bench-extract/large.dll" ]] && files+=("$build/bench-extract/large.dll")
add ico-4000x1MiB.ico ico-shared 4000 1048576
add pe-1000x2MiB.dll pe-repeat 1000 2097152
add pe-3000x1MiB.dll pe-groups 3000 1048576
add pe-20000x30000.dll pe-samename 20000 30000

# "seconds peak-KiB status" of one run (status 124: cut off after LIMIT seconds).
one() {
  /usr/bin/time -o "$work/time.txt" -f "%e %M %x" timeout "$limit" "$@" >/dev/null 2>&1 || true
  tail -1 "$work/time.txt"
}
# median wall time of RUNS runs, and the peak memory and exit status of the last.
measure() {
  local times=() r line
  for ((r = 0; r < runs; r++)); do
    line=$(one "$@")
    times+=("${line%% *}")
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
  set -- $line
  printf '%8.2f s %9s KiB  exit %s' "$median" "$2" "$3"
}

cat "${files[@]}" > /dev/null # warm the cache
echo "== pictrix-cli list, median of $runs runs"
for f in "${files[@]}"; do
  size=$(stat -c %s "$f")
  printf '%-24s %8d KiB  ' "$(basename "$f")" $(( size / 1024 ))
  measure "$cli" list "$f"
  if [[ -n "${BEFORE:-}" ]]; then
    printf '   before:'
    saved=$runs; runs=1; measure "$BEFORE" list "$f"; runs=$saved
  fi
  echo
done
