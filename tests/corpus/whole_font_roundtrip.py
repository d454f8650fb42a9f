"""One whole font UFO -> native -> UFO through the program, with and without "-ttx",
judged from outside.

usage: whole_font_roundtrip.py EXE OTLTOOL SOURCE WORKDIR [EXPECTED ...]

SOURCE is a UFO, or a binary font made into one first (make_ufo_from_font.py). Roads:
  plain  UFO -> native -> UFO
  ttx    UFO -> native -> UFO with "-ttx" (the UFO gets the layout XML document)
  again  that UFO -> native -> UFO with "-ttx" (the layout comes from the document)
Findings, one line each:
  fea <road>          features.fea differs from the source's in bytes (plain and ttx)
  document <road>     the layout XML document missing (ttx, again)
  groups              groups.plist of the plain road has other groups (members as sets)
  kerning             kerning.plist of the plain road has other pairs (class pairs kept)
  kerning values      the kerning of the plain road, flattened to glyph pairs, differs
  import <key>        the layout of the feature text the native file holds (`otltool
                      import`) differs from feaLib's build of the same text, for
                      table/script/language/feature <key>, rule by rule (tests/layout_compare.py)
  ttx <key>           the same for the layout the program wrote as the ttx road's document
                      (tables by `otltool readxml`, GDEF from `otltool import`)
  again <key>         the same for the again road's document (its lookups may be numbered
                      otherwise: the native file holds the feature text generated from
                      the document's layout, not the document; and as the document holds
                      no GDEF, lookup flags are compared by their bits alone)
  ots <road>          ots-sanitize rejects our tables (import, ttx) where it accepts feaLib's
  shape <road>        hb-shape differs over probe texts
Both builds sit in a font made from the UFO (glyph order, advances, cmap; empty outlines).
Where the text names glyphs the UFO lacks, the program drops their rules: the documents are
then compared with `otltool import` of the text over the UFO's glyphs, and that import, run
once more with the missing glyphs added, with feaLib's build.
A finding matching an EXPECTED pattern (fnmatch, e.g. "ttx GPOS/*/kern") is a known gap.
Prints "EXPECTED <finding>", "FAIL <finding>: <detail>" and "UNSEEN <pattern>" (a known gap
that did not show) lines, then "OK <summary>" or "DIFFERS <summary>" as the last line.
"""
import fnmatch
import os
import plistlib
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "layout", "data"))

from fontTools.feaLib.builder import addOpenTypeFeatures  # noqa: E402
from fontTools.fontBuilder import FontBuilder  # noqa: E402
from fontTools.pens.ttGlyphPen import TTGlyphPen  # noqa: E402
from fontTools.ttLib import newTable  # noqa: E402
from fontTools.ufoLib import UFOReader  # noqa: E402

from compare_ufo import flat_kerning  # noqa: E402
from layout_compare import differences, layout  # noqa: E402
from table_io_font_roundtrip import probe_lines, shape  # noqa: E402

DOCUMENT = os.path.join("data", "com.quorvel.v2.otl.ttx.xml")


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def read_plist(path):
    data = read_bytes(path)
    return plistlib.loads(data) if data else {}


def pairs(kerning):
    return {(a, b): v for a, row in kerning.items() for b, v in row.items()}


