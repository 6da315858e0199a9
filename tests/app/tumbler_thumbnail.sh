#!/usr/bin/env bash
# Asks tumbler, on a private D-Bus session of its own, for the thumbnail of one file, as XFCE's
# file manager does, and prints where the picture was cached.
# usage: tumbler_thumbnail.sh PREFIX URI MIME-TYPE CACHE-HOME
# PREFIX holds the installed share/thumbnailers entry and bin/pictrix-thumbnailer. Exit 77 when
# tumbler is not installed, 1 when no thumbnail came.
set -u
prefix=$1 uri=$2 mime=$3 cache=$4
found=""
for d in /usr/lib/*/tumbler-1 /usr/libexec/tumbler-1 /usr/lib/tumbler-1; do
  [[ -x $d/tumblerd ]] && found=$d/tumblerd
done
[[ -n $found ]] || { echo "tumblerd is not installed"; exit 77; }
command -v gdbus >/dev/null || { echo "gdbus is not installed"; exit 77; }
command -v dbus-run-session >/dev/null || { echo "dbus-run-session is not installed"; exit 77; }
# tumblerd is started by D-Bus activation with the session bus's environment, and finds the entry
# through XDG_DATA_DIRS: the bus is started here, with that environment.
if [[ -z ${PICTRIX_TUMBLER_SESSION:-} ]]; then
  export XDG_DATA_DIRS=$prefix/share:/usr/local/share:/usr/share XDG_CACHE_HOME=$cache PATH=$prefix/bin:$PATH
  export PICTRIX_TUMBLER_SESSION=1
  exec dbus-run-session -- "$0" "$@"
fi
queued=""
for _ in $(seq 100); do
  queued=$(gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
    --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
    --method org.freedesktop.thumbnails.Thumbnailer1.Queue "['$uri']" "['$mime']" normal default 0 2>&1) && break
  queued=""
  sleep 0.1
done
[[ -n $queued ]] || { echo "the thumbnail service did not answer"; exit 77; }
name=$(printf '%s' "$uri" | md5sum | cut -d' ' -f1).png
for _ in $(seq 300); do
  if [[ -s $cache/thumbnails/normal/$name ]]; then echo "$cache/thumbnails/normal/$name"; exit 0; fi
  sleep 0.1
done
echo "no thumbnail for $uri (queued: $queued)"
ls -R "$cache" 2>&1 | head -n 20
exit 1
