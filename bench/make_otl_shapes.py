"""Inputs of bench/run-otl-shapes, written into a folder.

  make_otl_shapes.py anchors DIR BASES CLASSES READS PADDING
      DIR/glyphs.txt and DIR/in/GPOS: one mark-to-base subtable (mark 0, bases 1..BASES,
      every base anchor of every class at one shared anchor) reached READS times through
      one Extension record, the table padded with PADDING zero bytes.
  make_otl_shapes.py ligatures DIR COUNT
      DIR/glyphs.txt and DIR/layout.xml: one GSUB lookup whose one LigatureSet holds COUNT
      two-component ligatures, far too many for 16-bit offsets, so the writer splits it.
"""
import os
import struct
import sys


def u16(*values):
    return struct.pack(">%dH" % len(values), *values)


def coverage_range(first, last):
    return u16(2, 1, first, last, 0)


def mark_to_base(bases, classes):
    marks, covered = coverage_range(0, 0), coverage_range(1, bases)
    mark_array = 12 + len(marks) + len(covered)
    head = u16(1, 12, 12 + len(marks), classes, mark_array, mark_array + 12)
    mark_records = u16(1, 0, 6) + u16(1, 10, 20)
    anchor = 2 + 2 * bases * classes
    base_array = u16(bases) + u16(*([anchor] * (bases * classes))) + u16(1, 5, 5)
    return head + marks + covered + mark_records + base_array


def gpos(subtable, reads):
    # ScriptList (DFLT, default LangSys with feature 0), FeatureList ("mark", lookup 0).
    scripts = u16(1) + b"DFLT" + u16(8) + u16(4, 0) + u16(0, 0xFFFF, 1, 0)
    features = u16(1) + b"mark" + u16(8) + u16(0, 1, 0)
    lookup = u16(9, 0, reads) + u16(*([6 + 2 * reads] * reads)) + u16(1, 4) + struct.pack(">I", 8) + subtable
    lookups = u16(1, 4) + lookup
    head = struct.pack(">I", 0x00010000) + u16(10, 10 + len(scripts), 10 + len(scripts) + len(features))
    return head + scripts + features + lookups


def anchors(folder, bases, classes, reads, padding):
    os.makedirs(os.path.join(folder, "in"), exist_ok=True)
    table = gpos(mark_to_base(bases, classes), reads) + bytes(padding)
    with open(os.path.join(folder, "in", "GPOS"), "wb") as out:
        out.write(table)
    with open(os.path.join(folder, "glyphs.txt"), "w") as out:
        out.write("".join("g%d\n" % i for i in range(bases + 1)))


def ligatures(folder, count):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "glyphs.txt"), "w") as out:
        out.write("f\n" + "".join("g%d\n" % i for i in range(count)))
    rules = "".join('<Ligature components="g%d,g%d" glyph="g%d"/>' % (i, (3 * i) % count, (5 * i) % count)
                    for i in range(count))
    document = (
        '<?xml version="1.0" encoding="UTF-8"?>\n<OTLayout>\n<GSUB><Version value="1.0"/>'
        '<ScriptList><ScriptRecord index="0"><ScriptTag value="DFLT"/><Script><DefaultLangSys>'
        '<ReqFeatureIndex value="65535"/><FeatureIndex index="0" value="0"/></DefaultLangSys></Script>'
        '</ScriptRecord></ScriptList><FeatureList><FeatureRecord index="0"><FeatureTag value="liga"/>'
        '<Feature><LookupListIndex index="0" value="0"/></Feature></FeatureRecord></FeatureList>'
        '<LookupList><Lookup index="0"><LookupType value="4"/><LookupFlag value="0"/>'
        '<LigatureSubst index="0" Format="1"><LigatureSet glyph="f">' + rules +
        '</LigatureSet></LigatureSubst></Lookup></LookupList></GSUB>\n</OTLayout>\n')
    with open(os.path.join(folder, "layout.xml"), "w") as out:
        out.write(document)


if __name__ == "__main__":
    kind, folder = sys.argv[1], sys.argv[2]
    numbers = [int(v) for v in sys.argv[3:]]
    if kind == "anchors":
        anchors(folder, *numbers)
    elif kind == "ligatures":
        ligatures(folder, *numbers)
    else:
        sys.exit(__doc__)
