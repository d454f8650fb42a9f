"""Layout comparison shared by the judges that decompile GSUB/GPOS with fontTools: the
lookups of each (table, script, language, feature), rule by rule, after the normalisation
of tests/feacompiler/data/builder_judge.py, with the forms feature text cannot tell apart
folded together.

  layout(font, skipped, flag_bits_only)
                              {(table, script, language, feature): [lookup rules, ...]}
  font_layout(path, skipped, flag_bits_only)
                              layout() of an installed font file, computed once and kept
                              for every test that asks (a cache folder, see below)
  differences(expected, got)  one line per key that differs (differing_keys: the keys)
  required_features(font)     features a language system marks required
  with_tables(path, tables, gdef)  the font at path with other GSUB/GPOS/GDEF
  gdef_facts(font), gdef_differences(expected, got)
                              the GDEF parts feature text carries, and where they differ
  write_tool_inputs(font, work)   the glyph list and layout tables `otltool` reads
  with_written_tables(font_path, folder, tags, work)
                              path of a copy of the font with the tables `otltool` wrote
  generated_feature_text(tool, font, work)
                              (glyph list path, feature file path, text or None, error)
                              the text `otltool fea` writes from the font's tables
"""
import hashlib
import os
import pickle
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "feacompiler", "data"))

from fontTools.ttLib import TTFont  # noqa: E402

from builder_judge import Normalizer, class_glyphs, vr  # noqa: E402

SKIPPED_FEATURES = ("aalt",)


class Judge(Normalizer):
    """Plain contextual lookups (GSUB 5, GPOS 7) compared as chained ones without context:
    feature text has one syntax for both and compilers write the chained kind; ligature
    lookups of one-glyph ligatures only as single substitutions."""

    def lookup(self, index):
        result = super().lookup(index)
        plain = {"GSUB": 5, "GPOS": 7}[self.tag]
        if result[0] == plain:
            result = (plain + 1,) + result[1:]
            self.cache[index] = result
        if self.tag == "GSUB" and result[0] == 4 and result[2] and all(len(k) == 1 for k, _ in result[2]):
            # Ligatures of one glyph each act as a single substitution, the only form
            # feature text has for them.
            result = (1, result[1], tuple(sorted(((k[0], v) for k, v in result[2]), key=repr)))
            self.cache[index] = result
        return result

    def chain_rule(self, bt, inp, la, recs):
        """A context glyph set is a set: a coverage listing a glyph twice (overlapping
        ranges) is written once."""
        def sets(seq):
            return [tuple(sorted(set(glyphs))) for glyphs in seq]
        return super().chain_rule(sets(bt), sets(inp), sets(la), recs)

    def context_rules(self, subs):
        rules = []
        names = ("Sub", "Subst") if self.tag == "GSUB" else ("Pos", "Pos")
        for _, st in subs:
            records = names[1] + "LookupRecord"
            if st.Format == 3:
                inp = [tuple(sorted(c.glyphs)) for c in st.Coverage]
                rules.append(self.chain_rule([], inp, [], getattr(st, records)))
            elif st.Format == 1:
                cov = st.Coverage.glyphs
                for i, rs in enumerate(getattr(st, names[0] + "RuleSet")):
                    for r in (getattr(rs, names[0] + "Rule") if rs else []):
                        inp = [(cov[i],)] + [(g,) for g in r.Input]
                        rules.append(self.chain_rule([], inp, [], getattr(r, records)))
            elif st.Format == 2:
                cov = set(st.Coverage.glyphs)
                for i, rs in enumerate(getattr(st, names[0] + "ClassSet")):
                    for r in (getattr(rs, names[0] + "ClassRule") if rs else []):
                        def cg(c):
                            return tuple(sorted(class_glyphs(st.ClassDef, c, self.glyphs)))
                        first = tuple(g for g in cg(i) if g in cov)
                        inp = [first] + [cg(c) for c in r.Class]
                        rules.append(self.chain_rule([], inp, [], getattr(r, records)))
        return rules

    def gpos2(self, subs):
        """The normalizer's pair rules, found through dictionaries: a large kerning lookup
        takes minutes with list searches. The first subtable covering the first glyph
        decides, as there."""
        zero = ((0, 0, 0, 0), (0, 0, 0, 0))
        values = {}

        def value(rec):
            if id(rec) not in values:
                values[id(rec)] = (vr(rec.Value1), vr(rec.Value2))
            return values[id(rec)]

        tables = []
        candidates = set()
        for _, st in subs:
            covered = {}
            for i, g in enumerate(st.Coverage.glyphs):
                covered.setdefault(g, i)
            if st.Format == 1:
                seconds = []
                for g1, ps in zip(st.Coverage.glyphs, st.PairSet):
                    first = {}
                    for r in ps.PairValueRecord:
                        first.setdefault(r.SecondGlyph, r)
                        candidates.add((g1, r.SecondGlyph))
                    seconds.append(first)
                tables.append((st, covered, seconds, None, None))
                continue
            cd1 = st.ClassDef1.classDefs if st.ClassDef1 else {}
            cd2 = st.ClassDef2.classDefs if st.ClassDef2 else {}
            by2 = {}
            for g, c in cd2.items():
                by2.setdefault(c, []).append(g)
            rows = {}
            for g1 in st.Coverage.glyphs:
                c1 = cd1.get(g1, 0)
                if c1 not in rows:
                    rows[c1] = [c2 for c2, rec in enumerate(st.Class1Record[c1].Class2Record)
                                if c2 and value(rec) != zero]
                for c2 in rows[c1]:
                    for g2 in by2.get(c2, []):
                        candidates.add((g1, g2))
            tables.append((st, covered, None, cd1, cd2))
        out = []
        for g1, g2 in candidates:
            found = None
            for st, covered, seconds, cd1, cd2 in tables:
                if g1 not in covered:
                    continue
                if seconds is not None:
                    rec = seconds[covered[g1]].get(g2)
                    if rec is None:
                        continue
                else:
                    rec = st.Class1Record[cd1.get(g1, 0)].Class2Record[cd2.get(g2, 0)]
                found = value(rec)
                break
            if found is not None and found != zero:
                out.append(((g1, g2), found))
        return out

    def gsub5(self, subs):
        return self.context_rules(subs)

    def gpos7(self, subs):
        return self.context_rules(subs)


