"""Checks the kerning of a UFO -> native -> UFO round trip against the original, for
fonts whose kerning comes back as millions of glyph pairs (too many for compare_ufo.py
to take quickly).

usage: kerning_roundtrip.py ORIGINAL_UFO ROUND_TRIP_UFO

Every group must come back with its members. For every pair of either UFO, the glyph
combination of the first members of its two sides must have the same value in both
(the glyph pair first, then glyph-class, class-glyph, class-class; none is 0): so every
zero exception of the original stays 0 and no pair of the round trip adds or changes
kerning where its sides begin. Prints "OK pairs=N" or the first differences and their
count; exit status 0 when there is none.
"""
import plistlib
import sys


def load(ufo):
    with open(ufo + "/groups.plist", "rb") as f:
        groups = plistlib.load(f)
    with open(ufo + "/kerning.plist", "rb") as f:
        kerning = {(a, b): v for a, row in plistlib.load(f).items() for b, v in row.items()}
    return groups, kerning


class Kerning:
    def __init__(self, groups, pairs):
        self.groups, self.pairs = groups, pairs
        self.left, self.right = {}, {}
        for name, members in groups.items():
            side = self.left if "@MMK_L_" in name else self.right if "@MMK_R_" in name else None
            for member in members if side is not None else []:
                side[member] = name

    def value(self, a, b):
        for key in ((a, b), (a, self.right.get(b)), (self.left.get(a), b), (self.left.get(a), self.right.get(b))):
            if key in self.pairs:
                return self.pairs[key]
        return 0

    def first_member(self, side):
        return (self.groups.get(side) or [side])[0]


def main():
    groups_a, pairs_a = load(sys.argv[1])
    groups_b, pairs_b = load(sys.argv[2])
    original, back = Kerning(groups_a, pairs_a), Kerning(groups_b, pairs_b)
    problems = []
    for name, members in groups_a.items():
        if sorted(groups_b.get(name, [])) != sorted(members):
            problems.append("group %s lost or changed" % name)
    for kerning in (original, back):
        for a, b in kerning.pairs:
            x, y = kerning.first_member(a), kerning.first_member(b)
            if round(original.value(x, y)) != round(back.value(x, y)):
                problems.append("%s %s: %r, original %r" % (x, y, back.value(x, y), original.value(x, y)))
    for line in problems[:20]:
        print(line)
    print("OK pairs=%d" % len(pairs_b) if not problems else "%d differences" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
