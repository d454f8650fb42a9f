"""Shapes kerning pairs with hb-shape on a minimal font around a written GPOS table.

usage: kern_shape_judge.py GPOS GLYPHCOUNT PAIRS WORKDIR

GPOS holds the table's bytes; the font gets GLYPHCOUNT empty glyphs of advance 500
(glyph 0 is .notdef), glyph i mapped from U+E000 + i. PAIRS has one "first second value"
line per pair (glyph indices). Each pair is shaped on a line of its own with the
default features; the first glyph's advance must be 500 + value. Prints one line:
"OK pairs=N" or "FAIL <details>".
"""
import os
import re
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib.tables.DefaultTable import DefaultTable

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from table_io_font_roundtrip import shape  # noqa: E402

ADVANCE = 500
FIRST_CODE = 0xE000
FIRST_GLYPH = re.compile(rb"^\[(\d+)=0\+(-?\d+)")


def build_font(gpos_path, count, font_path):
    order = [".notdef"] + ["g%d" % i for i in range(1, count)]
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap({FIRST_CODE + i: order[i] for i in range(1, count)})
    empty = TTGlyphPen(None).glyph()
    builder.setupGlyf({name: empty for name in order})
    builder.setupHorizontalMetrics({name: (ADVANCE, 0) for name in order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    builder.setupNameTable({"familyName": "Kern Shape", "styleName": "Regular"})
    builder.setupOS2()
    builder.setupPost()
    table = DefaultTable("GPOS")
    with open(gpos_path, "rb") as f:
        table.data = f.read()
    builder.font["GPOS"] = table
    builder.save(font_path)


def main(gpos_path, count, pairs_path, work):
    os.makedirs(work, exist_ok=True)
    font_path = os.path.join(work, "kern.ttf")
    build_font(gpos_path, int(count), font_path)
    with open(pairs_path) as f:
        pairs = [tuple(int(v) for v in line.split()) for line in f if line.strip()]
    text_path = os.path.join(work, "pairs.txt")
    with open(text_path, "w", encoding="utf-8") as f:
        for first, second, _ in pairs:
            f.write(chr(FIRST_CODE + first) + chr(FIRST_CODE + second) + "\n")
    lines = shape(font_path, text_path, "").splitlines()
    if len(lines) != len(pairs):
        print("FAIL %d lines shaped for %d pairs" % (len(lines), len(pairs)))
        return
    wrong = []
    for (first, second, value), line in zip(pairs, lines):
        found = FIRST_GLYPH.match(line.replace(b"g", b""))
        if not found or int(found.group(1)) != first or int(found.group(2)) != ADVANCE + value:
            wrong.append("%d %d %d: %s" % (first, second, value, line[:60].decode("ascii", "replace")))
    if wrong:
        print("FAIL %d of %d pairs: %s" % (len(wrong), len(pairs), "; ".join(wrong[:5])))
        return
    print("OK pairs=%d" % len(pairs))


if __name__ == "__main__":
    main(*sys.argv[1:5])
