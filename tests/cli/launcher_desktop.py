#!/usr/bin/python3
"""How the desktop sees a launcher: GIO's application index and GTK's icon theme, in a private data
home. Usage: launcher_desktop.py DATA_HOME ID [SIZE...]. Prints the entry's name, its command line as
GLib splits it into arguments (one per line, after "argv"), and for each size (16, 48 and 256
pixels unless given) the file the icon theme picks and its size. Exits 3 when GIO does not list the
entry."""
import os
import sys

home, ident = sys.argv[1], sys.argv[2]
os.environ["XDG_DATA_HOME"] = home
os.environ["XDG_DATA_DIRS"] = "/usr/share"
import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gio, GLib, Gtk

ids = [a.get_id() for a in Gio.AppInfo.get_all()]
listed = ident + ".desktop" in ids
if listed:
    info = Gio.DesktopAppInfo.new(ident + ".desktop")
    print("name", info.get_name())
    print("wmclass", info.get_startup_wm_class())
    ok, argv = GLib.shell_parse_argv(info.get_commandline())
    print("argv")
    for a in argv:
        print(a)
else:
    # GIO lists no entry whose program is not there (Wine, a program not executable): the icon is
    # still looked up by the ID the entry names it by.
    print("not listed")
theme = Gtk.IconTheme.new()
for size in [int(s) for s in sys.argv[3:]] or (16, 48, 256):
    found = theme.lookup_icon(info.get_icon().to_string() if listed else ident, size, 0)
    print(size, found.get_filename() if found else None, found.get_base_size() if found else 0)
sys.exit(0 if listed else 3)
