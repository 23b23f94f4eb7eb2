#!/usr/bin/python3
"""The built program as a keyboard and screen-reader user meets it: every
control's accessible name and role, no focus stop that shows nothing, the
focus after "Start Scan" and "Stop Scan", and help open beside the dialog
while both stay usable; Escape then ends the program, help and all.

  private_desktop.sh window_access.py PROGRAM
"""
import os
import subprocess
import sys
import tempfile

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, Window, running, top_level_windows, virtual_desktop, wait_for  # noqa: E402

# (role, name) of every control that takes the focus, in tab order.
CONTROLS = [
    ("push button", "EXIT"),
    ("push button", "Start Scan"),
    ("text", "IPAddress"),
    ("text", "USER"),
    ("password text", "Password"),
    ("combo box", "ScanTime"),
    ("text", "Announcement Mail-Address"),
    ("radio button", "Only when changed"),
    ("radio button", "Always it informs"),
    ("text", "Your Mail Address"),
    ("text", "SMTP Server Address"),
    ("text", "HTTP"),
    ("text", "Mail"),
    ("push button", "Stop Scan"),
    ("text", "Mail Subject"),
    ("push button", "HELP"),
]


def nodes(root):
    stack = [root]
    while stack:
        node = stack.pop(0)
        yield node
        stack[0:0] = [node.getChildAtIndex(i) for i in range(node.childCount)]


def focus_stops(window):
    """(role, name) of every shown node that can take the keyboard focus (a
    combo box takes it through a button of its own, which is not shown in the
    tree)."""
    stops = []
    for node in nodes(window.frame):
        states = node.getState()
        focusable = states.contains(pyatspi.STATE_FOCUSABLE) or node.getRoleName() == "combo box"
        if node is not window.frame and focusable and states.contains(pyatspi.STATE_SHOWING):
            stops.append((node.getRoleName(), node.name))
    return stops


def labelled_by(window):
    """(name, the names of its labels) of every node a label names."""
    found = []
    for node in nodes(window.frame):
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                found.append((node.name, [relation.getTarget(i).name
                                          for i in range(relation.getNTargets())]))
    return found


def focused(window):
    for node in nodes(window.frame):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return node.name
    return None


def press(window, key):
    """A key press in the dialog; without a window manager the keyboard
    follows the pointer."""
    x, y, w, h = window.frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + 8), "sleep", "0.2",
                    "key", key], check=True)


def help_windows(pid):
    return [w for w in top_level_windows(pid) if w.name.startswith("Orlavo Help")]


def main():
    program_path = sys.argv[1]
    check = Check()
    with virtual_desktop(), tempfile.TemporaryDirectory() as config:
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        with running([program_path], env) as program:
            window = Window(program.pid)
            wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
            check.equal("names and roles of the focus stops", focus_stops(window), CONTROLS)
            named = [name for role, name in CONTROLS if role != "push button" and "radio" not in role]
            check.equal("each field labelled by its own label", labelled_by(window),
                        [(name, [name]) for name in named])

            window.click("HELP")
            wait_for("help beside the dialog", lambda: help_windows(program.pid), 30)
            # The dialog takes input while help is open.
            window.click("Start Scan")
            wait_for("the first check", lambda: window.status()[0] == "Check NG", 60)
            check.equal("focus after Start Scan", focused(window), "Stop Scan")
            check.equal("buttons while scanning",
                        [window.enabled(b) for b in ("EXIT", "Start Scan", "Stop Scan")],
                        [False, False, True])
            window.click("Stop Scan")
            wait_for("STOP after Stop Scan", lambda: window.status() == ("STOP", "STOP"), 30)
            check.equal("focus after Stop Scan", focused(window), "Start Scan")
            check.equal("help still open", len(help_windows(program.pid)), 1)

            window.click("Start Scan")
            wait_for("the second scan", lambda: window.enabled("Stop Scan"), 60)
            press(window, "Escape")
            check.equal("Escape during a scan with help open ends the program",
                        program.wait(timeout=30), 0)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
