#!/usr/bin/python3
"""End-to-end: the built program's reports reach a mail provider that wants
STARTTLS and a login, through msmtpd on 127.0.0.1:25 set up by the README's
recipe, whose /etc/msmtprc this test takes from the README itself.

  private_desktop.sh run_relay.py --program PATH --msmtpd PATH --readme README.md \
      --help-page res/help/orlavo-help/mailbox.htm --shots DIR

The provider is aiosmtpd on 127.0.0.1:587 with a certificate from a
throw-away certificate authority made here. The relay runs as Debian's msmtpd
service runs it: as a user of its own in the group msmtp, able to bind port
25 and nothing more, with msmtpd's default pipe command, reading /etc/msmtprc
(mode 0640, group msmtp). That file, the provider's name in /etc/hosts and
the CA bundle holding only the test's authority exist in the relay's own
mount namespace alone, over the machine's /etc.

msmtpd is Debian's, unpacked by scripts/test-tools: installing msmtp-mta
would put it in the place of the machine's mail server. Without msmtp-mta the
machine has no group msmtp either (its maintainer scripts make it); the relay
then gets one of its own, in its /etc/group.
"""
import argparse
import contextlib
import email.utils
import grp
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

from desktop import Check, Window, running, screenshot, virtual_desktop, wait_for
from run_program import (FIRST_ADDRESS, SECOND_ADDRESS, SETTINGS, listening, read_file, report,
                         title_line)

HERE = os.path.dirname(os.path.abspath(__file__))
PROVIDER_HOST = "smtp.example.net"
ACCOUNT = "owner@example.com"  # the sender in SETTINGS, as the recipe asks
PASSWORD = "Tr0ub4dor-3"
RECIPIENTS = [ACCOUNT, "friend@example.com", "family@example.com"]
# An unused uid, as the service manager hands out for the service's run.
SERVICE_UID = 61184
# The group msmtp when the machine has none: an unused gid.
OWN_MSMTP_GID = 61185

# Puts the relay's files over /etc in a mount namespace of its own, then runs
# the rest of the arguments there:  sh -c RELAY_ETC sh MOUNT_DIR FILES CMD...
RELAY_ETC = """set -eu
mount -t tmpfs -o mode=0755 relay-etc "$1"
mkdir "$1/upper" "$1/work"
cp -a "$2/." "$1/upper/"
mount -t overlay relay-etc -o "lowerdir=/etc,upperdir=$1/upper,workdir=$1/work" /etc
shift 2
exec "$@"
"""


def recipe_msmtprc(readme):
    """The indented block of the README that begins with "# /etc/msmtprc"."""
    with open(readme) as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("    # /etc/msmtprc"))
    block = []
    for line in lines[start:]:
        if line and not line.startswith("    "):
            break
        block.append(line[4:])
    return "\n".join(block).strip() + "\n"


def help_msmtprc(page):
    """The help book's copy of the recipe: the <pre> block that begins with
    "# /etc/msmtprc"."""
    with open(page) as f:
        found = re.search(r"<pre>(# /etc/msmtprc.*?)</pre>", f.read(), re.S)
    return html.unescape(found.group(1)).strip() + "\n" if found else None


def fill_in(recipe, password):
    """The recipe with the blanks it leaves to the user filled in."""
    for blank, value in (("you@example.net", ACCOUNT), ("your-password", password)):
        if blank not in recipe:
            raise AssertionError(f"the recipe has no {blank!r} to fill in")
        recipe = recipe.replace(blank, value)
    return recipe


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def make_certificates(directory):
    """A certificate authority and the provider's certificate signed by it."""
    ca, server = os.path.join(directory, "ca"), os.path.join(directory, "server")
    key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes"]
    openssl("req", "-x509", *key, "-keyout", ca + ".key", "-out", ca + ".crt", "-days", "2",
            "-subj", "/CN=Orlavo test CA", "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", *key, "-keyout", server + ".key", "-out", server + ".csr",
            "-subj", f"/CN={PROVIDER_HOST}")
    with open(server + ".ext", "w") as f:
        f.write(f"subjectAltName=DNS:{PROVIDER_HOST}\nbasicConstraints=CA:FALSE\n"
                "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", server + ".csr", "-CA", ca + ".crt", "-CAkey", ca + ".key",
            "-CAcreateserial", "-days", "2", "-extfile", server + ".ext", "-out", server + ".crt")
    return ca + ".crt", server + ".crt", server + ".key"


def msmtp_group():
    """The gid of the group msmtp, and whether the relay's /etc/group must
    name it."""
    try:
        return grp.getgrnam("msmtp").gr_gid, False
    except KeyError:
        pass
    try:
        taken = grp.getgrgid(OWN_MSMTP_GID).gr_name
    except KeyError:
        return OWN_MSMTP_GID, True
    raise AssertionError(f"gid {OWN_MSMTP_GID}, meant for the relay's msmtp, is {taken}'s")


