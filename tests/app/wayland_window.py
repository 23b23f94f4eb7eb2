#!/usr/bin/python3
"""The built program under Wayland: a compositor (weston) nested in a virtual
X display gives it a seat, and GTK talks Wayland to it. The window has its
minimise button, a scan starts and stops, the title line arrives, and the
window keeps its size when it does.

  private_desktop.sh wayland_window.py PROGRAM
"""
import contextlib
import os
import socket
import subprocess
import sys
import tempfile

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, Window, popen, running, virtual_desktop, wait_for  # noqa: E402

SOCKET = "orlavo-wayland-test"
E2E = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e")
SETTINGS = "[ROUTER]\nIP-ADDRESS=127.0.0.1\nUSER-NAME=admin\nPASSWORD=s3cret\n"
TITLE = "Orlavo<IP:203.0.113.45> <UL: 1024kbps> <DL: 8064kbps>"


@contextlib.contextmanager
def quiet(command, env=None):
    """The command as a quiet process that does not outlive the with block."""
    process = popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        yield process
    finally:
        process.kill()
        process.wait()


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def press(window, label):
    """Presses the button through its accessible action: the pointer of the
    nested compositor is not the X server's."""
    window.button(label).queryAction().doAction(0)


def size(window):
    _, _, width, height = window.frame.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return width, height


def title_bar_buttons(window):
    return [node.name for node in window.nodes() if node.getRole() == pyatspi.ROLE_PUSH_BUTTON]


def main():
    program_path = sys.argv[1]
    check = Check()
    with virtual_desktop(), tempfile.TemporaryDirectory() as config:
        runtime = os.environ["XDG_RUNTIME_DIR"]
        address = os.path.join(config, "address")
        with open(address, "w") as f:
            f.write("203.0.113.45")
        with open(os.path.join(config, "Orlavo.INI"), "w") as f:
            f.write(SETTINGS)
        # The compositor's graphics library keeps its shader cache in the
        # test's folder.
        with quiet(["weston", "--backend=x11-backend.so", f"--socket={SOCKET}",
                    "--width=1000", "--height=740", "--idle-time=0"],
                   dict(os.environ, XDG_CACHE_HOME=config)), \
                quiet([sys.executable, os.path.join(E2E, "router_sim.py"), "--port", "80",
                       "--user", "admin", "--password", "s3cret", "--address-file", address]):
            wait_for("the compositor and the router",
                     lambda: os.path.exists(os.path.join(runtime, SOCKET)) and listening(80))
            env = dict(os.environ, XDG_CONFIG_HOME=config, GDK_BACKEND="wayland",
                       WAYLAND_DISPLAY=SOCKET)
            env.pop("DISPLAY")
            with running([program_path], env) as program:
                window = Window(program.pid)
                wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
                check.equal("title at start", window.title(), "Orlavo")
                check.equal("the title bar has minimise and close, no maximise",
                            sorted(set(title_bar_buttons(window)) & {"Minimize", "Maximize", "Close"}),
                            ["Close", "Minimize"])
                before = size(window)
                press(window, "Start Scan")
                wait_for("the title line", lambda: window.title() == TITLE, 60)
                check.equal("buttons while scanning",
                            [window.enabled(b) for b in ("EXIT", "Start Scan", "Stop Scan")],
                            [False, False, True])
                check.equal("size kept with the title line", size(window), before)
                press(window, "Stop Scan")
                wait_for("STOP after Stop Scan", lambda: window.status() == ("STOP", "STOP"), 30)
                press(window, "EXIT")
                check.equal("exit status", program.wait(timeout=30), 0)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
