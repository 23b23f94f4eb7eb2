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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import start_accessibility, start_xvfb, top_level_windows, wait_for  # noqa: E402

FAILURE_TEXT = "Windows ｿｹｯﾄの初期化に失敗しました。"


def labels(node):
    found = []
    stack = [node]
    while stack:
        current = stack.pop()
        if current.getRoleName() == "label":
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
    xvfb, display = start_xvfb()
    program = None
    failures = 0
    try:
        os.environ["DISPLAY"] = display
        start_accessibility()
        with tempfile.TemporaryDirectory() as config:
            env = dict(os.environ, XDG_CONFIG_HOME=config, LD_PRELOAD=failing_library)
            program = subprocess.Popen([program_path], env=env)
            box = wait_for("the message box", lambda: [
                w for w in top_level_windows(program.pid) if FAILURE_TEXT in labels(w)], 30)[0]
            titles = window_titles(program.pid)
            expected = [os.path.basename(program_path)]
            for what, ok in [(f"one window, the message box, titled {expected}", titles == expected)]:
                print(("ok: " if ok else "FAIL: ") + what + ("" if ok else f" (windows: {titles})"))
                failures += 0 if ok else 1
            # Without a window manager the keyboard follows the pointer.
            x, y, w, h = box.queryComponent().getExtents(0)
            subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2),
                            "sleep", "0.3", "key", "Return"], check=True)
            status = program.wait(timeout=30)
            program = None
            for what, ok in [("failing exit status", status != 0),
                             ("no settings file", not os.listdir(config))]:
                print(("ok: " if ok else "FAIL: ") + what)
                failures += 0 if ok else 1
    finally:
        if program is not None:
            program.kill()
            program.wait()
        xvfb.kill()
        xvfb.wait()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
