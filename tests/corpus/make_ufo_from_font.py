"""A UFO 2 font made from a binary font, as a test fixture.

usage: make_ufo_from_font.py OTLTOOL FONT UFO

Glyphs in the font's order (public.glyphOrder) with advances, Unicode values and
outlines (quadratic segments as cubic ones, components kept); the horizontal pair kerning
of the 'kern' feature as kerning.plist with "@MMK_L_"/"@MMK_R_" groups for the classes
of class pair subtables (a class meeting a glyph already grouped on its side is left out,
so groups stay disjoint); features.fea as `otltool fea` writes it from the font's
GSUB/GPOS/GDEF. Prints "OK glyphs=N pairs=M" or "FAIL <reason>".
"""
import os
import shutil
import sys
import tempfile

from fontTools.pens.basePen import BasePen
from fontTools.pens.pointPen import SegmentToPointPen
from fontTools.ttLib import TTFont
from fontTools.ufoLib import UFOWriter

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from layout_compare import generated_feature_text  # noqa: E402


class CubicPen(BasePen):
    """Hands on every segment as lines and cubic curves (BasePen splits quadratic ones)."""

    def __init__(self, glyph_set, target):
        super().__init__(glyph_set)
        self.target = target

    def _moveTo(self, pt):
        self.target.moveTo(pt)

    def _lineTo(self, pt):
        self.target.lineTo(pt)

    def _curveToOne(self, a, b, c):
        self.target.curveTo(a, b, c)

    def _closePath(self):
        self.target.closePath()

    def _endPath(self):
        self.target.endPath()

    def addComponent(self, name, transformation):
        self.target.addComponent(name, transformation)


class Glyph:
    def __init__(self, width, unicodes):
        self.width = width
        self.unicodes = unicodes


def kern_pairs(font, order):
    """Kerning and groups from the pair lookups of 'kern' (first rule of a pair wins)."""
    kerning, groups, grouped = {}, {}, ({}, {})
    if "GPOS" not in font or not font["GPOS"].table.FeatureList:
        return kerning, groups
    table = font["GPOS"].table
    indices = []
    for record in table.FeatureList.FeatureRecord:
        if record.FeatureTag == "kern":
            indices += [i for i in record.Feature.LookupListIndex if i not in indices]
    rank = {g: i for i, g in enumerate(order)}

    def group(side, glyphs):
        glyphs = sorted(set(glyphs), key=rank.get)
        if not glyphs:
            return None
        names = [grouped[side].get(g) for g in glyphs]
        if all(n is not None and n == names[0] for n in names) and len(groups[names[0]]) == len(glyphs):
            return names[0]
        if any(n is not None for n in names):
            return None
        name = "@MMK_%s_%s" % ("LR"[side], glyphs[0])
        groups[name] = glyphs
        for g in glyphs:
            grouped[side][g] = name
        return name

    def add(first, second, value):
        if value is not None and first and second and (first, second) not in kerning:
            kerning[(first, second)] = value

    for index in sorted(indices):
        lookup = table.LookupList.Lookup[index]
        for st in lookup.SubTable:
            st = getattr(st, "ExtSubTable", st)
            if type(st).__name__ != "PairPos" or st.ValueFormat2 != 0:
                continue
            advance = lambda v: getattr(v, "XAdvance", None) if v is not None else None
            if st.Format == 1:
                for first, pair_set in zip(st.Coverage.glyphs, st.PairSet):
                    for r in pair_set.PairValueRecord:
                        add(first, r.SecondGlyph, advance(r.Value1))
            else:
                firsts = {}
                for g in st.Coverage.glyphs:
                    firsts.setdefault(st.ClassDef1.classDefs.get(g, 0), []).append(g)
                seconds = {}
                for g, c in st.ClassDef2.classDefs.items():
                    if c:
                        seconds.setdefault(c, []).append(g)
                for c1, glyphs1 in sorted(firsts.items()):
                    left = group(0, glyphs1)
                    for c2, glyphs2 in sorted(seconds.items()):
                        value = advance(st.Class1Record[c1].Class2Record[c2].Value1)
                        if value:
                            add(left, group(1, glyphs2), value)
    return kerning, groups


def main():
    tool, font_path, ufo_path = sys.argv[1:4]
    font = TTFont(font_path)
    order = font.getGlyphOrder()
    glyph_set = font.getGlyphSet()
    cmap = {}
    for code, name in sorted(font.getBestCmap().items()):
        cmap.setdefault(name, []).append(code)
    work = tempfile.mkdtemp()
    try:
        # The feature text our tool writes from the font's tables.
        _, _, text, error = generated_feature_text(tool, font, work)
        if text is None:
            print("FAIL otltool fea: " + error)
            return
    finally:
        shutil.rmtree(work)

    if os.path.exists(ufo_path):
        shutil.rmtree(ufo_path)
    writer = UFOWriter(ufo_path, formatVersion=2)
    name = font["name"]
    family = name.getDebugName(1) or "Fixture"
    style = name.getDebugName(2) or "Regular"
    hhea, os2 = font["hhea"], font["OS/2"] if "OS/2" in font else None

    class Info:
        pass

    info = Info()
    info.familyName, info.styleName = family, style
    info.unitsPerEm = font["head"].unitsPerEm
    info.ascender, info.descender = hhea.ascent, hhea.descent
    if os2 is not None and getattr(os2, "sCapHeight", 0):
        info.capHeight, info.xHeight = os2.sCapHeight, os2.sxHeight
    writer.writeInfo(info)
    kerning, groups = kern_pairs(font, order)
    writer.writeGroups(groups)
    writer.writeKerning(kerning)
    writer.writeLib({"public.glyphOrder": order})
    writer.writeFeatures(text)
    glyphs = writer.getGlyphSet()
    metrics = font["hmtx"].metrics
    for glyph_name in order:
        def draw(point_pen, glyph_name=glyph_name):
            glyph_set[glyph_name].draw(CubicPen(glyph_set, SegmentToPointPen(point_pen)))
        glyphs.writeGlyph(glyph_name, Glyph(metrics[glyph_name][0], cmap.get(glyph_name, [])), draw)
    glyphs.writeContents()
    writer.close()
    print("OK glyphs=%d pairs=%d" % (len(order), len(kerning)))


if __name__ == "__main__":
    main()
