#!/usr/bin/python3
"""The Windows installer under Wine: a silent per-user install, the installed
program starts and opens its help book from "HELP", a silent uninstall leaves
the user's files and registry as they were before.

  check_installer_wine.py --prefix WINEPREFIX --installer SETUP.exe
      --probe window_probe.exe --shots DIR
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

from wine_desktop import (WINE, WineWindow, private_prefix, start_xvfb, wait_for,  # noqa: E402
                          wine)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, screenshot  # noqa: E402

HELP = 1014


def user_files(prefix):
    """Every file and folder under the prefix's users, relative."""
    root = os.path.join(prefix, "drive_c", "users")
    found = set()
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def user_registry(prefix):
    with open(os.path.join(prefix, "user.reg"), encoding="utf-8", errors="replace") as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--installer", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="orlavo-wine-setup-")
    check = Check()
    xvfb = None
    try:
        with private_prefix(args.prefix, work) as env:
            prefix = env["WINEPREFIX"]
            xvfb, display = start_xvfb()
            os.environ["DISPLAY"] = env["DISPLAY"] = display
            before = user_files(prefix)
            check.equal("silent install", wine(env, args.installer, "/S", timeout=300).returncode,
                        0)
            wait_for("the installer's end", lambda: subprocess.run(
                ["wineserver", "-w"], env=env, timeout=120).returncode == 0, 130)
            installed = sorted(p for p in user_files(prefix) - before)
            folder = [p for p in installed if p.endswith(os.path.join("Programs", "Orlavo"))]
            check.equal("one program folder in the user's programs", len(folder), 1)
            program_dir = os.path.join(prefix, "drive_c", "users", folder[0]) if folder else work
            for name in ("Orlavo.exe", "Orlavo.HLP", "Uninstall.exe",
                         os.path.join("orlavo-help", "contents.hhc")):
                check.equal(f"installed {name}",
                            os.path.isfile(os.path.join(program_dir, name)), True)
            check.equal("Start menu entry",
                        any(p.endswith("Orlavo.lnk") for p in installed), True)
            check.equal("uninstall entry", "Uninstall\\\\Orlavo]" in user_registry(prefix), True)

            program = subprocess.Popen(
                ["timeout", "-k", "10", "300", WINE, os.path.join(program_dir, "Orlavo.exe")],
                env=env)
            try:
                window = WineWindow(env, args.probe)
                window.click(HELP)
                check.equal("the help viewer opens the installed help book",
                            bool(wait_for("the help viewer", WineWindow.help_viewer_open, 60)),
                            True)
                screenshot(os.path.join(args.shots, "wine-installed-help.png"))
            finally:
                program.kill()
                program.wait()
                subprocess.run(["wineserver", "-k"], env=env, timeout=30, check=False)
                subprocess.run(["wineserver", "-w"], env=env, timeout=30, check=False)

            uninstall = wine(env, os.path.join(program_dir, "Uninstall.exe"), "/S", timeout=300)
            check.equal("silent uninstall", uninstall.returncode, 0)
            # The uninstaller runs from a copy of itself in the temporary
            # folder, which the next start of the system removes: that start.
            # The copy's folder is listed for removal before the copy, so it
            # stays, empty, as NSIS's uninstallers leave it on Windows too.
            subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=False)
            wine(env, "wineboot", "-r", timeout=300)
            subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=False)
            left = sorted(user_files(prefix) - before)
            copy_folders = [p for p in left if re.fullmatch(r"[^/]+/Temp/~nsu\d*\.tmp", p)]
            check.equal("the uninstaller's copy removed at the next start",
                        [os.listdir(os.path.join(prefix, "drive_c", "users", p))
                         for p in copy_folders], [[]] * len(copy_folders))
            check.equal("files left behind", [p for p in left if p not in copy_folders], [])
            registry = user_registry(prefix)
            check.equal("registry keys left behind",
                        ["Software\\\\Orlavo]" in registry, "Uninstall\\\\Orlavo]" in registry],
                        [False, False])
    finally:
        if xvfb is not None:
            xvfb.kill()
            xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)
    print(f"installer under Wine: {check.failures} checks failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
