#!/usr/bin/env bash
# Starts Pictrix on the bundled sample. Until the desktop program exists, shows the sample icon's
# images with pictrix-cli.
set -euo pipefail
build=${1:-build}
sample="$build/fixtures/icons/vista.ico"
if [[ -x "$build/pictrix" ]]; then
  exec "$build/pictrix" "$sample"
fi
exec "$build/pictrix-cli" info "$sample"
