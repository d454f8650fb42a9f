#!/usr/bin/python3
"""Compares an original UFO with its UFO -> native -> UFO round trip through fontTools.

Prints one line per difference. Differences that follow from what the native format
and the UFO writer are known not to carry are listed under "known loss" with the
reason; anything else is a "difference". Exit status 0 when only known losses remain,
1 otherwise, 2 when the UFOs cannot be read.
"""
import math
import sys
from collections import defaultdict

from fontTools.pens.recordingPen import RecordingPointPen
from fontTools.ufoLib import UFOReader


def native_round(value):
    """The native format's rounding of coordinates: half away from zero."""
    return math.floor(value + 0.5) if value > 0 else math.ceil(value - 0.5)


class Glyph:
    pass


def read_font(path):
    reader = UFOReader(path, validate=False)
    glyph_set = reader.getGlyphSet(validateRead=False, validateWrite=False)
    glyphs = {}
    for name in glyph_set.keys():
        glyph = Glyph()
        pen = RecordingPointPen()
        glyph_set.readGlyph(name, glyph, pen, validate=False)
        glyph.recording = pen.value
        glyphs[name] = glyph
    info = Glyph()
    reader.readInfo(info, validate=False)
    lib = reader.readLib(validate=False)
    return {
        "glyphs": glyphs,
        "order": list(lib.get("public.glyphOrder", [])),
        "info": info.__dict__,
        "groups": reader.readGroups(validate=False),
        "kerning": reader.readKerning(validate=False),
    }


def outline(glyph):
    """Contours as tuples of (rounded point, segment type); components separately."""
    contours, components, current = [], [], None
    for method, args, kwargs in glyph.recording:
        if method == "beginPath":
            current = []
        elif method == "addPoint":
            point, segment = args[0], args[1] if len(args) > 1 else kwargs.get("segmentType")
            current.append(((native_round(point[0]), native_round(point[1])), segment))
        elif method == "endPath":
            contours.append(tuple(current))
        elif method == "addComponent":
            base, transform = args[0], args[1]
            components.append((base, tuple(round(v, 4) for v in transform[:4]),
                               tuple(native_round(v) for v in transform[4:])))
    return contours, components


def anchors(glyph):
    # Anchors travel as point links whose indices hold the coordinates truncated.
    return sorted((a.get("name"), int(a["x"]), int(a["y"])) for a in getattr(glyph, "anchors", []))


def flat_kerning(kerning, groups):
    """Kerning as glyph pairs; glyph pairs win over class pairs, glyph-class over class-glyph."""
    def members(side):
        return groups.get(side, [side]) if side in groups else [side]

    def rank(left, right):
        return (left in groups) * 2 + (right in groups)

    flat, ranks = {}, {}
    for (left, right), value in kerning.items():
        r = rank(left, right)
        for a in members(left):
            for b in members(right):
                if (a, b) not in ranks or r < ranks[(a, b)]:
                    flat[(a, b)] = round(value)
                    ranks[(a, b)] = r
    return {pair: value for pair, value in flat.items() if value != 0}


# fontinfo keys that the native format carries, compared value for value; keys whose
# difference is a stated loss give the reason.
KNOWN_INFO_LOSSES = {
    "ascender": "shares one model value with openTypeOS2TypoAscender (the later key wins)",
    "descender": "shares one model value with openTypeOS2TypoDescender (the later key wins)",
    "openTypeOS2Selection": "bits 0, 5 and 6 follow from styleMapStyleName and are not listed",
    "openTypeNamePreferredFamilyName": "written from familyName when it differs from styleMapFamilyName",
    "openTypeNamePreferredSubfamilyName": "written from styleName when it differs from styleMapStyleName",
    "openTypeHeadCreated": "a missing creation date becomes the time of conversion",
    "postscriptWeightName": "replaced by the weight name of openTypeOS2WeightClass",
    "openTypeOS2WidthClass": "written even when absent (default 5)",
    "openTypeOS2WeightClass": "written even when absent (default 400)",
    "postscriptBlueFuzz": "written even when absent (default 1)",
    "postscriptBlueShift": "written even when absent (default 7)",
    "postscriptBlueScale": "written even when absent (default 0.039625) and printed with six digits",
    "postscriptForceBold": "written even when absent (false)",
    "postscriptIsFixedPitch": "written even when absent (false)",
    "postscriptUnderlinePosition": "derived from units per em when absent",
    "postscriptUnderlineThickness": "derived from units per em when absent",
    "openTypeOS2WinAscent": "derived from units per em when absent",
    "openTypeOS2WinDescent": "derived from units per em when absent",
    "openTypeOS2TypoAscender": "derived when absent",
    "openTypeOS2TypoDescender": "derived when absent",
    "openTypeOS2TypoLineGap": "derived when absent",
    "capHeight": "derived from units per em when absent",
    "xHeight": "derived from units per em when absent",
    "italicAngle": "written even when absent (0)",
    "openTypeHeadFlags": "written even when absent (empty)",
    "openTypeOS2Type": "written even when absent (empty)",
    "styleMapFamilyName": "composed from the family name when absent",
    "styleMapStyleName": "composed from the style bits when absent",
    "postscriptFontName": "composed from the names when absent",
    "postscriptFullName": "composed from the names when absent",
    "versionMajor": "version 1.0 when absent",
    "versionMinor": "version 1.0 when absent",
    "openTypeNameCompatibleFullName": "not written when equal to the full name",
    "openTypeOS2Panose": "kept only with exactly ten digits",
    "postscriptStemSnapH": "read from integer elements only; fractions truncated",
    "postscriptStemSnapV": "read from integer elements only; fractions truncated",
    "postscriptBlueValues": "read from integer elements only; fractions truncated",
    "postscriptOtherBlues": "read from integer elements only; fractions truncated",
    "postscriptFamilyBlues": "read from integer elements only; fractions truncated",
    "postscriptFamilyOtherBlues": "read from integer elements only; fractions truncated",
    "guidelines": "UFO 3 guidelines are not in the model",
    "openTypeGaspRangeRecords": "not a key of this program",
    "openTypeNameRecords": "not a key of this program",
    "postscriptWindowsCharacterSet": "read but never written",
    "woffMajorVersion": "not a key of this program",
    "woffMinorVersion": "not a key of this program",
    "woffMetadataUniqueID": "not a key of this program",
    "woffMetadataVendor": "not a key of this program",
    "woffMetadataCredits": "not a key of this program",
    "woffMetadataDescription": "not a key of this program",
    "woffMetadataLicense": "not a key of this program",
    "woffMetadataCopyright": "not a key of this program",
    "woffMetadataTrademark": "not a key of this program",
    "woffMetadataLicensee": "not a key of this program",
    "woffMetadataExtensions": "not a key of this program",
    "openTypeOS2UnicodeRanges": "written only with a bit set",
    "openTypeOS2CodePageRanges": "written only with a bit set",
}


