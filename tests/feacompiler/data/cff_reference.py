#!/usr/bin/python3
"""Writes a font's CFF table bytes and, per glyph, what fontTools computes for it.

Usage: cff_reference.py FONT.otf OUT.cff OUT.txt
OUT.txt: one line per glyph id: "gid width xMin yMin xMax yMax" (advance rounded half up,
bounds floored / ceiled), or "gid width empty" for a glyph without outline.
"""
import math
import sys

from fontTools.pens.boundsPen import BoundsPen
from fontTools.ttLib import TTFont


def main():
    font = TTFont(sys.argv[1])
    with open(sys.argv[2], "wb") as out:
        out.write(font.getTableData("CFF "))
    cff = font["CFF "].cff
    charstrings = cff[cff.fontNames[0]].CharStrings
    glyph_set = font.getGlyphSet()
    lines = []
    for gid, name in enumerate(font.getGlyphOrder()):
        charstring = charstrings[name]
        pen = BoundsPen(glyph_set)
        charstring.draw(pen)
        width = math.floor(charstring.width + 0.5)
        if pen.bounds is None:
            lines.append(f"{gid} {width} empty")
        else:
            x0, y0, x1, y1 = pen.bounds
            lines.append(f"{gid} {width} {math.floor(x0)} {math.floor(y0)} {math.ceil(x1)} {math.ceil(y1)}")
    with open(sys.argv[3], "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