def host_font(ufo, path, extra=()):
    """A TrueType font of the UFO's glyphs: order, advances and cmap, no outlines; `extra`
    names glyphs the feature text uses that the UFO lacks, placed last."""
    reader = UFOReader(ufo, validate=False)
    glyph_set = reader.getGlyphSet()
    order = reader.readLib().get("public.glyphOrder") or []
    order = [g for g in order if g in glyph_set] + sorted(g for g in glyph_set.keys() if g not in order)
    if ".notdef" in order:
        order.remove(".notdef")
    order.insert(0, ".notdef")
    order += [g for g in extra if g not in order]
    cmap, widths = {}, {}

    class Sink:
        pass

    for name in order:
        sink = Sink()
        sink.width, sink.unicodes = 0, []
        if name in glyph_set:
            glyph_set.readGlyph(name, sink)
        widths[name] = int(round(getattr(sink, "width", 0) or 0))
        for code in sink.unicodes or []:
            cmap.setdefault(code, name)
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(cmap)
    empty = TTGlyphPen(None).glyph()
    builder.setupGlyf({g: empty for g in order})
    builder.setupHorizontalMetrics({g: (widths[g], 0) for g in order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    builder.setupNameTable({"familyName": "Host", "styleName": "Regular"})
    builder.setupOS2()
    builder.setupPost()
    builder.save(path)
    return order


def native_folder(ufo, work):
    """Where the native files go: the feature text keeps its include lines, which then
    resolve against the native file's folder. A text that climbs out of the UFO gets the
    feature files of the folders it climbs to, copied into the same places below work."""
    climb = 0
    text = read_bytes(os.path.join(ufo, "features.fea")) or b""
    for part in re.findall(rb"include\s*\(\s*([^)]*?)\s*\)", text):
        climb = max(climb, part.replace(b"\\", b"/").count(b"../"))
    if climb == 0:
        return work
    root = os.path.abspath(os.path.join(ufo, *[".."] * climb))
    for folder, _, names in os.walk(root):
        for name in names:
            if name.endswith(".fea"):
                target = os.path.join(work, "tree", os.path.relpath(os.path.join(folder, name), root))
                os.makedirs(os.path.dirname(target), exist_ok=True)
                shutil.copyfile(os.path.join(folder, name), target)
    native = os.path.join(work, "tree", os.path.relpath(os.path.abspath(ufo), root) + ".native")
    os.makedirs(native, exist_ok=True)
    return native


def program(exe, *arguments):
    run = subprocess.run([exe, "-s", "-fo"] + list(arguments), capture_output=True, text=True, timeout=900)
    if run.returncode != 0:
        raise RuntimeError("%s: exit %d: %s" % (" ".join(arguments), run.returncode,
                                                " | ".join((run.stderr + run.stdout).splitlines()[:3])))


def otltool(tool, *args):
    run = subprocess.run([tool] + list(args), capture_output=True, text=True, timeout=600)
    if run.returncode != 0:
        raise RuntimeError("otltool %s: %s" % (args[0], " | ".join(run.stderr.splitlines()[:3])))


def our_font(host, folders):
    """The host with our tables: (folder, tags) in order, later ones replacing earlier."""
    from fontTools.ttLib import TTFont
    font = TTFont(host)
    for folder, tags in folders:
        for tag in tags:
            data = read_bytes(os.path.join(folder, tag))
            if data:
                table = newTable(tag)
                table.decompile(data, font)
                font[tag] = table
            elif tag in font:
                del font[tag]
    return font


def main():
    exe, tool, source, work = sys.argv[1:5]
    expected_patterns = sys.argv[5:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    findings = []  # (finding, detail)
    ufo = source
    if not os.path.isdir(source):
        ufo = os.path.join(work, "source.ufo")
        made = subprocess.run([sys.executable, os.path.join(HERE, "make_ufo_from_font.py"), tool, source, ufo],
                              capture_output=True, text=True, timeout=600).stdout.strip()
        if not made.startswith("OK"):
            print("DIFFERS fixture: " + made)
            return
    path = lambda *names: os.path.join(work, *names)
    native = lambda name: os.path.join(native_folder(ufo, work), name)
    try:
        program(exe, ufo, native("plain.qtf"))
        program(exe, native("plain.qtf"), path("plain.ufo"))
        program(exe, "-ttx", ufo, native("ttx.qtf"))
        program(exe, "-ttx", native("ttx.qtf"), path("ttx.ufo"))
        program(exe, "-ttx", path("ttx.ufo"), native("again.qtf"))
        program(exe, "-ttx", native("again.qtf"), path("again.ufo"))
    except RuntimeError as e:
        print("DIFFERS program " + str(e))
        return

    fea = os.path.join(ufo, "features.fea")
    original_text = read_bytes(fea)
    for road in ("plain", "ttx"):
        if read_bytes(path(road + ".ufo", "features.fea")) != original_text:
            findings.append(("fea " + road, "features.fea not kept byte for byte"))
    documents = {}
    for road in ("ttx", "again"):
        if read_bytes(path(road + ".ufo", DOCUMENT)):
            documents[road] = path(road + ".ufo", DOCUMENT)
        else:
            findings.append(("document " + road, "missing"))
    groups = [read_plist(os.path.join(u, "groups.plist")) for u in (ufo, path("plain.ufo"))]
    kerning = [read_plist(os.path.join(u, "kerning.plist")) for u in (ufo, path("plain.ufo"))]
    as_sets = [{k: frozenset(v) for k, v in g.items()} for g in groups]
    if as_sets[0] != as_sets[1]:
        changed = sorted(k for k in set(as_sets[0]) | set(as_sets[1]) if as_sets[0].get(k) != as_sets[1].get(k))
        findings.append(("groups", "%d differ, e.g. %s" % (len(changed), ", ".join(changed[:3]))))
    for name, (a, b) in (("kerning", [pairs(k) for k in kerning]),
                         ("kerning values", [flat_kerning(pairs(k), g) for k, g in zip(kerning, groups)])):
        if a != b:
            changed = sorted("%s %s" % k for k in set(a) | set(b) if a.get(k) != b.get(k))
            findings.append((name, "%d pairs differ, e.g. %s" % (len(changed), ", ".join(changed[:3]))))
            if name == "kerning" and len(b) > len(a):
                findings[-1] = (name, findings[-1][1] + " (%d pairs written for %d)" % (len(b), len(a)))

    # feaLib's build, in a font that also has the glyphs the text names and the UFO lacks.
    from fontTools.ttLib import TTFont
    host, missing = path("host.ttf"), []
    for attempt in range(2):
        order = host_font(ufo, host, missing)
        theirs = TTFont(host)
        try:
            addOpenTypeFeatures(theirs, fea, tables=["GSUB", "GPOS", "GDEF"])
            break
        except Exception as e:  # feaLib's refusal is a finding about the fixture, not ours
            missing = re.findall(r"^ (\S+) \(first found", str(e), re.M)
            if attempt or not missing:
                print("DIFFERS feaLib: " + str(e).splitlines()[0])
                return
    glyphs, all_glyphs = path("glyphs.txt"), path("all_glyphs.txt")
    for name, names in ((glyphs, [g for g in order if g not in missing]), (all_glyphs, order)):
        with open(name, "w", encoding="utf-8") as out:
            out.write("\n".join(names) + "\n")

    # Our layouts: the feature text through `otltool import` (what the native file's text
    # compiles to), and the documents through `otltool readxml`, with the GDEF of the text
    # their layout was compiled from.
    # Rules naming glyphs the UFO lacks are dropped on the program's roads: where there are
    # such glyphs, the text is imported once more with them, to be compared with feaLib's,
    # and the documents are compared with the import without them.
    fonts, references = {}, {"import": theirs}
    imported = path("imported")
    try:
        otltool(tool, "import", glyphs, fea, imported)
        fonts["import"] = our_font(host, [(imported, ("GSUB", "GPOS", "GDEF"))])
        if missing:
            references["ttx"] = references["again"] = fonts["import"]
            otltool(tool, "import", all_glyphs, fea, path("imported_all"))
            fonts["import"] = our_font(host, [(path("imported_all"), ("GSUB", "GPOS", "GDEF"))])
    except RuntimeError as e:
        findings.append(("import", str(e)))
    for road, document in documents.items():
        try:
            # The again road's layout was compiled from generated text, with its own GDEF
            # (mark filtering sets and attachment classes numbered anew).
            gdef = imported
            if road == "again":
                gdef = path("again_imported")
                otltool(tool, "import", glyphs, path("again.ufo", "features.fea"), gdef)
            otltool(tool, "readxml", glyphs, document, path(road + "_tables"))
            fonts[road] = our_font(host, [(gdef, ("GDEF",)), (path(road + "_tables"), ("GSUB", "GPOS"))])
        except RuntimeError as e:
            findings.append((road, str(e)))
    expected = {}
    for road, font in fonts.items():
        # The document holds no GDEF: on the again road the flags' mark classes and
        # filtering sets are gone, so flags are compared by their bits there.
        reference, bits = references.get(road, theirs), road == "again"
        if (id(reference), bits) not in expected:
            expected[(id(reference), bits)] = layout(reference, flag_bits_only=bits)
        for line in differences(expected[(id(reference), bits)], layout(font, flag_bits_only=bits)):
            findings.append(("%s %s" % (road, line.split(":")[0].split(" ")[0]), line))
    keys = len(expected.get((id(theirs), False), ()))
    probes = path("probes.txt")
    with open(probes, "w", encoding="utf-8") as out:
        out.write("\n".join(probe_lines(theirs)) + "\n")
    ots = lambda f: subprocess.run(["ots-sanitize", f], capture_output=True, text=True)
    for road in ("import", "ttx"):
        if road not in fonts:
            continue
        reference, ours = path(road + "_reference.ttf"), path(road + ".ttf")
        references.get(road, theirs).save(reference)
        fonts[road].save(ours)
        check = ots(ours)
        if ots(reference).returncode == 0 and check.returncode != 0:
            findings.append(("ots " + road, " | ".join((check.stderr + check.stdout).splitlines()[:3])))
        if shape(reference, probes, "") != shape(ours, probes, ""):
            findings.append(("shape " + road, "hb-shape differs over the probe texts"))

    failed = 0
    for finding, detail in findings:
        if any(fnmatch.fnmatchcase(finding, p) for p in expected_patterns):
            print("EXPECTED %s" % finding)
        else:
            failed += 1
            print("FAIL %s: %s" % (finding, detail[:300]))
    for pattern in expected_patterns:
        if not any(fnmatch.fnmatchcase(finding, pattern) for finding, _ in findings):
            print("UNSEEN %s" % pattern)
    summary = "keys=%d findings=%d unexpected=%d" % (keys, len(findings), failed)
    print(("DIFFERS " if failed else "OK ") + summary)


if __name__ == "__main__":
    main()
