# Reads a UFO completely with fontTools' validating reader and prints a summary as
# JSON: info attributes, groups, kerning, lib keys and, per glyph, its unicodes,
# point-pen events and lib keys. Exit status 3 when fontTools is not installed.
import json
import sys

try:
    from fontTools.ufoLib import UFOReader
    from fontTools.pens.recordingPen import RecordingPointPen
except ImportError:
    sys.exit(3)


class Info:
    pass


class Glyph:
    pass


def main(path):
    reader = UFOReader(path, validate=True)
    info = Info()
    reader.readInfo(info)
    groups = reader.readGroups()
    kerning = reader.readKerning()
    lib = reader.readLib()
    glyph_set = reader.getGlyphSet(validateRead=True, validateWrite=True)
    glyphs = {}
    for name in sorted(glyph_set.keys()):
        glyph = Glyph()
        pen = RecordingPointPen()
        glyph_set.readGlyph(name, glyph, pen, validate=True)
        glyphs[name] = {
            "unicodes": getattr(glyph, "unicodes", []),
            "width": getattr(glyph, "width", None),
            "anchors": [a.get("name") for a in getattr(glyph, "anchors", [])],
            "events": len(pen.value),
            "lib": sorted(getattr(glyph, "lib", {}).keys()),
        }
    summary = {
        "info": {k: v for k, v in vars(info).items() if isinstance(v, (str, int, float, list, bool))},
        "groups": groups,
        "kerning": {f"{a} {b}": v for (a, b), v in kerning.items()},
        "lib": sorted(lib.keys()),
        "glyphOrder": lib.get("public.glyphOrder", []),
        "glyphs": glyphs,
    }
    print(json.dumps(summary, sort_keys=True))


if __name__ == "__main__":
    main(sys.argv[1])
