#!/usr/bin/env bash
# Removes the files of an installation listed in an install manifest (CMake's
# install_manifest.txt), then the folders they leave empty below the prefix, and refreshes the
# desktop's MIME, application and icon caches where present (an installation staged in DESTDIR
# has none to refresh), and takes back the defaults the installation kept for other programs.
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
  # The defaults the installation kept for other programs (scripts/keep-defaults.sh).
  "$(dirname -- "$0")/keep-defaults.sh" remove "$share/applications" org.pictrix.Pictrix.desktop "$share/pictrix/kept-defaults"
  rmdir -- "$share/pictrix" 2>/dev/null || true
  # Each cache is rebuilt from what is left; a cache with nothing left to describe goes, or it
  # would keep announcing what was removed (update-mime-database refuses a folder without
  # packages and leaves the old database in place).
  if [[ -d $share/mime ]]; then
    if [[ -d $share/mime/packages ]]; then
      command -v update-mime-database >/dev/null && update-mime-database "$share/mime" || true
    else
      rm -rf -- "$share/mime"
    fi
  fi
  if [[ -d $share/applications ]]; then
    if compgen -G "$share/applications/*.desktop" >/dev/null; then
      command -v update-desktop-database >/dev/null && update-desktop-database "$share/applications" || true
    else
      rm -f -- "$share/applications/mimeinfo.cache"; rmdir -- "$share/applications" 2>/dev/null || true
    fi
  fi
  if [[ -d $share/icons/hicolor ]]; then
    if [[ -n $(find "$share/icons/hicolor" -type f ! -name icon-theme.cache -print -quit) ]]; then
      command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t -f "$share/icons/hicolor" || true
    else
      rm -f -- "$share/icons/hicolor/icon-theme.cache"
      find "$share/icons/hicolor" -depth -type d -empty -delete; rmdir -- "$share/icons" 2>/dev/null || true
    fi
  fi
  rmdir -- "$share" "$prefix" 2>/dev/null || true
fi
exit 0
