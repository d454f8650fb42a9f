#!/usr/bin/python3
"""Fails when a comment or a document points at a numbered section instead of saying what it means.

Usage: comment_numbers.py ROOT_DIR

Comments say in the code's own words what a piece of code holds or why; a comment that names
a section by its number (a digit from 1 to 9, a period, a 1 and two more digits: such a
number anywhere in the comment, after "see", in brackets or opening it) explains nothing to
the reader of this tree. Every file of the tree is read, wherever it stands: sources and
headers of every suffix, scripts (by suffix or by a "#!" first line), CMake files, feature
files and markup data, and the documents (README and other text). In code and data only
the comments are searched, so that ordinary numbers (coordinates, versions, 0.5) never
count; a document is searched whole. "Part" or "section" followed by such a number counts
anywhere. The git folder, build folders and files that are not text are left out.
"""
import os
import re
import sys

# A section number: one digit from 1, a period, a 1 and two digits, not part of a longer
# number, a version or a word ("2.040", "1.2.100", "100.125" and "v1.100a" do not count).
BARE_NUMBER = re.compile(r"(?<![\w.])[1-9]\.1\d\d(?![\w]|\.\d)")
NAMED_NUMBER = re.compile(r"(?:\b[Pp]arts?|\b[Ss]ections?|§)\s*\d+\.\d{2,3}\b")
LEADING_NUMBER = re.compile(r"^\W*\d+\.\d{2,3}:")

C_SUFFIXES = {".h", ".hh", ".hpp", ".hxx", ".c", ".cc", ".cpp", ".cxx", ".inc", ".ipp", ".tpp"}
HASH_SUFFIXES = {".py", ".sh", ".bash", ".cmake", ".fea", ".in", ".yml", ".yaml", ".toml", ".cfg"}
HASH_NAMES = {"CMakeLists.txt", ".gitignore", "Makefile"}
MARKUP_SUFFIXES = {".xml", ".plist", ".glif", ".ttx", ".html", ".svg"}
DOCUMENT_SUFFIXES = {".md", ".txt", ".rst"}
SKIPPED_FOLDERS = {".git", "__pycache__"}


def kind_of(name, text):
    stem, suffix = os.path.splitext(name)
    if suffix == ".in" and os.path.splitext(stem)[1]:  # a template is read as the file it makes
        stem, suffix = os.path.splitext(stem)
    suffix = suffix.lower()
    if name in HASH_NAMES or suffix in HASH_SUFFIXES or text.startswith("#!"):
        return "hash"
    if suffix in C_SUFFIXES:
        return "c"
    if suffix in MARKUP_SUFFIXES:
        return "markup"
    if suffix in DOCUMENT_SUFFIXES or name.upper().startswith("README"):
        return "document"
    return None


def c_comments(text):
    """(line, comment text) of every // and /* */ comment, outside string and character literals."""
    i, line, n = 0, 1, len(text)
    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            yield line, text[i + 2:end]
            i = end
            continue
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end
            for offset, part in enumerate(text[i + 2:end].split("\n")):
                yield line + offset, part
            line += text.count("\n", i, end)
            i = end + 2
            continue
        elif c == "R" and text.startswith('R"', i) and not (i and (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i + 2)
            if open_paren >= 0:
                close = text.find(")" + text[i + 2:open_paren] + '"', open_paren)
                close = n if close < 0 else close
                line += text.count("\n", i, close)
                i = close + 1
                continue
        elif c == '"' or (c == "'" and not (i and text[i - 1].isalnum())):  # 1'000 is a digit separator
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j + 1 if j < n and text[j] == c else j
            continue
        i += 1


def hash_comments(text):
    """(line, comment text) of every # comment (a # at the start of a line or after a blank,
    outside quotes) and every triple-quoted Python string, which documents as comments do."""
    in_triple = None
    for number, line in enumerate(text.split("\n"), 1):
        i, quote = 0, None
        while i < len(line):
            if in_triple:
                end = line.find(in_triple, i)
                yield number, line[i:] if end < 0 else line[i:end]
                if end < 0:
                    break
                i, in_triple = end + 3, None
                continue
            c = line[i]
            if quote:
                if c == "\\":
                    i += 1
                elif c == quote:
                    quote = None
            elif line.startswith('"""', i) or line.startswith("'''", i):
                in_triple = line[i:i + 3]
                i += 3
                continue
            elif c in "\"'":
                quote = c
            elif c == "#" and (i == 0 or line[i - 1] in " \t;"):
                yield number, line[i + 1:]
                break
            i += 1


def markup_comments(text):
    """(line, comment text) of every <!-- --> comment."""
    start = text.find("<!--")
    while start >= 0:
        end = text.find("-->", start + 4)
        end = len(text) if end < 0 else end
        first = text.count("\n", 0, start) + 1
        for offset, part in enumerate(text[start + 4:end].split("\n")):
            yield first + offset, part
        start = text.find("<!--", end)


def document_lines(text):
    return enumerate(text.split("\n"), 1)


SEARCHED = {"c": c_comments, "hash": hash_comments, "markup": markup_comments, "document": document_lines}


def citations(text, kind):
    """(line, text) of every place in the file that cites a section by its number."""
    found = {}
    for number, comment in SEARCHED[kind](text):
        if BARE_NUMBER.search(comment) or LEADING_NUMBER.search(comment):
            found.setdefault(number, comment)
    for number, line in document_lines(text):
        if NAMED_NUMBER.search(line):
            found.setdefault(number, line)
    return sorted(found.items())


def read_text(path):
    """The file's text, or None for a file that is not text (one holding a NUL byte)."""
    try:
        with open(path, "rb") as source:
            data = source.read()
    except OSError:
        return None
    return None if b"\0" in data else data.decode("utf-8", errors="replace")


def is_build_folder(directory, name, root):
    if name in SKIPPED_FOLDERS:
        return True
    if directory == root and (name == "build" or name.startswith("build-")):
        return True
    return os.path.exists(os.path.join(directory, name, "CMakeCache.txt"))


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    root = os.path.normpath(sys.argv[1])
    found = 0
    for directory, folders, files in os.walk(root):
        folders[:] = sorted(f for f in folders if not is_build_folder(directory, f, root))
        for name in sorted(files):
            path = os.path.join(directory, name)
            text = read_text(path)
            kind = kind_of(name, text) if text is not None else None
            if kind is None:
                continue
            for number, line in citations(text, kind):
                print(f"{os.path.relpath(path, root)}:{number}: {line.strip()}")
                found += 1
    if found:
        print(f"{found} line(s) cite a section number; say what the code holds instead")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
