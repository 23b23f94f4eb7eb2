#!/usr/bin/python3
"""A real SMTP server (aiosmtpd) that stores each message it accepts.

The message data as the server took it goes to DIR/mail-N.eml, the envelope
to DIR/envelope-N.txt.
"""
import argparse
import os
import signal
import threading

from aiosmtpd.controller import Controller


class Store:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0
        self.lock = threading.Lock()

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            self.count += 1
            number = self.count
        base = os.path.join(self.directory, f"mail-{number}")
        with open(base + ".part", "wb") as f:
            f.write(envelope.original_content)
        lines = [f"MAIL FROM:{envelope.mail_from}"] + [f"RCPT TO:{r}" for r in envelope.rcpt_tos]
        with open(os.path.join(self.directory, f"envelope-{number}.txt"), "w") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(base + ".part", base + ".eml")
        return "250 Message accepted for delivery"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=25)
    parser.add_argument("--dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    controller = Controller(Store(args.dir), hostname="127.0.0.1", port=args.port)
    controller.start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *unused: stop.set())
    signal.signal(signal.SIGINT, lambda *unused: stop.set())
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    main()
