#!/usr/bin/python3
"""Compares an original UFO with its UFO -> native -> UFO round trip through fontTools.

Prints one line per difference. Differences that follow from what the native format
and the UFO writer are known not to carry are listed under "known loss" with the
reason; anything else is a "difference". With a third argument, the output of the
UFO -> native conversion: every loss the program is meant to report must have its
warning line there, naming the key or glyph. With --classes, kerning classes must come
back as classes: every group kept and kerning.plist of about its original size (a quarter
more at most), not flattened into glyph pairs. Exit status 0 when only known losses
remain, 1 otherwise, 2 when the UFOs cannot be read.
"""
import math
import os
import plistlib
import re
import sys
from collections import defaultdict

from fontTools.pens.recordingPen import RecordingPointPen
from fontTools.ufoLib import UFOReader


def native_round(value):
    """The native format's rounding of coordinates: half away from zero."""
    return math.floor(value + 0.5) if value > 0 else math.ceil(value - 0.5)


class Glyph:
    pass


HINT_SETS = "com.adobe.type.autohint"


def hint_set_text(glif_path):
    """The hint-set entry of a glyph file as text, blanks removed (fontTools reads the
    markup inside <data> as base64 and gets nothing useful)."""
    with open(glif_path, encoding="utf-8") as f:
        text = f.read()
    found = re.search(r"<key>" + re.escape(HINT_SETS) + r"</key>\s*<data>(.*?)</data>", text, re.S)
    return re.sub(r"\s+", "", found.group(1)) if found else None


def other_layers(path):
    """Names of the layers other than the one in "glyphs" (layercontents.plist)."""
    try:
        with open(os.path.join(path, "layercontents.plist"), "rb") as f:
            return [name for name, folder in plistlib.load(f) if folder != "glyphs"]
    except (OSError, ValueError, plistlib.InvalidFileException):
        return []


def read_font(path):
    reader = UFOReader(path, validate=False)
    glyph_set = reader.getGlyphSet(validateRead=False, validateWrite=False)
    glyphs = {}
    for name in glyph_set.keys():
        glyph = Glyph()
        pen = RecordingPointPen()
        glyph_set.readGlyph(name, glyph, pen, validate=False)
        glyph.recording = pen.value
        glyph.lib = dict(getattr(glyph, "lib", None) or {})
        if HINT_SETS in glyph.lib:
            glyph.lib[HINT_SETS] = hint_set_text(os.path.join(path, "glyphs", glyph_set.contents[name]))
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
        "lib": lib,
        "layers": other_layers(path),
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
            # A closed contour has no start: begin it at its first on-curve point, where
            # the native file begins one that was listed from inside its last segment.
            if current and all(seg != "move" for _, seg in current):
                first = next((i for i, (_, seg) in enumerate(current) if seg is not None), 0)
                current = current[first:] + current[:first]
            contours.append(tuple(current))
        elif method == "addComponent":
            base, transform = args[0], args[1]
            components.append((base, tuple(round(v, 4) for v in transform[:4]),
                               tuple(int(v) for v in transform[4:])))
    return contours, components


def raw_components(glyph):
    return [(args[0], tuple(args[1])) for method, args, _ in glyph.recording if method == "addComponent"]


def compose(outer, inner):
    """inner applied first, then outer (fontTools order xx, xy, yx, yy, dx, dy)."""
    a1, b1, c1, d1, e1, f1 = outer
    a2, b2, c2, d2, e2, f2 = inner
    return (a1 * a2 + c1 * b2, b1 * a2 + d1 * b2, a1 * c2 + c1 * d2, b1 * c2 + d1 * d2,
            a1 * e2 + c1 * f2 + e1, b1 * e2 + d1 * f2 + f1)


