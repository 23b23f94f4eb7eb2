#!/usr/bin/python3
"""The built program at the text scales a user may choose (GDK_DPI_SCALE, and
Xft.dpi as the desktop's large-text setting gives it): no label is cut or
wrapped, none covers another control, and the labels the dialog's template
centres vertically are centred. A screenshot of each scale is left in the
working folder.

  private_desktop.sh text_scales.py PROGRAM
"""
import os
import subprocess
import sys
import tempfile

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, Window, running, virtual_desktop, wait_for  # noqa: E402

# (what the scale is called, environment, X resources)
SCALES = [
    ("0.9", {"GDK_DPI_SCALE": "0.9"}, ""),
    ("1.0", {}, ""),
    ("1.25", {"GDK_DPI_SCALE": "1.25"}, ""),
    ("1.5", {"GDK_DPI_SCALE": "1.5"}, ""),
    ("2.0", {"GDK_DPI_SCALE": "2.0"}, ""),
    ("Xft.dpi 120", {}, "Xft.dpi: 120\n"),
]
CENTRED = {"IPAddress", "USER", "Password", "ScanTime", "HTTP", "Mail"}
# Room for the dialog at twice the text size.
SCREEN = "1600x1200x24"


def box(node):
    x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return x, y, w, h


def text_box(label):
    """The box of a label's characters, and whether they share one line."""
    text = label.queryText()
    first = text.getCharacterExtents(0, pyatspi.DESKTOP_COORDS)
    last = text.getCharacterExtents(text.characterCount - 1, pyatspi.DESKTOP_COORDS)
    return (first[0], first[1], last[0] + last[2] - first[0], first[3]), first[1] == last[1]


def overlaps(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def problems(window):
    """What is wrong with the window's labels, as readable lines."""
    found = []
    all_nodes = list(window.nodes())
    controls = [n for n in all_nodes if n.getState().contains(pyatspi.STATE_FOCUSABLE)
                and n.getState().contains(pyatspi.STATE_SHOWING)]
    labels = [n for n in all_nodes if n.getRole() == pyatspi.ROLE_LABEL and n.name]
    for label in labels:
        outer = box(label)
        inner, one_line = text_box(label)
        if not one_line:
            found.append(f"{label.name!r} wrapped")
        if inner[0] < outer[0] or inner[0] + inner[2] > outer[0] + outer[2]:
            found.append(f"{label.name!r} cut: text {inner}, label {outer}")
        for control in controls:
            if overlaps(outer, box(control)):
                found.append(f"{label.name!r} covers {control.name!r}")
        if label.name in CENTRED:
            offset = (inner[1] + inner[3] / 2) - (outer[1] + outer[3] / 2)
            if abs(offset) > 1:
                found.append(f"{label.name!r} not centred vertically: {offset:+.1f} px")
    return found


def main():
    program_path = sys.argv[1]
    check = Check()
    for name, env_extra, resources in SCALES:
        with virtual_desktop(SCREEN), tempfile.TemporaryDirectory() as config:
            if resources:
                subprocess.run(["xrdb", "-nocpp", "-merge"], input=resources, text=True, check=True)
            env = dict(os.environ, XDG_CONFIG_HOME=config, **env_extra)
            with running([program_path], env) as program:
                window = Window(program.pid)
                wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
                check.equal(f"labels at text scale {name}", problems(window), [])
                x, y, w, h = box(window.frame)
                subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                                f"text_scale_{name.replace(' ', '_')}.png"], check=True)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
