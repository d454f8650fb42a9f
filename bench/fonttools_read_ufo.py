"""Reference reader for the UFO -> native benchmark: reads a UFO with fontTools'
UFOReader (info, groups, kerning, lib, features and every glyph of the default layer,
outlines drawn into a recording point pen) and prints the glyph count.

    /usr/bin/python3 bench/fonttools_read_ufo.py font.ufo
"""
import sys

from fontTools.pens.recordingPen import RecordingPointPen
from fontTools.ufoLib import UFOReader


class Record:
    pass


def main(path):
    # Validation off: the reference does the least work fontTools allows.
    reader = UFOReader(path, validate=False)
    reader.readInfo(Record())
    reader.readGroups()
    reader.readKerning()
    reader.readLib()
    reader.readFeatures()
    glyph_set = reader.getGlyphSet(validateRead=False)
    count = 0
    for name in glyph_set.keys():
        glyph = Record()
        glyph_set.readGlyph(name, glyph, RecordingPointPen())
        count += 1
    print(count)


if __name__ == "__main__":
    main(sys.argv[1])