def flattened_components(glyphs, name):
    """Components as the native file keeps them: nested component glyphs resolved, offsets
    truncated; None when the glyph is decomposed instead (contours and components mixed,
    also in a nested base glyph, or a skewed component)."""
    glyph = glyphs[name]
    contours, _ = outline(glyph)
    if not raw_components(glyph):
        return []
    if contours:
        return None
    result = []

    def walk(current, matrix, depth):
        for base, transform in raw_components(glyphs[current]):
            composed = compose(matrix, transform)
            base_glyph = glyphs.get(base)
            if base_glyph is not None and raw_components(base_glyph) and depth < 16:
                if outline(base_glyph)[0]:
                    return False
                if not walk(base, composed, depth + 1):
                    return False
            else:
                result.append((base, composed))
        return True

    if not walk(name, (1, 0, 0, 1, 0, 0), 0):
        return None
    if any(t[1] != 0 or t[2] != 0 for _, t in result):
        return None
    return [(base, tuple(round(v, 4) for v in t[:4]), tuple(int(v) for v in t[4:])) for base, t in result]


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


# fontinfo differences that follow from what the model and the native file keep.
# Keys that are never carried, or that share one model value with another key:
KNOWN_INFO_LOSSES = {
    "ascender": "shares one model value with openTypeOS2TypoAscender (the later key wins)",
    "descender": "shares one model value with openTypeOS2TypoDescender (the later key wins)",
    "guidelines": "UFO 3 font guidelines come back as the UFO 2 font lib guides",
}
for _key in ["openTypeGaspRangeRecords", "openTypeNameRecords"] + [
        "woff" + k for k in ("MajorVersion", "MinorVersion", "MetadataUniqueID", "MetadataVendor",
                             "MetadataCredits", "MetadataDescription", "MetadataLicense", "MetadataCopyright",
                             "MetadataTrademark", "MetadataLicensee", "MetadataExtensions")]:
    KNOWN_INFO_LOSSES[_key] = "not a key of this program"
for _key in ("openTypeHheaCaretOffset", "openTypeHheaCaretSlopeRise", "openTypeHheaCaretSlopeRun",
             "openTypeVheaVertTypoAscender", "openTypeVheaVertTypoDescender", "openTypeVheaVertTypoLineGap",
             "openTypeVheaCaretOffset", "openTypeVheaCaretSlopeRise", "openTypeVheaCaretSlopeRun",
             "openTypeNameWWSFamilyName", "openTypeNameWWSSubfamilyName", "postscriptDefaultWidthX",
             "postscriptNominalWidthX"):
    KNOWN_INFO_LOSSES[_key] = "the native file has no place for it"

# The warning line (a part of it) the UFO -> native conversion prints for each kind of
# loss it can see, and whether the line names the item.
FONTINFO_WARNING = "fontinfo.plist keys that the native format does not carry"
WARNINGS = {
    "fontinfo": FONTINFO_WARNING,
    "shared metric": "one ascender and one descender",
    "font lib": "lib.plist entries that the native format does not carry",
    "glyph lib": "glyph lib entries are not carried",
    "glyph notes": "glyph notes are not carried",
    "layers": "glyph layers other than the default one are not carried",
    "fontinfo changes": "fontinfo.plist values that the native format holds in another form are changed",
    "derived metrics": "fontinfo.plist lacks win metrics the native format must hold",
}

# Keys the writer always writes (or composes) when the original leaves them out:
KNOWN_WHEN_ABSENT = {
    "openTypeOS2WidthClass", "openTypeOS2WeightClass", "postscriptBlueFuzz", "postscriptBlueShift",
    "postscriptBlueScale", "postscriptForceBold", "postscriptIsFixedPitch", "postscriptUnderlinePosition",
    "postscriptUnderlineThickness", "openTypeOS2WinAscent", "openTypeOS2WinDescent", "openTypeOS2TypoAscender",
    "openTypeOS2TypoDescender", "openTypeOS2TypoLineGap", "capHeight", "xHeight", "italicAngle",
    "openTypeHeadFlags", "openTypeOS2Type", "openTypeOS2Selection", "styleMapFamilyName", "styleMapStyleName",
    "postscriptFontName", "postscriptFullName", "postscriptWeightName", "versionMajor", "versionMinor",
    "ascender", "descender", "unitsPerEm", "openTypeHheaLineGap",
}
TRUNCATED_ARRAYS = {"postscriptStemSnapH", "postscriptStemSnapV", "postscriptBlueValues", "postscriptOtherBlues",
                    "postscriptFamilyBlues", "postscriptFamilyOtherBlues"}


