#!/usr/bin/env python3
"""Reads Xcursor files and themes with libXcursor itself (through ctypes) and checks them against
the cursor files they were made from, decoded by ImageMagick and read by Pillow, their hotspots
and rates read here from the files' own bytes. Prints one JSON object; exit 0 when every check
held, 1 with the failures listed.

  xcursor_check.py file XCURSOR                      the images of a file as JSON
  xcursor_check.py compare XCURSOR SOURCE [SIZE...]  the file holds SOURCE's images (a .cur or
                                                     .ani), each at its own size with its own
                                                     hotspot, in step order with exact delays;
                                                     SIZE entries "24/32" say 24 was scaled from 32
  xcursor_check.py theme THEME SIZE NAME...         the cursors NAME... of THEME at SIZE, found
                                                     by the library along XCURSOR_PATH, as JSON
"""
import ctypes
import io
import json
import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image


class XcursorImage(ctypes.Structure):
    _fields_ = [("version", ctypes.c_uint), ("size", ctypes.c_uint), ("width", ctypes.c_uint),
                ("height", ctypes.c_uint), ("xhot", ctypes.c_uint), ("yhot", ctypes.c_uint),
                ("delay", ctypes.c_uint), ("pixels", ctypes.POINTER(ctypes.c_uint32))]


class XcursorImages(ctypes.Structure):
    _fields_ = [("nimage", ctypes.c_int), ("images", ctypes.POINTER(ctypes.POINTER(XcursorImage))),
                ("name", ctypes.c_char_p)]


lib = ctypes.CDLL("libXcursor.so.1")
lib.XcursorFilenameLoadAllImages.restype = ctypes.POINTER(XcursorImages)
lib.XcursorFilenameLoadAllImages.argtypes = [ctypes.c_char_p]
lib.XcursorLibraryLoadImages.restype = ctypes.POINTER(XcursorImages)
lib.XcursorLibraryLoadImages.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int]
lib.XcursorImagesDestroy.argtypes = [ctypes.POINTER(XcursorImages)]


def images_of(p):
    if not p:
        return None
    out = []
    for i in range(p.contents.nimage):
        im = p.contents.images[i].contents
        out.append({"size": im.size, "width": im.width, "height": im.height, "xhot": im.xhot, "yhot": im.yhot,
                    "delay": im.delay, "pixels": [im.pixels[k] for k in range(im.width * im.height)]})
    lib.XcursorImagesDestroy(p)
    return out


def load_file(path):
    return images_of(lib.XcursorFilenameLoadAllImages(path.encode()))


