#!/usr/bin/python3
"""Fails when a library under src/ includes a library above it in the chain.

Usage: include_chain.py SRC_DIR

Each library may include itself and what its direct dependencies reach (the
chain of shared/design.md). A quoted include whose first folder is not a
library (a generated header, a header beside the file) is not checked.
"""
import os
import re
import sys

# Library -> the libraries it includes directly (design.md, lowest first).
DIRECT = {
    "registry": [],
    "text": [],
    "model": ["registry", "text"],
    "platform": ["model"],
    "stream": ["model"],
    "hinting": ["model", "stream"],
    "xml": ["model"],
    "ot": [],
    "feacompiler": ["model", "ot"],
    "layout": ["model", "xml", "feacompiler", "ot"],
    "native": ["model", "stream", "hinting", "layout"],
    "ufo": ["model", "xml", "hinting", "layout", "platform"],
    "app": ["native", "ufo", "layout", "hinting", "xml", "model", "platform"],
}

# Folders that are a library of their own although they sit inside another one's folder.
NESTED = {"layout/registry": "registry", "native/stream": "stream", "layout/ot": "ot"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def library_of(path):
    """The library a path below src/ belongs to, or None."""
    parts = path.replace("\\", "/").split("/")
    if len(parts) >= 2 and "/".join(parts[:2]) in NESTED:
        return NESTED["/".join(parts[:2])]
    return parts[0] if parts[0] in DIRECT else None


def reachable(library):
    seen = {library}
    todo = [library]
    while todo:
        for below in DIRECT[todo.pop()]:
            if below not in seen:
                seen.add(below)
                todo.append(below)
    return seen


def main():
    if len(sys.argv) != 2:
        print("usage: include_chain.py SRC_DIR", file=sys.stderr)
        return 2
    src = sys.argv[1]
    allowed = {library: reachable(library) for library in DIRECT}
    faults = 0
    files = 0
    for folder, _, names in sorted(os.walk(src)):
        for name in sorted(names):
            if not name.endswith((".h", ".hpp", ".cpp")):
                continue
            path = os.path.join(folder, name)
            owner = library_of(os.path.relpath(path, src))
            if owner is None:
                print(f"{path}: not in any library of the chain")
                faults += 1
                continue
            files += 1
            with open(path, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = library_of(match.group(1))
                    if target is not None and target not in allowed[owner]:
                        print(f"{path}:{number}: {owner} includes \"{match.group(1)}\" of {target}, "
                              f"which is not below it")
                        faults += 1
    if files == 0:
        print(f"{src}: no sources found")
        return 1
    print(f"{files} files checked, {faults} includes against the chain")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
