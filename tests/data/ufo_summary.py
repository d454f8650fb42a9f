"""Prints a canonical JSON summary of a UFO folder or zipped UFO, read with fontTools.

Usage: ufo_summary.py PATH
"""
import json
import sys

from fontTools.pens.recordingPen import RecordingPointPen
from fontTools.ufoLib import UFOReader


class Info:
    pass


class Glyph:
    pass


def summary(path):
    reader = UFOReader(path, validate=False)
    info = Info()
    reader.readInfo(info)
    glyphs = {}
    glyph_set = reader.getGlyphSet()
    for name in sorted(glyph_set.keys()):
        glyph = Glyph()
        pen = RecordingPointPen()
        glyph_set.readGlyph(name, glyph, pen)
        glyphs[name] = {
            "width": getattr(glyph, "width", 0),
            "unicodes": list(getattr(glyph, "unicodes", None) or []),
            "outline": [[op, repr(args), repr(sorted(kwargs.items()))]
                        for op, args, kwargs in pen.value],
        }
    kerning = {"%s|%s" % pair: value for pair, value in reader.readKerning().items()}
    return {
        # The creation time is the time of each conversion.
        "info": {key: value for key, value in sorted(vars(info).items())
                 if key != "openTypeHeadCreated"},
        "groups": reader.readGroups(),
        "kerning": dict(sorted(kerning.items())),
        "features": reader.readFeatures(),
        "glyphs": glyphs,
    }


if __name__ == "__main__":
    print(json.dumps(summary(sys.argv[1]), sort_keys=True, indent=0, default=str))
