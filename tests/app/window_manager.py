#!/usr/bin/python3
"""The built program under a window manager (openbox) on a virtual X display:
the title bar offers minimise and close but neither maximise nor resizing,
"HELP" opens help above the dialog, the dialog still takes clicks with help
open, its size holds when the title line arrives, and Escape then ends the
program, help and all.

  private_desktop.sh window_manager.py PROGRAM
"""
import os
import subprocess
import sys
import tempfile

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, Window, running, top_level_windows, virtual_desktop, wait_for  # noqa: E402

ACTIONS = ["_NET_WM_ACTION_CLOSE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT",
           "_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_RESIZE"]


def root_windows(prop):
    """The window ids a property of the root window lists."""
    out = subprocess.run(["xprop", "-root", "-notype", prop], check=True, capture_output=True,
                         text=True).stdout
    return [w.strip() for w in out.split("#", 1)[1].split(",")] if "#" in out else []


def window_property(window_id, prop):
    return subprocess.run(["xprop", "-id", window_id, "-notype", prop], check=True,
                          capture_output=True, text=True).stdout


def managed(title_start):
    """The ids of the managed windows whose title starts so, bottom to top."""
    return [w for w in root_windows("_NET_CLIENT_LIST_STACKING")
            if window_property(w, "_NET_WM_NAME").split("=", 1)[-1].strip().strip('"')
            .startswith(title_start)]


def size(window):
    _, _, width, height = window.frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return width, height


def main():
    program_path = sys.argv[1]
    check = Check()
    with virtual_desktop(), tempfile.TemporaryDirectory() as config:
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        # The window manager keeps its log and settings in the test's folder.
        manager_env = dict(env, XDG_CACHE_HOME=config, XDG_DATA_HOME=config)
        with running(["openbox", "--sm-disable"], manager_env):
            wait_for("the window manager", lambda: root_windows("_NET_SUPPORTING_WM_CHECK"))
            with running([program_path], env) as program:
                window = Window(program.pid)
                wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
                dialog = wait_for("the dialog managed", lambda: managed("Orlavo"))[0]
                allowed = window_property(dialog, "_NET_WM_ALLOWED_ACTIONS")
                check.equal("title bar actions", [a for a in ACTIONS if a in allowed],
                            ["_NET_WM_ACTION_CLOSE", "_NET_WM_ACTION_MINIMIZE"])
                before = size(window)

                window.click("HELP")
                wait_for("help managed", lambda: managed("Orlavo Help"))
                check.equal("help above the dialog",
                            root_windows("_NET_CLIENT_LIST_STACKING")[-1],
                            managed("Orlavo Help")[0])
                window.click("Start Scan")
                wait_for("the first check", lambda: window.status()[0] == "Check NG", 60)
                check.equal("buttons while scanning",
                            [window.enabled(b) for b in ("EXIT", "Start Scan", "Stop Scan")],
                            [False, False, True])
                check.equal("size kept with the title line", size(window), before)
                check.equal("help still open", len([w for w in top_level_windows(program.pid)
                                                    if w.name.startswith("Orlavo Help")]), 1)
                # The click gave the dialog the keyboard.
                wait_for("the dialog to take the keyboard",
                         lambda: window.frame.getState().contains(pyatspi.STATE_ACTIVE))
                subprocess.run(["xdotool", "key", "Escape"], check=True)
                check.equal("Escape during a scan with help open ends the program",
                            program.wait(timeout=30), 0)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
