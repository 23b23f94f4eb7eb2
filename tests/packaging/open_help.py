#!/usr/bin/python3
"""Starts the given program on a virtual display, presses "HELP" and checks
that the help viewer opens on the program's help book."""
import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Window, running, top_level_windows, virtual_desktop, wait_for  # noqa: E402


def help_viewer(pid):
    return any("Orlavo Help" in window.name for window in top_level_windows(pid))


def main():
    with virtual_desktop(), tempfile.TemporaryDirectory() as config:
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        with running([sys.argv[1]], env) as program:
            Window(program.pid).click("HELP")
            wait_for("the help viewer", lambda: help_viewer(program.pid), 30)
            print("ok: the installed program opened its help book")


if __name__ == "__main__":
    main()
