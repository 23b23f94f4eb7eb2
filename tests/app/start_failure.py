#!/usr/bin/python3
"""The built program when its network layer cannot be started: one message box
with the start-up failure text, captioned with the program's name, no main
window, no settings file, and a failing exit status once it is dismissed.

  start_failure.py PROGRAM FAILING-LIBRARY
"""
import os
import subprocess
import sys
import tempfile

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, running, top_level_windows, virtual_desktop, wait_for  # noqa: E402

FAILURE_TEXT = "Windows ｿｹｯﾄの初期化に失敗しました。"


def labels(node):
    found = []
    stack = [node]
    while stack:
        current = stack.pop()
        if current.getRole() == pyatspi.ROLE_LABEL:
            found.append(current.name)
        stack += [current.getChildAtIndex(i) for i in range(current.childCount)]
    return found


def window_titles(pid):
    """The titles of the process's visible X windows, as a window manager shows
    them (the accessible name of a message box is its kind, not its title)."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True).stdout.split()
    return [subprocess.run(["xdotool", "getwindowname", w], capture_output=True,
                           text=True).stdout.strip() for w in found]


def main():
    program_path, failing_library = sys.argv[1], sys.argv[2]
    check = Check()
    with virtual_desktop(), tempfile.TemporaryDirectory() as config:
        env = dict(os.environ, XDG_CONFIG_HOME=config, LD_PRELOAD=failing_library)
        with running([program_path], env) as program:
            box = wait_for("the message box", lambda: [
                w for w in top_level_windows(program.pid) if FAILURE_TEXT in labels(w)], 30)[0]
            check.equal("the only window is the message box, titled with the program's name",
                        window_titles(program.pid), [os.path.basename(program_path)])
            # Without a window manager the keyboard follows the pointer.
            x, y, w, h = box.queryComponent().getExtents(0)
            subprocess.run(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + h // 2)],
                           check=True)
            wait_for("the message box to take the keyboard",
                     lambda: box.getState().contains(pyatspi.STATE_ACTIVE))
            subprocess.run(["xdotool", "key", "Return"], check=True)
            check.equal("failing exit status", program.wait(timeout=30) != 0, True)
        check.equal("no settings file", os.listdir(config), [])
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
