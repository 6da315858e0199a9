#!/usr/bin/env bash
# Listing a 1 MB .icns file of ten elements (png2icns of six noisy images, 16 to 512 pixels: four
# packed RGB images with their four 8-bit masks, and JPEG 2000 at 256 and 512) with
# `pictrix-cli list`, which decodes every element, beside Pillow's IcnsImagePlugin opening the
# file and loading every size it offers, both as whole processes and both in the same run:
# median wall time of RUNS runs (default 7), and Pillow's time inside Python for reference.
# Usage: bench/icns.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-7}
cli="$build/pictrix-cli"
python=/usr/bin/python3
work="$build/bench-icns"
[[ -x "$cli" ]] || { echo "icns.sh: build $build first (pictrix-cli)" >&2; exit 1; }
command -v png2icns > /dev/null || { echo "icns.sh: png2icns (package icnsutils) is needed" >&2; exit 1; }
mkdir -p "$work"
file="$work/noisy.icns"
if [[ ! -f "$file" ]]; then
  for s in 16 32 48 128 256 512; do
    convert -size ${s}x${s} xc: +noise Random -alpha set -channel A -fx 'i < w/8 ? 0 : 1' +channel \
      -depth 8 PNG32:"$work/n$s.png"
  done
  png2icns "$file" "$work"/n16.png "$work"/n32.png "$work"/n48.png "$work"/n128.png "$work"/n256.png \
    "$work"/n512.png > /dev/null
fi
cat > "$work/pillow.py" <<'PY'
import sys, time
from PIL import Image
start = time.perf_counter()
im = Image.open(sys.argv[1])
for size in sorted(im.info["sizes"]):
    im.size = size
    im.load()
if len(sys.argv) > 2:
    print("%.1f" % ((time.perf_counter() - start) * 1000))
PY

median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
wall() { # milliseconds of one run of the command
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
}
cat "$file" > /dev/null
ours=() theirs=() inside=()
for ((r = 0; r < runs; r++)); do
  ours+=("$(wall "$cli" list "$file")")
  theirs+=("$(wall "$python" "$work/pillow.py" "$file")")
  inside+=("$("$python" "$work/pillow.py" "$file" inside)")
done
o=$(printf '%s\n' "${ours[@]}" | median)
t=$(printf '%s\n' "${theirs[@]}" | median)
i=$(printf '%s\n' "${inside[@]}" | median)
elements=$("$python" -c 'import struct,sys
d=open(sys.argv[1],"rb").read(); n=0; at=8
while at < len(d): n+=1; at+=struct.unpack(">I", d[at+4:at+8])[0]
print(n)' "$file")
echo "== $(basename "$file"): $(stat -c %s "$file") bytes, $elements elements; median of $runs runs"
printf 'pictrix-cli list             %6d ms\n' "$o"
printf 'Pillow, every size (process) %6d ms   (inside Python: %s ms)\n' "$t" "$i"
printf 'ratio                        %6s\n' "$(awk -v a="$o" -v b="$t" 'BEGIN { printf "%.2f", a / b }')"
