#!/usr/bin/env bash
# Times `pictrix-cli launcher` for a module's first icon group (every size of the hicolor theme up to
# its largest image, the desktop file, the record) against `pictrix-cli render --size 256` of the
# same group (one image drawn and written), process included, warm cache. The goal: a launcher in
# at most twice the render's time. The module is Wine's shell32.dll where it is installed (or the
# module SHELL32 names), else the launcher test fixture.
# Each command runs RUNS times (default 21), alternating, and the median wall time of each is
# reported (bash's EPOCHREALTIME around the process), with the ratio.
# Usage: bench/launcher.sh BUILD_DIR   (the build must have made pictrix-cli and the fixtures)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-21}
cli="$build/pictrix-cli"
[[ -x "$cli" ]] || { echo "launcher.sh: build $build first (pictrix-cli)" >&2; exit 1; }
module=${SHELL32:-}
if [[ -z "$module" ]]; then
  for m in /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll /usr/lib/wine/x86_64-windows/shell32.dll \
           /usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll "$build/fixtures/modules/launcher32.exe"; do
    [[ -f "$m" ]] && { module=$m; break; }
  done
fi
[[ -f "$module" ]] || { echo "launcher.sh: no module to time" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

launcher=() render=()
cat "$module" > /dev/null
for ((r = 0; r < runs; r++)); do
  t0=$EPOCHREALTIME
  "$cli" launcher "$module" --id bench --replace --data-home "$work/home" > /dev/null
  t1=$EPOCHREALTIME
  "$cli" render "$module" --group 1 --size 256 -o "$work/out.png" > /dev/null
  t2=$EPOCHREALTIME
  launcher+=($(( ${t1/./} - ${t0/./} )))
  render+=($(( ${t2/./} - ${t1/./} )))
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
l=$(median "${launcher[@]}") r=$(median "${render[@]}")
sizes=$(ls "$work/home/icons/hicolor" | sort -n | paste -sd ' ')
echo "== $module ($(( $(stat -c %s "$module") / 1024 )) KiB), first group; median wall time of $runs runs"
awk -v l="$l" -v r="$r" -v s="$sizes" 'BEGIN {
  printf "pictrix-cli launcher (sizes %s): %.2f ms\n", s, l / 1e3
  printf "pictrix-cli render --size 256:   %.2f ms\n", r / 1e3
  printf "ratio: %.2f x\n", l / r }'
