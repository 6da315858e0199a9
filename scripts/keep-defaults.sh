#!/usr/bin/env bash
# Installing Pictrix must not make it the default program for a type that another program already
# opens. Desktops pick the default from the [Default Applications] of the mimeapps.list files first,
# and only then from the programs' entries, folder by folder in $XDG_DATA_DIRS order, and
# /usr/local/share comes before /usr/share. So an installation under /usr/local would win every
# type its entry lists. Before that happens, this script looks up, for each type of the entry, the
# program that opens it now and writes it down as the default in the mimeapps.list of the folder the
# entry is installed in; Pictrix stays listed as a program that opens the type ("Open With").
# Types no other program opens are left alone, and so is every type that already has a default.
# What was added is recorded beside the installation, and `remove` takes exactly that away again.
#
# Usage: scripts/keep-defaults.sh install|remove APPLICATIONS_DIR DESKTOP_ID RECORD_FILE
set -euo pipefail
action=$1 apps=$2 id=$3 record=$4
list="$apps/mimeapps.list"
# A list that is a symbolic link (to a dotfiles folder, say) is written where it points: the link
# stays, and the file is replaced in its own folder.
target=$list
[[ -L $list ]] && target=$(readlink -f -- "$list")
header="# Defaults kept by Pictrix's installation: the programs that opened these types before it."

# Puts TMP in place of the list when it differs from it (a file left as it was keeps its time and
# its bytes). A list whose last line had no line break keeps it so where that line is still last.
replace_list() { # TMP
  local tmp=$1 last
  if [[ -s $target && -n $(tail -c 1 -- "$target") ]]; then
    last=$(tail -n 1 -- "$target")
    if [[ $(tail -n 1 -- "$tmp") == "$last" && -z $(tail -c 1 -- "$tmp") ]]; then truncate -s -1 -- "$tmp"; fi
  fi
  if [[ -f $target ]] && cmp -s -- "$tmp" "$target"; then
    rm -f -- "$tmp"
    return 0
  fi
  [[ -f $target ]] && chmod --reference="$target" -- "$tmp"
  mv -f -- "$tmp" "$target"
}

