"""The Windows program's window under Wine as a user meets it: a virtual
display, real pointer events, the title as X11 shows it, and the controls'
texts read by a small Windows program (window_probe.exe) in the same Wine."""
import argparse
import collections
import contextlib
import glob
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import start_xvfb, wait_for  # noqa: E402,F401

# items counts a tree's entries and a tool bar's buttons, and is 1 for a
# static control that shows a picture; centre is on the screen.
Control = collections.namedtuple("Control", "window_class items centre text")

HERE = os.path.dirname(os.path.abspath(__file__))
WINE = "/usr/lib/wine/wine64"
WINE_RUN = os.path.join(HERE, "wine-run")


@contextlib.contextmanager
def private_prefix(prefix, work):
    """A linked copy of the build's Wine prefix with a Wine server of its own,
    ended with the with block. Yields the environment to run Wine in."""
    copy = os.path.join(work, "prefix")
    subprocess.run([WINE_RUN, "--copy", prefix, copy], check=True, timeout=600)
    env = dict(os.environ, WINEPREFIX=copy, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    try:
        yield env
    finally:
        subprocess.run([WINE_RUN, "--stop-server", copy], timeout=120, check=False)


def program_arguments():
    """The arguments of a test that runs the program: --prefix (the build's
    Wine prefix), --program, --probe (window_probe.exe) and --shots (the
    screenshots' folder, made here)."""
    parser = argparse.ArgumentParser()
    for name in ("--prefix", "--program", "--probe", "--shots"):
        parser.add_argument(name, required=True)
    args = parser.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    return args


def app_data(env):
    """%APPDATA% of the prefix's user, as a Linux path."""
    roaming = glob.glob(os.path.join(env["WINEPREFIX"], "drive_c", "users", "*", "AppData",
                                     "Roaming"))
    roaming = [r for r in roaming if "/Public/" not in r]
    if len(roaming) != 1:
        raise AssertionError(f"no single user AppData folder: {roaming}")
    return roaming[0]


def wine(env, *args, timeout=60):
    return subprocess.run([WINE, *args], env=env, timeout=timeout, check=False,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)


class WineWindow:
    """The program's main dialog: the top-level window holding "Start Scan"."""

    def __init__(self, env, probe, wait=True):
        """Waits for the window unless told not to."""
        self.env = env
        self.probe = probe
        if wait:
            wait_for("the program's window", self.shown, 60)

    def shown(self):
        return self._probe("centre", 1000) is not None

    def _probe(self, *args):
        result = wine(self.env, self.probe, *map(str, args))
        return result.stdout.rstrip("\n") if result.returncode == 0 else None

    def controls(self, window_class, title):
        """[Control] of the visible top-level window of that class ("*":
        any) whose title starts with title; None while there is none."""
        listing = self._probe("controls", window_class, title)
        if listing is None:
            return None
        rows = [line.split("\t", 3) for line in listing.splitlines()]
        return [Control(name, int(items), tuple(map(int, centre.split())), text)
                for name, items, centre, text in rows]

    def click_at(self, x, y, button=1):
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)],
                       check=True, timeout=30)

    def centre(self, control):
        x, y = self._probe("centre", control).split()
        return int(x), int(y)

    def menu_rect(self):
        """The open menu's screen rectangle (left, top, right, bottom), None
        while there is none."""
        found = self._probe("menu")
        return tuple(map(int, found.split())) if found else None

    def menu_centre(self):
        """The screen centre of the open menu, None while there is none."""
        found = self.menu_rect()
        return ((found[0] + found[2]) // 2, (found[1] + found[3]) // 2) if found else None

    def text(self, control):
        return self._probe("text", control)

    def status(self):
        """(HTTP status, mail status)."""
        return self.text(1010), self.text(1011)

    def enabled(self, control):
        return self._probe("enabled", control) == "1"

    def click(self, control):
        """Presses the control with a real pointer event at its centre."""
        self.click_at(*self.centre(control))

    @staticmethod
    def title():
        """The X11 name of the visible top-level window whose name starts with
        "Orlavo" and is not the help viewer's."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Orlavo"],
                               stdout=subprocess.PIPE, text=True, timeout=30, check=False)
        for window in found.stdout.split():
            name = subprocess.run(["xdotool", "getwindowname", window], stdout=subprocess.PIPE,
                                  text=True, timeout=30, check=False).stdout.rstrip("\n")
            if not name.startswith("Orlavo Help"):
                return name
        return None

    @staticmethod
    def visible_titles():
        """The X11 names of the visible windows that have one."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                               stdout=subprocess.PIPE, text=True, timeout=30, check=False)
        names = [subprocess.run(["xdotool", "getwindowname", window], stdout=subprocess.PIPE,
                                text=True, timeout=30, check=False).stdout.rstrip("\n")
                 for window in found.stdout.split()]
        return [name for name in names if name]

    @staticmethod
    def help_viewer_open():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Orlavo Help"],
                               stdout=subprocess.PIPE, text=True, timeout=30, check=False)
        return bool(found.stdout.split())
