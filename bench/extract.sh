#!/usr/bin/env bash
# Times `pictrix-cli extract` on a large resource-only module (1,200 icon groups, made here with
# windres and ld from the icon fixtures) against `wrestool -x -t14` on the same module and against
# reading the module once (`cat` to /dev/null), all with a warm cache. Each command runs RUNS
# times (default 7) into a fresh output folder; the median wall time is reported.
# For scale it also times `cp -r` of the extracted files into a fresh folder: the cost of creating
# that many files, which no extraction can go below.
# Usage: bench/extract.sh BUILD_DIR   (the build must have made the fixtures and pictrix-cli)
# OUT_BASE=DIR puts the output folders elsewhere (for example /dev/shm, a tmpfs).
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-7}
groups=${GROUPS_COUNT:-1200}
icons="$build/fixtures/icons"
cli="$build/pictrix-cli"
work="$build/bench-extract"
[[ -x "$cli" && -d "$icons" ]] || { echo "extract.sh: build $build first (pictrix-cli and fixtures)" >&2; exit 1; }
command -v wrestool >/dev/null || { echo "extract.sh: wrestool (icoutils) is needed" >&2; exit 1; }
mkdir -p "$work"
module="$work/large.dll"
out_base=${OUT_BASE:-$work}
out="$out_base/pictrix-bench-out"

# The module: the icon fixtures in turn, numbered groups and every tenth one named.
if [[ ! -f "$module" || "$(cat "$work/groups" 2>/dev/null)" != "$groups" ]]; then
  sources=(vista.ico six.ico depth32.ico multi.ico depth24.ico png256.ico depth8.ico hole24.ico single32.ico depth4.ico depth1.ico)
  rc="$work/large.rc"
  : > "$rc"
  for ((i = 1; i <= groups; i++)); do
    src=${sources[$(( i % ${#sources[@]} ))]}
    if (( i % 10 == 0 )); then echo "GROUP$i ICON \"$src\"" >> "$rc"; else echo "$i ICON \"$src\"" >> "$rc"; fi
  done
  i686-w64-mingw32-windres --preprocessor=cpp --include-dir="$icons" "$rc" -O coff -o "$work/large.o"
  i686-w64-mingw32-ld --dll -e 0 -s "$work/large.o" -o "$module"
  rm -f "$work/large.o"
  echo "$groups" > "$work/groups"
fi

now() { date +%s%N; }
# median of the run times (ns) of a command; a fresh output folder $out for each run.
measure() {
  local times=() t0 t1
  for ((r = 0; r < runs; r++)); do
    rm -rf "$out"; mkdir -p "$out"
    t0=$(now); "$@" >/dev/null 2>&1; t1=$(now)
    times+=($(( t1 - t0 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

cat "$module" > /dev/null # warm the cache
t_cat=$(measure cat "$module")
t_cli=$(measure "$cli" extract -o "$out" "$module")
count=$(ls "$out" | wc -l)
rm -rf "$out.files"; mv "$out" "$out.files"
t_cp=$(measure cp -r "$out.files/." "$out")
rm -rf "$out.files"
t_wres=$(measure wrestool -x -t14 -o "$out" "$module")
rm -rf "$out"

ms() { awk -v n="$1" 'BEGIN { printf "%.2f ms", n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
size=$(stat -c %s "$module")
echo "== extract: $groups icon groups, $(( size / 1024 )) KiB module, output in $out_base, median of $runs runs"
echo "cat to /dev/null          $(ms "$t_cat")"
echo "pictrix-cli extract       $(ms "$t_cli")   ($count files; $(ratio "$t_cli" "$t_cat") x cat)"
echo "cp -r of those files      $(ms "$t_cp")   ($(ratio "$t_cp" "$t_cat") x cat)"
echo "wrestool -x -t14          $(ms "$t_wres")   ($(ratio "$t_wres" "$t_cli") x pictrix-cli)"