def stage_relay_etc(directory, msmtprc, ca_cert, group):
    """The files the relay sees in /etc: the recipe's msmtprc with the recipe's
    owner and mode, the group msmtp if the machine has none, the provider's
    name, and a CA bundle of the test's CA."""
    gid, own_group = group
    os.makedirs(os.path.join(directory, "ssl", "certs"))
    if own_group:
        with open("/etc/group") as f:
            groups = f.read()
        with open(os.path.join(directory, "group"), "w") as f:
            f.write(groups + ("" if groups.endswith("\n") else "\n") + f"msmtp:x:{gid}:\n")
    shutil.copy(ca_cert, os.path.join(directory, "ssl", "certs", "ca-certificates.crt"))
    with open(os.path.join(directory, "hosts"), "w") as f:
        f.write(f"127.0.0.1 localhost\n127.0.0.1 {PROVIDER_HOST}\n::1 localhost\n")
    path = os.path.join(directory, "msmtprc")
    with open(path, "w") as f:
        f.write(msmtprc)
    os.chown(path, 0, gid)
    os.chmod(path, 0o640)


def relay_command(mount_dir, etc_files, msmtpd, gid):
    service = ["setpriv", f"--reuid={SERVICE_UID}", f"--regid={SERVICE_UID}", f"--groups={gid}",
               "--inh-caps=-all,+net_bind_service", "--ambient-caps=-all,+net_bind_service",
               "--bounding-set=-all,+net_bind_service", "--no-new-privs",
               msmtpd, "--interface=127.0.0.1", "--port=25"]
    return ["unshare", "-m", "sh", "-c", RELAY_ETC, "sh", mount_dir, etc_files, *service]


def added_header(stored, address):
    """The header lines that arrived in front of the program's report, or None
    when the report is not the stored mail's whole end."""
    ending = report(address)
    if not stored or not stored.endswith(ending):
        return None
    return stored[:-len(ending)].decode()


def header_fields(text):
    """(name, value) pairs, folded lines unfolded."""
    unfolded = re.sub(r"\r\n[ \t]", " ", text)
    return [tuple(line.split(": ", 1)) for line in unfolded.split("\r\n") if line]


def check_delivery(check, what, mail_dir, number, address):
    stored = read_file(os.path.join(mail_dir, f"mail-{number}.eml"))
    added = added_header(stored, address)
    check.equal(f"{what}: the program's sixteen lines end the stored mail", added is not None, True)
    pairs = header_fields(added or "")
    fields = dict(pairs)
    check.equal(f"{what}: header fields the relay added", sorted(name for name, _ in pairs),
                ["Date", "From", "Message-ID", "Received"])
    check.equal(f"{what}: From is the envelope sender", fields.get("From"), ACCOUNT)
    check.equal(f"{what}: Date is a date",
                email.utils.parsedate_tz(fields.get("Date", "")) is not None, True)
    check.equal(f"{what}: Message-ID has its form",
                re.fullmatch(r"<[^<>@\s]+@[^<>@\s]+>", fields.get("Message-ID", "")) is not None,
                True)
    envelope = read_file(os.path.join(mail_dir, f"envelope-{number}.txt")).decode().splitlines()
    check.equal(f"{what}: envelope, TLS and login at the provider", envelope,
                [f"MAIL FROM:{ACCOUNT}"] + [f"RCPT TO:{r}" for r in RECIPIENTS] +
                ["TLS:TLSv1.3", f"AUTH:{ACCOUNT}"])


