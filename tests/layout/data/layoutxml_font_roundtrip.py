"""One font's GSUB/GPOS through the layout XML document, judged from outside.

usage: layoutxml_font_roundtrip.py OTLTOOL FONT WORKDIR

`otltool xml` writes the document of the font's tables, `otltool readxml` reads it back
and writes binary tables, and `otltool xml` writes the document of those again. Checks:
the two documents are equal (the document is a fixed point); fontTools decompiles the
written tables to the same lookups, rule by rule (tests/layout_compare.py), for every
script, language and feature as the font's own, required features included; ots-sanitize
accepts the font with the written tables (when it accepts the original); hb-shape shapes
probe texts the same. Prints one line:
  OK features=N          everything matched
  SKIP <reason>          the binary reader or writer cannot carry the font's tables
  FAIL <reason>          anything else
"""
import os
import subprocess
import sys

from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", ".."))
from layout_compare import Judge, with_written_tables, write_tool_inputs  # noqa: E402
from table_io_font_roundtrip import behaviour_difference  # noqa: E402


class Rules(Judge):
    """The shared judge (a context glyph set is a set there: a coverage listing a glyph
    twice is written once)."""


def rules(font):
    """(table, script, language, feature) -> the lookup lists it has there (the required
    feature's counted once with its listed one), rule by rule, feature parameters
    included; (table, script, language, "required " + feature) -> whether the language
    system also lists its required feature."""
    out = {}
    for tag in ("GSUB", "GPOS"):
        judge = Rules(font, tag)
        for key, lookups in judge.features().items():
            out[(tag,) + key] = [list(lookups)]
        if judge.table is None:
            continue
        records = judge.table.FeatureList.FeatureRecord
        for sr in judge.table.ScriptList.ScriptRecord:
            systems = [("dflt", sr.Script.DefaultLangSys)] + [(r.LangSysTag, r.LangSys) for r in sr.Script.LangSysRecord]
            for lang, ls in systems:
                if ls is not None and ls.ReqFeatureIndex != 0xFFFF:
                    fr = records[ls.ReqFeatureIndex]
                    entry = [judge.lookup(i) for i in sorted(set(fr.Feature.LookupListIndex))]
                    key = (tag, sr.ScriptTag, lang.strip() or lang, fr.FeatureTag)
                    if entry not in out.setdefault(key, []):
                        out[key].append(entry)
                    # Required only, or required and listed as well: kept as the font has it.
                    listed = any(records[i].FeatureTag == fr.FeatureTag for i in ls.FeatureIndex)
                    out[(tag, sr.ScriptTag, lang.strip() or lang, "required " + fr.FeatureTag)] = [listed]
    return out


def rule_difference(font_path, copy):
    """None, or the first (table, script, language, feature) whose lookups differ."""
    a, b = rules(TTFont(font_path)), rules(TTFont(copy))
    for key in sorted(set(a) | set(b)):
        if a.get(key) != b.get(key):
            return "lookups differ for %s" % "/".join(key)
    return None


def run(args):
    return subprocess.run(args, capture_output=True, text=True, timeout=600)


def main():
    tool, font_path, work = sys.argv[1:4]
    glyphs = write_tool_inputs(TTFont(font_path, lazy=True), work)
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
    copy = with_written_tables(font_path, os.path.join(work, "out"), ("GSUB", "GPOS"), work)
    error = rule_difference(font_path, copy)
    if error:
        print("FAIL " + error)
        return
    error, features, _ = behaviour_difference(font_path, copy, work)
    print("FAIL " + error if error else "OK features=%d" % features)


if __name__ == "__main__":
    main()
