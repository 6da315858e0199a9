#!/usr/bin/python3
# GNOME's thumbnail factory (GnomeDesktopThumbnailFactory, through gir1.2-gnomedesktop-3.0) asked
# for the thumbnail of each FILE as Files asks for it: the factory finds the .thumbnailer files
# below $XDG_DATA_DIRS and runs the one for MIME in its sandbox (bubblewrap, which sees /usr).
# Usage: gnome_thumbnail.py MIME FILE...  Prints per file "WIDTH HEIGHT R G B A" of the centre
# pixel, or "none" when the factory gives no thumbnail. $THUMBNAIL_SIZE names the factory's size
# (NORMAL, LARGE, XLARGE or XXLARGE; NORMAL when unset).
import os
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import Gio, GnomeDesktop  # noqa: E402

mime = sys.argv[1]
size = getattr(GnomeDesktop.DesktopThumbnailSize, os.environ.get("THUMBNAIL_SIZE", "NORMAL"))
factory = GnomeDesktop.DesktopThumbnailFactory.new(size)
for path in sys.argv[2:]:
    f = Gio.File.new_for_path(path)
    uri = f.get_uri()
    mtime = f.query_info("time::modified", Gio.FileQueryInfoFlags.NONE, None).get_attribute_uint64("time::modified")
    if not factory.can_thumbnail(uri, mime, mtime):
        print("cannot")
        continue
    try:
        pixbuf = factory.generate_thumbnail(uri, mime, None)
    except Exception as e:  # the factory raises where the thumbnailer failed
        print("none", str(e).replace("\n", " "))
        continue
    if pixbuf is None:
        print("none")
        continue
    w, h = pixbuf.get_width(), pixbuf.get_height()
    n, stride, pixels = pixbuf.get_n_channels(), pixbuf.get_rowstride(), pixbuf.get_pixels()
    at = (h // 2) * stride + (w // 2) * n
    px = list(pixels[at:at + n]) + ([255] if n == 3 else [])
    print(w, h, *px)
