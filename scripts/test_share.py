#!/usr/bin/env python3
"""Prints how much of the C++ code is tests: the lines of *_test.cpp files and of testing/ against
all other C++ files that git tracks, counting neither blank lines nor lines that hold only a
comment.

Usage: scripts/test_share.py [--limit PERCENT]   exit status 1 when the share is above PERCENT
"""
import argparse
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCES = ("*.cpp", "*.h")
COMMENT_ONLY = re.compile(r"^\s*(//.*)?$")


def code_lines(path):
    """Lines that are neither blank nor only a // comment (the code uses no block comments)."""
    text = (ROOT / path).read_text(encoding="utf-8", errors="replace")
    return sum(1 for line in text.splitlines() if not COMMENT_ONLY.match(line))


def is_test(path):
    return path.name.endswith("_test.cpp") or path.parts[0] == "testing"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--limit", type=float, help="fail above this share, in percent")
    limit = parser.parse_args().limit
    files = subprocess.run(["git", "ls-files", *SOURCES], cwd=ROOT, check=True,
                           capture_output=True, text=True).stdout.split()
    tests = code = 0
    for name in files:
        path = pathlib.PurePosixPath(name)
        lines = code_lines(path)
        if is_test(path):
            tests += lines
        else:
            code += lines
    share = 100.0 * tests / code
    print(f"test share: {tests} lines of tests against {code} lines of other code: {share:.1f} %")
    if limit is not None and share > limit:
        print(f"test share: above the limit of {limit:g} %")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