def cur_images(data):
    """The images of an .ico/.cur file: (width, height, xhot, yhot, premultiplied pixels) in file
    order, the pixels by ImageMagick, the hotspot from the directory entry."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    hot = [struct.unpack_from("<HH", data, 6 + 16 * i + 4) for i in range(count)]
    with tempfile.TemporaryDirectory() as d:
        src = os.path.join(d, "in.cur" if kind == 2 else "in.ico")
        with open(src, "wb") as f:
            f.write(data)
        fmt = "CUR" if kind == 2 else "ICO"
        subprocess.run(["convert", fmt + ":" + src, os.path.join(d, "out-%d.png")], check=True)
        out = []
        for i in range(count):
            name = os.path.join(d, "out-%d.png" % i) if count > 1 else os.path.join(d, "out-0.png")
            if not os.path.exists(name):
                name = os.path.join(d, "out-%d.png" % i)
            im = Image.open(name).convert("RGBA")
            px = []
            for r, g, b, a in im.getdata():
                px.append(a << 24 | (r * a + 127) // 255 << 16 | (g * a + 127) // 255 << 8 | (b * a + 127) // 255)
            out.append({"width": im.width, "height": im.height, "xhot": hot[i][0] if kind == 2 else 0,
                        "yhot": hot[i][1] if kind == 2 else 0, "pixels": px})
        return out


def ani_parts(data):
    """Frames (bytes), steps and rates (jiffies) of an .ani, read from its chunks."""
    assert data[:4] == b"RIFF" and data[8:12] == b"ACON"
    frames, seq, rates, header = [], None, None, None
    # A RIFF size counting more than the file holds (common in packs) ends at the file's end.
    at, end = 12, min(8 + struct.unpack_from("<I", data, 4)[0], len(data))
    while at + 8 <= end:
        cid, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        body = data[at + 8:at + 8 + size]
        if cid == b"anih":
            header = struct.unpack_from("<9I", body, 0)
        elif cid == b"LIST" and body[:4] == b"fram":
            k = 4
            while k + 8 <= len(body):
                s = struct.unpack_from("<I", body, k + 4)[0]
                frames.append(body[k + 8:k + 8 + s])
                k += 8 + s + (s & 1)
        elif cid == b"seq ":
            seq = list(struct.unpack_from("<%dI" % (size // 4), body))
        elif cid == b"rate":
            rates = list(struct.unpack_from("<%dI" % (size // 4), body))
        at += 8 + size + (size & 1)
    steps = header[2]
    seq = seq or list(range(len(frames)))
    rates = rates or [header[7]] * steps
    return frames, seq, rates


def close(a, b):
    return all(abs((x >> s & 255) - (y >> s & 255)) <= 1 for x, y in zip(a, b) for s in (0, 8, 16, 24))


def compare(xcursor, source, scaled):
    fails = []
    got = load_file(xcursor)
    if got is None:
        return ["libXcursor cannot read " + xcursor]
    data = open(source, "rb").read()
    if data[:4] == b"RIFF":
        frames, seq, rates = ani_parts(data)
        decoded = [cur_images(f) for f in frames]
        delays = [max(1, (r * 1000 + 30) // 60) for r in rates]
    else:
        decoded, seq, delays = [cur_images(data)], [0], [0]
    # Each size every frame has: its images in step order.
    sizes = sorted({max(i["width"], i["height"]) for i in decoded[0]})
    want = []
    for size in sizes:
        for step, frame in enumerate(seq):
            img = [i for i in decoded[frame] if max(i["width"], i["height"]) == size][-1]
            want.append(dict(img, size=size, delay=delays[step]))
    own = [g for g in got if g["size"] in sizes]
    made = {int(s.split("/")[0]): int(s.split("/")[1]) for s in scaled}
    if len(own) != len(want):
        fails.append("%d images of the source's sizes, %d expected" % (len(own), len(want)))
    for k, (g, w) in enumerate(zip(own, want)):
        for key in ("size", "width", "height", "xhot", "yhot", "delay"):
            if g[key] != w[key]:
                fails.append("image %d: %s %s, expected %s" % (k, key, g[key], w[key]))
        if not close(g["pixels"], w["pixels"]):
            fails.append("image %d: pixels differ" % k)
    for size, frm in made.items():
        imgs = [g for g in got if g["size"] == size]
        src = [w for w in want if w["size"] == frm]
        if len(imgs) != len(src):
            fails.append("size %d: %d images, expected %d" % (size, len(imgs), len(src)))
        for g, w in zip(imgs, src):
            hx, hy = (w["xhot"] * size * 2 + frm) // (2 * frm), (w["yhot"] * size * 2 + frm) // (2 * frm)
            if (g["width"], g["xhot"], g["yhot"], g["delay"]) != (size, min(hx, size - 1), min(hy, size - 1),
                                                                   w["delay"]):
                fails.append("size %d: %dx%d hotspot %d,%d delay %d" % (size, g["width"], g["height"], g["xhot"],
                                                                        g["yhot"], g["delay"]))
    if sorted({g["size"] for g in got}) != sorted(set(sizes) | set(made)):
        fails.append("sizes %s, expected %s" % (sorted({g["size"] for g in got}), sorted(set(sizes) | set(made))))
    return fails


def summary(images):
    if images is None:
        return None
    return [{k: v for k, v in i.items() if k != "pixels"} | {"sum": sum(i["pixels"]) & 0xFFFFFFFF} for i in images]


def main():
    what = sys.argv[1]
    if what == "file":
        print(json.dumps(summary(load_file(sys.argv[2]))))
        return 0
    if what == "theme":
        theme, size = sys.argv[2].encode(), int(sys.argv[3])
        print(json.dumps({name: summary(images_of(lib.XcursorLibraryLoadImages(name.encode(), theme, size)))
                          for name in sys.argv[4:]}))
        return 0
    fails = compare(sys.argv[2], sys.argv[3], sys.argv[4:])
    print(json.dumps({"failures": fails}))
    return 1 if fails else 0


sys.exit(main())
