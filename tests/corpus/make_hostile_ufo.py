#!/usr/bin/python3
"""Writes a UFO 2 with fontTools, then makes it hostile: a traversal in
glyphs/contents.plist, an entity declaration in a glyph file, "&" and "<" in lib
strings, huge and non-finite numbers, empty strings."""
import os
import sys

from fontTools.pens.pointPen import AbstractPointPen  # noqa: F401 - fontTools must be importable
from fontTools.ufoLib import UFOWriter


class Info:
    pass


class Glyph:
    def __init__(self, width, unicodes, lib):
        self.width = width
        self.unicodes = unicodes
        self.lib = lib


def replace(path, old, new):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    if old not in text:
        raise SystemExit("%s: %r not found" % (path, old))
    with open(path, "w", encoding="utf-8") as handle:
        handle.write(text.replace(old, new, 1))


def draw_square(pen):
    pen.beginPath()
    for point in ((0, 0), (0, 100), (100, 100), (100, 0)):
        pen.addPoint(point, segmentType="line")
    pen.endPath()


def main(path):
    writer = UFOWriter(path, formatVersion=2, validate=False)
    info = Info()
    info.familyName = ""
    info.styleName = "R&D <Bold>"
    info.unitsPerEm = 1e308
    info.ascender = -1e300
    info.descender = 123456
    info.openTypeOS2UnicodeRanges = [-1, 5, 2 ** 40]
    info.copyright = "\u2116 \u00e9 & <"
    writer.writeInfo(info, validate=False)
    writer.writeGroups({"@MMK_L_a": ["a", ""], "plain": []}, validate=False)
    writer.writeKerning({("@MMK_L_a", "b"): 1e30, ("a", "b"): 7}, validate=False)
    writer.writeLib({"com.example.text": "a & b < c", "public.glyphOrder": ["b", "a", "../x"]}, validate=False)
    glyphs = writer.getGlyphSet(validateRead=False, validateWrite=False)
    glyphs.writeGlyph("a", Glyph(1e300, [0x41], {"com.example": "x & <y>", "empty": ""}), draw_square,
                      validate=False)
    glyphs.writeGlyph("b", Glyph(-0.0, [0x10FFFF], {}), draw_square, validate=False)
    glyphs.writeContents()
    # Hostile edits fontTools would not write.
    replace(os.path.join(path, "fontinfo.plist"), "<integer>123456</integer>",
            "<integer>-99999999999999999999999999999</integer>")
    replace(os.path.join(path, "kerning.plist"), "<integer>7</integer>", "<real>nan</real>")
    contents = os.path.join(path, "glyphs", "contents.plist")
    with open(contents, encoding="utf-8") as handle:
        text = handle.read()
    text = text.replace("<key>b</key>", "<key>up</key>\n<string>../../../etc/passwd</string>\n"
                        "<key>enc</key>\n<string>..%2F..%2Fmetainfo.plist</string>\n<key>b</key>")
    with open(contents, "w", encoding="utf-8") as handle:
        handle.write(text)
    with open(os.path.join(path, "glyphs", "b.glif"), encoding="utf-8") as handle:
        glif = handle.read()
    glif = glif.replace("<glyph", '<!DOCTYPE glyph [<!ENTITY e "eeeeeeeeee">]>\n<glyph', 1)
    glif = glif.replace('<advance', '<advance height="&e;"', 1)
    with open(os.path.join(path, "glyphs", "b.glif"), "w", encoding="utf-8") as handle:
        handle.write(glif)


if __name__ == "__main__":
    main(sys.argv[1])
