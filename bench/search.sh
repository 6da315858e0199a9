#!/usr/bin/env bash
# Times `pictrix-cli search TREE SPEC` against `find TREE -iname SPEC` on the same generated tree
# (at least 200,000 entries), warm cache, each command RUNS times (default 7), median wall time;
# output to /dev/null.
# Usage: bench/search.sh BUILD_DIR   (the build must have made pictrix-cli)
# TREE_BASE=DIR puts the tree elsewhere (default: the build folder; /dev/shm for a tmpfs). The
# tree is kept between runs: removing 200,000 files costs minutes on some disks.
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-7}
cli="$build/pictrix-cli"
[[ -x "$cli" ]] || { echo "search.sh: build $build first (pictrix-cli)" >&2; exit 1; }
tree_base=${TREE_BASE:-$build/bench-search}
tree="$tree_base/tree"
# 40 folders of 50 folders of 100 files: 200,000 files and 2,041 folders. Every tenth file is an
# .exe (in varied case), the rest .dll, .txt, .ico and names without an extension.
folders_top=40 folders_sub=50 files=100
shape="$folders_top x $folders_sub x $files"
if [[ ! -f "$tree/.shape" || "$(cat "$tree/.shape")" != "$shape" ]]; then
  rm -rf "$tree"
  mkdir -p "$tree"
  for ((t = 0; t < folders_top; t++)); do
    for ((s = 0; s < folders_sub; s++)); do
      d="$tree/Top$t/sub_$s"
      mkdir -p "$d"
      (cd "$d" && for ((f = 0; f < files; f++)); do
        case $((f % 10)) in
          0) echo "Tool$f.EXE" ;; 1) echo "lib$f.dll" ;; 2) echo "Readme$f" ;; 3) echo "icon$f.ico" ;;
          4) echo "tool$f.exe" ;; *) echo "notes_$f.txt" ;;
        esac
      done | xargs touch)
    done
  done
  echo "$shape" > "$tree/.shape"
fi
entries=$(find "$tree" | wc -l)

now() { date +%s%N; }
measure() {
  local times=() t0 t1
  for ((r = 0; r < runs; r++)); do
    t0=$(now); "$@" >/dev/null 2>&1; t1=$(now)
    times+=($(( t1 - t0 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}

find "$tree" -iname '*.exe' > /dev/null # warm the cache
matches_find=$(find "$tree" -iname '*.exe' | wc -l)
matches_cli=$(( $("$cli" search "$tree" '*.exe' | wc -l) - 1 ))
t_find=$(measure find "$tree" -iname '*.exe')
t_cli=$(measure "$cli" search "$tree" '*.exe')

ms() { awk -v n="$1" 'BEGIN { printf "%.1f ms", n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "== search: $entries entries in $tree_base, spec *.exe, median of $runs runs"
echo "find -iname '*.exe'           $(ms "$t_find")   ($matches_find matches)"
echo "pictrix-cli search '*.exe'    $(ms "$t_cli")   ($matches_cli matches; $(ratio "$t_cli" "$t_find") x find)"
