// Sample.ufo with one change each (a shell command run in the copy), converted to a native
// file and back to a UFO: both convert, and the line that says what the change costs is
// printed on the way (a FIFO or a folder as the layer list: tests/hostile). A change with
// parts in braces is also made as a plain twin: `{a|b}` stands for `a` in the change and
// `b` in the twin (`{a}` for nothing there). The line is all that the two runs print
// differently, and the native files are the same unless the case says otherwise.
#include <functional>

#include "ufo/reader_warnings.h"
#include "ufo_fixtures.h"

namespace {

using namespace ufotest;
namespace fs = std::filesystem;

struct Case {
  std::string change;
  std::string line;
  // False where the braced parts change what the native file holds.
  bool sameNativeFile = true;
  // Further checks on the folder of the change (in.ufo, out.qtf, back.ufo).
  std::function<void(const fs::path&)> check = nullptr;
  // A further line the change adds (on the way back, or of another kind).
  std::string otherLine = {};
};

// The change with each braced part as the change (`twin` false) or the twin has it.
std::string variant(const std::string& change, bool twin) {
  std::string out;
  for (size_t at = 0; at < change.size();) {
    const size_t open = change.find('{', at);
    const size_t close = open == std::string::npos ? open : change.find('}', open);
    if (close == std::string::npos) return out + change.substr(at);
    const std::string part = change.substr(open + 1, close - open - 1);
    const size_t bar = part.find('|');
    out += change.substr(at, open - at) + (twin ? (bar == std::string::npos ? "" : part.substr(bar + 1))
                                                : part.substr(0, bar));
    at = close + 1;
  }
  return out;
}

// UFO -> native -> UFO in the folder; both runs' output.
std::string convertBothWays(const TempFolder& folder, const std::string& change) {
  const std::string ufo = shellQuote(folder.str() + "/in.ufo");
  const std::string copy = "cp -r " + shellQuote(TARNWICK_SOURCE_DIR "/tests/data/Sample.ufo") + " " + ufo;
  EXPECT_EQ(runCommand(copy + " && cd " + ufo + " && " + change, nullptr), 0) << change;
  const std::string native = shellQuote(folder.str() + "/out.qtf");
  const ufotest::Run there = tarnwick("-s " + ufo + " " + native);
  EXPECT_EQ(there.code, 0) << change << "\n" << there.out;
  const ufotest::Run back = tarnwick("-s " + native + " " + shellQuote(folder.str() + "/back.ufo"));
  EXPECT_EQ(back.code, 0) << change << "\n" << back.out;
  return there.out + back.out;
}

// Sample.ufo with T and W beside V, kerning groups A [A Aacute], O [O], T [T] and V [V W]
// (`oExtra` inside O's list), the class pairs A-V -50, O-T -30 and O-V -20, and `pairs`.
std::string kerningFont(const std::string& oExtra, const std::string& pairs) {
  auto group = [](const char* name, const std::string& members) {
    return "<key>public.kern" + std::string(name) + "</key><array>" + members + "</array>";
  };
  auto glyphs = [](std::initializer_list<const char*> names) {
    std::string list;
    for (const char* name : names) list += "<string>" + std::string(name) + "</string>";
    return list;
  };
  return "for g in T W; do sed \"s/\\\"V\\\"/\\\"$g\\\"/;/<unicode/d\" glyphs/V_.glif > glyphs/$g.glif && sed -i "
         "\"s|<dict>|&<key>$g</key><string>$g.glif</string>|\" glyphs/contents.plist; done && echo '<plist><dict>" +
         group("1.A", glyphs({"A", "Aacute"})) + group("1.O", glyphs({"O"}) + oExtra) + group("2.T", glyphs({"T"})) +
         group("2.V", glyphs({"V", "W"})) + "</dict></plist>' > groups.plist && echo '<plist><dict><key>public.kern1.A"
         "</key><dict><key>public.kern2.V</key><integer>-50</integer></dict><key>public.kern1.O</key><dict><key>"
         "public.kern2.T</key><integer>-30</integer><key>public.kern2.V</key><integer>-20</integer></dict>" +
         pairs + "</dict></plist>' > kerning.plist";
}

// Every glyph pair kerns in back.ufo as in in.ufo (by fontTools' look-up, after truncation),
// and O's class pairs come back as class pairs.
void sameKerningAndOClassPairs(const fs::path& folder) {
  const std::string back = readFile(folder / "back.ufo" / "kerning.plist");
  EXPECT_NE(valueOf(back, "public.kern1.O").find("<key>public.kern2.T</key><integer>-30</integer>"),
            std::string::npos) << back;
  if (!haveFontTools()) return;
  const std::string script =
      "import plistlib,sys,itertools\nfrom fontTools.ufoLib.kerning import lookupKerningValue as v\n"
      "def load(u):\n  g=plistlib.load(open(u+\"/groups.plist\",\"rb\"))\n"
      "  return g,{(a,b):x for a,r in plistlib.load(open(u+\"/kerning.plist\",\"rb\")).items() for b,x in r.items()}\n"
      "a,b=load(sys.argv[1]),load(sys.argv[2])\nnames=\"A Aacute O T V W\".split()\n"
      "sys.exit(any(int(v(p,*a[::-1]))!=v(p,*b[::-1]) for p in itertools.product(names,names)))\n";
  std::ofstream(folder / "compare.py") << script;
  EXPECT_EQ(runCommand(std::string(TARNWICK_PYTHON) + " " + shellQuote((folder / "compare.py").string()) + " " +
                           shellQuote((folder / "in.ufo").string()) + " " + shellQuote((folder / "back.ufo").string()),
                       nullptr),
            0)
      << back;
}

TEST(SampleVariants, ConvertWithTheirLine) {
  const std::string emptyList = "rm glyphs/* && touch glyphs/contents.plist glyphs/";
  // A creation time of its own, so that a change and its twin write the same native file.
  const std::string dated = "sed -i 's|<dict>|&<key>openTypeHeadCreated</key><string>2020/01/02 03:04:05</string>|' "
                            "fontinfo.plist && ";
  const std::string ufo3 = "sed -i 's|<integer>2<|<integer>3<|' metainfo.plist && " + dated;
  const std::string red = "<key>color</key><string>1,0,0,1</string>";
  const std::string guides = "Warning: colours of UFO 3 guidelines are left out; the guides themselves are kept: ";
  const std::string spreadClasses =
      "Warning: kerning classes that the native format cannot keep as classes are written as glyph pairs; they "
      "come back as plain groups, with every pair's value kept: ";
  // Fontinfo and glyph values the native file holds otherwise: a key added, a text set, a
  // text made up when empty, a key left out (the twin has none), a warning line.
  auto info = [&](const std::string& entry) { return dated + "sed -i 's|<dict>|&" + entry + "|' fontinfo.plist"; };
  auto set = [&](const std::string& from, const std::string& to, const std::string& file = "fontinfo.plist") {
    return dated + "sed -i 's|" + from + "|" + to + "|' " + file;
  };
  auto emptied = [&](const std::string& key, const std::string& text) {
    return Case{set(">" + text + "<", ">{|" + text + "}<"), key + " \"\" becomes \"" + text + "\", "};
  };
  auto leftOut = [&](const std::string& entry, const std::string& item) {
    return Case{info("{" + entry + "}"), item + ", "};
  };
  auto warned = [](const std::string& line, const std::string& item) {
    return "Warning: " + line + ": " + item + "\n";
  };
  auto backHas = [](const std::string& text) {
    return [text](const fs::path& at) {
      EXPECT_NE(readFile(at / "back.ufo/fontinfo.plist").find(text), std::string::npos) << text;
    };
  };
  const std::string charset = "<key>postscriptWindowsCharacterSet</key>", cut(255, 'n'), zeros = " 0 0 0 0 0 0 0 0 0";
  const std::string range = " (beyond the range the native format holds)";
  const std::string whole = " (the native format holds whole units), ";
  const std::string outside = " left out (outside the range the UFO format allows), ";
  auto notAllowed = [](const std::string& item) {
    return "Warning: fontinfo values that the UFO format does not allow are left out: " + item + "\n";
  };
  const std::string glyphA = "glyphs/A_.glif", clamped = ufo::warning::kClampedValuesLine;
  auto zerosOf = [](int count) {
    std::string integers;
    for (int i = 0; i < count; ++i) integers += "<integer>0</integer>";
    return integers;
  };
  const Case cases[] = {
      {emptyList + ".DS_Store", ""},
      {emptyList + "layerinfo.plist", ""},
      {"ln -s gone layercontents.plist",
       "\"layercontents.plist\" cannot be read (it cannot be opened: No such file or directory); "},
      {"mkdir -p data/com.x.c data/com.x.f/g && cd data && touch com.quorvel.v2.otl.ttx.xml com.x.a com.x.b "
       "com.x.c/d com.x.e com.x.f/g/h com.x.i com.x.j",
       "files of the \"data\" folder are not carried by the native format and are left out: data/com.x.a, "
       "data/com.x.b, data/com.x.c/d, data/com.x.e, data/com.x.f/g/h and 2 more\n"},
      {"sed -i 's|<unicode hex=\"004F\"/>|<unicode hex=\"1D400\"/>&|' glyphs/O_.glif",
       "Unicode values from U+10000 up come back after the glyph's other values, as the native format holds them "
       "in a list of their own: O\n"},
      {ufo3 + "sed -i 's|<advance|<guideline y=\"5\"{ color=\"1,0,0,1\"}/>&|' glyphs/A_.glif", guides + "A\n"},
      {ufo3 + "sed -i 's|<dict>|&<key>guidelines</key><array><dict><key>y</key><real>5</real>{" + red +
           "}</dict></array>|' fontinfo.plist",
       guides + "font\n"},
      {ufo3 + "sed -i 's|<advance|<anchor x=\"9\" y=\"5\" name=\"top\"{ color=\"1,0,0,1\"}/>&|' glyphs/A_.glif",
       "Warning: colours of UFO 3 anchors are not carried by the native format and are left out: A\n"},
      {ufo3 + "echo '<plist><dict>{" + red + "<key>lib</key><dict/>}</dict></plist>' > glyphs/layerinfo.plist",
       "Warning: keys of the default layer's \"glyphs/layerinfo.plist\" are not carried by the native format and "
       "are left out: color, lib\n"},
      // Kerning: only the classes an exception of 0 falls under, or whose members are all
      // kerned on their own, go as glyph pairs; failing keys for the others, all do.
      {kerningFont("", "<key>Aacute</key><dict><key>public.kern2.V</key><integer>{0|-1}</integer></dict>"),
       spreadClasses + "public.kern1.A (an exception of 0 under a class pair)\n", false, sameKerningAndOClassPairs},
      {kerningFont("", "<key>Aacute</key><dict><key>public.kern2.V</key><real>{-0.5|-1}</real></dict>"),
       spreadClasses + "public.kern1.A (an exception of 0 under a class pair)\n", false, sameKerningAndOClassPairs,
       "Warning: kerning values that are not whole numbers are truncated toward zero, as the native format holds "
       "whole units: Aacute public.kern2.V (-0.5)\n"},
      {kerningFont("", "<key>A</key><dict><key>public.kern2.T</key><integer>-7</integer></dict>{<key>Aacute</key>"
                       "<dict><key>public.kern2.T</key><integer>-9</integer></dict>}"),
       spreadClasses + "public.kern1.A (every member kerned on its own)\n", false, sameKerningAndOClassPairs},
      {kerningFont("{<string>A</string>}", ""),
       "Warning: the whole kerning is written as glyph pairs, as no key glyphs can be chosen for its classes that "
       "read back as the font kerns; its classes come back as plain groups, with every pair's value kept: "
       "public.kern1.A, public.kern1.O, public.kern2.T, public.kern2.V\n",
       false},
      // Point names lost, images no glyph uses, empty groups, pairs of glyphs the font lacks.
      // (A without its names and program; V's hint set comes back at a point of the name it had.)
      {dated + "sed -i 's/ name=\"[a-z0-9]*\"//; /<lib>/,/<\\/lib>/d' glyphs/A_.glif && "
       "sed -i 's#\"20\" y=\"700\"#& name=\"hr00\"#; s#\"100\" y=\"700\"#&{ name=\"tip\"}#; "
       "s#</outline>#&<lib><dict><key>com.adobe.type.autohint</key><data><hintSetList><hintset pointTag=\"hr00\">"
       "<hstem pos=\"0\" width=\"20\"/></hintset></hintSetList></data></dict></lib>#' glyphs/V_.glif",
       "Warning: point names are not carried by the native format and are left out; the points that hint sets and "
       "TrueType programs use come back under names of their own: V\n"},
      {dated + "mkdir images && touch images/b.png{ images/a.png} && sed -i 's#<advance#<image fileName=\"b.png\"/>&#' "
       "glyphs/V_.glif",
       "Warning: files of the \"images\" folder that no glyph of the default layer uses are not carried by the "
       "native format and are left out: images/a.png\n"},
      {dated + "sed -i '0,/<dict>/s#<dict>#&{<key>@MMK_L_none</key><array/><key>plain</key><array></array>}#' "
       "groups.plist && sed -i '0,/<dict>/s#<dict>#&{<key>@MMK_L_none</key><dict><key>V</key><real>5</real></dict>}#' "
       "kerning.plist",
       "Warning: groups without members, and the kerning pairs naming them, are left out: @MMK_L_none, plain\n"},
      {dated + "sed -i '0,/<dict>/s#<dict>#&{<key>Zed</key><dict><key>V</key><real>5</real></dict><key>O</key><dict>"
       "<key>Why</key><real>5</real></dict>}#' kerning.plist",
       "Warning: kerning pairs naming a glyph the font lacks are left out: Zed, Why\n"},
      // Fontinfo and glyph values the native file holds otherwise are named.
      {info(charset + "<integer>3</integer>"), "", true, backHas(charset + "\n  <integer>3</integer>")},
      {info(charset + "<integer>{21|20}</integer>"), "postscriptWindowsCharacterSet 21" + outside, false, nullptr,
       notAllowed("postscriptWindowsCharacterSet 21")},
      emptied("styleName", "Regular"), emptied("postscriptFontName", "TarnwickSample-Regular"),
      emptied("postscriptFullName", "Tarnwick Sample Regular"),
      {dated + "sed -i '6s|>Tarnwick Sample<|>{|Tarnwick Sample}<|' fontinfo.plist",
       "familyName \"\" becomes \"Tarnwick Sample\", ", false},
      {set(">1<", ">{70000|4464}<"), "versionMajor 70000 becomes 4464" + range + ", ", false, backHas(">4464<")},
      {set(">-100<", ">{-70000|-4464}<"), "postscriptUnderlinePosition -70000 becomes -4464" + range + ", "},
      leftOut("<key>year</key><integer>-3</integer>", "year -3 left out" + range),
      {info("<key>postscriptBlueFuzz</key><real>{0.5|0}</real>"), "postscriptBlueFuzz 0.5 becomes 0" + whole},
      {info("<key>postscriptStemSnapH</key><array><real>{10.5|10}</real></array>"),
       "postscriptStemSnapH 10.5 becomes 10" + whole},
      {info("<key>postscriptStemSnapV</key><array>" + zerosOf(12) + "{<integer>5</integer>}</array>"),
       "postscriptStemSnapV 5 left out (the native format holds at most 12), ", false},
      {info("<key>openTypeOS2Panose</key><array><integer>{300|44}</integer>" + zerosOf(9) + "</array>"),
       "openTypeOS2Panose 300" + zeros + " becomes 44" + zeros + range + ", "},
      leftOut("<key>openTypeOS2VendorID</key><string>ABCDE</string>",
              "openTypeOS2VendorID \"ABCDE\" left out (the native format holds at most 4 characters)"),
      leftOut("<key>trademark</key><string/>", "trademark left out (empty)"),
      leftOut("<key>postscriptUniqueID</key><integer>0</integer>",
              "postscriptUniqueID 0 left out (the native format takes 0 for none)"),
      {set(">5<", ">{10|5}<"), "openTypeOS2WidthClass 10" + outside, false, nullptr,
       notAllowed("openTypeOS2WidthClass 10")},
      {set("<outline>", "&<contour><point x=\"{40000|32767}\" type=\"move\" name=\"top\"/></contour>", glyphA),
       warned(clamped, "A (anchor)")},
      {set("x=\"20\"", "x=\"{536936448|536870912}\"", glyphA), warned(clamped, "A (contour point)")},
      {set(">space<", ">" + cut + "{nn}<", "glyphs/contents.plist"),
       warned(ufo::warning::longGlyphNames(), cut + "nn")},
      {set("<unicode hex=\"0041\"/>", "&{<unicode hex=\"110000\"/>}", glyphA),
       warned(ufo::warning::kUnicodeBeyondRangeLine, "A")},
      {ufo3 + set("<advance", "<guideline y=\"{5.5|5}\"/>&", glyphA), warned(ufo::warning::kMovedGuidesLine, "A")},
  };
  for (const Case& c : cases) {
    TempFolder folder, twinFolder;
    const std::string change = variant(c.change, false);
    std::string out = convertBothWays(folder, change);
    const size_t other = out.rfind(c.otherLine);
    EXPECT_NE(other, std::string::npos) << change << "\n" << c.otherLine << "\n" << out;
    if (other != std::string::npos) out.erase(other, c.otherLine.size());
    const size_t found = out.find(c.line);
    EXPECT_NE(found, std::string::npos) << change << "\n" << c.line << "\n" << out;
    if (c.check) c.check(folder.path());
    if (change == c.change || found == std::string::npos) continue;
    EXPECT_EQ(out.erase(found, c.line.size()), convertBothWays(twinFolder, variant(c.change, true))) << change;
    if (c.sameNativeFile) {
      EXPECT_TRUE(readFile(folder.path() / "out.qtf") == readFile(twinFolder.path() / "out.qtf")) << change;
    }
  }
}

}  // namespace
