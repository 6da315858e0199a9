#!/usr/bin/env bash
# Takes away an installation: the files of its install manifest (CMake's install_manifest.txt), the
# defaults it kept for other programs, and what the installation itself made as install_created.txt
# beside the manifest records it (cmake/install-record.cmake): the cache entries the desktop's tools
# wrote and the folders it made, each only when nothing else is in it. What was there before the
# installation stays: folders, caches, other programs' files. The caches that stay are refreshed
# where the installation is not staged in DESTDIR.
# Usage: scripts/uninstall.sh MANIFEST DESTDIR PREFIX
set -euo pipefail
manifest=$1 destdir=${2:-} prefix=${3:-/usr/local}
created_list="$(dirname -- "$manifest")/install_created.txt"
removed=0
while IFS= read -r file || [[ -n $file ]]; do
  [[ -n $file ]] || continue
  path="$destdir$file"
  if [[ -e $path || -L $path ]]; then
    rm -f -- "$path"
    removed=$((removed + 1))
  fi
done < "$manifest"
echo "uninstall: $removed files removed"

created=()
if [[ -f $created_list ]] && [[ $(head -n 1 -- "$created_list") == "# $destdir$prefix" ]]; then
  mapfile -t created < <(tail -n +2 -- "$created_list" | awk NF)
else
  echo "uninstall: $created_list does not describe $destdir$prefix: the folders are left in place"
fi

share="$prefix/share"
if [[ -z $destdir ]]; then
  # The defaults the installation kept for other programs (scripts/keep-defaults.sh).
  "$(dirname -- "$0")/keep-defaults.sh" remove "$share/applications" org.pictrix.Pictrix.desktop "$share/pictrix/kept-defaults"
fi
# Each cache: rebuilt from what is left while something is left to describe; otherwise the entries
# the installation's tools wrote go, or they would keep announcing what was removed
# (update-mime-database refuses a folder without packages and leaves the old database in place).
refresh() { [[ -z $destdir ]] && command -v "$1" >/dev/null && "$@" || true; }
drop_made() { # the recorded cache entries below FOLDER (its folders for packages and themes stay)
  local p
  for p in "${created[@]}"; do
    [[ $p == "$1"/* && $p != "$1"/*/* && $p != "$1/packages" ]] || continue
    if [[ -d $destdir$p && $1 == */mime ]]; then rm -rf -- "$destdir$p"; elif [[ -f $destdir$p ]]; then rm -f -- "$destdir$p"; fi
  done
  return 0
}
if compgen -G "$destdir$share/mime/packages/*.xml" >/dev/null; then
  refresh update-mime-database "$share/mime"
else
  drop_made "$share/mime"
fi
if compgen -G "$destdir$share/applications/*.desktop" >/dev/null; then
  refresh update-desktop-database "$share/applications"
else
  drop_made "$share/applications"
fi
if [[ -n $(find "$destdir$share/icons/hicolor" -type f ! -name icon-theme.cache -print -quit 2>/dev/null) ]]; then
  refresh gtk-update-icon-cache -q -t -f "$share/icons/hicolor"
else
  drop_made "$share/icons/hicolor"
fi

# The folders the installation made, deepest first, where nothing is left in them.
((${#created[@]})) && printf '%s\n' "${created[@]}" | awk '{ print length($0) "\t" $0 }' | sort -rn | cut -f2- |
  while IFS= read -r p; do
    [[ -d $destdir$p && ! -L $destdir$p ]] && rmdir -- "$destdir$p" 2>/dev/null || true
  done
exit 0
