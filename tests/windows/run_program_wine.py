#!/usr/bin/python3
"""End-to-end under Wine: the Windows program, as a user runs it, against a
simulated router on 127.0.0.1:80 and a recording mail server on 127.0.0.1:25,
the same servers and checks as the Linux end-to-end test.

Runs inside a private network namespace with a Wine server of its own there:

  private_desktop.sh run_program_wine.py --prefix WINEPREFIX --program Orlavo.exe
      --probe window_probe.exe --shots DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop import Check, screenshot, stop_processes, wait_for  # noqa: E402
from run_program import (FIRST_ADDRESS, SECOND_ADDRESS, SETTINGS, listening,  # noqa: E402
                         read_file, report, title_line, transcript)
from wine_desktop import (WINE, WineWindow, app_data, private_prefix, program_arguments,  # noqa: E402
                          start_xvfb)

E2E = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e")
START, EXIT, STOP = 1000, 1, 1012


def main():
    args = program_arguments()
    work = tempfile.mkdtemp(prefix="orlavo-wine-e2e-")
    mail_dir = os.path.join(work, "mail")
    address_file = os.path.join(work, "address")
    with open(address_file, "w") as f:
        f.write(FIRST_ADDRESS)

    children = []
    check = Check()
    try:
        with private_prefix(args.prefix, work) as env:
            settings_dir = os.path.join(app_data(env), "Orlavo")
            os.makedirs(settings_dir)
            settings_path = os.path.join(settings_dir, "Orlavo.INI")
            with open(settings_path, "w") as f:
                f.write(SETTINGS)

            xvfb, display = start_xvfb()
            children.append(xvfb)
            os.environ["DISPLAY"] = env["DISPLAY"] = display
            children.append(subprocess.Popen(
                [sys.executable, os.path.join(E2E, "router_sim.py"), "--port", "80",
                 "--user", "admin", "--password", "s3cret", "--address-file", address_file]))
            children.append(subprocess.Popen(
                [sys.executable, os.path.join(E2E, "smtp_recorder.py"), "--port", "25",
                 "--dir", mail_dir]))
            wait_for("the router and the mail server", lambda: listening(80) and listening(25))

            program = subprocess.Popen(["timeout", "-k", "10", "600", WINE, args.program],
                                       env=env)
            children.append(program)
            window = WineWindow(env, args.probe)
            shot = lambda name: screenshot(os.path.join(args.shots, f"wine-{name}.png"))
            wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
            check.equal("title at start", window.title(), "Orlavo")
            check.equal("router address from the settings file", window.text(1001), "127.0.0.1")
            shot("1-start")

            window.click(START)
            wait_for("the first report", lambda: window.status() == ("Check OK", "OK. Send."), 90)
            check.equal("title after the first check", window.title(),
                        title_line(FIRST_ADDRESS))
            check.equal("buttons while scanning",
                        [window.enabled(b) for b in (EXIT, START, STOP)], [False, False, True])
            session = wait_for("the first session",
                               lambda: read_file(os.path.join(mail_dir, "session-1.txt")))
            check.equal("first SMTP session, every byte", session, transcript(FIRST_ADDRESS))
            check.equal("first report as stored",
                        read_file(os.path.join(mail_dir, "mail-1.eml")), report(FIRST_ADDRESS))
            saved = read_file(settings_path).decode()
            check.equal("settings saved at Start keep the interval as index 0",
                        "SCAN-TIME=0\n" in saved and "MAIL-COUNT=2\n" in saved, True)
            shot("2-first-report")

            with open(address_file, "w") as f:
                f.write(SECOND_ADDRESS)
            wait_for("the refresh check's title",
                     lambda: window.title() == title_line(SECOND_ADDRESS), 40)
            shot("3-refreshed-title")
            second = wait_for("the second mail",
                              lambda: read_file(os.path.join(mail_dir, "mail-2.eml")), 90)
            check.equal("second report as stored", second, report(SECOND_ADDRESS))
            shot("4-second-report")

            window.click(STOP)
            wait_for("STOP after Stop Scan", lambda: window.status() == ("STOP", "STOP"), 30)
            check.equal("buttons after Stop",
                        [window.enabled(b) for b in (EXIT, START, STOP)], [True, True, False])
            check.equal("title kept after Stop", window.title(), title_line(SECOND_ADDRESS))
            shot("5-stopped")

            window.click(EXIT)
            check.equal("exit status", program.wait(timeout=60), 0)
    finally:
        stop_processes(children)
        shutil.rmtree(work, ignore_errors=True)
    print(f"e2e under Wine: {check.failures} checks failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