def mapped(id_map, number):
    """Whether the id exists in this process's user namespace: outside the
    machine's own, only those its creator mapped do."""
    with open(id_map) as f:
        for line in f:
            inner, _, count = (int(field) for field in line.split())
            if inner <= number < inner + count:
                return True
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--msmtpd", required=True)
    parser.add_argument("--readme", required=True)
    parser.add_argument("--help-page", required=True)
    parser.add_argument("--shots", required=True)
    args = parser.parse_args()
    # The relay needs a user and group other than the caller's, which the user
    # namespace a plain user gets (tests/support/private-net) does not map.
    # Debian 13's msmtp makes no group msmtp; the relay then brings its own.
    group = msmtp_group()[0]
    if not (mapped("/proc/self/uid_map", SERVICE_UID) and mapped("/proc/self/gid_map", group)):
        print(f"SKIP: the relay runs as a user of its own (uid {SERVICE_UID}, group msmtp), which "
              "a plain user's namespace does not have; run this test as root")
        return 77
    os.makedirs(args.shots, exist_ok=True)
    recipe = recipe_msmtprc(args.readme)
    check = Check()
    check.equal("the help book shows the README's recipe", help_msmtprc(args.help_page), recipe)
    if not os.path.exists(args.msmtpd):
        sys.exit(f"e2e relay: {args.msmtpd} is missing: run scripts/install-deps test")
    work = tempfile.mkdtemp(prefix="orlavo-relay-")
    # The service's user must reach msmtpd; the cache it comes from may be
    # in a home folder closed to others, and work is root's alone.
    service_bin = tempfile.mkdtemp(prefix="orlavo-relay-bin-")
    try:
        os.chmod(service_bin, 0o755)
        msmtpd = shutil.copy(args.msmtpd, os.path.join(service_bin, "msmtpd"))
        os.chmod(msmtpd, 0o755)
        config, mail_dir, etc_files, mount_dir = (
            os.path.join(work, name) for name in ("config", "mail", "etc", "mnt"))
        address_file = os.path.join(work, "address")
        for directory in (config, mount_dir):
            os.makedirs(directory)
        with open(address_file, "w") as f:
            f.write(FIRST_ADDRESS)
        with open(os.open(os.path.join(config, "Orlavo.INI"), os.O_WRONLY | os.O_CREAT, 0o600),
                  "w") as f:
            f.write(SETTINGS)
        ca_cert, server_cert, server_key = make_certificates(work)
        group = msmtp_group()
        stage_relay_etc(etc_files, fill_in(recipe, PASSWORD), ca_cert, group)
        logins = os.path.join(mail_dir, "logins.txt")
        shot = lambda name: screenshot(os.path.join(args.shots, f"relay-{name}.png"))

        with contextlib.ExitStack() as stack:
            service_env = {"PATH": "/usr/bin:/bin", "HOME": "/"}
            stack.enter_context(running(
                [sys.executable, os.path.join(HERE, "aiosmtpd_store.py"), "--port", "587",
                 "--dir", mail_dir, "--login", f"{ACCOUNT}:{PASSWORD}",
                 "--cert", server_cert, "--key", server_key], os.environ))
            relay = stack.enter_context(running(relay_command(mount_dir, etc_files, msmtpd, group[0]), service_env))
            stack.enter_context(running(
                [sys.executable, os.path.join(HERE, "router_sim.py"), "--port", "80",
                 "--user", "admin", "--password", "s3cret", "--address-file", address_file],
                os.environ))
            wait_for("the provider, the relay and the router",
                     lambda: listening(587) and listening(25) and listening(80))
            relay_msmtprc = f"/proc/{relay.pid}/root/etc/msmtprc"
            check.equal("the relay reads the recipe's file", read_file(relay_msmtprc),
                        fill_in(recipe, PASSWORD).encode())

            stack.enter_context(virtual_desktop())
            program = stack.enter_context(
                running([args.program], dict(os.environ, XDG_CONFIG_HOME=config)))
            window = Window(program.pid)
            wait_for("the first window texts", lambda: window.status() == ("STOP", "STOP"))

            window.click("Start Scan")
            wait_for("the first report", lambda: window.status() == ("Check OK", "OK. Send."), 60)
            check_delivery(check, "first report", mail_dir, 1, FIRST_ADDRESS)
            shot("1-delivered")

            # The provider stops taking the relay's password; the router
            # changes its address before the first periodic check.
            with open(relay_msmtprc, "w") as f:
                f.write(fill_in(recipe, "outdated-password"))
            with open(address_file, "w") as f:
                f.write(SECOND_ADDRESS)
            wait_for("the refused report", lambda: window.status() == ("Check OK", "Error."), 60)
            check.equal("title with the new address", window.title(), title_line(SECOND_ADDRESS))
            check.equal("logins so far", read_file(logins),
                        f"{ACCOUNT} accepted\n{ACCOUNT} refused\n".encode())
            check.equal("nothing delivered for the refused login",
                        os.path.exists(os.path.join(mail_dir, "mail-2.eml")), False)
            shot("2-refused")

            # Corrected in the file alone: msmtp reads it for every mail.
            with open(relay_msmtprc, "w") as f:
                f.write(fill_in(recipe, PASSWORD))
            wait_for("the report at the next periodic check",
                     lambda: window.status() == ("Check OK", "OK. Send."), 45)
            check_delivery(check, "report tried again", mail_dir, 2, SECOND_ADDRESS)
            check.equal("one login per report", read_file(logins),
                        f"{ACCOUNT} accepted\n{ACCOUNT} refused\n{ACCOUNT} accepted\n".encode())
            shot("3-delivered-again")

            window.click("Stop Scan")
            wait_for("STOP after Stop Scan", lambda: window.status() == ("STOP", "STOP"), 30)
            window.click("EXIT")
            check.equal("exit status", program.wait(timeout=30), 0)
    finally:
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(service_bin, ignore_errors=True)
    print(f"e2e relay: {check.failures} checks failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
