"""Writes the generated workload of the feature-compiler benchmark into a folder:
glyphs.txt (3,000 glyphs) and features.fea with 20,000 kerning pairs in 200 classes
(10,000 glyph pairs, then 100 x 100 class pairs) and 5,000 ligature and contextual rules;
the lookups use the Extension form, as subtables this large need it."""
import os
import random
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
rng = random.Random(7)
glyphs = [".notdef"] + ["g%d" % i for i in range(2999)]
with open(os.path.join(out, "glyphs.txt"), "w") as f:
    f.write("\n".join(glyphs) + "\n")

lines = ["languagesystem DFLT dflt;", "languagesystem latn dflt;", ""]
for i in range(100):
    lines.append("@L%d = [%s];" % (i, " ".join("g%d" % (i * 10 + k) for k in range(10))))
    lines.append("@R%d = [%s];" % (i, " ".join("g%d" % (1000 + i * 10 + k) for k in range(10))))
lines.append("lookup KERN_PAIRS useExtension {")
pairs = set()
while len(pairs) < 10000:
    pairs.add((rng.randrange(2000, 2999), rng.randrange(1, 2999)))
for a, b in sorted(pairs):
    lines.append("  pos g%d g%d %d;" % (a, b, rng.randrange(-120, 120)))
lines.append("} KERN_PAIRS;")
lines.append("lookup KERN_CLASSES useExtension {")
for i in range(100):
    for j in range(100):
        lines.append("  pos @L%d @R%d %d;" % (i, j, rng.randrange(-120, 120) or 1))
lines.append("} KERN_CLASSES;")
lines.append("feature kern { lookup KERN_PAIRS; lookup KERN_CLASSES; } kern;")
lines.append("lookup LIGA useExtension {")
ligs = set()
while len(ligs) < 2500:
    ligs.add((rng.randrange(1, 500), rng.randrange(1, 500), rng.randrange(1, 500)))
for a, b, c in sorted(ligs):
    lines.append("  sub g%d g%d g%d by g%d;" % (a, b, c, 2000 + (a + b + c) % 999))
lines.append("} LIGA;")
lines.append("feature liga { lookup LIGA; } liga;")
lines.append("lookup CALT useExtension {")
for k in range(2500):
    lines.append("  sub g%d' g%d by g%d;" % (500 + k % 400, rng.randrange(1, 3000 - 1), 1000 + k % 400))
lines.append("} CALT;")
lines.append("feature calt { lookup CALT; } calt;")
with open(os.path.join(out, "features.fea"), "w") as f:
    f.write("\n".join(lines) + "\n")
