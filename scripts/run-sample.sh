#!/usr/bin/env bash
# make run: starts Pictrix on the bundled sample module (drawn at build time by make-sample).
# Without a display the window cannot open; the sample's icon groups are listed instead.
set -euo pipefail
build=${1:-build}
sample="$build/sample/sample.dll"
if [[ ! -f "$sample" ]]; then
  echo "run: the sample module $sample is missing; run make build first." >&2
  exit 1
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the main window cannot open."
  echo "run: the icon groups of $sample:"
  exec "$build/pictrix-cli" list "$sample"
fi
exec "$build/pictrix" "$sample"
