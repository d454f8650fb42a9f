"""A small font built by feaLib from a feature file, then judged by feawriter_judge.py.

usage: feawriter_scenario.py OTLTOOL GLYPHS FEA WORKDIR
Prints the judge's line (or "FAIL setup: ...").
Lines of FEA that begin with "#@" are Python run on the built font (`font`) before it is
saved: they make what feature text cannot say (two ligatures for one input, say).
"""
import os
import subprocess
import sys

from fontTools.feaLib.builder import addOpenTypeFeaturesFromString
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen


def main():
    tool, glyphs_path, fea_path, work = sys.argv[1:5]
    os.makedirs(work, exist_ok=True)
    with open(glyphs_path, encoding="utf-8") as f:
        glyphs = [line.strip() for line in f if line.strip()]
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(glyphs)
    fb.setupCharacterMap({0x61 + i: g for i, g in enumerate(glyphs[1:27])})
    empty = TTGlyphPen(None).glyph()
    fb.setupGlyf({g: empty for g in glyphs})
    fb.setupHorizontalMetrics({g: (500, 0) for g in glyphs})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "Scenario", "styleName": "Regular"})
    fb.setupOS2()
    fb.setupPost()
    with open(fea_path, encoding="utf-8") as f:
        fea = f.read()
    addOpenTypeFeaturesFromString(fb.font, fea, filename=fea_path)
    patch = "\n".join(line[2:].strip() for line in fea.splitlines() if line.startswith("#@"))
    exec(patch, {"font": fb.font})  # noqa: S102 (the test's own lines)
    font_path = os.path.join(work, "scenario.ttf")
    fb.font.save(font_path)
    judge = os.path.join(os.path.dirname(os.path.abspath(__file__)), "feawriter_judge.py")
    run = subprocess.run([sys.executable, judge, tool, font_path, os.path.join(work, "judge")],
                         capture_output=True, text=True)
    print((run.stdout.strip().splitlines() or ["FAIL setup: " + run.stderr.strip()[-300:]])[-1])


if __name__ == "__main__":
    main()
