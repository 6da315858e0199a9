#!/usr/bin/env bash
# Times pictrix-thumbnailer, process included, as a file manager runs it, against the way other
# freedesktop thumbnailers of executables work: `wrestool -x` of the same icon group into an .ico
# file, then ImageMagick `convert` of the same image of it to the same size.
# Two modules, made here with windres, as and ld from the icon fixtures:
#   many.dll  1,201 icon groups; the first (APPICON, vista.ico) holds 48, 32 and 16-pixel bitmaps
#             and a 256-pixel PNG image
#   big.dll   100 MiB of data in front of its resources (sample.rc's twelve groups, the first a
#             256-pixel PNG image)
# Each command runs RUNS times (default 21) with a warm cache; reported are the median wall time,
# the mean CPU time (user + system: what the machine's other load does not inflate) and the
# thumbnailer's peak memory (GNU time, maximum resident set). /bin/true gives the floor a process
# start costs on the machine at that moment. Wine's shell32.dll, where it is installed (or the
# module SHELL32 names), is timed against /bin/true as well.
# Usage: bench/thumbnail.sh BUILD_DIR   (the build must have made the fixtures and the programs)
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-21}
groups=${GROUPS_COUNT:-1200}
icons="$build/fixtures/icons"
modules="$build/fixtures/modules"
thumb="$build/pictrix-thumbnailer"
work="$build/bench-thumbnail"
convert=/usr/bin/convert
[[ -x "$convert" ]] || convert=$(command -v convert)
[[ -x "$thumb" && -d "$icons" ]] || { echo "thumbnail.sh: build $build first (pictrix-thumbnailer and fixtures)" >&2; exit 1; }
command -v wrestool >/dev/null || { echo "thumbnail.sh: wrestool (icoutils) is needed" >&2; exit 1; }
mkdir -p "$work"

many="$work/many.dll"
if [[ ! -f "$many" || "$(cat "$work/groups" 2>/dev/null)" != "$groups" ]]; then
  sources=(six.ico depth32.ico multi.ico depth24.ico png256.ico depth8.ico hole24.ico single32.ico depth4.ico depth1.ico)
  echo "APPICON ICON \"vista.ico\"" > "$work/many.rc"
  for ((i = 1; i <= groups; i++)); do echo "$i ICON \"${sources[$(( i % ${#sources[@]} ))]}\"" >> "$work/many.rc"; done
  i686-w64-mingw32-windres --preprocessor=cpp --include-dir="$icons" "$work/many.rc" -O coff -o "$work/many.o"
  i686-w64-mingw32-ld --dll -e 0 -s "$work/many.o" -o "$many"
  rm -f "$work/many.o"
  echo "$groups" > "$work/groups"
fi

big="$work/big.dll"
if [[ ! -f "$big" ]]; then
  # ld lays out .data before .rsrc: the resources start 100 MiB into the file.
  printf '.section .data\n.fill 104857600, 1, 0x5a\n' > "$work/big.s"
  i686-w64-mingw32-as "$work/big.s" -o "$work/big.o"
  i686-w64-mingw32-windres --preprocessor=cpp --include-dir="$icons" --include-dir="$modules" \
    "$root/tests/fixtures/sample.rc" -O coff -o "$work/sample.o"
  i686-w64-mingw32-ld --dll -e 0 -s "$work/big.o" "$work/sample.o" -o "$big"
  rm -f "$work/big.o" "$work/sample.o" "$work/big.s"
fi

# cpu = the CPU time (user + system) of every process the script has waited for, in microseconds:
# the second line of `times`, taken in this shell (a subshell would count its own children).
child_cpu() {
  times > "$work/times"
  cpu=$(awk 'NR == 2 { t = 0; for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } printf "%d", t * 1e6 }' "$work/times")
}
# RUNS runs of a command: result="MEDIAN_WALL MEAN_CPU", both in microseconds; the wall time by
# bash's clock (no process of its own), the CPU time the runs took between them.
measure() {
  local times=() t0 t1 c0
  child_cpu; c0=$cpu
  for ((r = 0; r < runs; r++)); do
    t0=$EPOCHREALTIME; "$@" >/dev/null 2>&1; t1=$EPOCHREALTIME
    times+=($(( ${t1/./} - ${t0/./} )))
  done
  child_cpu
  result="$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p") $(( (cpu - c0) / runs ))"
}
ms() { awk -v n="$1" 'BEGIN { printf "%.1f ms", n / 1e3 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", a / b }'; }

out="$work/out.png"
ico="$work/group.ico"
measure /bin/true; read -r t_true c_true <<< "$result"
echo "== thumbnails, warm cache; median wall time of $runs runs (mean CPU time, user + system)"
echo "/bin/true: $(ms "$t_true") ($(ms "$c_true"))"
# label:module:group:the chosen image's index in the group, from 0
for row in "many.dll:$many:APPICON:3" "big.dll:$big:PNG256:0"; do
  IFS=: read -r label module group index <<< "$row"
  cat "$module" > /dev/null
  size_kib=$(( $(stat -c %s "$module") / 1024 ))
  wrestool -x -t14 -n "$group" -o "$ico" "$module"
  measure cat "$module"; read -r t_cat c_cat <<< "$result"
  measure wrestool -x -t14 -n "$group" -o "$ico" "$module"; read -r t_wres c_wres <<< "$result"
  echo "-- $label, $size_kib KiB; cat: $(ms "$t_cat") ($(ms "$c_cat")); wrestool -x -t14 -n $group: $(ms "$t_wres") ($(ms "$c_wres"))"
  for size in 128 256; do
    measure "$thumb" -s "$size" "$module" "$out"; read -r t_ours c_ours <<< "$result"
    [[ -s "$out" ]] || { echo "thumbnail.sh: no thumbnail of $module" >&2; exit 1; }
    rss=$(command time -f %M "$thumb" -s "$size" "$module" "$out" 2>&1 >/dev/null | tail -1)
    measure "$convert" "$ico[$index]" -resize "${size}x${size}" "$out"; read -r t_conv c_conv <<< "$result"
    printf '   -s %-4s pictrix-thumbnailer %s (%s, %s KiB peak)   wrestool + convert %s (%s), %s x the wall time\n' \
      "$size" "$(ms "$t_ours")" "$(ms "$c_ours")" "$rss" "$(ms $(( t_wres + t_conv )))" "$(ms $(( c_wres + c_conv )))" \
      "$(ratio $(( t_wres + t_conv )) "$t_ours")"
  done
done

# A real module where there is one (Wine's shell32.dll, 14 MiB; its first group's largest image is
# a 256-pixel PNG image), against a bare process start measured right beside it.
shell32=${SHELL32:-/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll}
if [[ -f "$shell32" ]]; then
  cat "$shell32" > /dev/null
  for size in 128 256; do
    measure /bin/true; read -r t_true c_true <<< "$result"
    measure "$thumb" -s "$size" "$shell32" "$out"; read -r t_ours c_ours <<< "$result"
    printf -- '-- shell32.dll -s %-4s pictrix-thumbnailer %s (%s)   /bin/true %s (%s), %s x the wall time\n' \
      "$size" "$(ms "$t_ours")" "$(ms "$c_ours")" "$(ms "$t_true")" "$(ms "$c_true")" \
      "$(awk -v a="$t_ours" -v b="$t_true" 'BEGIN { printf "%.1f", a / b }')"
  done
fi
rm -f "$out" "$ico" "$work/times"
