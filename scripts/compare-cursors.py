#!/usr/bin/env python3
"""Checks the cursor groups pictrix-cli extracts from modules against icoutils' wrestool, which
extracts them on its own: every cursor group pictrix-cli saves must equal wrestool's .cur in its
type, count, entries (size, colours, hotspot) and image bytes. wrestool counts in each entry's size
the 4 hotspot bytes it moved into the entry, so its sizes are 4 larger; that field alone is allowed
to differ by exactly that. Exit status 0 when every group matches.

Usage: scripts/compare-cursors.py PICTRIX_CLI MODULE...   (e.g. the DLLs of a Wine installation)
"""
import json, os, struct, subprocess, sys, tempfile


def entries(data):
    _, kind, count = struct.unpack_from('<HHH', data, 0)
    return kind, [struct.unpack_from('<BBBBHHII', data, 6 + 16 * i) for i in range(count)]


def main():
    cli, modules = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as tmp:
        ours, theirs, manifest = os.path.join(tmp, 'ours'), os.path.join(tmp, 'theirs'), os.path.join(tmp, 'm.jsonl')
        os.mkdir(ours); os.mkdir(theirs)
        subprocess.run([cli, 'extract', '--cursors', '--quiet', '--manifest', manifest, '-o', ours] + modules,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for m in modules:
            subprocess.run(['wrestool', '-x', '--type=12', '-o', theirs, m], stderr=subprocess.DEVNULL)
        same = different = 0
        for r in map(json.loads, open(manifest)):
            if r.get('kind') != 'cursor':
                continue
            prefix = '%s_12_%s_' % (os.path.basename(r['source']), r['id'])
            found = [f for f in os.listdir(theirs) if f.startswith(prefix)]
            if r['status'] not in ('saved', 'renamed') or len(found) != 1:
                print('not compared:', r['source'], r['id'], r['status'], found); different += 1
                continue
            a, b = open(os.path.join(theirs, found[0]), 'rb').read(), open(r['output'], 'rb').read()
            (ka, ea), (kb, eb) = entries(a), entries(b)
            ok = ka == kb == 2 and len(ea) == len(eb)
            for x, y in zip(ea, eb):
                ok = ok and x[:6] == y[:6] and x[6] - 4 == y[6] and a[x[7]:x[7] + y[6]] == b[y[7]:y[7] + y[6]]
            if ok:
                same += 1
            else:
                different += 1; print('different:', r['source'], r['id'])
        print('%d cursor groups equal to wrestool\'s, %d not' % (same, different))
        return 1 if different or not same else 0


if __name__ == '__main__':
    sys.exit(main())
