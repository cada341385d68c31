#!/usr/bin/env python3
"""Runs the vtutil command-line cases of a table (cli_cases.txt) and reports those that fail.

Each case is one line of five fields separated by "¦" (a broken bar, which neither shell
scripts nor regular expressions use):

    command ¦ standard input ¦ exit status ¦ standard output ¦ standard error

- command: vtutil's arguments as shell words, or "sh: SCRIPT" for a shell script (for set-up,
  pipes and checks of files), which finds the program in $VTUTIL and the table's folder in
  $CASES_DIR.
- standard input: text with \\n, \\t, \\xHH escapes; empty for none.
- exit status: a number.
- standard output, standard error: Python regular expressions searched for in the text; empty
  for "anything" in standard output and for "nothing" in standard error; "-" for nothing at all.

Every case runs in a folder of its own ($WORK, also its HOME, XDG folders and TMPDIR) under
LC_ALL=C.UTF-8. Lines that are blank or start with '#' are comments.

Usage: cli_table.py VTUTIL CASES
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile


def unescape(text):
    return text.encode("latin-1").decode("unicode_escape").encode("latin-1")


def run_case(vtutil, cases, fields):
    command, stdin, status, out_pattern, err_pattern = fields
    with tempfile.TemporaryDirectory(prefix="vtutil-cli-") as work:
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "LC_ALL": "C.UTF-8",
            "VTUTIL": vtutil,
            "CASES_DIR": os.path.dirname(os.path.abspath(cases)),
            "WORK": work,
            "HOME": work,
            "TMPDIR": work,
            "XDG_CONFIG_HOME": os.path.join(work, "config"),
            "XDG_STATE_HOME": os.path.join(work, "state"),
        }
        if command.startswith("sh:"):
            argv = ["sh", "-c", command[3:].strip()]
        else:
            argv = [vtutil] + [w.replace("$WORK", work) for w in shlex.split(command)]
        result = subprocess.run(argv, input=unescape(stdin), capture_output=True, env=env,
                                cwd=work, timeout=60)
    out = result.stdout.decode("utf-8", "backslashreplace")
    err = result.stderr.decode("utf-8", "backslashreplace")
    problems = []
    if result.returncode != int(status):
        problems.append(f"exit status {result.returncode}, expected {status}")
    if out_pattern == "-" and out or out_pattern not in ("", "-") and not re.search(out_pattern, out):
        problems.append(f"standard output {out!r} does not match {out_pattern!r}")
    if err_pattern in ("", "-") and err or err_pattern and err_pattern != "-" and not re.search(
            err_pattern, err):
        problems.append(f"standard error {err!r} does not match {err_pattern or 'nothing'!r}")
    return problems


def main():
    vtutil, cases = os.path.abspath(sys.argv[1]), sys.argv[2]
    failed = 0
    count = 0
    with open(cases, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            fields = [field.strip() for field in line.split("¦")]
            if len(fields) != 5:
                print(f"{cases}:{number}: not five fields", file=sys.stderr)
                return 2
            count += 1
            problems = run_case(vtutil, cases, fields)
            if problems:
                failed += 1
                print(f"{cases}:{number}: {fields[0]}\n  " + "\n  ".join(problems))
    print(f"{count - failed} of {count} cases passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
