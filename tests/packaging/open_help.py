#!/usr/bin/python3
"""Starts the given program on a virtual display, presses "HELP" and checks
that the help viewer opens on the program's help book."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import (Window, start_accessibility, start_xvfb, top_level_windows,  # noqa: E402
                     wait_for)


def help_viewer(pid):
    return any("Orlavo Help" in window.name for window in top_level_windows(pid))


def main():
    program_path = sys.argv[1]
    xvfb, display = start_xvfb()
    program = None
    try:
        os.environ["DISPLAY"] = display
        start_accessibility()
        with tempfile.TemporaryDirectory() as config:
            program = subprocess.Popen([program_path], env=dict(os.environ, XDG_CONFIG_HOME=config))
            window = Window(program.pid)
            window.click("HELP")
            wait_for("the help viewer", lambda: help_viewer(program.pid), 30)
            print("ok: the installed program opened its help book")
    finally:
        if program is not None:
            program.kill()
            program.wait()
        xvfb.kill()
        xvfb.wait()


if __name__ == "__main__":
    main()
