#!/usr/bin/python3
"""How the desktop sees a launcher: GIO's application index and GTK's icon theme, in a private data
home. Usage: launcher_desktop.py DATA_HOME ID. Prints the entry's name, its command line as GLib
splits it into arguments (one per line, after "argv"), and for 16, 48 and 256 pixels the file the
icon theme picks and its size."""
import os
import sys

home, ident = sys.argv[1], sys.argv[2]
os.environ["XDG_DATA_HOME"] = home
os.environ["XDG_DATA_DIRS"] = "/usr/share"
import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gio, GLib, Gtk

ids = [a.get_id() for a in Gio.AppInfo.get_all()]
if ident + ".desktop" not in ids:
    print("not listed")
    sys.exit(3)
info = Gio.DesktopAppInfo.new(ident + ".desktop")
print("name", info.get_name())
print("wmclass", info.get_startup_wm_class())
ok, argv = GLib.shell_parse_argv(info.get_commandline())
print("argv")
for a in argv:
    print(a)
theme = Gtk.IconTheme.new()
for size in (16, 48, 256):
    found = theme.lookup_icon(info.get_icon().to_string(), size, 0)
    print(size, found.get_filename() if found else None, found.get_base_size() if found else 0)
