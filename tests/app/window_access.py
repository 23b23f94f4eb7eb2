#!/usr/bin/python3
"""The built program as a keyboard and screen-reader user meets it: every
control's accessible name and role, each label naming only its own control,
radio buttons that each form a group of one, no focus stop that shows
nothing, the busy cursor while the first check waits for a slow router, the
status fields' changes announced, the focus after "Start Scan" and "Stop
Scan", and help open beside the dialog while both stay usable; Escape then
ends the program, help and all.

  private_desktop.sh window_access.py PROGRAM
"""
import os
import socket
import subprocess
import sys
import tempfile

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import (Check, Window, cursor_shown_is, running, top_level_windows,  # noqa: E402
                     virtual_desktop, wait_for)

E2E = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e")
# A router that answers each request 2 s late, and no mail server.
ROUTER_DELAY = "2"
SETTINGS = ("[ROUTER]\nIP-ADDRESS=127.0.0.1\nUSER-NAME=admin\nPASSWORD=s3cret\n"
            "[MAIL]\nSMTP-SERVER=127.0.0.1\n")
# GTK's busy cursor.
BUSY_CURSOR = "watch"

# (role, name) of every control that takes the focus, in tab order.
CONTROLS = [
    (pyatspi.ROLE_PUSH_BUTTON, "EXIT"),
    (pyatspi.ROLE_PUSH_BUTTON, "Start Scan"),
    (pyatspi.ROLE_TEXT, "IPAddress"),
    (pyatspi.ROLE_TEXT, "USER"),
    (pyatspi.ROLE_PASSWORD_TEXT, "Password"),
    (pyatspi.ROLE_COMBO_BOX, "ScanTime"),
    (pyatspi.ROLE_TEXT, "Announcement Mail-Address"),
    (pyatspi.ROLE_RADIO_BUTTON, "Only when changed"),
    (pyatspi.ROLE_RADIO_BUTTON, "Always it informs"),
    (pyatspi.ROLE_TEXT, "Your Mail Address"),
    (pyatspi.ROLE_TEXT, "SMTP Server Address"),
    (pyatspi.ROLE_TEXT, "HTTP"),
    (pyatspi.ROLE_TEXT, "Mail"),
    (pyatspi.ROLE_PUSH_BUTTON, "Stop Scan"),
    (pyatspi.ROLE_TEXT, "Mail Subject"),
    (pyatspi.ROLE_PUSH_BUTTON, "HELP"),
]


# Every node a label names, and every label, in the tree's order: a label
# names the field of its own name; the status box's title names the box itself
# (left alone, it would name the next control, "Stop Scan").
LABELLED = ["IPAddress", "USER", "Password", "ScanTime", "Announcement Mail-Address",
            "Your Mail Address", "SMTP Server Address", "HTTP", "Mail", "STATUS Monitor",
            "Mail Subject"]


def focus_stops(window):
    """(role, name) of every shown node that can take the keyboard focus (a
    combo box takes it through a button of its own, which is not shown in the
    tree)."""
    stops = []
    for node in window.nodes():
        states = node.getState()
        focusable = (states.contains(pyatspi.STATE_FOCUSABLE)
                     or node.getRole() == pyatspi.ROLE_COMBO_BOX)
        if node is not window.frame and focusable and states.contains(pyatspi.STATE_SHOWING):
            stops.append((node.getRole(), node.name))
    return stops


def related(window, relation_type, role=None):
    """(name, the names of its relation's targets) of every node (of the
    role, if given) with a relation of that type."""
    found = []
    for node in window.nodes():
        if role is not None and node.getRole() != role:
            continue
        for relation in node.getRelationSet():
            if relation.getRelationType() == relation_type:
                found.append((node.name, [relation.getTarget(i).name
                                          for i in range(relation.getNTargets())]))
    return found


class TextChanges:
    """The texts inserted into the program's fields, as a screen reader is
    told of them, with the name of the field each went into."""

    def __init__(self):
        self._seen = []
        pyatspi.Registry.registerEventListener(self._on_insert, "object:text-changed:insert")

    def _on_insert(self, event):
        self._seen.append((event.source.name, event.any_data))

    def seen(self):
        context = GLib.MainContext.default()
        for _ in range(10000):
            if not context.iteration(False):
                break
        return list(self._seen)


