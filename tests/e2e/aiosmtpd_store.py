#!/usr/bin/python3
"""A real SMTP server (aiosmtpd) that stores each message it accepts.

The message data as the server took it goes to DIR/mail-N.eml, the envelope
to DIR/envelope-N.txt.

With --login USER:PASSWORD it plays a mail provider's submission server: it
offers STARTTLS with --cert and --key, takes AUTH only over TLS and mail only
after a login with that user name and password. Each login attempt is
appended to DIR/logins.txt ("USER accepted" or "USER refused"), and the
envelope file also records the TLS version and the user logged in.
"""
import argparse
import logging
import os
import signal
import ssl
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


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
        if session.ssl is not None:
            lines.append(f"TLS:{session.ssl['ssl_object'].version()}")
        if session.authenticated:
            lines.append(f"AUTH:{session.auth_data.login.decode()}")
        with open(os.path.join(self.directory, f"envelope-{number}.txt"), "w") as f:
            f.write("\n".join(lines) + "\n")
        os.rename(base + ".part", base + ".eml")
        return "250 Message accepted for delivery"


def provider_options(args):
    """The server options of a submission server that wants TLS and a login."""
    user, password = args.login.split(":", 1)
    log = os.path.join(args.dir, "logins.txt")
    lock = threading.Lock()

    def authenticator(server, session, envelope, mechanism, auth_data):
        accepted = auth_data.login == user.encode() and auth_data.password == password.encode()
        with lock, open(log, "a") as f:
            f.write(f"{auth_data.login.decode()} {'accepted' if accepted else 'refused'}\n")
        return AuthResult(success=accepted, handled=False, auth_data=auth_data)

    # aiosmtpd warns about its own deprecated field at every login.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    return dict(tls_context=context, require_starttls=True, auth_required=True,
                auth_require_tls=True, authenticator=authenticator)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=25)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--login", help="USER:PASSWORD")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    options = provider_options(args) if args.login else {}
    controller = Controller(Store(args.dir), hostname="127.0.0.1", port=args.port, **options)
    controller.start()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *unused: stop.set())
    signal.signal(signal.SIGINT, lambda *unused: stop.set())
    stop.wait()
    controller.stop()


if __name__ == "__main__":
    main()
