#!/usr/bin/env bash
# Runs PROGRAM FILE with Qt's accessibility on, on the X server and D-Bus session it is given
# (CTest starts it under dbus-run-session and xvfb.sh), with the accessibility bus a desktop
# starts, and walks its accessible tree as a screen reader does (atspi_walk.py).
# Usage: atspi_walk.sh PROGRAM FILE [ROLE:PATTERN...] (what must be shown besides; see atspi_walk.py)
set -u
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
# The program looks for the accessibility bus once, as it starts: it starts when the bus answers
# (a busy machine, or a sanitized build, can take more than a second to bring it up).
for ((i = 0; i < 300; i++)); do
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    > /dev/null 2>&1 && break
  sleep 0.1
done
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 PICTRIX_NO_SPLASH=1 "$1" "$2" &
program=$!
/usr/bin/python3 "$(dirname -- "$0")/atspi_walk.py" pictrix "${@:3}"
status=$?
kill "$program" "$bus" 2>/dev/null
wait 2>/dev/null
exit $status