def coalesce_marks(tag, lookups):
    """Consecutive mark attachment lookups of one kind and flag act as one: a later one
    overrides an earlier attachment. The writer splits a lookup whose subtables share marks
    or bases into such runs (the last part first), so both sides are compared this way."""
    out = []
    for lk in lookups:
        if out and tag == "GPOS" and lk[0] in (4, 5, 6) and out[-1][0] == lk[0] and out[-1][1] == lk[1]:
            merged = dict(out[-1][2])
            merged.update(dict(lk[2]))
            out[-1] = (lk[0], lk[1], tuple(sorted(merged.items(), key=repr)))
        elif (out and tag == "GSUB" and out[-1][0] == 4 and lk[0] == 1 and out[-1][1] == lk[1]
              and isinstance(lk[2], tuple)):
            # A single substitution lookup right after a ligature lookup acts as its
            # one-glyph ligatures (where no longer ligature applied); the writer puts
            # them there since feature text cannot hold them in the ligature lookup.
            rules = dict(out[-1][2])
            for glyph, replacement in lk[2]:
                rules.setdefault((glyph,), replacement)
            out[-1] = (4, lk[1], tuple(sorted(rules.items(), key=repr)))
        else:
            out.append(lk)
    return out


def required_features(font):
    """Feature text cannot mark a required feature (the writer leaves a comment): such
    features are not compared."""
    tags = set()
    for tag in ("GSUB", "GPOS"):
        if tag not in font or not font[tag].table.ScriptList:
            continue
        records = font[tag].table.FeatureList.FeatureRecord
        for sr in font[tag].table.ScriptList.ScriptRecord:
            systems = [sr.Script.DefaultLangSys] + [lr.LangSys for lr in sr.Script.LangSysRecord]
            for ls in systems:
                if ls is not None and ls.ReqFeatureIndex != 0xFFFF:
                    tags.add(records[ls.ReqFeatureIndex].FeatureTag.strip())
    return tags


