#!/usr/bin/env bash
# Times one `pictrix-cli extract` over a corpus of 1,000 generated modules against `cat` reading
# the same files once, side by side in one run, warm cache. The corpus stands in for a system
# folder of a 64-bit installation and its 32-bit twin: the folders x86/ (PE32) and x64/ (PE32+)
# hold 500 modules each under the same names, so every icon written from x64/ lands on a name
# written from x86/ earlier in the run. Sizes are mixed (16 KiB to 16 MiB, most small, 450 MiB in
# all); most modules hold no icons (a string table only, or no resources at all: pictrix-cli
# reports those and ends with status 1, as it should); about one in nine holds 1 to 5 icon
# groups, two per folder hold 50 and 80; some base names also meet inside one folder (NAME.dll
# beside NAME.exe).
#
# Each round runs `cat FILES > /dev/null`, then the extraction of every file into a fresh folder;
# RUNS rounds (default 7), medians reported. The x64/ outputs never replace the x86/ ones of the
# same run: they take "~2" names, so every icon is kept. A second figure extracts again into the
# folder of the previous extraction, where every name is there already: every output replaces an
# older file, and the run makes all of them durable with one flush of the file system before the
# renames. Where strace is installed the flushes (fdatasync, fsync, syncfs) are counted too.
# Usage: bench/extract_corpus.sh BUILD_DIR   (the build must have made pictrix-cli and fixtures)
# CORPUS_BASE=DIR keeps the corpus elsewhere (default: the build folder; it is made once and kept);
# the output folders go beside it.
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
runs=${RUNS:-7}
cli="$build/pictrix-cli"
icons="$build/fixtures/icons"
[[ -x "$cli" && -d "$icons" ]] || { echo "extract_corpus.sh: build $build first (pictrix-cli and fixtures)" >&2; exit 1; }
base=${CORPUS_BASE:-$build/bench-corpus}
corpus="$base/corpus"
shape="v2 500x2"

make_corpus() {
  rm -rf "$corpus"
  mkdir -p "$corpus/x86" "$corpus/x64" "$corpus/.parts"
  local parts="$corpus/.parts"
  # The plan: one line per name: stem, extension, size in KiB, icon groups (-1: no resources).
  awk 'BEGIN {
    srand(20261208)
    split("16 32 64 128 256 512 1024 2048 4096 8192 16384", size, " ")
    split("60 80 90 80 70 50 35 20 10 4 1", count, " ")
    n = 0
    for (k = 1; k <= 11; k++) for (j = 0; j < count[k]; j++) kib[n++] = size[k]
    for (i = n - 1; i > 0; i--) { j = int(rand() * (i + 1)); t = kib[i]; kib[i] = kib[j]; kib[j] = t }
    for (i = 0; i < n; i++) {
      r = rand()
      groups = r < 0.125 ? 1 + int(rand() * 5) : (r < 0.175 ? -1 : 0)
      if (i == 17) groups = 80
      if (i == 333) groups = 50
      stem = sprintf("mod%03d", i); ext = "dll"
      if (i % 25 == 1) { stem = sprintf("mod%03d", i - 1); ext = "exe" }
      else if (i % 50 == 7) ext = "ocx"
      else if (i % 50 == 9) ext = "cpl"
      print stem, ext, kib[i], groups
    }
  }' > "$corpus/plan"

  local sources=(vista.ico six.ico depth32.ico multi.ico depth24.ico png256.ico depth8.ico hole24.ico single32.ico depth4.ico depth1.ico)
  cat > "$parts/strings.rc" <<'EOF'
STRINGTABLE
BEGIN
    1 "no icons here"
    2 "a module of the benchmark corpus"
