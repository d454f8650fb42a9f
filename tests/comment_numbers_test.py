#!/usr/bin/python3
"""Plants a comment citing a section number in each kind of place of a small tree and checks
that comment_numbers.py names it there, and that ordinary numbers never count.

Usage: comment_numbers_test.py CHECKER
"""
import os
import subprocess
import sys
import tempfile

N = "8" + ".110"  # a section number, composed so that this file cites none
M = "4" + ".120"  # another, for the "N.NNN:" form

# Ordinary numbers where the checker reads: comments, markup and a document. None counts.
CLEAN = {
    "src/model/numbers.cpp": 'double scale = 1.125;  // half is 0.5, the ratio 0.100, a point at (100.125, 8.5)\n'
                             'int count = 1\'000;  // thousands\n'
                             'const char* slashes = "/' '/ 1.125";\n'  # two slashes, spelt apart here
                             'const char* raw = R"(/* 1.125 */)";\n'
                             '/* built with libfoo 1.2.100 and v3.110.2 */\n',
    "scripts/demo": "#!/usr/bin/env bash\nn=${#list}; v=1.125\nprintf '%.3f' 1.125  # three places\n",
    "scripts/tool.py": 'mark = "# 1.125"\n"""Source Sans 2.040 and 0.125."""\n',
    "tests/data/Sample.ufo/glyphs/a.glif": '<glyph name="a"><!-- width 500.125 -->\n<point x="1.125" y="%s"/></glyph>\n' % N,
    "tests/app/data/kern.fea": "pos A V -1.125;  # kerning of 0.5 em\n",
    "README.md": "Source Sans 2.040 (`font.ufo`), 0.125 em, version 1.2.110, RFC 2396 section 5.2.\n",
}

# One planted citation per place: (file, its text, the line the checker must name).
PLANTED = [
    ("src/feacompiler/grammar.cpp", f"int a;\n// {N} top level\n", 2),
    ("src/feacompiler/grammar.h", f"int a;  // see {N}\n", 1),
    ("src/layout/tables.hpp", f"/* ({N}) */\n", 1),
    ("src/layout/tables.inc", f"/*\n * as {N} gives it\n */\n", 2),
    ("tools/otltool.cpp", f"// {M}: the layout tool\n", 1),
    ("src/app/messages.cpp", f'const char* text = "Part {N}";\n', 1),
    ("tests/corpus/roundtrip_test.cpp", f"// read as in {N}\n", 1),
    ("tests/feacompiler/data/grammar/forms.fea", f"languagesystem DFLT dflt;\n# see {N}\n", 2),
    ("tests/layout/data/gsub.xml", f"<GSUB>\n<!-- ({N}) -->\n</GSUB>\n", 2),
    ("tests/data/Sample.ufo/glyphs/b.glif", f'<glyph name="b">\n<!--\n  {N}\n-->\n</glyph>\n', 3),
    ("scripts/test", f"#!/usr/bin/env bash\necho run  # see {N}\n", 2),
    ("scripts/check.py", f'"""Reads\nwhat {N} holds."""\n', 2),
    ("cmake/Libraries.cmake", f"# ({N})\n", 1),
    ("cmake/build_info.h.in", f"#pragma once\n// see {N}\n", 2),
    ("CMakeLists.txt", f"project(x)\n# {N}\n", 2),
    (".ci/run", f"#!/bin/sh\n# {N}\n", 2),
    ("bench/run", f"#!/usr/bin/env bash\n# as {N} says\n", 2),
    ("fuzz/plist/plist_entry.h", f"// {N}\n", 1),
    ("README.md", f"The grammar follows {N}.\n", 1),
    ("tests/corpus/data/notes.txt", f"see {N}\n", 1),
]


def make_tree(root, files):
    for relative, text in files.items():
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)


def run(checker, root):
    result = subprocess.run([sys.executable, checker, root], capture_output=True, text=True)
    return result.returncode, result.stdout


def main():
    checker = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        clean = os.path.join(scratch, "clean")
        make_tree(clean, CLEAN)
        # A build folder's generated files are not the tree's.
        make_tree(clean, {"build/main/CMakeCache.txt": "", "build/main/notes.md": f"{N}\n"})
        code, output = run(checker, clean)
        if code != 0:
            failures.append(f"ordinary numbers counted (exit {code}):\n{output}")
        for index, (relative, text, line) in enumerate(PLANTED):
            root = os.path.join(scratch, str(index))
            make_tree(root, dict(CLEAN, **{relative: CLEAN.get(relative, "") + text}))
            code, output = run(checker, root)
            expected_line = line + CLEAN.get(relative, "").count("\n")
            if code != 1 or f"{relative}:{expected_line}:" not in output:
                failures.append(f"{relative}:{expected_line} not named (exit {code}):\n{output}")
    for failure in failures:
        print(failure)
    print(f"{len(PLANTED)} planted citations, {len(failures)} check(s) failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
