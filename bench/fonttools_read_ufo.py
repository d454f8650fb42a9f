"""Reference reader for the UFO -> native benchmark: reads a UFO with fontTools'
UFOReader (info, groups, kerning, lib, features and every glyph of the default layer,
outlines drawn into a recording point pen) and prints the glyph count.

    /usr/bin/python3 bench/fonttools_read_ufo.py font.ufo [--fea]

With --fea it also builds GSUB/GPOS/GDEF from the UFO's features.fea with feaLib over the
UFO's glyph order (the reference of the conversion with the layout).
"""
import sys

from fontTools.pens.recordingPen import RecordingPointPen
from fontTools.ufoLib import UFOReader


class Record:
    pass


def main(path, build_features=False):
    # Validation off: the reference does the least work fontTools allows.
    reader = UFOReader(path, validate=False)
    reader.readInfo(Record())
    reader.readGroups()
    reader.readKerning()
    reader.readLib()
    features = reader.readFeatures()
    glyph_set = reader.getGlyphSet(validateRead=False)
    count = 0
    for name in glyph_set.keys():
        glyph = Record()
        glyph_set.readGlyph(name, glyph, RecordingPointPen())
        count += 1
    if build_features and features:
        build(path, reader, glyph_set)
    print(count)


def build(path, reader, glyph_set):
    import os

    from fontTools.feaLib.builder import addOpenTypeFeatures
    from fontTools.ttLib import TTFont, newTable

    order = list(reader.readLib().get("public.glyphOrder", []))
    known = set(order)
    order += sorted(name for name in glyph_set.keys() if name not in known)
    font = TTFont()
    font.setGlyphOrder(order)
    font["name"] = newTable("name")
    font["name"].names = []
    addOpenTypeFeatures(font, os.path.join(path, "features.fea"))


if __name__ == "__main__":
    main(sys.argv[1], "--fea" in sys.argv[2:])
