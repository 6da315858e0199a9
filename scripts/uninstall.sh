#!/usr/bin/env bash
# Removes the files of an installation listed in an install manifest (CMake's
# install_manifest.txt), then the folders they leave empty below the prefix, and refreshes the
# desktop's MIME, application and icon caches where present (an installation staged in DESTDIR
# has none to refresh).
# Usage: scripts/uninstall.sh MANIFEST DESTDIR PREFIX
set -euo pipefail
manifest=$1 destdir=${2:-} prefix=${3:-/usr/local}
removed=0
while IFS= read -r file || [[ -n $file ]]; do
  [[ -n $file ]] || continue
  path="$destdir$file"
  if [[ -e $path || -L $path ]]; then
    rm -f -- "$path"
    removed=$((removed + 1))
  fi
  # The folders the file leaves empty, up to the prefix.
  dir=$(dirname -- "$path")
  while [[ $dir == "$destdir$prefix"/* ]] && rmdir -- "$dir" 2>/dev/null; do dir=$(dirname -- "$dir"); done
done < "$manifest"
echo "uninstall: $removed files removed"
if [[ -z $destdir ]]; then
  share="$prefix/share"
  command -v update-mime-database >/dev/null && [[ -d $share/mime ]] && update-mime-database "$share/mime" || true
  command -v update-desktop-database >/dev/null && [[ -d $share/applications ]] && update-desktop-database "$share/applications" || true
  command -v gtk-update-icon-cache >/dev/null && [[ -d $share/icons/hicolor ]] && gtk-update-icon-cache -q -t -f "$share/icons/hicolor" || true
fi
exit 0
