#!/usr/bin/python3
"""End-to-end: the built program, as a user runs it, against a simulated router
on 127.0.0.1:80 and a mail server on 127.0.0.1:25.

Runs inside a private network namespace (the ports are the product's own) and
a private D-Bus session (the window is read through the accessibility bus):

  private_desktop.sh run_program.py --program PATH --smtp recording --shots DIR
"""
import argparse
import os
import socket
import stat
import sys
import shutil
import tempfile
import time

from desktop import (Check, Window, popen, screenshot, start_accessibility, start_xvfb,
                     stop_processes, wait_for)

HERE = os.path.dirname(os.path.abspath(__file__))
FIRST_ADDRESS = "203.0.113.45"
SECOND_ADDRESS = "198.51.100.23"

SETTINGS = """[ROUTER]
IP-ADDRESS=127.0.0.1
USER-NAME=admin
PASSWORD=s3cret
[MAIL]
SCAN-TIME=0
MAIL-COUNT=2
MAIL-TO0=friend@example.com
MAIL-TO1=family@example.com
FROM-ADDRESS=owner@example.com
SMTP-SERVER=127.0.0.1
MAIL-SUBJECT=Router report
"""


def title_line(address):
    return f"Orlavo<IP:{address}> <UL: 1024kbps> <DL: 8064kbps>"


REPORT_MAIL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                           "report_mail.txt")


def report(address):
    """The message data as the server receives it, up to the final "."."""
    with open(REPORT_MAIL, encoding="utf-8") as golden:
        text = golden.read()
    fields = {"{from}": "owner@example.com", "{subject}": "Router report", "{address}": address,
              "{uplink}": "1024kbps", "{downlink}": "8064kbps"}
    for name, value in fields.items():
        text = text.replace(name, value)
    return text.replace("\n", "\r\n").encode()


def transcript(address):
    commands = ["HELO 127.0.0.1", "MAIL FROM:<owner@example.com>", "RCPT TO:<owner@example.com>",
                "RCPT TO:<friend@example.com>", "RCPT TO:<family@example.com>", "DATA"]
    return ("".join(c + "\r\n" for c in commands).encode() + report(address) + b".\r\nQUIT\r\n")


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def read_file(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--smtp", choices=["recording", "aiosmtpd"], default="recording")
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="orlavo-e2e-")
    config = os.path.join(work, "config")
    mail_dir = os.path.join(work, "mail")
    address_file = os.path.join(work, "address")
    os.makedirs(config)
    with open(address_file, "w") as f:
        f.write(FIRST_ADDRESS)
    settings_path = os.path.join(config, "Orlavo.INI")
    with open(os.open(settings_path, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
        f.write(SETTINGS)

    children = []
    check = Check()
    try:
        xvfb, display = start_xvfb()
        children.append(xvfb)
        os.environ["DISPLAY"] = display
        children.append(popen(
            [sys.executable, os.path.join(HERE, "router_sim.py"), "--port", "80",
             "--user", "admin", "--password", "s3cret", "--address-file", address_file]))
        smtp_script = "smtp_recorder.py" if args.smtp == "recording" else "aiosmtpd_store.py"
        children.append(popen(
            [sys.executable, os.path.join(HERE, smtp_script), "--port", "25", "--dir", mail_dir]))
        wait_for("the router and the mail server", lambda: listening(80) and listening(25))

        start_accessibility()
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        program = popen([args.program], env=env)
        children.append(program)
        window = Window(program.pid)
        shot = lambda name: screenshot(os.path.join(args.shots, f"{args.smtp}-{name}.png"))
        wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))
        check.equal("title at start", window.title(), "Orlavo")
        shot("1-start")

        window.click("Start Scan")
        wait_for("the first report", lambda: window.status() == ("Check OK", "OK. Send."), 60)
        check.equal("title after the first check", window.title(), title_line(FIRST_ADDRESS))
        check.equal("buttons while scanning",
                    [window.enabled(b) for b in ("EXIT", "Start Scan", "Stop Scan")],
                    [False, False, True])
        first = wait_for("the first mail", lambda: read_file(os.path.join(mail_dir, "mail-1.eml")))
        check.equal("first report as stored", first, report(FIRST_ADDRESS))
        if args.smtp == "recording":
            session = wait_for("the first session",
                               lambda: read_file(os.path.join(mail_dir, "session-1.txt")))
            check.equal("first SMTP session, every byte", session, transcript(FIRST_ADDRESS))
        saved = read_file(settings_path).decode()
        check.equal("settings saved at Start keep the interval as index 0",
                    "SCAN-TIME=0\n" in saved and "MAIL-COUNT=2\n" in saved, True)
        check.equal("settings file still private", stat.S_IMODE(os.stat(settings_path).st_mode), 0o600)
        shot("2-first-report")

        with open(address_file, "w") as f:
            f.write(SECOND_ADDRESS)
        wait_for("the refresh check's title",
                 lambda: window.title() == title_line(SECOND_ADDRESS), 30)
        check.equal("no second mail before the periodic check",
                    os.path.exists(os.path.join(mail_dir, "mail-2.eml")), False)
        shot("3-refreshed-title")
        second = wait_for("the second mail",
                          lambda: read_file(os.path.join(mail_dir, "mail-2.eml")), 60)
        check.equal("second report as stored", second, report(SECOND_ADDRESS))
        wait_for("the periodic check's texts", lambda: window.status() == ("Check OK", "OK. Send."))
        shot("4-second-report")

        window.click("Stop Scan")
        wait_for("STOP after Stop Scan", lambda: window.status() == ("STOP", "STOP"), 30)
        check.equal("buttons after Stop",
                    [window.enabled(b) for b in ("EXIT", "Start Scan", "Stop Scan")],
                    [True, True, False])
        check.equal("title kept after Stop", window.title(), title_line(SECOND_ADDRESS))
        shot("5-stopped")

        window.click("EXIT")
        check.equal("exit status", program.wait(timeout=30), 0)
    finally:
        stop_processes(children)
        shutil.rmtree(work, ignore_errors=True)
    print(f"e2e {args.smtp}: {check.failures} checks failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
