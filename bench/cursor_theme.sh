#!/usr/bin/env bash
# Times `pictrix-cli cursor-theme` on a 17-role pack (static cursors of 32, 48 and 64 pixels with
# alpha, five animated cursors of 12 frames at those sizes, an install.inf of the scheme-string
# form) against `pictrix-cli list` reading every file of the pack in one run: wall and processor
# time, medians of RUNS runs (default 21). The pack is drawn by ImageMagick and icoutils; the
# animations are put together here from the frames' .cur files (RIFF "ACON").
# Usage: bench/cursor_theme.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${RUNS:-21}
cli="$build/pictrix-cli"
work="$build/bench-cursor-theme"
[[ -x "$cli" ]] || { echo "cursor_theme.sh: build $build first (pictrix-cli)" >&2; exit 1; }
command -v convert >/dev/null && command -v icotool >/dev/null || { echo "cursor_theme.sh: convert and icotool are needed" >&2; exit 1; }
pack="$work/pack"

# One cursor of three sizes: a shape on transparency, hotspot scaled with the size.
cursor() { # out, drawing, hue
  local out=$1 draw=$2 hue=$3 s files=()
  for s in 32 48 64; do
    convert -size ${s}x${s} xc:none -fill "hsl($hue,80%,50%)" -stroke black -strokewidth 1 \
      -draw "scale $((s * 100 / 32))e-2,$((s * 100 / 32))e-2 $draw" -depth 8 "PNG32:$work/f$s.png"
    files+=("$work/f$s.png")
  done
  icotool -c --cursor -X 2 -Y 2 -o "$out" "${files[@]}"
}

# An animated cursor of the given .cur frames at 4 jiffies a step.
animation() { # out, frames...
  python3 - "$@" <<'PY'
import struct, sys
out, frames = sys.argv[1], [open(f, "rb").read() for f in sys.argv[2:]]
def chunk(cid, data):
    return cid + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
anih = struct.pack("<9I", 36, len(frames), len(frames), 0, 0, 0, 0, 4, 1)
body = b"ACON" + chunk(b"anih", anih) + chunk(b"LIST", b"fram" + b"".join(chunk(b"icon", f) for f in frames))
open(out, "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
}

if [[ ! -f "$pack/install.inf" ]]; then
  rm -rf "$pack"
  mkdir -p "$pack"
  names=(arrow help working busy cross text pen unavailable vert horz dgn1 dgn2 move alternate link pin person)
  for i in "${!names[@]}"; do
    n=${names[$i]}
    case $n in
      working|busy|pen|move|link)
        frames=()
        for f in $(seq 0 11); do
          cursor "$work/frame$f.cur" "polygon 2,2 2,24 8,18 14,28 18,26 12,16 22,16 circle 24,24 $((24 + f % 6)),30" $((i * 20 + f * 30))
          frames+=("$work/frame$f.cur")
        done
        animation "$pack/$n.ani" "${frames[@]}" ;;
      *) cursor "$pack/$n.cur" "polygon 2,2 2,24 8,18 14,28 18,26 12,16 22,16" $((i * 20)) ;;
    esac
  done
  scheme=""
  for n in "${names[@]}"; do
    ext=cur
    [[ $n == @(working|busy|pen|move|link) ]] && ext=ani
    scheme+="%10%\\%CUR_DIR%\\$n.$ext,"
  done
  printf '[Version]\r\nsignature="$CHICAGO$"\r\n[DefaultInstall]\r\nAddReg = Scheme.Reg\r\n[Scheme.Reg]\r\nHKCU,"Control Panel\\Cursors\\Schemes","%%SCHEME_NAME%%",,"%s"\r\n[Strings]\r\nCUR_DIR = "Cursors\\Bench"\r\nSCHEME_NAME = "Bench"\r\n' "${scheme%,}" > "$pack/install.inf"
fi

[[ -f "$pack/install.inf" ]] || exit 1
files=("$pack"/*.cur "$pack"/*.ani)
cat "${files[@]}" > /dev/null
echo "== a 17-role pack: $(ls "$pack" | wc -l) files, $(du -sk "$pack" | cut -f1) KiB; median of $runs runs"
# Each command RUNS times: the median wall time, and the median processor time (user + system,
# which other work on the machine disturbs less), from the children's resource usage. A new theme
# is written into a folder emptied (untimed) before each run.
python3 - "$runs" "$cli" "$pack" "$work/icons" "${files[@]}" <<'PY'
import os, resource, shutil, statistics, subprocess, sys, time
runs, cli, pack, icons, files = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]
def measure(cmd, fresh=False):
    walls, cpus = [], []
    for _ in range(runs):
        if fresh:
            shutil.rmtree(icons, ignore_errors=True)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        walls.append((time.perf_counter() - start) * 1000)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append((after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000)
    return statistics.median(walls), statistics.median(cpus)
base = measure([cli, "list"] + files)
rows = [("pictrix-cli list (every file of the pack)", base),
        ("pictrix-cli cursor-theme (a new theme)", measure([cli, "cursor-theme", pack, "-o", icons], True)),
        ("pictrix-cli cursor-theme (replacing it)", measure([cli, "cursor-theme", pack, "-o", icons])),
        ("  --sizes 24,32,48,64,96 --scale-up (new)",
         measure([cli, "cursor-theme", pack, "-o", icons, "--sizes", "24,32,48,64,96", "--scale-up"], True))]
for label, (wall, cpu) in rows:
    print("%-44s %7.1f ms wall %7.1f ms cpu   (%.2f x list wall, %.2f x cpu)" % (label, wall, cpu, wall / base[0],
                                                                                  cpu / base[1]))
PY
