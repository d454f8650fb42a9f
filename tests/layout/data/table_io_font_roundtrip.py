"""Round trip of one font's GSUB/GPOS/GDEF through `otltool roundtrip`, judged from outside.

usage: table_io_font_roundtrip.py OTLTOOL FONT WORKDIR

Extracts the raw tables and the glyph order with fontTools, runs the tool, puts the
written tables back into a copy of the font byte for byte, and compares: ots-sanitize
must accept the copy (when it accepts the original), and hb-shape must give the same
glyphs and positions over probe texts with the default features, with the font's
features switched on (eight at a time) and with each that shapers apply by default
switched off; fontTools must decompile both to the same lookups, rule
by rule, per script, language and feature (feature parameters included). Prints one line:
  OK features=N lines=M          everything matched
  UNBUILT <kinds...>             the tool named lookup kinds it cannot carry yet
  FAIL <reason>                  anything else
"""
import os
import subprocess
import sys
import unicodedata

from fontTools.ttLib import TTFont

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
from layout_compare import with_written_tables, write_tool_inputs  # noqa: E402

TABLES = ("GSUB", "GPOS", "GDEF")


def probe_lines(font):
    """Runs of the font's characters in code point order: neighbours pair up for kerning
    and ligatures; marks follow the letter before them."""
    cmap = sorted(c for c in font.getBestCmap() if c > 0x20 and not 0xD800 <= c < 0xE000)
    lines, line = [], []
    base = None
    for c in cmap:
        ch = chr(c)
        cat = unicodedata.category(ch)
        if cat.startswith("C") or cat.startswith("Z"):
            continue
        if cat.startswith("M"):
            if base is not None:
                line.append(chr(base) + ch + ch)
            continue
        if cat.startswith("L"):
            base = c
        line.append(ch)
        if len(line) >= 24:
            lines.append("".join(line))
            line = []
    if line:
        lines.append("".join(line))
    # Conjuncts: consonant, virama, consonant, over each virama's block.
    letters = [c for c in cmap if unicodedata.category(chr(c)) == "Lo"]
    for virama in (c for c in cmap if unicodedata.combining(chr(c)) == 9):
        block = [c for c in letters if c >> 7 == virama >> 7]
        pairs = ["%s%s%s" % (chr(a), chr(virama), chr(b)) for a, b in zip(block, block[1:] + block[:1])]
        lines += [" ".join(pairs[i:i + 12]) for i in range(0, len(pairs), 12)]
    return lines[:400]


def shape(font_path, text_file, features):
    args = ["hb-shape", font_path, "--text-file=" + text_file]
    if features:
        args.append("--features=" + features)
    return subprocess.run(args, capture_output=True, timeout=600).stdout


# Features a shaper applies without being asked: switching any other feature off is the
# default shaping again, so only these are also tried switched off.
DEFAULT_ON = {"abvf", "abvm", "abvs", "akhn", "blwf", "blwm", "blws", "calt", "ccmp", "cfar", "cjct", "clig",
              "curs", "dist", "dnom", "fin2", "fin3", "fina", "frac", "half", "haln", "init", "isol", "kern",
              "liga", "ljmo", "locl", "ltra", "ltrm", "mark", "med2", "medi", "mkmk", "mset", "nukt", "numr",
              "pref", "pres", "pstf", "psts", "rclt", "rkrf", "rlig", "rphf", "rtla", "rtlm", "rvrn", "stch",
              "tjmo", "vert", "vjmo"}


def shape_both(font_path, copy, text_file, features):
    """hb-shape output of the font and of the copy, the two run side by side."""
    runs = []
    for path in (font_path, copy):
        args = ["hb-shape", path, "--text-file=" + text_file]
        if features:
            args.append("--features=" + features)
        runs.append(subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
    return [run.communicate(timeout=600)[0] for run in runs]


def feature_tags(font):
    tags = set()
    for tag in ("GSUB", "GPOS"):
        if tag in font and font[tag].table.FeatureList:
            tags.update(r.FeatureTag for r in font[tag].table.FeatureList.FeatureRecord)
    return sorted(tags)


def behaviour_difference(font_path, copy, work):
    """(None or why the copy behaves otherwise, feature count, probe line count): ots-sanitize
    must accept the copy when it accepts the original, and hb-shape must give the same
    glyphs and positions with the default features and each feature switched on and off."""
    original = TTFont(font_path)
    if subprocess.run(["ots-sanitize", font_path], capture_output=True).returncode == 0:
        check = subprocess.run(["ots-sanitize", copy], capture_output=True, text=True)
        if check.returncode != 0:
            return "ots-sanitize: " + " | ".join((check.stderr + check.stdout).splitlines()[:5]), 0, 0
    text_file = os.path.join(work, "probes.txt")
    lines = probe_lines(original)
    with open(text_file, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")
    tags = feature_tags(original)
    # Features switched on eight at a time: a font with a hundred stylistic sets and
    # character variants stays within a test's time.
    switched_on = [",".join("+" + t for t in tags[i:i + 8]) for i in range(0, len(tags), 8)]
    for features in [""] + switched_on + ["-" + t for t in tags if t in DEFAULT_ON]:
        mine, theirs = shape_both(font_path, copy, text_file, features)
        if mine != theirs:
            return "hb-shape differs with features '%s'" % features, 0, 0
    return None, len(tags), len(lines)


def main():
    tool, font_path, work = sys.argv[1:4]
    glyphs = write_tool_inputs(TTFont(font_path, lazy=True), work)
    run = subprocess.run([tool, "roundtrip", glyphs, os.path.join(work, "in"), os.path.join(work, "out")],
                         capture_output=True, text=True, timeout=600)
    if run.returncode != 0:
        unbuilt = sorted({line.split("lookup kind not supported: ", 1)[1].strip()
                          for line in run.stderr.splitlines() if "lookup kind not supported: " in line})
        other = [line for line in run.stderr.splitlines() if "lookup kind not supported: " not in line]
        if unbuilt and not other:
            print("UNBUILT " + ", ".join(unbuilt))
        else:
            print("FAIL otltool: " + " | ".join(run.stderr.splitlines()[:5]))
        return
    copy = with_written_tables(font_path, os.path.join(work, "out"), TABLES, work)
    from layoutxml_font_roundtrip import rule_difference  # noqa: E402 (it imports this module)
    error = rule_difference(font_path, copy)
    if error:
        print("FAIL " + error)
        return
    error, features, lines = behaviour_difference(font_path, copy, work)
    print("FAIL " + error if error else "OK features=%d lines=%d" % (features, lines))


if __name__ == "__main__":
    main()