class FlagBitsJudge(Judge):
    """Lookup flags by their bits alone: the mark attachment classes and mark filtering
    sets they name live in GDEF, which a layout without GDEF data cannot keep."""

    def flag(self, lookup):
        return (lookup.LookupFlag & 0x00FF & ~0x10,)


def layout(font, skipped=(), flag_bits_only=False):
    out = {}
    for tag in ("GSUB", "GPOS"):
        judge = (FlagBitsJudge if flag_bits_only else Judge)(font, tag)
        # Languages share lookup lists: each list is coalesced once (the judge hands the
        # same object for the same lookup, so identities make the key).
        coalesced = {}
        for key, lookups in judge.features().items():
            # Feature parameters (cvXX/ssXX names, size) have no place in the generated text.
            lookups = [lk for lk in lookups if lk[0] != "params"]
            if key[2] not in SKIPPED_FEATURES and key[2].strip() not in skipped and lookups:
                ids = tuple(id(lk) for lk in lookups)
                if ids not in coalesced:
                    coalesced[ids] = coalesce_marks(tag, lookups)
                out[(tag,) + key] = coalesced[ids]
    return out


def _cache_folder():
    folder = os.environ.get("TARNWICK_JUDGE_CACHE") or os.path.join(
        tempfile.gettempdir(), "tarnwick-judge-cache-%d" % os.getuid())
    os.makedirs(folder, exist_ok=True)
    return folder


def font_layout(font_path, skipped=(), flag_bits_only=False):
    """layout() of a font file that no test changes (the reference of the whole-font
    judges), decompiled once and shared between the tests and their runs through the
    folder TARNWICK_JUDGE_CACHE (default tarnwick-judge-cache-<uid> in the temporary
    folder). The key holds the file's path, size and time, the comparison's own sources
    and the fontTools version, so a change to any of them decompiles anew."""
    import fontTools
    here = os.path.dirname(os.path.abspath(__file__))
    key = hashlib.sha256()
    stat = os.stat(font_path)
    key.update(repr((os.path.abspath(font_path), stat.st_size, stat.st_mtime_ns, tuple(sorted(skipped)),
                     flag_bits_only, fontTools.version)).encode())
    for source in (__file__, os.path.join(here, "feacompiler", "data", "builder_judge.py")):
        with open(source, "rb") as f:
            key.update(f.read())
    path = os.path.join(_cache_folder(), key.hexdigest() + ".pickle")
    try:
        with open(path, "rb") as f:
            return pickle.load(f)
    except (OSError, EOFError, pickle.UnpicklingError):
        pass
    result = layout(TTFont(font_path), skipped, flag_bits_only)
    # Written whole under a fresh name and moved into place: tests run side by side.
    handle, temporary = tempfile.mkstemp(dir=os.path.dirname(path), suffix=".part")
    with os.fdopen(handle, "wb") as f:
        pickle.dump(result, f, protocol=pickle.HIGHEST_PROTOCOL)
    os.replace(temporary, path)
    return result


def differing_keys(expected, got):
    """The keys whose lookups differ. Keys share their lookup lists (layout() hands the same
    list for the same lookups), so each pair of lists is compared once."""
    same = {}
    keys = []
    for key in sorted(set(expected) | set(got)):
        a, b = expected.get(key), got.get(key)
        pair = (id(a), id(b))
        if pair not in same:
            same[pair] = a == b
        if not same[pair]:
            keys.append(key)
    return keys


def differences(expected, got):
    lines = []
    for key in differing_keys(expected, got):
        a, b = expected.get(key), got.get(key)
        if a is None or b is None:
            lines.append("%s only in %s" % ("/".join(key), "font" if b is None else "build"))
        elif len(a) != len(b):
            lines.append("%s: %d lookups against %d" % ("/".join(key), len(a), len(b)))
        else:
            i = next(i for i in range(len(a)) if a[i] != b[i])
            lines.append("%s: lookup %d differs (type %s)" % ("/".join(key), i, a[i][0]))
    return lines


