#!/usr/bin/env bash
# Runs COMMAND on a virtual X server of its own, of the size given, and ends the server after it.
# The server chooses a free display itself and says which once it accepts clients (-displayfd):
# tests started side by side never pick the same display, as two `xvfb-run -a` can (each takes the
# first display without a lock file, and one of the two servers then fails to start).
# Usage: xvfb.sh WIDTHxHEIGHT COMMAND [ARGUMENT...]
set -u
if (($# < 2)); then
  echo "usage: xvfb.sh WIDTHxHEIGHT COMMAND [ARGUMENT...]" >&2
  exit 2
fi
size=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/xvfb.XXXXXX") || exit 1
server=
finish() {
  [[ -n $server ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf -- "$dir"
}
trap finish EXIT
trap 'exit 143' TERM INT HUP

Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
server=$!
display=
for ((i = 0; i < 600; i++)); do
  if [[ -s $dir/display ]] && read -r display <"$dir/display" && [[ -n $display ]]; then
    break
  fi
  if ! kill -0 "$server" 2>/dev/null; then
    break
  fi
  sleep 0.05
done
if [[ -z $display ]]; then
  echo "xvfb.sh: the virtual X server did not start:" >&2
  cat "$dir/log" >&2
  exit 1
fi
DISPLAY=":$display" "$@"
