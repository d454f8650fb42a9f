"""Generated feature text of one font, judged from outside.

usage: feawriter_judge.py OTLTOOL FONT WORKDIR

Extracts the font's GSUB/GPOS/GDEF and glyph order with fontTools and runs `otltool fea`.
The text must compile with feaLib and with `otltool import`; each build, placed into a copy
of the font (GDEF too), must give the same lookups per script, language and
feature as the font, compared rule by rule, and the same GDEF glyph classes, ligature carets
and attachment points (tests/layout_compare.py over
builder_judge.py's normalizer), and hb-shape must give the same glyphs and positions over probe texts.
'aalt' is left out of the rule comparison: compilers build it from the features it names.
Prints one line: "OK keys=N", "FAIL <stage>: <details>" when a stage refuses the text, or
"DIFF <finding> ... -- <details>" where each finding is "<build>:<table>/<feature>" (rules
differ somewhere under that feature), "<build>:GDEF/<classes|carets|attach>", "<build>:hb-shape", "import:dropped" (the table
writer left rules out, as `otltool import` reports) or "import:leading-period" (our compiler
refused a glyph name such as ".null"; only feaLib's build is judged then); the test holds the
documented ones. Our compiler refusing the text on an offset overflow is a failure: the writer
breaks subtables so that they fit.
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)

from fontTools.feaLib.builder import addOpenTypeFeaturesFromString  # noqa: E402
from fontTools.ttLib import TTFont, newTable  # noqa: E402

from layout_compare import (differences, differing_keys, font_layout, gdef_differences, gdef_facts, generated_feature_text, layout,  # noqa: E402
                            required_features, with_tables)
from table_io_font_roundtrip import probe_lines, shape  # noqa: E402


LEADING_PERIOD_REFUSAL = 'invalid first character in name (text was "\\.'


def main():
    tool, font_path, work = sys.argv[1:4]
    original = TTFont(font_path)
    glyphs_path, fea_path, text, error = generated_feature_text(tool, original, work)
    if text is None:
        print("FAIL otltool fea: " + error)
        return

    builds = {}
    fealib = with_tables(font_path, {})
    if "GDEF" in fealib:
        del fealib["GDEF"]
    try:
        addOpenTypeFeaturesFromString(fealib, text, filename=fea_path, tables=["GSUB", "GPOS", "GDEF"])
    except Exception as e:  # feaLib's refusal is the finding
        print("FAIL feaLib: " + str(e).splitlines()[0])
        return
    builds["feaLib"] = with_tables(font_path, {tag: fealib[tag] for tag in ("GSUB", "GPOS") if tag in fealib},
                                   fealib["GDEF"] if "GDEF" in fealib else None)

    out_dir = os.path.join(work, "ours")
    run = subprocess.run([tool, "import", glyphs_path, fea_path, out_dir], capture_output=True, text=True,
                         timeout=600)
    findings = set()
    if run.returncode != 0:
        if not os.path.isdir(out_dir):
            if LEADING_PERIOD_REFUSAL in run.stderr:
                # A compiler that refuses names like ".null" is a known finding the tests name.
                findings.add("import:leading-period")
            else:
                print("FAIL otltool import: " + " | ".join(run.stderr.splitlines()[:3]))
                return
        else:
            findings.add("import:dropped")
    ours = {}
    for tag in ("GSUB", "GPOS", "GDEF"):
        path = os.path.join(out_dir, tag)
        if os.path.exists(path):
            table = newTable(tag)
            with open(path, "rb") as f:
                table.decompile(f.read(), original)
            ours[tag] = table
    if "import:leading-period" not in findings:
        builds["import"] = with_tables(font_path, {t: ours[t] for t in ("GSUB", "GPOS") if t in ours}, ours.get("GDEF"))

    skipped = required_features(original)
    expected = font_layout(font_path, skipped)
    expected_gdef = gdef_facts(original)
    text_file = os.path.join(work, "probes.txt")
    with open(text_file, "w", encoding="utf-8") as out:
        out.write("\n".join(probe_lines(original)) + "\n")
    details = []
    for name, font in builds.items():
        got = layout(font, skipped)
        for part, glyphs in gdef_differences(expected_gdef, gdef_facts(font)).items():
            findings.add("%s:GDEF/%s" % (name, part))
            details.append("%s GDEF %s differ: %s" % (name, part, " ".join(glyphs)))
        found = differences(expected, got)
        if found:
            findings.update("%s:%s/%s" % (name, key[0], key[3].strip()) for key in differing_keys(expected, got))
            details.append("%s rules: %d keys differ: %s" % (name, len(found), "; ".join(found[:3])))
            continue
        copy = os.path.join(work, name + os.path.splitext(font_path)[1])
        font.save(copy)
        if not skipped and shape(font_path, text_file, "") != shape(copy, text_file, ""):
            findings.add("%s:hb-shape" % name)
    if findings:
        print("DIFF %s -- %s" % (" ".join(sorted(findings)), " | ".join(details)))
        return
    print("OK keys=%d%s" % (len(expected), " (required features not compared: %s)" % " ".join(sorted(skipped))
                                          if skipped else ""))


if __name__ == "__main__":
    main()
