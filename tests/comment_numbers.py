#!/usr/bin/python3
"""Fails when a comment points at a numbered section instead of saying what it means.

Usage: comment_numbers.py ROOT_DIR

Comments say in the code's own words what a piece of code holds or why. A comment
that begins with a section number (two slashes, then a number such as 4 dot 120 and a
colon) or names a section by its number explains nothing to the reader of this tree.
Every source file under src/, tools/, tests/, fuzz/ and bench/ is read.
"""
import os
import re
import sys

FOLDERS = ("src", "tools", "tests", "fuzz", "bench")
SUFFIXES = (".h", ".cpp", ".py", ".sh", ".cmake", ".txt")
SKIPPED = ("tests/corpus", "tests/data", "tests/feacompiler/data", "tests/layout/data")

# A comment opener, then a section number with a colon, or a word naming a section by number.
LEADING_NUMBER = re.compile(r"(//|/\*|^\s*\*|^\s*#)\s*\d+\.\d{2,3}:")
NAMED_NUMBER = re.compile(r"(//|/\*|^\s*\*|^\s*#).*\b(?:[Pp]arts?|[Ss]ections?)\s+\d+\.\d{2,3}\b")


def offending_lines(path):
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            if LEADING_NUMBER.search(line) or NAMED_NUMBER.search(line):
                yield number, line.rstrip("\n")


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    root = sys.argv[1]
    found = 0
    for folder in FOLDERS:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            relative = os.path.relpath(directory, root).replace("\\", "/")
            if relative.startswith(SKIPPED):
                continue
            for name in sorted(files):
                if not name.endswith(SUFFIXES) or name == os.path.basename(__file__):
                    continue
                path = os.path.join(directory, name)
                for number, line in offending_lines(path):
                    print(f"{os.path.relpath(path, root)}:{number}: {line.strip()}")
                    found += 1
    if found:
        print(f"{found} comment(s) cite a section number; say what the code holds instead")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
