#!/usr/bin/env bash
# Collections as they are: most files hold no icons, and manifests grow to millions of records.
# 1. Resuming against a manifest of 1,000,000 records (200,000 modules of four groups each, and
#    1,000,000 sources without icons): the time and peak memory (/usr/bin/time) of loading it,
#    with an empty list so that nothing else is done.
# 2. COUNT sources (default 100,000), 90 % of them text files of 6 KiB and 10 % icon files: the time
#    of `pictrix-cli extract --jobs 2` over their list, against `head -c 4096` of every file (what
#    judging each by its first bytes cannot undercut), warm cache, RUNS rounds (default 3), medians.
# Usage: bench/collections.sh BUILD_DIR [WORK_DIR]   (PART=tree: the second measure alone)
set -euo pipefail
build=$(cd "${1:-build-bench}" && pwd)
work=${2:-$build/bench-collections}
runs=${RUNS:-3}
count=${COUNT:-100000}
cli="$build/pictrix-cli"
mkdir -p "$work"
now() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }

if [[ ${PART:-all} != tree ]]; then
python3 - "$work" <<'EOF'
import json, os, sys
work = sys.argv[1]
def record(f, r): f.write(json.dumps(r, separators=(',', ':')) + '\n')
if not os.path.exists(os.path.join(work, 'modules.jsonl')):
    with open(os.path.join(work, 'modules.jsonl'), 'w') as f:
        for i in range(200000):
            src = '/collection/disk%03d/folder%04d/module%06d.dll' % (i % 100, i % 1000, i)
            for g in range(4):
                d = '%064x' % (i * 31 + g)
                record(f, {"source": src, "source_sha256": '%064x' % i, "kind": "icon", "position": g + 1,
                           "id": g + 1, "language": None,
                           "images": [{"width": 32, "height": 32, "bits": 32, "bytes": 4264, "png": False,
                                       "sha256": d}], "dhash": '%016x' % (i * g),
                           "output": "out/module%06d%d%d.ico" % (i, g + 1, g + 1), "sha256": d, "status": "saved"})
            record(f, {"source": src, "source_sha256": '%064x' % i, "size": 123456,
                       "mtime": "2026-12-10T00:21:58.123456789Z", "container": "module", "groups": 4,
                       "status": "read"})
if not os.path.exists(os.path.join(work, 'documents.jsonl')):
    with open(os.path.join(work, 'documents.jsonl'), 'w') as f:
        for i in range(1000000):
            record(f, {"source": '/collection/disk%03d/folder%04d/document%07d.txt' % (i % 100, i % 1000, i),
                       "source_sha256": None, "size": 6144, "mtime": "2026-12-10T00:21:58.123456789Z",
                       "container": None, "groups": 0, "status": "read"})
EOF
: > "$work/empty.list"
mkdir -p "$work/out"
for m in modules documents; do
  rm -f "$work/new.jsonl"
  /usr/bin/time -f "resume against $m.jsonl ($(wc -l < "$work/$m.jsonl") records): %e s elapsed, %U s user, %S s system, %M KiB peak" \
    "$cli" extract --quiet --from "$work/empty.list" -o "$work/out" --manifest "$work/new.jsonl" \
    --resume "$work/$m.jsonl" > /dev/null
done

fi

tree="$work/tree"
if [[ ! -f "$tree/list" ]]; then
  mkdir -p "$tree"
  icon="$build/fixtures/icons/six.ico"
  python3 - "$tree" "$count" "$icon" <<'EOF'
import os, shutil, sys
tree, count, icon = sys.argv[1], int(sys.argv[2]), sys.argv[3]
text = (b'Notes of the collection, line after line. ' * 200)[:6144]
names = []
for i in range(count):
    d = os.path.join(tree, 'd%03d' % (i % 200))
    os.makedirs(d, exist_ok=True)
    if i % 10 == 9:
        p = os.path.join(d, 'icon%06d.ico' % i)
        shutil.copyfile(icon, p)
    else:
        p = os.path.join(d, 'note%06d.txt' % i)
        with open(p, 'wb') as f: f.write(text)
    names.append(p)
open(os.path.join(tree, 'list'), 'w').write('\n'.join(names) + '\n')
EOF
fi
xargs -d '\n' cat < "$tree/list" > /dev/null
heads=() extracts=()
for ((r = 0; r < runs; r++)); do
  t0=$(now); xargs -d '\n' head -q -c 4096 < "$tree/list" > /dev/null; t1=$(now)
  heads+=($(( (t1 - t0) / 1000000 )))
  rm -rf "$work/out-tree"; mkdir -p "$work/out-tree"
  t0=$(now); "$cli" extract --quiet --jobs 2 --from "$tree/list" -o "$work/out-tree" > /dev/null; t1=$(now)
  extracts+=($(( (t1 - t0) / 1000000 )))
done
h=$(median "${heads[@]}") e=$(median "${extracts[@]}")
echo "$count sources (90 % text, 10 % icon files): head -c 4096 of each $h ms, extract --jobs 2 $e ms" \
  "($(awk -v a="$e" -v b="$h" 'BEGIN { printf "%.2f", a / b }') x), $(find "$work/out-tree" -type f | wc -l) files written"