def with_tables(font_path, tables, built_gdef=None):
    """The font with the built GSUB/GPOS and the built GDEF in place of its own (none when
    the build made none), so glyph classes, carets and the mark classes the flags name are
    all the build's."""
    font = TTFont(font_path)
    for tag in ("GSUB", "GPOS", "GDEF"):
        if tag in font:
            del font[tag]
    for tag, table in tables.items():
        font[tag] = table
    if built_gdef is not None:
        font["GDEF"] = built_gdef
    return font


def gdef_facts(font):
    """What feature text can carry of a font's GDEF, per part: glyph classes, ligature
    carets (by position or by point; device tables have no text) and attachment points."""
    facts = {"classes": {}, "carets": {}, "attach": {}}
    if "GDEF" not in font:
        return facts
    gdef = font["GDEF"].table
    if gdef.GlyphClassDef:
        facts["classes"] = {g: c for g, c in gdef.GlyphClassDef.classDefs.items() if c}
    carets = getattr(gdef, "LigCaretList", None)
    if carets and carets.Coverage:
        for glyph, lig in zip(carets.Coverage.glyphs, carets.LigGlyph):
            facts["carets"][glyph] = tuple(sorted(
                ("point", cv.CaretValuePoint) if cv.Format == 2 else ("pos", cv.Coordinate)
                for cv in lig.CaretValue))
    attach = getattr(gdef, "AttachList", None)
    if attach and attach.Coverage:
        for glyph, point in zip(attach.Coverage.glyphs, attach.AttachPoint):
            facts["attach"][glyph] = tuple(point.PointIndex)
    return facts


def gdef_differences(expected, got):
    """{part: first differing glyphs} for the parts of gdef_facts that differ."""
    found = {}
    for part in expected:
        a, b = expected[part], got[part]
        if a != b:
            found[part] = sorted(g for g in set(a) | set(b) if a.get(g) != b.get(g))[:3]
    return found


def write_tool_inputs(font, work):
    """The font's glyph order as work/glyphs.txt and its layout tables as work/in/<tag>,
    the inputs of `otltool`; returns the glyph list's path."""
    os.makedirs(os.path.join(work, "in"), exist_ok=True)
    glyphs_path = os.path.join(work, "glyphs.txt")
    with open(glyphs_path, "w", encoding="utf-8") as out:
        out.write("\n".join(font.getGlyphOrder()) + "\n")
    for tag in ("GSUB", "GPOS", "GDEF"):
        if tag in font.reader:
            with open(os.path.join(work, "in", tag), "wb") as out:
                out.write(font.reader[tag])
    return glyphs_path


def with_written_tables(font_path, folder, tags, work):
    """A copy of the font (saved into work) whose tables named in tags are the bytes
    `otltool` wrote into folder, byte for byte; a table it did not write is dropped."""
    from fontTools.ttLib.tables.DefaultTable import DefaultTable
    font = TTFont(font_path, lazy=True)
    for tag in tags:
        path = os.path.join(folder, tag)
        if os.path.exists(path):
            font[tag] = DefaultTable(tag)
            with open(path, "rb") as data:
                font[tag].data = data.read()
        elif tag in font:
            del font[tag]
    copy = os.path.join(work, "rewritten" + os.path.splitext(font_path)[1])
    font.save(copy, reorderTables=False)
    return copy


def generated_feature_text(tool, font, work):
    """Writes the font's glyph order and layout tables into work and has `otltool fea`
    generate feature text from them. The text is None when the tool failed; the error is
    then its first lines of standard error."""
    glyphs_path = write_tool_inputs(font, work)
    fea_path = os.path.join(work, "features.fea")
    run = subprocess.run([tool, "fea", glyphs_path, os.path.join(work, "in"), fea_path],
                         capture_output=True, text=True, timeout=600)
    if run.returncode != 0:
        return glyphs_path, fea_path, None, " | ".join(run.stderr.splitlines()[:3])
    with open(fea_path, encoding="utf-8") as f:
        return glyphs_path, fea_path, f.read(), ""
