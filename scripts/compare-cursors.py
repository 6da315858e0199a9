#!/usr/bin/env python3
"""Checks the cursor groups pictrix-cli extracts from modules against icoutils' wrestool, which
extracts them on its own. Every cursor group wrestool lists must be saved by pictrix-cli (a group
it never lists, or lists as failed, counts against it), and each saved .cur must equal wrestool's in
its type, count, colours, hotspots and image bytes. Each entry's width and height must be those of
the image's own header (a DIB's width and half its height, a PNG's IHDR): wrestool halves the
group's height whatever the resource compiler stored, so its sizes are not the reference. wrestool
counts in each entry's length the 4 hotspot bytes it moved into the entry, so its lengths are 4
larger; the saved file's offsets must run back to back from the end of its directory to the end of
the file. Exit status 0 when every group matches.

Usage: scripts/compare-cursors.py PICTRIX_CLI MODULE...   (e.g. the DLLs of a Wine installation)
"""
import json, os, re, struct, subprocess, sys, tempfile


def entries(data):
    _, kind, count = struct.unpack_from('<HHH', data, 0)
    return kind, [struct.unpack_from('<BBBBHHII', data, 6 + 16 * i) for i in range(count)]


def own_size(block):
    """The width and height an image block's own header gives, as a directory byte stores them."""
    if block[:8] == b'\x89PNG\r\n\x1a\n':
        w, h = struct.unpack_from('>II', block, 16)
    elif struct.unpack_from('<I', block, 0)[0] == 12:
        w, h = struct.unpack_from('<HH', block, 4)
        h //= 2
    else:
        w, h = struct.unpack_from('<ii', block, 4)
        h //= 2
    return (w if w < 256 else 0), (h if h < 256 else 0)


def compare(a, b):
    """Why our .cur `b` differs from wrestool's `a`, or None. Also the number of entries."""
    (ka, ea), (kb, eb) = entries(a), entries(b)
    if not ka == kb == 2 or len(ea) != len(eb):
        return 'type or count', len(eb)
    at = 6 + 16 * len(eb)
    for i, (x, y) in enumerate(zip(ea, eb), 1):
        block = b[y[7]:y[7] + y[6]]
        if y[7] != at or len(block) != y[6]:
            return 'image %d: offset %d or length %d' % (i, y[7], y[6]), len(eb)
        at += y[6]
        if x[6] - 4 != y[6] or a[x[7]:x[7] + y[6]] != block:
            return 'image %d: bytes' % i, len(eb)
        if (y[0], y[1]) != own_size(block):
            return 'image %d: %dx%d, its header says %dx%d' % ((i, y[0], y[1]) + own_size(block)), len(eb)
        if x[2:6] != y[2:6]:
            return 'image %d: colours or hotspot' % i, len(eb)
    if at != len(b):
        return 'bytes past the last image', len(eb)
    return None, len(eb)


def main():
    cli, modules = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as tmp:
        ours, manifest = os.path.join(tmp, 'ours'), os.path.join(tmp, 'm.jsonl')
        os.mkdir(ours)
        subprocess.run([cli, 'extract', '--cursors', '--quiet', '--manifest', manifest, '-o', ours] + modules,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Ours by source and group, each group's languages in the module's order.
        saved = {}
        for r in map(json.loads, open(manifest)):
            if r.get('kind') == 'cursor':
                saved.setdefault((r['source'], str(r['id'])), []).append(r)
        same = different = images = 0
        for n, m in enumerate(modules):
            theirs = os.path.join(tmp, 'theirs%d' % n)
            os.mkdir(theirs)
            subprocess.run(['wrestool', '-x', '--type=12', '-o', theirs, m], stderr=subprocess.DEVNULL)
            # wrestool's names: MODULE_12_ID_LANGUAGE.cur, every language of a group apart.
            groups = {}
            for f in os.listdir(theirs):
                g = re.match(re.escape(os.path.basename(m)) + r'_12_(.+)_(\d+)\.cur$', f)
                if g:
                    groups.setdefault(g.group(1), []).append((int(g.group(2)), f))
            for gid, files in sorted(groups.items()):
                records = saved.pop((m, gid), [])
                for k, (_, f) in enumerate(sorted(files)):
                    r = records[k] if k < len(records) else None
                    if r is None or r.get('status') not in ('saved', 'renamed'):
                        print('not saved:', m, gid, r and r.get('status'), r and r.get('error'))
                        different += 1
                        continue
                    a, b = open(os.path.join(theirs, f), 'rb').read(), open(r['output'], 'rb').read()
                    why, count = compare(a, b)
                    images += count
                    if why:
                        different += 1
                        print('different:', m, gid, why)
                    else:
                        same += 1
        for (m, gid), records in saved.items():
            different += len(records)
            print('not listed by wrestool:', m, gid)
        print('%d cursor groups (%d images) equal to wrestool\'s at their true sizes, %d not' % (same, images, different))
        return 1 if different or not same else 0


if __name__ == '__main__':
    sys.exit(main())
