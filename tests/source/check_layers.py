#!/usr/bin/env python3
"""Fails when a project #include goes against the layers, which are

    app -> ui -> live -> mail, settings -> monitor

A folder includes its own headers and those of the folders below it, never
one above or beside it; so app/ and ui/ can never include each other both
ways. The core (monitor, mail, settings, live) and what is built on it alone
(tools, bench) include no GUI toolkit header; only bench's reference dialog,
which stands for the toolkit itself, does.

    check_layers.py SOURCE-DIR    checks the tree
    check_layers.py --self-test   checks that a bad tree fails
"""

import pathlib
import re
import sys
import tempfile

CORE = {"monitor", "mail", "settings", "live"}
# What each folder may include besides its own headers.
BELOW = {
    "monitor": set(),
    "mail": {"monitor"},
    "settings": {"monitor"},
    "live": {"monitor", "mail", "settings"},
    "ui": CORE | {"res"},
    "app": CORE | {"ui", "res"},
    "tools": {"monitor"},
    # The mail benchmark sends to the scripted SMTP server the tests use.
    "bench": CORE | {"tests"},
}
REFERENCE_DIALOG = pathlib.Path("bench/reference_dialog.cpp")
TOOLKIT = re.compile(r'#\s*include\s*<(wx|gtk|gdk|glib)/')
PROJECT = re.compile(r'#\s*include\s*"([^/"]+)/')


def problems(root):
    found = []
    for folder, allowed in BELOW.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in {".h", ".cpp"}:
                continue
            for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                where = f"{path.relative_to(root)}:{number}: {line.strip()}"
                if (folder not in {"ui", "app"} and TOOLKIT.search(line) and
                        path.relative_to(root) != REFERENCE_DIALOG):
                    found.append(f"{where}: the core includes no GUI toolkit")
                match = PROJECT.search(line)
                if match and match.group(1) not in allowed | {folder}:
                    found.append(f"{where}: {folder}/ may not include {match.group(1)}/")
    return found


def self_test():
    bad = {
        "monitor/a.cpp": '#include <wx/string.h>\n',
        "mail/b.cpp": '#include "ui/monitor_dlg.h"\n',
        "settings/c.h": '#include "app/help_book.h"\n',
        "monitor/d.h": '#include "mail/report_mail.h"\n',
        "ui/e.cpp": '#include "app/about_dlg.h"\n',
        "app/f.cpp": '#include "ui/monitor_dlg.h"\n',
        "live/g.cpp": '#  include <gtk/gtk.h>\n',
    }
    with tempfile.TemporaryDirectory() as directory:
        root = pathlib.Path(directory)
        for name, text in bad.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        reported = problems(root)
    # Every file but app/f.cpp, whose include goes the right way, is reported.
    expected = sorted(name for name in bad if name != "app/f.cpp")
    got = sorted(line.split(":")[0] for line in reported)
    if got != expected:
        print("self-test: expected", expected, "got", reported)
        return 1
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    found = problems(pathlib.Path(sys.argv[1]))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