# The record holds the lines added, one a line, "# made" when the list file was made here and
# "# group" when the [Default Applications] group was added at its end.
remove() {
  [[ -f $record ]] || return 0
  if [[ -f $list ]]; then
    local tmp
    tmp=$(mktemp "$target.XXXXXX")
    # Each recorded line once, and only in [Default Applications]: a line the same in another
    # group, or a second one the user wrote since, is theirs.
    awk -v record="$record" '
      BEGIN { while ((getline line < record) > 0) if (line !~ /^#/) ours[line]++ }
      index($0, "[") == 1 { in_g = ($0 == "[Default Applications]") }
      in_g && ours[$0] > 0 { ours[$0]--; next }
      { print }' "$list" > "$tmp"
    # A group added here goes again when it is left empty, with the blank line before it.
    if grep -qx '# group' -- "$record" && [[ $(tail -n 2 -- "$tmp") == $'\n[Default Applications]' ]]; then
      head -n -2 -- "$tmp" > "$tmp.group" && mv -f -- "$tmp.group" "$tmp"
    fi
    # A list made here that holds nothing but our header and the empty group goes with us.
    if grep -qx '# made' -- "$record" && ! grep -v -x -F -e "$header" -e '[Default Applications]' -- "$tmp" | grep -q '[^[:space:]]'; then
      rm -f -- "$tmp" "$target"
    else
      replace_list "$tmp"
    fi
  fi
  rm -f -- "$record"
}

if [[ $action == remove ]]; then remove; exit 0; fi
[[ $action == install ]] || { echo "usage: $0 install|remove APPS_DIR DESKTOP_ID RECORD" >&2; exit 2; }
remove # a reinstallation starts from what the system holds without us

config_home=${XDG_CONFIG_HOME:-$HOME/.config}
config_dirs=${XDG_CONFIG_DIRS:-/etc/xdg}
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
data_dirs=${XDG_DATA_DIRS:-/usr/local/share:/usr/share}
IFS=: read -r -a configs <<< "$config_home:$config_dirs"
IFS=: read -r -a datas <<< "$data_home:$data_dirs"

# The type and every name the MIME database gives it (aliases and the canonical name).
names_of() {
  local type=$1 dir canonical=$1
  for dir in "${datas[@]}"; do
    [[ -f $dir/mime/aliases ]] || continue
    canonical=$(awk -v t="$type" '$1 == t { print $2; exit }' "$dir/mime/aliases")
    [[ -n $canonical ]] && break
    canonical=$type
  done
  {
    echo "$type"
    echo "$canonical"
    for dir in "${datas[@]}"; do
      [[ -f $dir/mime/aliases ]] && awk -v t="$canonical" '$2 == t { print $1 }' "$dir/mime/aliases"
    done
  } | awk 'NF && !seen[$0]++'
}

# Lines "type=..." of a group in an ini-style file.
group_values() { # FILE GROUP TYPE
  awk -v g="[$2]" -v p="$3=" 'index($0, "[") == 1 { in_g = ($0 == g); next }
                             in_g && index($0, p) == 1 { print substr($0, length(p) + 1); exit }' "$1" 2>/dev/null
}

has_default() { # TYPE: some mimeapps.list already names a default for it
  local name dir file
  for name in $(names_of "$1"); do
    for dir in "${configs[@]}"; do
      for file in "$dir"/*mimeapps.list; do [[ -n $(group_values "$file" "Default Applications" "$name") ]] && return 0; done
    done
    for dir in "${datas[@]}"; do
      for file in "$dir"/applications/*mimeapps.list; do
        [[ -n $(group_values "$file" "Default Applications" "$name") ]] && return 0
      done
    done
  done
  return 1
}

opener_of() { # TYPE: the first other program that the desktop's caches list for it
  local name dir app apps_of
  for dir in "${datas[@]}"; do
    for name in $(names_of "$1"); do
      apps_of=$(group_values "$dir/applications/mimeinfo.cache" "MIME Cache" "$name")
      IFS=';' read -r -a found <<< "$apps_of"
      for app in "${found[@]}"; do
        [[ -n $app && $app != "$id" && -f $dir/applications/$app ]] && { echo "$app"; return 0; }
      done
    done
  done
  return 1
}

entry="$apps/$id"
types=$(awk -F= '$1 == "MimeType" { print $2; exit }' "$entry" | tr ';' '\n' | awk NF)
added=()
for type in $types; do
  has_default "$type" && continue
  app=$(opener_of "$type") || continue
  added+=("$type=$app;")
done
((${#added[@]})) || exit 0

mkdir -p -- "$(dirname -- "$record")"
{
  if [[ ! -f $list ]]; then echo "# made"; elif ! grep -qx '\[Default Applications\]' -- "$list"; then echo "# group"; fi
  printf '%s\n' "${added[@]}"
} > "$record"
tmp=$(mktemp "$target.XXXXXX")
if [[ -f $list ]]; then
  # Our lines go at the top of the existing group, or in a group of their own (after a line
  # break the user's last line then needs).
  awk -v record="$record" '
    function adds(  line) { while ((getline line < record) > 0) if (line !~ /^#/) print line }
    { print }
    $0 == "[Default Applications]" && !done { adds(); done = 1 }
    END { if (!done) { print ""; print "[Default Applications]"; adds() } }' "$list" > "$tmp"
else
  { echo "$header"; echo "[Default Applications]"; printf '%s\n' "${added[@]}"; } > "$tmp"
  chmod 644 -- "$tmp"
fi
replace_list "$tmp"
echo "kept the defaults of ${#added[@]} types: ${added[*]}"