def info_loss(key, va, vb, info_a, info_b):
    """The reason why this fontinfo difference is an expected loss, or None."""
    if key in KNOWN_INFO_LOSSES:
        return KNOWN_INFO_LOSSES[key]
    if va is None and key in KNOWN_WHEN_ABSENT:
        return "written or composed when absent"
    if va == "" and vb is None:
        return "the native file keeps no empty named text"
    if va == [] and vb is None and key in ("openTypeOS2UnicodeRanges", "openTypeOS2CodePageRanges"):
        return "written only with a bit set"
    if key == "openTypeOS2Selection" and set(va or []) - {0, 5, 6} == set(vb or []):
        return "bits 0, 5 and 6 follow from styleMapStyleName and are not listed"
    if key == "openTypeNamePreferredFamilyName" and va is None and vb == info_b.get("familyName"):
        return "written from familyName when it differs from styleMapFamilyName"
    if key == "openTypeNamePreferredSubfamilyName" and va is None and vb == info_b.get("styleName"):
        return "written from styleName when it differs from styleMapStyleName"
    if key == "openTypeNameCompatibleFullName" and vb is None and va == info_b.get("postscriptFullName"):
        return "not written when equal to the full name"
    if key == "openTypeOS2Panose" and vb is None and va is not None and len(va) != 10:
        return "kept only with exactly ten digits"
    if key == "postscriptBlueValues" and va is None and vb == [-20, 0]:
        return "BlueValues begin with a bottom zone at the baseline"
    if key in TRUNCATED_ARRAYS and va is not None and [int(v) for v in va] == list(vb or []):
        return "fractions are truncated"
    if key == "postscriptBlueScale" and va is not None and vb is not None and abs(va - vb) <= abs(va) * 1e-5:
        return "printed with six significant digits"
    return None


def same(a, b):
    if isinstance(a, float) or isinstance(b, float):
        try:
            return abs(float(a) - float(b)) < 1e-3
        except (TypeError, ValueError):
            return False
    return a == b


def hue_of(color):
    """The hue of a mark colour (an array of reals, or UFO 3 "r,g,b,a" text) as a
    fraction of a turn; None for a grey, which has none."""
    if isinstance(color, str):
        color = [float(v) for v in color.split(",")]
    r, g, b = (float(v) for v in color[:3])
    high, low = max(r, g, b), min(r, g, b)
    if high == low:
        return None
    if high == r:
        h = (g - b) / (high - low)
    elif high == g:
        h = (b - r) / (high - low) + 2
    else:
        h = (r - g) / (high - low) + 4
    return (h / 6.0) % 1.0


def same_guides(ga, gb):
    def key(guides):
        return sorted((round(float(g.get("x", 0)), 1), round(float(g.get("y", 0)), 1),
                       round(float(g.get("angle", 0)), 1) % 180, g.get("name")) for g in guides or [])
    return key(ga) == key(gb)


MARK = "com.typemytype.robofont.mark"
GUIDES = "com.typemytype.robofont.guides"
TT_HINTING = "com.quorvel.v2.tth"
# Lib keys the program reads into the font and writes back.
FONT_LIB_CARRIED = {"public.glyphOrder", GUIDES, TT_HINTING, "com.quorvel.tthinting"}
GLYPH_LIB_CARRIED = {MARK, "public.markColor", GUIDES, HINT_SETS, "com.quorvel.ttprogram"}


