#!/usr/bin/env python3
"""Prints what a screen reader sees of one program's windows over AT-SPI.

One line per object that is showing: its role, its name and its path (the
roles and indexes from the application down), tab-separated. The page's own
document is not entered (it is the page, not the program), nor are the rows
of lists. Exit status 2 when the program is not on the accessibility bus.
"""
import sys
import time

import pyatspi


def find_application(pid, wait):
    deadline = time.time() + wait
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        if time.time() > deadline:
            return None
        time.sleep(0.5)


def walk(node, path, out):
    try:
        role = node.getRoleName()
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
        name = node.name or ""
    except Exception:
        return
    if not showing and role != "application":
        return
    out.append("%s\t%s\t%s" % (role, name.replace("\t", " ").replace("\n", " "), path))
    if role in ("document web", "list", "table", "tree", "tree table"):
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, "%s/%s#%d" % (path, child.getRoleName(), i), out)


def main():
    pid = int(sys.argv[1])
    wait = float(sys.argv[2]) if len(sys.argv) > 2 else 20
    app = find_application(pid, wait)
    if app is None:
        print("the program (pid %d) is not on the accessibility bus" % pid, file=sys.stderr)
        return 2
    out = []
    walk(app, "application", out)
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
