"""One font's GSUB/GPOS through the layout XML document, judged from outside.

usage: layoutxml_font_roundtrip.py OTLTOOL FONT WORKDIR

`otltool xml` writes the document of the font's tables, `otltool readxml` reads it back
and writes binary tables, and `otltool xml` writes the document of those again. Checks:
the two documents are equal (the document is a fixed point); fontTools decompiles the
written tables to the same lookups, rule by rule, for every script, language and feature
as the font's own; ots-sanitize accepts the font with the written tables (when it accepts
the original); hb-shape shapes probe texts the same. Prints one line:
  OK features=N          everything matched
  SKIP <reason>          the binary reader or writer cannot carry the font's tables
  FAIL <reason>          anything else
"""
import os
import subprocess
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables.DefaultTable import DefaultTable

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", ".."))
from layout_compare import write_tool_inputs  # noqa: E402
from table_io_font_roundtrip import probe_lines, shape, feature_tags  # noqa: E402


def anchor(a):
    if a is None:
        return None
    return (a.XCoordinate, a.YCoordinate, getattr(a, "AnchorPoint", None) if a.Format == 2 else None)


def value(v):
    if v is None:
        return ()
    return tuple(sorted((k, x) for k, x in v.__dict__.items() if not k.endswith("Device") and x))


def classes_of(class_def, glyphs):
    mapping = class_def.classDefs if class_def else {}
    return {g: mapping.get(g, 0) for g in glyphs}


def glyphs_of_class(class_def, cls, universe=()):
    """Class 0 is every glyph of the font that the definition leaves out."""
    mapping = class_def.classDefs if class_def else {}
    if cls == 0:
        return tuple(sorted(g for g in universe if mapping.get(g, 0) == 0))
    return tuple(sorted(g for g, c in mapping.items() if c == cls))


