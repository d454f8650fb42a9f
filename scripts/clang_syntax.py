"""Runs clang's front end alone (-fsyntax-only) over every entry of a compile_commands.json.

usage: clang_syntax.py COMPILE_COMMANDS JOBS

What the build would compile, checked in a fraction of the build's time: errors fail the
run (exit 1); warnings are printed. Sanitizer and fuzzer options are left out, as they
change nothing the front end checks.
"""
import json
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor


def front_end_only(command):
    arguments, skip_next = [], False
    for argument in shlex.split(command):
        if skip_next:
            skip_next = False
        elif argument == "-o":
            skip_next = True
        elif argument != "-c" and not argument.startswith("-fsanitize"):
            arguments.append(argument)
    return arguments + ["-fsyntax-only"]


def check(entry):
    result = subprocess.run(front_end_only(entry["command"]), cwd=entry["directory"], capture_output=True, text=True)
    return result.returncode, entry["file"], result.stderr


def main():
    entries = json.load(open(sys.argv[1]))
    failed = 0
    with ThreadPoolExecutor(int(sys.argv[2])) as pool:
        for code, source, messages in pool.map(check, entries):
            if messages.strip():
                print(messages, end="" if messages.endswith("\n") else "\n")
            if code != 0:
                failed += 1
                print("clang syntax check failed: " + source)
    print("clang syntax check: %d sources, %d failed" % (len(entries), failed))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
