#!/usr/bin/python3
# Walks the accessible tree of a running application as a screen reader does (AT-SPI, through
# pyatspi): prints every object it shows (role and name) and ends with 1 when a control a user can
# reach (a button, check box, menu item, list, tree, table, text field) is shown without a name.
# Each ROLE:PATTERN argument names an object that must be shown too: one of that role whose name
# the regular expression PATTERN finds (a window, a dialog, an image of the grid).
# Usage: atspi_walk.py APPLICATION_NAME [ROLE:PATTERN...]
import re
import sys
import time

import pyatspi

CONTROLS = {"push button", "toggle button", "check box", "radio button", "menu item", "check menu item",
            "radio menu item", "list", "tree", "table", "text", "combo box", "page tab", "spin button"}

want = sys.argv[1]
expected = [tuple(e.split(":", 1)) for e in sys.argv[2:]]
found = set()
app = None
deadline = time.time() + 30
while app is None and time.time() < deadline:
    app = next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == want), None)
    if app is None:
        time.sleep(0.3)
if app is None:
    print("atspi_walk: no application named", want)
    sys.exit(2)

unnamed = []
seen = 0


def walk(acc, path, depth):
    global seen
    if acc is None or depth > 16:
        return
    role, name = acc.getRoleName(), acc.name or ""
    if not acc.getState().contains(pyatspi.STATE_SHOWING) and role != "application":
        return
    seen += 1
    print("%s%s\t%s" % ("  " * depth, role, name))
    for e in expected:
        if role == e[0] and re.search(e[1], name):
            found.add(e)
    if role in CONTROLS and not name.strip():
        unnamed.append(path + " > " + role)
    # A list's rows are many and alike: the first few stand for them.
    for i in range(min(acc.childCount, 40)):
        walk(acc.getChildAtIndex(i), path + " > " + (name or role), depth + 1)


walk(app, want, 0)
print("atspi_walk: %d objects shown, %d controls without a name" % (seen, len(unnamed)))
for u in unnamed:
    print("unnamed:", u)
missing = [e for e in expected if e not in found]
for e in missing:
    print("not shown: %s named like %s" % e)
sys.exit(1 if unnamed or missing or seen < 20 else 0)
