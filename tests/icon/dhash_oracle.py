#!/usr/bin/env python3
"""An independent difference hash of icon files, with Pillow: for each file, the image whose
larger side is nearest 64 (the larger of two equally near), composited over mid-grey, reduced to
9 x 8 luma by Pillow's BOX filter over the picture enlarged 9 x 8 times (so that each box is
exactly the area it stands for), one bit per horizontal pair, the first most significant.
Prints one line per file: 16 hex digits."""
import sys
from PIL import Image

for path in sys.argv[1:]:
    im = Image.open(path)
    sizes = sorted(im.ico.sizes(), key=lambda s: (abs(max(s) - 64), -max(s)))
    im = im.ico.getimage(sizes[0]).convert("RGBA")
    grey = Image.new("RGBA", im.size, (128, 128, 128, 255))
    luma = Image.alpha_composite(grey, im).convert("L")
    # The area average: every pixel copied 9 x 8 times, then boxes of exactly W x H pixels.
    w, h = luma.size
    small = luma.resize((w * 9, h * 8), Image.NEAREST).resize((9, 8), Image.BOX)
    px = list(small.getdata())
    bits = 0
    for y in range(8):
        for x in range(8):
            bits = bits << 1 | (1 if px[y * 9 + x + 1] > px[y * 9 + x] else 0)
    print("%016x" % bits)
