#!/usr/bin/env bash
# What an AppImage's SVG icon costs pictrix-cli, which has it drawn by pictrix-container-thumbnailer
# --draw-svg (a process with Qt's SVG module): `pictrix-cli list` of an AppImage whose .DirIcon is
# a PNG file and of one whose .DirIcon is an SVG drawing (drawn at nine sizes), beside the
# container thumbnailer drawing the same SVG icon in its own process, and the helper alone at one
# and at nine sizes. Median wall time of RUNS runs (default 21) of each whole process.
# Usage: bench/svg_icon.sh BUILD_DIR   (the fixtures come from the build's test fixtures)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-21}
cli="$build/pictrix-cli"
helper="$build/pictrix-container-thumbnailer"
fixtures="$build/fixtures/containers"
for f in "$cli" "$helper" "$fixtures/svg.AppImage" "$fixtures/png.AppImage"; do
  [[ -e "$f" ]] || { echo "svg_icon.sh: build $build first (make test builds $f)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/app.svg" <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <rect x="0" y="0" width="32" height="32" fill="#ff0000"/>
</svg>
SVG

median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
wall() { # microseconds of one run of the command, its input from $input
  local start end
  start=$(date +%s%N)
  "$@" < "${input:-/dev/null}" > /dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
row() { # LABEL COMMAND...: the median in milliseconds
  local label=$1 times=()
  shift
  for ((r = 0; r < runs; r++)); do times+=("$(wall "$@")"); done
  printf '%-48s %7.1f ms\n' "$label" "$(printf '%s\n' "${times[@]}" | median | awk '{ print $1 / 1000 }')"
}
echo "== median of $runs runs"
row "pictrix-cli list png.AppImage" "$cli" list "$fixtures/png.AppImage"
row "pictrix-cli list svg.AppImage (helper drawing)" "$cli" list "$fixtures/svg.AppImage"
row "container thumbnailer -s 128 svg.AppImage" "$helper" -s 128 "$fixtures/svg.AppImage" "$work/t.png"
input="$work/app.svg" row "helper --draw-svg 16" "$helper" --draw-svg 16
input="$work/app.svg" row "helper --draw-svg at nine sizes" "$helper" --draw-svg 16,22,24,32,48,64,96,128,256