class Rules:
    """Rules of each lookup, with called lookups named by their own rules."""

    def __init__(self, table, universe):
        self.universe = universe
        self.lookups = table.LookupList.Lookup if table.LookupList else []
        self.memo = {}

    def lookup(self, index):
        if index in self.memo:
            return self.memo[index]
        self.memo[index] = ("recursive", index)
        lk = self.lookups[index]
        subtables = [getattr(st, "ExtSubTable", st) for st in lk.SubTable]
        flag = (lk.LookupFlag & 0xFF1F, getattr(lk, "MarkFilteringSet", None))
        rules = []
        for st in subtables:
            rules.extend(self.subtable(st))
        result = (subtables[0].LookupType if subtables else 0, flag, tuple(rules))
        self.memo[index] = result
        return result

    def records(self, records):
        return tuple((r.SequenceIndex, self.lookup(r.LookupListIndex)) for r in records or [])

    def context(self, st, chained):
        prefix = "Chain" if chained else ""
        subst = "Subst" in type(st).__name__
        kind, record = ("Sub", "SubstLookupRecord") if subst else ("Pos", "PosLookupRecord")
        out = []
        if st.Format == 3:
            cov = lambda cs: tuple(tuple(sorted(set(c.glyphs))) for c in cs or [])
            back = cov(st.BacktrackCoverage) if chained else ()
            ahead = cov(st.LookAheadCoverage) if chained else ()
            inp = cov(st.InputCoverage if chained else st.Coverage)
            out.append((back, inp, ahead, self.records(getattr(st, record))))
        elif st.Format == 1:
            sets = getattr(st, prefix + kind + "RuleSet")
            for glyph, rs in zip(st.Coverage.glyphs, sets):
                for rule in (getattr(rs, prefix + kind + "Rule") if rs else []):
                    single = lambda gs: tuple((g,) for g in gs or [])
                    inp = ((glyph,),) + single(rule.Input)
                    back = single(getattr(rule, "Backtrack", None))
                    ahead = single(getattr(rule, "LookAhead", None))
                    out.append((back, inp, ahead, self.records(getattr(rule, record))))
        elif st.Format == 2:
            sets = getattr(st, prefix + kind + "ClassSet")
            inputDef = st.InputClassDef if chained else st.ClassDef
            for cls, cs in enumerate(sets):
                for rule in (getattr(cs, prefix + kind + "ClassRule") if cs else []):
                    def seq(defn, values):
                        return tuple(glyphs_of_class(defn, c, self.universe) for c in values or [])
                    first = tuple(g for g in glyphs_of_class(inputDef, cls, self.universe)
                                  if g in set(st.Coverage.glyphs))
                    inp = (first,) + seq(inputDef, getattr(rule, "Input", None) or getattr(rule, "Class", None))
                    back = seq(getattr(st, "BacktrackClassDef", None), getattr(rule, "Backtrack", None))
                    ahead = seq(getattr(st, "LookAheadClassDef", None), getattr(rule, "LookAhead", None))
                    out.append((back, inp, ahead, self.records(getattr(rule, record))))
        return out

    def subtable(self, st):
        t = type(st).__name__
        if t == "SingleSubst":
            return [("single", tuple(sorted(st.mapping.items())))]
        if t == "MultipleSubst":
            return [("multiple", tuple(sorted((k, tuple(v)) for k, v in st.mapping.items())))]
        if t == "AlternateSubst":
            return [("alternate", tuple(sorted((k, tuple(v)) for k, v in st.alternates.items())))]
        if t == "LigatureSubst":
            return [("ligature", tuple(sorted((k, tuple((tuple(l.Component), l.LigGlyph) for l in v))
                                              for k, v in st.ligatures.items())))]
        if t in ("ContextSubst", "ContextPos"):
            return self.context(st, False)
        if t in ("ChainContextSubst", "ChainContextPos"):
            return self.context(st, True)
        if t == "ReverseChainSingleSubst":
            cov = lambda cs: tuple(tuple(sorted(set(c.glyphs))) for c in cs or [])
            return [("reverse", cov(st.BacktrackCoverage), cov(st.LookAheadCoverage),
                     tuple(zip(st.Coverage.glyphs, st.Substitute)))]
        if t == "SinglePos":
            glyphs = st.Coverage.glyphs
            values = [st.Value] * len(glyphs) if st.Format == 1 else st.Value
            return [("single", tuple(sorted((g, value(v)) for g, v in zip(glyphs, values))))]
        if t == "PairPos":
            pairs = set()
            if st.Format == 1:
                for first, ps in zip(st.Coverage.glyphs, st.PairSet):
                    for r in ps.PairValueRecord:
                        pairs.add((first, r.SecondGlyph, value(r.Value1), value(r.Value2)))
            else:
                c1 = classes_of(st.ClassDef1, st.Coverage.glyphs)
                seconds = list((st.ClassDef2.classDefs if st.ClassDef2 else {}).items()) + [("<other>", 0)]
                for first, a in c1.items():
                    for second, b in seconds:
                        r = st.Class1Record[a].Class2Record[b]
                        v1, v2 = value(getattr(r, "Value1", None)), value(getattr(r, "Value2", None))
                        if v1 or v2:
                            pairs.add((first, second, v1, v2))
            return [("pair", tuple(sorted(pairs)))]
        if t == "CursivePos":
            return [("cursive", tuple(sorted((g, anchor(r.EntryAnchor), anchor(r.ExitAnchor))
                                            for g, r in zip(st.Coverage.glyphs, st.EntryExitRecord))))]
        if t in ("MarkBasePos", "MarkMarkPos", "MarkLigPos"):
            markCov = st.MarkCoverage if t != "MarkMarkPos" else st.Mark1Coverage
            markArray = st.MarkArray if t != "MarkMarkPos" else st.Mark1Array
            marks = tuple(sorted((g, r.Class, anchor(r.MarkAnchor)) for g, r in zip(markCov.glyphs, markArray.MarkRecord)))
            if t == "MarkBasePos":
                bases = tuple(sorted((g, tuple(anchor(a) for a in r.BaseAnchor))
                                     for g, r in zip(st.BaseCoverage.glyphs, st.BaseArray.BaseRecord)))
            elif t == "MarkMarkPos":
                bases = tuple(sorted((g, tuple(anchor(a) for a in r.Mark2Anchor))
                                     for g, r in zip(st.Mark2Coverage.glyphs, st.Mark2Array.Mark2Record)))
            else:
                bases = tuple(sorted((g, tuple(tuple(anchor(a) for a in c.LigatureAnchor) for c in r.ComponentRecord))
                                     for g, r in zip(st.LigatureCoverage.glyphs, st.LigatureArray.LigatureAttach)))
            return [(t, marks, bases)]
        return [("unknown", t)]


