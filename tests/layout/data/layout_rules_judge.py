"""Lists the rules of a written GSUB or GPOS table as fontTools reads them.

usage: layout_rules_judge.py TABLE GLYPHCOUNT [TAG]
       layout_rules_judge.py FEATURES.fea GLYPHCOUNT [TAG]

A feature file is built by feaLib first, and its table written and read back.

TAG is GSUB (the default) or GPOS; glyph i is named "g<i>". Prints one line per rule of
the single, multiple, alternate and ligature subtables, glyph indices only, sorted:
"S in out", "M in out...", "A in alternates...", "L components... ligature"; for
format 3 contexts and reverse chains the glyph counts of their Coverages, backtrack,
input, then lookahead: "C n..."; for pair adjustments "P first second xadvance" of each
glyph pair with an advance, the first subtable that holds a pair winning; then
"subtables=N".
"""
import sys

from fontTools.ttLib import TTFont, newTable


def add_pairs(st, gid, pairs):
    def advance(value):
        return getattr(value, "XAdvance", 0) or 0 if value is not None else 0

    if st.Format == 1:
        for first, pair_set in zip(st.Coverage.glyphs, st.PairSet):
            for record in pair_set.PairValueRecord:
                pairs.setdefault((gid(first), gid(record.SecondGlyph)), advance(record.Value1))
        return
    classes1, classes2 = st.ClassDef1.classDefs, st.ClassDef2.classDefs
    for first in st.Coverage.glyphs:
        row = st.Class1Record[classes1.get(first, 0)]
        for second, k2 in classes2.items():
            if k2:
                pairs.setdefault((gid(first), gid(second)), advance(row.Class2Record[k2].Value1))


def main():
    path, count = sys.argv[1], int(sys.argv[2])
    tag = sys.argv[3] if len(sys.argv) > 3 else "GSUB"
    font = TTFont()
    font.setGlyphOrder(["g%d" % i for i in range(count)])
    if path.endswith(".fea"):
        from fontTools.feaLib.builder import addOpenTypeFeatures

        addOpenTypeFeatures(font, path, tables=[tag])
        data = font[tag].compile(font)
    else:
        with open(path, "rb") as f:
            data = f.read()
    table = newTable(tag)
    table.decompile(data, font)
    gid = font.getGlyphID
    lines = []
    pairs = {}
    subtables = 0
    for lookup in table.table.LookupList.Lookup:
        for st in lookup.SubTable:
            if st.LookupType == (7 if tag == "GSUB" else 9):
                st = st.ExtSubTable
            subtables += 1
            coverages = []
            for name in ("BacktrackCoverage", "InputCoverage", "Coverage", "LookAheadCoverage"):
                value = getattr(st, name, None)
                coverages += value if isinstance(value, list) else [value] if value else []
            if tag == "GPOS" and st.LookupType == 2:
                add_pairs(st, gid, pairs)
            elif tag == "GPOS" or st.LookupType > 4:
                lines.append("C " + " ".join(str(len(c.glyphs)) for c in coverages))
            elif st.LookupType == 1:
                lines += ["S %d %d" % (gid(a), gid(b)) for a, b in st.mapping.items()]
            elif st.LookupType == 2:
                lines += ["M %d %s" % (gid(a), " ".join(str(gid(g)) for g in b)) for a, b in st.mapping.items()]
            elif st.LookupType == 3:
                lines += ["A %d %s" % (gid(a), " ".join(str(gid(g)) for g in b)) for a, b in st.alternates.items()]
            elif st.LookupType == 4:
                for first, ligatures in st.ligatures.items():
                    for lig in ligatures:
                        parts = [gid(first)] + [gid(g) for g in lig.Component] + [gid(lig.LigGlyph)]
                        lines.append("L " + " ".join(str(p) for p in parts))
    lines += ["P %d %d %d" % (a, b, x) for (a, b), x in pairs.items() if x]
    for line in sorted(lines):
        print(line)
    print("subtables=%d" % subtables)


main()
