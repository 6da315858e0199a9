#!/usr/bin/env bash
# A collection extracted the hard way: stopped after 0.05 to 0.35 s by SIGINT, SIGTERM and SIGKILL,
# resumed in place each time, then run to its end; the folder is then checked against the
# manifest by jq and sha256sum alone (no code of ours), and the sources counted.
# Usage: bench/resume.sh BUILD_DIR ROOT   (every file below ROOT is a source; the Wine modules,
#   say: bench/resume.sh build /usr/lib/x86_64-linux-gnu/wine)
set -u
cli=$(cd "${1:-build}" && pwd)/pictrix-cli
root=${2:?the folder of the collection}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir out
run() {
  find "$root" -type f -print0 |
    "$cli" extract -0 --from - --cursors --quiet --jobs 2 -o out --manifest m.jsonl --resume m.jsonl "$@"
}
for sig in INT TERM KILL INT KILL TERM; do
  # The pipeline itself in the background: $! is then pictrix-cli, not a subshell.
  find "$root" -type f -print0 |
    "$cli" extract -0 --from - --cursors --quiet --jobs 2 -o out --manifest m.jsonl --resume m.jsonl > /dev/null 2>&1 &
  pid=$!
  sleep "0.$(printf %02d $((RANDOM % 30 + 5)))"
  kill -"$sig" "$pid" 2> /dev/null
  wait "$pid"
  echo "$sig: exit $?, $(grep -c '"groups"' m.jsonl) sources finished"
done
run > /dev/null; echo "to the end: exit $?"
echo "temporary files left: $(find out -name '.*.tmp-*' | wc -l)"
echo "sources: $(find "$root" -type f | wc -l) listed, $(jq -r 'select(.groups != null) | .source' m.jsonl | sort -u | wc -l) finished, $(jq -r 'select(.groups != null) | .source' m.jsonl | sort | uniq -d | wc -l) finished twice"
jq -r 'select(.output != null) | "\(.sha256)  \(.output)"' m.jsonl | sort -u | sha256sum -c --quiet &&
  echo "every output holds the bytes of its record"
echo "outputs: $(find out -type f | wc -l) on disk, $(jq -r 'select(.output != null) | .output' m.jsonl | sort -u | wc -l) named by records"
