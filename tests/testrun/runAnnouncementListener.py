#!/usr/bin/python3
# A screen reader's ear: listens on the accessibility bus and writes to the file OUTPUT
# - for each new child of any object, the parent's name, a tab, the new child's name;
# - for each object that gains the focus, "[focus]", a tab, its role, a tab, its name;
# - every 100 ms it asks each program on the bus where its first window is, as a screen reader
#   keeps asking; a question that takes longer than half a second gives "[slow]", a tab and the
#   seconds it took.
# A question the program does not answer (one gone before it was asked, or a program the
# accessibility library has declared hung) gives "?", a tab and the failure.
# Says "ready" on standard output once it is listening.
# Usage: runAnnouncementListener.py OUTPUT (inside a D-Bus session with the AT-SPI services).
import sys
import time

import pyatspi
from gi.repository import GLib

ANSWER_WITHIN = 0.5
ASK_EVERY_MS = 100

heard = open(sys.argv[1], "a", buffering=1, encoding="utf-8")


def child_added(event):
    try:
        heard.write(f"{event.source.name}\t{event.any_data.name}\n")
    except Exception as failure:
        heard.write(f"?\t{failure}\n")


def focus_changed(event):
    if event.detail1 != 1:
        return
    try:
        heard.write(f"[focus]\t{event.source.getRoleName()}\t{event.source.name}\n")
    except Exception as failure:
        heard.write(f"?\t{failure}\n")


def ask_every_program():
    desktop = pyatspi.Registry.getDesktop(0)
    for program in desktop:
        if program is None:
            continue
        started = time.monotonic()
        try:
            if program.childCount > 0:
                program.getChildAtIndex(0).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        except Exception as failure:
            heard.write(f"?\t{failure}\n")
        took = time.monotonic() - started
        if took > ANSWER_WITHIN:
            heard.write(f"[slow]\t{took:.2f}\n")
    return True


pyatspi.Registry.registerEventListener(child_added, "object:children-changed:add")
pyatspi.Registry.registerEventListener(focus_changed, "object:state-changed:focused")
GLib.timeout_add(ASK_EVERY_MS, ask_every_program)
print("ready", flush=True)
pyatspi.Registry.start()