def features(font, tag):
    """(script, language, feature) -> the rules of its lookups, in order."""
    if tag not in font:
        return {}
    table = font[tag].table
    rules = Rules(table, font.getGlyphOrder())
    records = table.FeatureList.FeatureRecord if table.FeatureList else []
    out = {}
    for sr in (table.ScriptList.ScriptRecord if table.ScriptList else []):
        systems = [("dflt", sr.Script.DefaultLangSys)] + [(r.LangSysTag, r.LangSys) for r in sr.Script.LangSysRecord]
        for lang, ls in systems:
            if ls is None:
                continue
            indices = list(ls.FeatureIndex)
            if ls.ReqFeatureIndex != 0xFFFF:
                indices.append(ls.ReqFeatureIndex)
            for fi in indices:
                fr = records[fi]
                key = (tag, sr.ScriptTag, lang.strip(), fr.FeatureTag)
                # A required feature also listed among the features counts once.
                entry = tuple(rules.lookup(i) for i in fr.Feature.LookupListIndex)
                if entry not in out.setdefault(key, []):
                    out[key].append(entry)
    return out


def run(args):
    return subprocess.run(args, capture_output=True, text=True, timeout=600)


def main():
    tool, font_path, work = sys.argv[1:4]
    font = TTFont(font_path, lazy=True)
    glyphs = write_tool_inputs(font, work)
    # Fonts the binary path itself cannot carry are not this test's business.
    if run([tool, "roundtrip", glyphs, os.path.join(work, "in"), os.path.join(work, "rt")]).returncode != 0:
        print("SKIP binary round trip fails")
        return
    first, second = os.path.join(work, "first.xml"), os.path.join(work, "second.xml")
    for args in ([tool, "xml", glyphs, os.path.join(work, "in"), first],
                 [tool, "readxml", glyphs, first, os.path.join(work, "out")],
                 [tool, "xml", glyphs, os.path.join(work, "out"), second]):
        step = run(args)
        if step.returncode != 0:
            print("FAIL otltool %s: %s" % (args[1], " | ".join(step.stderr.splitlines()[:3])))
            return
    if open(first, "rb").read() != open(second, "rb").read():
        print("FAIL the document read and written again differs")
        return
    rewritten = TTFont(font_path, lazy=True)
    for tag in ("GSUB", "GPOS"):
        path = os.path.join(work, "out", tag)
        if os.path.exists(path):
            table = DefaultTable(tag)
            with open(path, "rb") as data:
                table.data = data.read()
            rewritten[tag] = table
        elif tag in rewritten:
            del rewritten[tag]
    copy = os.path.join(work, "rewritten" + os.path.splitext(font_path)[1])
    rewritten.save(copy, reorderTables=False)
    original, written = TTFont(font_path), TTFont(copy)
    for tag in ("GSUB", "GPOS"):
        a, b = features(original, tag), features(written, tag)
        for key in sorted(set(a) | set(b)):
            if a.get(key) != b.get(key):
                print("FAIL lookups differ for %s" % "/".join(key))
                return
    if run(["ots-sanitize", font_path]).returncode == 0:
        check = run(["ots-sanitize", copy])
        if check.returncode != 0:
            print("FAIL ots-sanitize: " + " | ".join((check.stderr + check.stdout).splitlines()[:3]))
            return
    text_file = os.path.join(work, "probes.txt")
    with open(text_file, "w", encoding="utf-8") as out:
        out.write("\n".join(probe_lines(original)) + "\n")
    tags = feature_tags(original)
    for feats in [""] + ["+" + t for t in tags] + ["-" + t for t in tags]:
        if shape(font_path, text_file, feats) != shape(copy, text_file, feats):
            print("FAIL hb-shape differs with features '%s'" % feats)
            return
    print("OK features=%d" % len(tags))


if __name__ == "__main__":
    main()
