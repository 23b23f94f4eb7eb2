"""The program's window as a user meets it: a display, real input events, and
what the window shows, read through the desktop's accessibility interface.
Nodes are told apart by their role's constant (pyatspi.ROLE_*), never by its
name: at-spi2-core renames roles ("push button" is "button" from 2.53.1 on)."""
import contextlib
import ctypes
import ctypes.util
import os
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import Gio, GLib

# A test stopped from outside (ctest's time limit, a developer's kill) still
# runs its clean-up: its servers, displays and folders go with it.
signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))


def wait_for(what, probe, timeout=30.0, interval=0.1):
    """Polls probe until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


def popen(command, **kwargs):
    """The command as a child that the kernel ends when this process ends, as
    it does when a library aborts it: nothing it started runs on."""
    return subprocess.Popen(["setpriv", "--pdeathsig", "KILL", "--", *command], **kwargs)


def start_xvfb(screen="1024x768x24"):
    """Starts Xvfb on a free display; returns (process, display name)."""
    read_end, write_end = os.pipe()
    process = popen(
        # -noreset: what a client leaves on the display (X resources) stays
        # after it disconnects.
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if not number:
        raise AssertionError("Xvfb did not start")
    return process, ":" + number


# How long the session bus may take to start the accessibility bus on a
# loaded machine; it takes well under a second on an idle one.
BUS_START_LIMIT_MS = 60000


def start_accessibility():
    """Brings up this session's accessibility bus and its registry before the
    program starts, so that the program finds them at once when it registers.
    The bus's address goes into the environment, which the program inherits:
    there the toolkit looks first, before the X display's AT_SPI_BUS property,
    which names whatever bus set it last, not necessarily this session's."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                              GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE,
                              BUS_START_LIMIT_MS, None)
    os.environ["AT_SPI_BUS_ADDRESS"] = reply.unpack()[0]
    wait_for("the accessibility registry", lambda: pyatspi.Registry.getDesktop(0) is not None)


@contextlib.contextmanager
def virtual_desktop(screen="1024x768x24"):
    """A virtual display with its accessibility bus, for one with block."""
    xvfb, display = start_xvfb(screen)
    os.environ["DISPLAY"] = display
    try:
        start_accessibility()
        yield
    finally:
        xvfb.kill()
        xvfb.wait()


@contextlib.contextmanager
def running(command, env):
    """The command as a process that does not outlive the with block."""
    process = popen(command, env=env)
    try:
        yield process
    finally:
        if process.poll() is None:
            process.kill()
        process.wait()


def stop_processes(processes):
    """Ends every process still running, the last started first: politely,
    then for good after 10 s."""
    for process in reversed(processes):
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


class Check:
    """Prints each check's outcome and counts the failures."""

    def __init__(self):
        self.failures = 0

    def equal(self, what, got, expected):
        if got == expected:
            print(f"ok: {what}")
        else:
            self.failures += 1
            print(f"FAIL: {what}\n  expected: {expected!r}\n  got:      {got!r}")


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class _ServerCursorImage(ctypes.Structure):
    """XFixesCursorImage."""
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class _ThemeCursorImage(ctypes.Structure):
    """XcursorImage."""
    _fields_ = [("version", ctypes.c_uint), ("size", ctypes.c_uint),
                ("width", ctypes.c_uint), ("height", ctypes.c_uint),
                ("xhot", ctypes.c_uint), ("yhot", ctypes.c_uint), ("delay", ctypes.c_uint),
                ("pixels", ctypes.POINTER(ctypes.c_uint))]


class _ThemeCursorImages(ctypes.Structure):
    """XcursorImages."""
    _fields_ = [("nimage", ctypes.c_int),
                ("images", ctypes.POINTER(ctypes.POINTER(_ThemeCursorImage))),
                ("name", ctypes.c_char_p)]


def _x_libraries():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes"))
    xcursor = ctypes.CDLL(ctypes.util.find_library("Xcursor"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_ServerCursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xcursor.XcursorGetTheme.restype = ctypes.c_char_p
    xcursor.XcursorGetTheme.argtypes = [ctypes.c_void_p]
    xcursor.XcursorGetDefaultSize.argtypes = [ctypes.c_void_p]
    xcursor.XcursorLibraryLoadImages.restype = ctypes.POINTER(_ThemeCursorImages)
    xcursor.XcursorLibraryLoadImages.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int]
    xcursor.XcursorImagesDestroy.argtypes = [ctypes.POINTER(_ThemeCursorImages)]
    return x11, xfixes, xcursor


def cursor_shown_is(name):
    """Whether the X server shows now one of the images (an animated cursor
    has several) of the cursor theme's cursor of that name, as the toolkit
    loads it: same theme and size."""
    x11, xfixes, xcursor = _x_libraries()
    display = x11.XOpenDisplay(None)
    if not display:
        raise AssertionError("cannot open the X display")
    try:
        shown = xfixes.XFixesGetCursorImage(display)
        if not shown:
            raise AssertionError("the X server gave no cursor image")
        image = shown.contents
        pixels = [image.pixels[i] & 0xFFFFFFFF for i in range(image.width * image.height)]
        size = (image.width, image.height)
        x11.XFree(shown)
        theme = xcursor.XcursorLibraryLoadImages(name.encode(), xcursor.XcursorGetTheme(display),
                                                 xcursor.XcursorGetDefaultSize(display))
        if not theme:
            raise AssertionError(f"the cursor theme has no {name!r} cursor")
        try:
            for i in range(theme.contents.nimage):
                frame = theme.contents.images[i].contents
                if (frame.width, frame.height) == size and \
                        frame.pixels[:frame.width * frame.height] == pixels:
                    return True
            return False
        finally:
            xcursor.XcursorImagesDestroy(theme)
    finally:
        x11.XCloseDisplay(display)


def top_level_windows(pid):
    """The accessible top-level windows of the process."""
    desktop = pyatspi.Registry.getDesktop(0)
    windows = []
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                windows += [app.getChildAtIndex(j) for j in range(app.childCount)]
        except Exception:
            continue  # an application that went away while being asked
    return windows


def nodes(root):
    """Every accessible node below root, root first, in the tree's order."""
    stack = [root]
    while stack:
        node = stack.pop(0)
        yield node
        stack[0:0] = [node.getChildAtIndex(i) for i in range(node.childCount)]


class Window:
    """The program's main dialog, found by its process id."""

    def __init__(self, pid, timeout=30.0):
        self.frame = wait_for("the program's window in the accessibility tree",
                              lambda: self._find_frame(pid), timeout)

    @staticmethod
    def _find_frame(pid):
        for window in top_level_windows(pid):
            if window.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG) and \
                    window.name.startswith("Orlavo"):
                return window
        return None

    def nodes(self):
        return nodes(self.frame)

    def title(self):
        return self.frame.name

    def button(self, label):
        for node in self.nodes():
            if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == label:
                return node
        raise AssertionError(f"no button {label!r}")

    def texts(self):
        """The texts of the edit fields, in the order of the window's tree."""
        out = []
        for node in self.nodes():
            if node.getRole() == pyatspi.ROLE_TEXT:
                t = node.queryText()
                out.append(t.getText(0, t.characterCount))
        return out

    def status(self):
        """(HTTP status, mail status): the two fields the labels name."""
        texts = self.texts()
        return texts[5], texts[6]

    def enabled(self, label):
        return self.button(label).getState().contains(pyatspi.STATE_SENSITIVE)

    def click(self, label):
        """Presses the button with a real pointer event at its centre."""
        x, y, w, h = self.button(label).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x + w // 2), str(y + h // 2),
                        "click", "1"], check=True)
