"""Generated feature text of one font, judged from outside.

usage: feawriter_judge.py OTLTOOL FONT WORKDIR

Extracts the font's GSUB/GPOS/GDEF and glyph order with fontTools and runs `otltool fea`.
The text must compile with feaLib and with `otltool import`; each build, placed into a copy
of the font (the original GDEF kept), must give the same lookups per script, language and
feature as the font, compared rule by rule (tests/layout_compare.py over
builder_judge.py's normalizer), and hb-shape must give the same glyphs and positions over probe texts.
'aalt' is left out of the rule comparison: compilers build it from the features it names.
Prints one line: "OK keys=N", "FAIL <stage>: <details>" when a stage refuses the text, or
"DIFF <finding> ... -- <details>" where each finding is "<build>:<table>/<feature>" (rules
differ somewhere under that feature), "<build>:hb-shape" or "import:dropped" (the table
writer left rules out, as `otltool import` reports); the test holds the documented ones.
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)

from fontTools.feaLib.builder import addOpenTypeFeaturesFromString  # noqa: E402
from fontTools.ttLib import TTFont, newTable  # noqa: E402

from layout_compare import (differences, font_layout, generated_feature_text, layout,  # noqa: E402
                            required_features, with_tables)
from table_io_font_roundtrip import probe_lines, shape  # noqa: E402


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
            print("FAIL otltool import: " + " | ".join(run.stderr.splitlines()[:3]))
            return
        findings.add("import:dropped")
    ours = {}
    for tag in ("GSUB", "GPOS", "GDEF"):
        path = os.path.join(out_dir, tag)
        if os.path.exists(path):
            table = newTable(tag)
            with open(path, "rb") as f:
                table.decompile(f.read(), original)
            ours[tag] = table
    builds["import"] = with_tables(font_path, {t: ours[t] for t in ("GSUB", "GPOS") if t in ours}, ours.get("GDEF"))

    skipped = required_features(original)
    expected = font_layout(font_path, skipped)
    text_file = os.path.join(work, "probes.txt")
    with open(text_file, "w", encoding="utf-8") as out:
        out.write("\n".join(probe_lines(original)) + "\n")
    details = []
    for name, font in builds.items():
        got = layout(font, skipped)
        found = differences(expected, got)
        if found:
            findings.update("%s:%s/%s" % (name, key[0], key[3].strip())
                            for key in set(expected) | set(got) if expected.get(key) != got.get(key))
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