END
EOF
  local arch tool pad stem ext kib groups out key
  for arch in x86 x64; do
    if [[ $arch == x86 ]]; then tool=i686-w64-mingw32; else tool=x86_64-w64-mingw32; fi
    "$tool-windres" --preprocessor=cpp "$parts/strings.rc" -O coff -o "$parts/strings-$arch.o"
    while read -r stem ext kib groups; do
      out="$corpus/$arch/$stem.$ext"
      # Code stands in as a filled .text section; the resources come after it, as in a real module.
      pad="$parts/pad-$arch-$kib.o"
      if [[ ! -f "$pad" ]]; then
        printf '    .text\n    .fill %d, 1, 0xcc\n' $(( kib * 1024 - 4096 )) > "$parts/pad.s"
        "$tool-as" "$parts/pad.s" -o "$pad"
      fi
      if (( groups > 0 )); then
        local rc="$parts/icons.rc" g
        : > "$rc"
        for ((g = 1; g <= groups; g++)); do
          local src=${sources[$(( (g + ${#stem}) % ${#sources[@]} ))]}
          if (( g % 7 == 0 )); then echo "GROUP$g ICON \"$src\"" >> "$rc"; else echo "$(( g * 3 )) ICON \"$src\"" >> "$rc"; fi
        done
        "$tool-windres" --preprocessor=cpp --include-dir="$icons" "$rc" -O coff -o "$parts/icons.o"
        "$tool-ld" --dll -e 0 -s "$pad" "$parts/icons.o" -o "$out"
      else
        # Modules without icons of one size and kind are alike: one is linked, the rest copied.
        key="$parts/noicon-$arch-$kib-$groups"
        if [[ ! -f "$key" ]]; then
          if (( groups < 0 )); then "$tool-ld" --dll -e 0 -s "$pad" -o "$key"
          else "$tool-ld" --dll -e 0 -s "$pad" "$parts/strings-$arch.o" -o "$key"; fi
        fi
        cp "$key" "$out"
      fi
    done < "$corpus/plan"
  done
  rm -rf "$parts"
  # x86/ first: x64/ then writes over its names, as a run over both folders in list order does.
  (cd "$corpus" && find x86 -type f | sort && find x64 -type f | sort) | sed "s|^|$corpus/|" > "$corpus/files"
  echo "$shape" > "$corpus/.shape"
}

if [[ ! -f "$corpus/.shape" || "$(cat "$corpus/.shape")" != "$shape" ]]; then
  echo "extract_corpus.sh: making the corpus in $corpus (once)..." >&2
  make_corpus
fi
mapfile -t files < "$corpus/files"
out="$base/out"

now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }

cat "${files[@]}" > /dev/null # warm the cache
t_cat=() t_cli=() t_again=()
for ((r = 0; r < runs; r++)); do
  sync
  t0=$(now); cat "${files[@]}" > /dev/null; t1=$(now)
  t_cat+=($(( t1 - t0 )))
  rm -rf "$out"; mkdir -p "$out"; sync
  t0=$(now); "$cli" extract -o "$out" "${files[@]}" > /dev/null 2>&1 || true; t1=$(now)
  t_cli+=($(( t1 - t0 )))
  sync
  t0=$(now); "$cli" extract -o "$out" "${files[@]}" > /dev/null 2>&1 || true; t1=$(now)
  t_again+=($(( t1 - t0 )))
done
outputs=$("$cli" extract -o "$out" "${files[@]}" 2>/dev/null | tail -n 1 || true)
written=$(ls "$out" | wc -l)
rm -rf "$out"

flushes=""
if command -v strace > /dev/null; then
  mkdir -p "$out"
  count() { strace -f -e trace=fdatasync,fsync,syncfs -o "$base/strace.txt" "$cli" extract -o "$out" "${files[@]}" > /dev/null 2>&1 || true
            grep -cE '(fdatasync|fsync|syncfs)\(' "$base/strace.txt" || true; }
  flushes="; flushes: $(count) into a fresh folder, $(count) into the folder again"
  rm -rf "$out" "$base/strace.txt"
fi

ms() { awk -v n="$1" 'BEGIN { printf "%.1f ms", n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
bytes=$(du -cb "${files[@]}" | tail -n 1 | cut -f1)
c=$(median "${t_cat[@]}") x=$(median "${t_cli[@]}") a=$(median "${t_again[@]}")
echo "== extract corpus: ${#files[@]} modules, $(( bytes / 1048576 )) MiB, output in $base, median of $runs rounds"
echo "   ($outputs: $written files$flushes)"
echo "cat FILES > /dev/null                       $(ms "$c")"
echo "pictrix-cli extract -o NEW FILES            $(ms "$x")   ($(ratio "$x" "$c") x cat; target <= 0.50)"
echo "pictrix-cli extract -o SAME FILES (again)   $(ms "$a")   ($(ratio "$a" "$c") x cat; $(ratio "$a" "$x") x a fresh extraction; target <= 2)"
