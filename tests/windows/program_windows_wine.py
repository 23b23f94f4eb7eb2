#!/usr/bin/python3
"""What the Windows program shows besides its main window, under Wine: the
help viewer with its contents tree, tool bar and status bar, the about box
with its picture and texts, and the message box of a help book that is
missing. The toolkit is built with only the features the program uses; this
shows that those are enough.

  program_windows_wine.py --prefix WINEPREFIX --program Orlavo.exe
      --probe window_probe.exe --shots DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

from wine_desktop import (WINE, WineWindow, private_prefix, program_arguments,  # noqa: E402
                          start_xvfb, wait_for)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, screenshot, stop_processes  # noqa: E402

PASSWORD, HELP = 1003, 1014
HELP_FAILED = "ﾍﾙﾌﾟの起動に失敗しました。"
CONTENTS_ENTRIES = 6


def of_class(controls, window_class):
    return [c for c in controls if c.window_class == window_class]


def press_button(window, controls, label):
    """Presses the button of that label with a real pointer event."""
    buttons = [c for c in of_class(controls, "Button") if c.text == label]
    window.click_at(*buttons[0].centre)


def about_box(window, check, shot):
    # Right below the password field the dialog shows nothing but itself.
    x, y = window.centre(PASSWORD)
    window.click_at(x, y + 24, button=3)
    window.click_at(*wait_for("the dialog's menu", window.menu_centre))
    about = wait_for("the about box", lambda: window.controls("*", "Orlavo AboutBox"))
    shot("about-box")
    check.equal("the about box shows its picture",
                any(c.items == 1 for c in of_class(about, "Static")), True)
    texts = [c.text for c in about]
    for line in ("Orlavo Version 1.00", "Copyright (C) 2002 Pellworth Inc.", "OK"):
        check.equal(f"the about box says {line!r}", line in texts, True)
    press_button(window, about, "OK")
    wait_for("the about box to close", lambda: window.controls("*", "Orlavo AboutBox") is None)


def help_viewer(window, check, shot):
    window.click(HELP)

    def filled():
        viewer = window.controls("*", "Orlavo Help")
        return viewer if any(c.items for c in of_class(viewer or [], "SysTreeView32")) else None

    viewer = wait_for("the help viewer's contents", filled)
    shot("help-viewer")
    trees = of_class(viewer, "SysTreeView32")
    check.equal("the help viewer lists every contents entry",
                bool(trees) and trees[0].items >= CONTENTS_ENTRIES, True)
    toolbars = of_class(viewer, "ToolbarWindow32")
    check.equal("the help viewer has its tool bar with buttons",
                bool(toolbars) and toolbars[0].items > 0, True)
    check.equal("the help viewer has its status bar",
                bool(of_class(viewer, "msctls_statusbar32")), True)


def missing_book_message(env, probe, program, work, check, shot):
    # The program alone: no help book beside it nor where it is installed.
    alone = os.path.join(work, "alone", "bin")
    os.makedirs(alone)
    shutil.copy(program, alone)
    process = subprocess.Popen(["timeout", "-k", "10", "300", WINE,
                                os.path.join(alone, os.path.basename(program))], env=env)
    try:
        window = WineWindow(env, probe)
        window.click(HELP)
        # The dialog box class is the main window's too; the topmost of
        # them is the message box while it is open.
        def message_box():
            topmost = window.controls("#32770", "") or []
            return topmost if HELP_FAILED in [c.text for c in topmost] else None

        message = wait_for("the message box saying the help could not start", message_box)
        shot("message-box")
        press_button(window, message, "OK")
        wait_for("the message box to close", lambda: message_box() is None)
    finally:
        stop_processes([process])


def main():
    args = program_arguments()
    work = tempfile.mkdtemp(prefix="orlavo-wine-windows-")
    children = []
    check = Check()
    shot = lambda name: screenshot(os.path.join(args.shots, f"wine-{name}.png"))
    try:
        with private_prefix(args.prefix, work) as env:
            xvfb, display = start_xvfb()
            children.append(xvfb)
            os.environ["DISPLAY"] = env["DISPLAY"] = display
            program = subprocess.Popen(["timeout", "-k", "10", "300", WINE, args.program],
                                       env=env)
            children.append(program)
            window = WineWindow(env, args.probe)
            about_box(window, check, shot)
            help_viewer(window, check, shot)
            stop_processes([program])
            subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=False)
            missing_book_message(env, args.probe, args.program, work, check, shot)
    finally:
        stop_processes(children)
        shutil.rmtree(work, ignore_errors=True)
    print(f"windows under Wine: {check.failures} checks failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