def compare_font_lib(original, round_trip, differ, known, warned):
    lib_a, lib_b = original["lib"], round_trip["lib"]
    for key in sorted(set(lib_a) | set(lib_b)):
        va, vb = lib_a.get(key), lib_b.get(key)
        if key == "public.glyphOrder":
            continue  # compared with the glyph order above
        if key not in FONT_LIB_CARRIED:
            if vb is not None:
                differ("lib.plist", "%s: written back though the native file does not carry it" % key)
            else:
                known["lib.plist keys the native file does not carry"].append(key)
                warned("font lib", key)
        elif key == GUIDES:
            if not same_guides(va, vb):
                differ("lib.plist", "%s: guides differ" % key)
        elif key == TT_HINTING and va != vb:
            differ("lib.plist", "%s: %r -> %r" % (key, va, vb))


def compare_glyph_libs(a, b, differ, known, warned):
    for name in sorted(set(a) & set(b)):
        lib_a, lib_b = a[name].lib, b[name].lib
        for key in sorted(set(lib_a) | set(lib_b)):
            va, vb = lib_a.get(key), lib_b.get(key)
            if key in ("public.markColor", MARK):
                continue
            if key not in GLYPH_LIB_CARRIED:
                if vb is not None:
                    differ("glyph lib", "%s %s: written back though the native file does not carry it" % (name, key))
                else:
                    known["glyph lib keys the native file does not carry"].append("%s (%s)" % (key, name))
                    warned("glyph lib", key)
            elif key == GUIDES:
                if not same_guides(va, vb):
                    differ("glyph lib", "%s: guides differ" % name)
            elif va != vb:
                differ("glyph lib", "%s %s: %r -> %r" % (name, key, va, vb))
        # One hue per glyph: the first conversion may move it by up to a step of the
        # 254 the format has; saturation and lightness are not carried.
        color_a = lib_a.get(MARK, lib_a.get("public.markColor"))
        color_b = lib_b.get(MARK)
        hue_a = hue_of(color_a) if color_a is not None else None
        hue_b = hue_of(color_b) if color_b is not None else None
        if (hue_a is None) != (hue_b is None):
            differ("mark colour", "%s: %r -> %r" % (name, color_a, color_b))
        elif hue_a is not None:
            turn = abs(hue_a - hue_b)
            if min(turn, 1 - turn) > 1.0 / 254:
                differ("mark colour", "%s: %r -> %r" % (name, color_a, color_b))
            elif [round(float(v), 3) for v in (color_a.split(",") if isinstance(color_a, str) else color_a)] != \
                    [round(float(v), 3) for v in color_b]:
                known["mark colours moved onto the format's hue steps"].append(name)


CLASS_KERNING_GROWTH = 1.25


