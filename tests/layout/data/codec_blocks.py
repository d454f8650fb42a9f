"""Coverage and ClassDef blocks of a font's GSUB and GPOS, as fontTools reads them.

usage: codec_blocks.py FONT [LIMIT]

Prints the glyph order ("G <count>"), then one line per block, the block compiled on
its own by fontTools and what fontTools decodes it to:
  C <hex> <glyph index> ...              a Coverage
  D <hex> <glyph index>:<class> ...      a ClassDef (class 0 glyphs are not listed)
"""
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables import otTables
from fontTools.ttLib.tables.otBase import OTTableWriter


def compiled(table, font):
    writer = OTTableWriter(tableTag="GSUB")
    table.compile(writer, font)
    return writer.getAllData().hex()


def walk(value, seen):
    if id(value) in seen:
        return
    seen.add(id(value))
    if isinstance(value, (otTables.Coverage, otTables.ClassDef)):
        yield value
        return
    if isinstance(value, list):
        for item in value:
            yield from walk(item, seen)
    elif hasattr(value, "__dict__") and type(value).__module__.startswith("fontTools.ttLib.tables.otTables"):
        for item in vars(value).values():
            yield from walk(item, seen)


def main():
    font = TTFont(sys.argv[1])
    limit = int(sys.argv[2]) if len(sys.argv) > 2 else 400
    print("G", len(font.getGlyphOrder()))
    count = 0
    for tag in ("GSUB", "GPOS"):
        if tag not in font:
            continue
        for block in walk(font[tag].table.LookupList, set()):
            if count >= limit:
                return
            if isinstance(block, otTables.Coverage):
                ids = [font.getGlyphID(g) for g in block.glyphs]
                print("C", compiled(block, font), *ids)
            else:
                pairs = sorted((font.getGlyphID(g), c) for g, c in block.classDefs.items() if c)
                print("D", compiled(block, font), *("%d:%d" % p for p in pairs))
            count += 1


main()