def status_changes(changes, count):
    """The first count changes of the two status fields, once there are as
    many."""
    found = [change for change in changes if change[0] in ("HTTP", "Mail")]
    return found[:count] if len(found) >= count else None


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def focused(window):
    for node in window.nodes():
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            return node.name
    return None


def press(window, key):
    """A key press in the dialog; without a window manager the keyboard
    follows the pointer."""
    x, y, w, h = window.frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + 8)], check=True)
    wait_for("the dialog to take the keyboard",
             lambda: window.frame.getState().contains(pyatspi.STATE_ACTIVE))
    subprocess.run(["xdotool", "key", key], check=True)


def help_windows(pid):
    return [w for w in top_level_windows(pid) if w.name.startswith("Orlavo Help")]


def start_and_wait_for_first_check(window):
    """Presses "Start Scan" and waits while the first check holds the
    window's thread, which also answers the accessibility bus: meanwhile only
    the X server is asked, for the busy cursor."""
    window.click("Start Scan")
    wait_for("the busy cursor during the first check", lambda: cursor_shown_is(BUSY_CURSOR), 30)
    wait_for("the usual cursor after it", lambda: not cursor_shown_is(BUSY_CURSOR), 60)


def main():
    program_path = sys.argv[1]
    check = Check()
    with virtual_desktop(), tempfile.TemporaryDirectory() as config:
        with open(os.path.join(config, "Orlavo.INI"), "w") as f:
            f.write(SETTINGS)
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        changes = TextChanges()
        with running([sys.executable, os.path.join(E2E, "router_sim.py"), "--port", "80",
                      "--user", "admin", "--password", "s3cret", "--delay", ROUTER_DELAY], None), \
                running([program_path], env) as program:
            wait_for("the router", lambda: listening(80))
            window = Window(program.pid)
            wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
            check.equal("names and roles of the focus stops", focus_stops(window), CONTROLS)
            check.equal("each field labelled by its own label",
                        related(window, pyatspi.RELATION_LABELLED_BY),
                        [(name, [name]) for name in LABELLED])
            check.equal("each label names only what bears its name",
                        related(window, pyatspi.RELATION_LABEL_FOR),
                        [(name, [name]) for name in LABELLED])
            check.equal("radio buttons, each a group of its own",
                        related(window, pyatspi.RELATION_MEMBER_OF, pyatspi.ROLE_RADIO_BUTTON),
                        [("Only when changed", ["Only when changed"]),
                         ("Always it informs", ["Always it informs"])])
            check.equal("the radio buttons' states, on and off",
                        [node.getState().contains(pyatspi.STATE_CHECKED)
                         for node in window.nodes() if node.getRole() == pyatspi.ROLE_RADIO_BUTTON],
                        [True, False])

            window.click("HELP")
            wait_for("help beside the dialog", lambda: help_windows(program.pid), 30)
            # The dialog takes input while help is open.
            before_start = len(changes.seen())
            start_and_wait_for_first_check(window)
            wait_for("the first check and mail",
                     lambda: window.status() == ("Check OK", "Error."), 60)
            check.equal("focus after Start Scan", focused(window), "Stop Scan")
            check.equal("buttons while scanning",
                        [window.enabled(b) for b in ("EXIT", "Start Scan", "Stop Scan")],
                        [False, False, True])
            window.click("Stop Scan")
            wait_for("STOP after Stop Scan", lambda: window.status() == ("STOP", "STOP"), 30)
            check.equal("focus after Stop Scan", focused(window), "Start Scan")
            announced = [("HTTP", "Check OK"), ("Mail", "Error."), ("HTTP", "STOP"),
                         ("Mail", "STOP")]
            check.equal("the status fields' changes announced", wait_for(
                "four status changes announced",
                lambda: status_changes(changes.seen()[before_start:], len(announced))), announced)
            check.equal("help still open", len(help_windows(program.pid)), 1)

            start_and_wait_for_first_check(window)
            wait_for("the second scan", lambda: window.enabled("Stop Scan"), 60)
            press(window, "Escape")
            check.equal("Escape during a scan with help open ends the program",
                        program.wait(timeout=30), 0)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