def main(original_path, round_trip_path, log_path=None, keep_classes=False):
    try:
        original, round_trip = read_font(original_path), read_font(round_trip_path)
        log = None
        if log_path:
            with open(log_path, encoding="utf-8", errors="replace") as f:
                log = f.read()
    except Exception as error:  # noqa: BLE001 - any failure to read is reported the same way
        print("cannot read: %s" % error)
        return 2
    differences, known = [], defaultdict(list)
    to_warn = defaultdict(list)

    def differ(category, detail):
        differences.append("%s: %s" % (category, detail))

    def warned(kind, item):
        to_warn[kind].append(item)

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
        contours_a, _ = outline(ga)
        contours_b, components_b = outline(gb)
        expected = flattened_components(a, name)
        if expected is None:
            # The native writer decomposes glyphs that mix contours and components (also
            # through a nested base glyph) and components with a skew.
            known["components decomposed (mixed or skewed glyphs)"].append(name)
            if components_b or len(contours_b) < len(contours_a):
                differ("outline", "%s: not decomposed as expected" % name)
        else:
            if contours_a != contours_b:
                differ("outline", name)
            if expected != components_b:
                differ("components", "%s: %s -> %s" % (name, expected, components_b))
            elif any(c[0] not in a or raw_components(a[c[0]]) for c in raw_components(ga)):
                known["nested components flattened to their base glyphs"].append(name)
        if anchors(ga) != anchors(gb):
            differ("anchors", "%s: %s -> %s" % (name, anchors(ga), anchors(gb)))
        if getattr(ga, "note", None):
            known["glyph notes (not carried)"].append(name)
            warned("glyph notes", name)

    groups_a, groups_b = original["groups"], round_trip["groups"]
    used_in_kerning = {side for pair in original["kerning"] for side in pair}
    # Without any group in the round trip, kerning classes came back only as the glyph
    # pairs they stand for (the class path through the kern feature is not available);
    # the flattened kerning below still has to match exactly.
    classes_flattened = bool(groups_a) and not groups_b and not keep_classes
    for group, members in groups_a.items():
        if group not in groups_b:
            if group not in used_in_kerning:
                known["groups not used in kerning (feature-file classes need the layout library)"].append(group)
            elif classes_flattened:
                known["kerning classes written back as glyph pairs"].append(group)
            else:
                differ("groups", "kerning group %s lost" % group)
        elif sorted(members) != sorted(groups_b[group]):
            differ("groups", "%s: members differ" % group)
        elif list(members) != list(groups_b[group]):
            known["group member order (a class keeps its members in name-id order)"].append(group)
    for group in set(groups_b) - set(groups_a):
        differ("groups", "extra group %s" % group)

    if keep_classes:
        if len(round_trip["kerning"]) > CLASS_KERNING_GROWTH * len(original["kerning"]):
            differ("kerning", "classes flattened: %d pairs -> %d" % (len(original["kerning"]), len(round_trip["kerning"])))
        try:  # fontTools refuses, for one, a glyph in two kerning groups of one side
            validating = UFOReader(round_trip_path, validate=True)
            validating.readGroups()
            validating.readKerning()
        except Exception as error:  # noqa: BLE001 - every refusal is the same finding
            differ("kerning", "fontTools refuses the groups or kerning: %s" % error)
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
        if key == "openTypeHeadCreated":
            if va is None:
                known["fontinfo " + key].append("missing date -> %r (the time of conversion)" % vb)
            else:
                differ("fontinfo", "%s: %r -> %r" % (key, va, vb))
            continue
        reason = info_loss(key, va, vb, info_a, info_b)
        if reason:
            known["fontinfo " + key].append("%r -> %r (%s)" % (va, vb, reason))
            if va is None:
                # A value the round trip adds is named by the conversion.
                warned("derived metrics" if key.startswith("openTypeOS2Win") else "fontinfo changes", key)
            elif key in ("ascender", "descender"):
                warned("shared metric", key)
            elif reason in ("not a key of this program", "the native file has no place for it"):
                warned("fontinfo", key)
        else:
            differ("fontinfo", "%s: %r -> %r" % (key, va, vb))

    compare_font_lib(original, round_trip, differ, known, warned)
    compare_glyph_libs(a, b, differ, known, warned)
    for layer in original["layers"]:
        known["glyph layers other than the default (not carried)"].append(layer)
        warned("layers", layer)

    if log is not None:
        for kind, items in sorted(to_warn.items()):
            lines = [line for line in log.splitlines() if line.startswith("Warning: ") and WARNINGS[kind] in line]
            if len(lines) != 1:
                differ("warning", "%d lines for %s (%s) in the conversion's output" % (len(lines), kind, WARNINGS[kind]))
                continue
            named = set(re.split(r"[:,] ", lines[0]))
            missing = sorted({item for item in items if item not in named and (" " + item) not in lines[0]})
            if missing:
                differ("warning", "%s: not named: %s" % (kind, missing[:10]))

    for category, items in sorted(known.items()):
        print("known loss: %s: %d: %s" % (category, len(items), "; ".join(map(str, items[:3]))))
    for line in differences[:200]:
        print("difference: " + line)
    print("%d differences, %d kinds of known loss" % (len(differences), len(known)))
    return 1 if differences else 0


if __name__ == "__main__":
    arguments = [a for a in sys.argv[1:] if a != "--classes"]
    sys.exit(main(*arguments[:3], keep_classes="--classes" in sys.argv[1:]))
