#!/usr/bin/python3
# A screen reader's ear: listens on the accessibility bus for new children of any object and
# writes one line for each to the file OUTPUT: the parent's name, a tab, the new child's name.
# Says "ready" on standard output once it is listening.
# Usage: runAnnouncementListener.py OUTPUT (inside a D-Bus session with the AT-SPI services).
import sys

import pyatspi

heard = open(sys.argv[1], "a", buffering=1, encoding="utf-8")


def child_added(event):
    try:
        heard.write(f"{event.source.name}\t{event.any_data.name}\n")
    except Exception as failure:  # an object gone before it was asked for its name
        heard.write(f"?\t{failure}\n")


pyatspi.Registry.registerEventListener(child_added, "object:children-changed:add")
print("ready", flush=True)
pyatspi.Registry.start()
