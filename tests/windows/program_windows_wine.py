#!/usr/bin/python3
"""What the Windows program shows besides its main window, under Wine: the
about box, from the dialog's own menu and from the system menu, with its
picture and texts; help at the topic of the window that has the focus for F1
and at the contents for "HELP", in the help viewer with its contents tree,
tool bar and status bar; every control's accessible name and role as the
program itself reads them through Windows' accessibility interface (Wine
does not pass that interface between programs); the message box of a help
book that is missing; and the one message box of Windows Sockets that cannot
be started, after which the program ends. The toolkit is built with only the
features the program uses; this shows that those are enough.

  program_windows_wine.py --prefix WINEPREFIX --program Orlavo.exe
      --probe window_probe.exe --shots DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

from wine_desktop import (WINE, WineWindow, app_data, private_prefix,  # noqa: E402
                          program_arguments, start_xvfb, wait_for)

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "app"))
from desktop import Check, screenshot, stop_processes  # noqa: E402
# What a screen reader finds on Linux is what it must find here.
from window_access import CONTROLS  # noqa: E402
import pyatspi  # noqa: E402

IP_ADDRESS, PASSWORD, SUBJECT, HELP = 1001, 1003, 1013, 1014
HELP_FAILED = "ﾍﾙﾌﾟの起動に失敗しました。"
SOCKETS_FAILED = "Windows ｿｹｯﾄの初期化に失敗しました。"
CONTENTS_ENTRIES = 6
# The help viewer's title names the page it shows: the book's first page for
# the contents, the topic of the dialog that has the focus for F1.
CONTENTS_PAGE, MAIN_DIALOG_TOPIC, ABOUT_BOX_TOPIC = (
    "What Orlavo does", "The main window", "The about box")

# Windows' accessible roles (oleacc.h) of the roles that GTK gives on Linux.
ROLE_CLIENT, ROLE_TEXT, ROLE_PUSH_BUTTON, ROLE_RADIO_BUTTON, ROLE_COMBO_BOX = (
    0x0A, 0x2A, 0x2B, 0x2D, 0x2E)
STATE_PROTECTED = 0x20000000
WINDOWS_ROLES = {pyatspi.ROLE_PUSH_BUTTON: ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT: ROLE_TEXT,
                 pyatspi.ROLE_PASSWORD_TEXT: ROLE_TEXT, pyatspi.ROLE_RADIO_BUTTON: ROLE_RADIO_BUTTON,
                 pyatspi.ROLE_COMBO_BOX: ROLE_COMBO_BOX}
# Wine's accessibility library has the system's own object for edits alone:
# a button, radio button or list answers as the client area of a window,
# with its name.
WINE_GENERIC_ROLE = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX}


def of_class(controls, window_class):
    return [c for c in controls if c.window_class == window_class]


def press_button(window, controls, label):
    """Presses the button of that label with a real pointer event."""
    buttons = [c for c in of_class(controls, "Button") if c.text == label]
    window.click_at(*buttons[0].centre)


def open_from_context_menu(window):
    # Right below the password field the dialog shows nothing but itself.
    x, y = window.centre(PASSWORD)
    window.click_at(x, y + 24, button=3)
    window.click_at(*wait_for("the dialog's menu", window.menu_centre))


def open_from_system_menu(window, shot):
    # The subject field shows below the help viewer; a click there gives the
    # dialog the keyboard.
    window.click(SUBJECT)
    subprocess.run(["xdotool", "key", "alt+space"], check=True, timeout=30)
    left, top, right, bottom = wait_for("the system menu", window.menu_rect)
    shot("system-menu")
    # The about-box item comes last. (Wine's menus take no keys from xdotool.)
    window.click_at((left + right) // 2, bottom - 8)


def about_box(window, check, shot, how):
    about = wait_for("the about box", lambda: window.controls("*", "Orlavo AboutBox"))
    shot("about-box-" + how.replace(" ", "-"))
    check.equal(f"the about box from the {how} shows its picture",
                any(c.items == 1 for c in of_class(about, "Static")), True)
    texts = [c.text for c in about]
    for line in ("Orlavo Version 1.00", "Copyright (C) 2002 Pellworth Inc.", "OK"):
        check.equal(f"the about box from the {how} says {line!r}", line in texts, True)
    return about


def help_page(window, page, shot, name):
    """Waits for the help viewer to show that page."""
    wait_for(f"the help viewer at {page!r}", lambda: window.controls("*", f"Orlavo Help: {page}"))
    shot(name)


def help_viewer(window, check, shot):
    # F1 in a field asks for the main dialog's topic.
    window.click(IP_ADDRESS)
    subprocess.run(["xdotool", "key", "F1"], check=True, timeout=30)
    help_page(window, MAIN_DIALOG_TOPIC, shot, "help-f1")
    window.click(HELP)

    def filled():
        viewer = window.controls("*", f"Orlavo Help: {CONTENTS_PAGE}")
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


def accessible_names(path, check):
    """The controls as the program read them through Windows' accessibility
    interface, in its own process: the focus stops in tab order, each with
    the name and role a screen reader finds on Linux."""
    wait_for("the program's list of accessible names", lambda: os.path.exists(path))
    with open(path, encoding="utf-8") as f:
        rows = [line.rstrip("\n").split("\t", 3) for line in f]
    stops = [(int(role), int(state), name) for role, state, focus, name in rows if focus == "1"]
    check.equal("the focus stops and their accessible names, in tab order",
                [name for _, _, name in stops], [name for _, name in CONTROLS])
    for (role, state, name), (linux_role, _) in zip(stops, CONTROLS):
        roles = {WINDOWS_ROLES[linux_role]}
        if linux_role in WINE_GENERIC_ROLE:
            roles.add(ROLE_CLIENT)
        check.equal(f"{name!r}: the role of a {linux_role}, protected if a password",
                    (role in roles, bool(state & STATE_PROTECTED)),
                    (True, linux_role == pyatspi.ROLE_PASSWORD_TEXT))


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


def sockets_refused(env, probe, program, check, shot):
    """Windows Sockets refusing to start, through the program's own test
    seam: one message box, captioned with the program's name, no dialog, no
    settings, and the program ends once the box is dismissed."""
    refused = dict(env, ORLAVO_TEST_REFUSE_SOCKETS="1")
    process = subprocess.Popen(["timeout", "-k", "10", "300", WINE, program], env=refused)
    try:
        window = WineWindow(env, probe, wait=False)

        def message_box():
            box = window.controls("#32770", "") or []
            return box if SOCKETS_FAILED in [c.text for c in box] else None

        box = wait_for("the message box saying Windows Sockets could not start", message_box, 60)
        shot("sockets-refused")
        check.equal("the only window is the message box, titled with the program's name",
                    WineWindow.visible_titles(), ["Orlavo"])
        check.equal("no main dialog", window.shown(), False)
        press_button(window, box, "OK")
        check.equal("the program ends with a failing exit status once it is dismissed",
                    process.wait(timeout=60) != 0, True)
        check.equal("no settings written", os.path.exists(os.path.join(app_data(env), "Orlavo")),
                    False)
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
            names = os.path.join(work, "accessible-names.txt")
            program = subprocess.Popen(["timeout", "-k", "10", "300", WINE, args.program],
                                       env=dict(env, ORLAVO_TEST_ACCESSIBLE_NAMES="Z:" + names))
            children.append(program)
            window = WineWindow(env, args.probe)
            accessible_names(names, check)
            open_from_context_menu(window)
            about = about_box(window, check, shot, "context menu")
            press_button(window, about, "OK")
            wait_for("the about box to close",
                     lambda: window.controls("*", "Orlavo AboutBox") is None)
            help_viewer(window, check, shot)
            open_from_system_menu(window, shot)
            about_box(window, check, shot, "system menu")
            # F1 in the about box asks for its own topic.
            subprocess.run(["xdotool", "key", "F1"], check=True, timeout=30)
            help_page(window, ABOUT_BOX_TOPIC, shot, "help-f1-about-box")
            stop_processes([program])
            subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=False)
            missing_book_message(env, args.probe, args.program, work, check, shot)
            subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=False)
            sockets_refused(env, args.probe, args.program, check, shot)
    finally:
        stop_processes(children)
        shutil.rmtree(work, ignore_errors=True)
    print(f"windows under Wine: {check.failures} checks failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