def same(a, b):
    if isinstance(a, float) or isinstance(b, float):
        try:
            return abs(float(a) - float(b)) < 1e-3
        except (TypeError, ValueError):
            return False
    return a == b


def main(original_path, round_trip_path):
    try:
        original, round_trip = read_font(original_path), read_font(round_trip_path)
    except Exception as error:  # noqa: BLE001 - any failure to read is reported the same way
        print("cannot read: %s" % error)
        return 2
    differences, known = [], defaultdict(list)

    def differ(category, detail):
        differences.append("%s: %s" % (category, detail))

    a, b = original["glyphs"], round_trip["glyphs"]
    if set(a) != set(b):
        differ("glyph set", "missing %s, extra %s" % (sorted(set(a) - set(b))[:10], sorted(set(b) - set(a))[:10]))
    wanted_order = [n for n in original["order"] if n in b]
    if wanted_order and round_trip["order"][: len(wanted_order)] != wanted_order:
        differ("glyph order", "the round trip does not follow public.glyphOrder")

    for name in sorted(set(a) & set(b)):
        ga, gb = a[name], b[name]
        if native_round(getattr(ga, "width", 0) or 0) != native_round(getattr(gb, "width", 0) or 0):
            differ("advance", "%s: %s -> %s" % (name, getattr(ga, "width", 0), getattr(gb, "width", 0)))
        if list(getattr(ga, "unicodes", []) or []) != list(getattr(gb, "unicodes", []) or []):
            differ("unicodes", "%s: %s -> %s" % (name, ga.unicodes, gb.unicodes))
        contours_a, components_a = outline(ga)
        contours_b, components_b = outline(gb)
        if contours_a != contours_b:
            differ("outline", name)
        if components_a != components_b:
            differ("components", "%s: %s -> %s" % (name, components_a, components_b))
        if anchors(ga) != anchors(gb):
            differ("anchors", "%s: %s -> %s" % (name, anchors(ga), anchors(gb)))

    groups_a, groups_b = original["groups"], round_trip["groups"]
    for group, members in groups_a.items():
        if group not in groups_b:
            if not any(group in pair for pair in original["kerning"]):
                known["groups"].append(group)
            else:
                differ("groups", "kerning group %s lost" % group)
        elif sorted(members) != sorted(groups_b[group]):
            differ("groups", "%s: members differ" % group)
        elif list(members) != list(groups_b[group]):
            known["group member order"].append(group)
    for group in set(groups_b) - set(groups_a):
        differ("groups", "extra group %s" % group)

    flat_a = flat_kerning(original["kerning"], groups_a)
    flat_b = flat_kerning(round_trip["kerning"], groups_b)
    if flat_a != flat_b:
        missing = sorted(set(flat_a) - set(flat_b))
        extra = sorted(set(flat_b) - set(flat_a))
        changed = sorted(p for p in set(flat_a) & set(flat_b) if flat_a[p] != flat_b[p])
        differ("kerning", "%d missing %s, %d extra %s, %d changed %s" % (
            len(missing), missing[:5], len(extra), extra[:5], len(changed), changed[:5]))

    info_a, info_b = original["info"], round_trip["info"]
    for key in sorted(set(info_a) | set(info_b)):
        va, vb = info_a.get(key), info_b.get(key)
        if same(va, vb):
            continue
        if key in KNOWN_INFO_LOSSES:
            known["fontinfo " + key].append("%r -> %r (%s)" % (va, vb, KNOWN_INFO_LOSSES[key]))
        else:
            differ("fontinfo", "%s: %r -> %r" % (key, va, vb))

    for category, items in sorted(known.items()):
        print("known loss: %s: %d: %s" % (category, len(items), "; ".join(map(str, items[:3]))))
    for line in differences[:200]:
        print("difference: " + line)
    print("%d differences, %d kinds of known loss" % (len(differences), len(known)))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
