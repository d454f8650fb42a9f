"""Writes the generated workload of the feature-compiler benchmark into a folder:
glyphs.txt (3,000 glyphs) and features.fea with kerning pairs in classes and ligature and
contextual rules; the lookups use the Extension form, as subtables this large need it.

    make_fea_workload.py OUT                 20,000 pairs in 200 classes, 5,000 rules
    make_fea_workload.py OUT --large         50,000 pairs in 400 classes, 10,000 rules

Half the pairs are glyph pairs, the other half every pair of the left and right classes."""
import os
import random
import sys

out = sys.argv[1]
large = "--large" in sys.argv[2:]
class_count = 200 if large else 100  # of each side
glyph_pairs = 10000
class_size = 1000 // class_count  # classes of each side fill 1,000 glyphs
rules = 5000 if large else 2500  # of each kind
os.makedirs(out, exist_ok=True)
rng = random.Random(7)
glyphs = [".notdef"] + ["g%d" % i for i in range(2999)]
with open(os.path.join(out, "glyphs.txt"), "w") as f:
    f.write("\n".join(glyphs) + "\n")

lines = ["languagesystem DFLT dflt;", "languagesystem latn dflt;", ""]
for i in range(class_count):
    lines.append("@L%d = [%s];" % (i, " ".join("g%d" % (i * class_size + k) for k in range(class_size))))
    lines.append("@R%d = [%s];" % (i, " ".join("g%d" % (1000 + i * class_size + k) for k in range(class_size))))
lines.append("lookup KERN_PAIRS useExtension {")
pairs = set()
while len(pairs) < glyph_pairs:
    pairs.add((rng.randrange(2000, 2999), rng.randrange(1, 2999)))
for a, b in sorted(pairs):
    lines.append("  pos g%d g%d %d;" % (a, b, rng.randrange(-120, 120)))
lines.append("} KERN_PAIRS;")
lines.append("lookup KERN_CLASSES useExtension {")
for i in range(class_count):
    # A class pair subtable addresses its records with 16-bit offsets: 200 x 200 classes
    # are split into subtables of 50 left classes.
    if large and i and i % 50 == 0:
        lines.append("  subtable;")
    for j in range(class_count):
        lines.append("  pos @L%d @R%d %d;" % (i, j, rng.randrange(-120, 120) or 1))
lines.append("} KERN_CLASSES;")
lines.append("feature kern { lookup KERN_PAIRS; lookup KERN_CLASSES; } kern;")
lines.append("lookup LIGA useExtension {")
ligs = set()
while len(ligs) < rules:
    ligs.add((rng.randrange(1, 500), rng.randrange(1, 500), rng.randrange(1, 500)))
for a, b, c in sorted(ligs):
    lines.append("  sub g%d g%d g%d by g%d;" % (a, b, c, 2000 + (a + b + c) % 999))
lines.append("} LIGA;")
lines.append("feature liga { lookup LIGA; } liga;")
lines.append("lookup CALT useExtension {")
for k in range(rules):
    lines.append("  sub g%d' g%d by g%d;" % (500 + k % 400, rng.randrange(1, 3000 - 1), 1000 + k % 400))
lines.append("} CALT;")
lines.append("feature calt { lookup CALT; } calt;")
with open(os.path.join(out, "features.fea"), "w") as f:
    f.write("\n".join(lines) + "\n")
