#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Every example command of the help page (a <code> or <pre> of
class="example") and of the manual pages (the .nf blocks under
BEISPIELE) runs as printed: in a shell, with the built tools first on PATH,
against a program directory of its own in which the program runs on the
simulated dial-up network, as a user's would. The help names the autostart
file the program writes."""

import argparse
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

from program import Program
from records import tariff, user_file


def help_texts(path):
    """Each <code> and <pre> of the help page: its class and its text."""
    with open(path, encoding="utf-8") as f:
        page = f.read()
    pattern = r'<(code|pre)(?: class="([^"]*)")?>(.*?)</\1>'
    return [(cls, html.unescape(re.sub("<[^>]+>", "", text))) for _, cls, text in re.findall(pattern, page, re.S)]


def man_examples(path):
    """The lines of the no-fill blocks in a page's BEISPIELE section, with
    roff's escapes as man shows them."""
    commands, section, nofill = [], None, False
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith(".SH"):
                section = line[3:].strip().strip('"')
            elif line.startswith(".nf"):
                nofill = True
            elif line.startswith(".fi"):
                nofill = False
            elif nofill and section == "BEISPIELE" and line.strip() and not line.startswith("."):
                commands.append(line.replace("\\-", "-").replace("\\(Bq", "„").replace("\\(lq", "“"))
    return commands


def run_examples(source, commands, env, cwd):
    """Runs each command; the failures, each with its output."""
    failures = []
    for command in commands:
        # The first word that sets no variable.
        tool = next((word for word in command.split() if "=" not in word), "")
        if not tool.startswith("tarifuhr"):
            failures.append(f"{source}: „{command}“ is no command of this program")
            continue
        p = subprocess.run(["bash", "-c", command], env=env, cwd=cwd, capture_output=True, text=True, timeout=60)
        print(f"{source}: {command} -> {p.returncode}")
        if p.returncode != 0:
            failures.append(f"{source}: „{command}“ ended with {p.returncode}:\n{p.stdout}{p.stderr}")
    return failures


def run_page(source, commands, args, bin_dir):
    """A page's examples, in order, on a program directory of their own
    with the user Erika the report examples name; the failures."""
    p = Program(args.program, args.sim, user_title="Erika", user_data=user_file("Erika", [
        tariff("Modem", "Beispiel-Modem", PricePerMinute=1.5)]))
    cwd = os.path.join(p.home, "work")
    os.makedirs(cwd)
    try:
        # The program writes its sample entries at start and counts what
        # the examples dial.
        p.start()
        env = dict(p.env, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))
        failures = run_examples(source, commands, env, cwd)
        rc = p.stop()
        if rc != 0:
            failures.append(f"{source}: the program ended with {rc}:\n{p.output}")
        # A report example's output goes where the example sends it.
        for name in os.listdir(cwd):
            with open(os.path.join(cwd, name), "rb") as f:
                if f.readline() != b"entry,start,end,seconds,received,sent,cost\r\n":
                    failures.append(f"{source}: {name} is no log as CSV")
        return failures
    finally:
        p.remove()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--report", required=True)
    ap.add_argument("--help-page", required=True)
    ap.add_argument("--man", required=True, nargs="+")
    ap.add_argument("--app-id", required=True)
    args = ap.parse_args()

    texts = help_texts(args.help_page)
    commands = [line.strip() for cls, text in texts if cls == "example" for line in text.splitlines() if line.strip()]
    # That there are examples of every tool the page describes; they run below.
    for tool in ("tarifuhr-sim dial", "tarifuhr-report", "tarifuhr "):
        assert any(c.startswith(tool) for c in commands), (tool, commands)
    autostart = [text for cls, text in texts if cls == "autostart"]
    assert autostart == [f"~/.config/autostart/{args.app_id}.desktop"], autostart
    # A manual page the help sends the reader to is one of those checked here.
    pages = {os.path.basename(man) for man in args.man}
    named = [text.split()[1] + ".1" for _, text in texts if text.startswith("man ")]
    assert named and set(named) <= pages, (named, pages)

    # The tools under the names the pages give them, as an installed
    # program has them on PATH.
    bin_dir = tempfile.mkdtemp(prefix="tarifuhr-bin-")
    for name, built in (("tarifuhr", args.program), ("tarifuhr-sim", args.sim), ("tarifuhr-report", args.report)):
        os.symlink(os.path.abspath(built), os.path.join(bin_dir, name))
    failures = [f"{man}: no examples" for man in args.man if not man_examples(man)]
    try:
        failures += run_page("help", commands, args, bin_dir)
        for man in args.man:
            failures += run_page(os.path.basename(man), man_examples(man), args, bin_dir)
    finally:
        shutil.rmtree(bin_dir, ignore_errors=True)
    for failure in failures:
        print("FAILED:", failure)
    if failures:
        return 1
    print("help examples: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
