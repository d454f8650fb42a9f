// Hostile UFO folders through the program: traversal names in contents.plist, entity
// declarations, 100,000-deep nesting and numbers beyond every range. Each run must
// end in order (see endedInOrder) and read nothing from outside the UFO.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "hostile_run.h"

namespace {

using hostile::Scratch;

const std::vector<std::string> kOutputs{"font.qtf"};

const char* kPlistHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

std::string plist(const std::string& body) { return std::string(kPlistHead) + "<plist version=\"1.0\">\n" + body + "</plist>\n"; }

std::string glif(const std::string& name, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + name + "\" format=\"1\">\n" + body + "</glyph>\n";
}

const std::string kOutline =
    "<outline><contour><point x=\"10\" y=\"0\" type=\"line\"/><point x=\"400\" y=\"0\" type=\"line\"/>"
    "<point x=\"200\" y=\"600\" type=\"line\"/></contour></outline>\n";

// The files of a small sound UFO 2 font; tests replace or add files.
std::map<std::string, std::string> soundUfo() {
  return {
      {"metainfo.plist", plist("<dict><key>creator</key><string>org.test</string>"
                               "<key>formatVersion</key><integer>2</integer></dict>")},
      {"fontinfo.plist", plist("<dict><key>familyName</key><string>Hostile</string>"
                               "<key>styleName</key><string>Regular</string>"
                               "<key>unitsPerEm</key><integer>1000</integer></dict>")},
      {"groups.plist", plist("<dict><key>@MMK_L_a</key><array><string>a</string><string>b</string></array></dict>")},
      {"kerning.plist", plist("<dict><key>@MMK_L_a</key><dict><key>b</key><integer>-40</integer></dict></dict>")},
      {"lib.plist", plist("<dict><key>public.glyphOrder</key><array><string>a</string><string>b</string></array></dict>")},
      {"glyphs/contents.plist", plist("<dict><key>a</key><string>a.glif</string><key>b</key><string>b.glif</string></dict>")},
      {"glyphs/a.glif", glif("a", "<advance width=\"500\"/><unicode hex=\"0061\"/>" + kOutline)},
      {"glyphs/b.glif", glif("b", "<advance width=\"520\"/><unicode hex=\"0062\"/>" + kOutline)},
  };
}

std::string repeat(const std::string& text, size_t times) {
  std::string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

std::string readFile(const hostile::fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Outcome {
  hostile::RunResult result;
  std::string written;  // the native file when one was written
};

// Writes the UFO (with `changes`, plus `beside` files in the input folder), converts it
// and checks the run; returns the result and the written file.
Outcome convertUfo(const std::map<std::string, std::string>& changes, const std::string& what,
                   const std::map<std::string, std::string>& beside = {}) {
  Scratch scratch;
  auto files = soundUfo();
  for (const auto& [path, text] : changes) files[path] = text;
  // "@IN@" stands for the absolute path of the input folder.
  auto placed = [&](std::string text) {
    for (size_t at; (at = text.find("@IN@")) != std::string::npos;) text.replace(at, 4, scratch.in().string());
    return text;
  };
  for (const auto& [path, text] : files) scratch.write("font.ufo/" + path, placed(text));
  for (const auto& [path, text] : beside) scratch.write(path, placed(text));
  Outcome outcome{scratch.convert("font.ufo", kOutputs, what), {}};
  if (outcome.result.exitCode == 0) outcome.written = readFile(scratch.out() / "font.qtf");
  return outcome;
}

class UfoHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    const Outcome sound = convertUfo({}, "sound font");
    ASSERT_EQ(sound.result.exitCode, 0) << hostile::describe(sound.result);
    ASSERT_FALSE(sound.written.empty());
  }
};

// A glyph file outside the UFO, reached through contents.plist, must not be read. Its
// advance of 1234567 is written as the number bytes FF 00 12 D6 87.
TEST_F(UfoHostile, TraversalNamesInContents) {
  const std::string stolen("\xFF\x00\x12\xD6\x87", 5);
  const std::string outside = glif("b", "<advance width=\"1234567\"/>" + kOutline);
  const Outcome control = convertUfo({{"glyphs/b.glif", outside}}, "the same glyph inside the UFO");
  ASSERT_NE(control.written.find(stolen), std::string::npos) << "the advance is not found where it is allowed";
  for (const std::string& fileName :
       {std::string("../../secret.glif"), std::string("../../../in/secret.glif"), std::string("..\\..\\secret.glif"),
        std::string("glyphs/../../../secret.glif"), std::string("@IN@/secret.glif"), std::string("/etc/passwd"), std::string("../../"),
        std::string(""), std::string("."), std::string("/")}) {
    const std::string contents = plist("<dict><key>a</key><string>a.glif</string><key>b</key><string>" + fileName +
                                       "</string></dict>");
    const Outcome outcome = convertUfo({{"glyphs/contents.plist", contents}}, "file name " + fileName,
                                       {{"secret.glif", outside}});
    EXPECT_EQ(outcome.written.find(stolen), std::string::npos)
        << "read the glyph file outside the UFO through " << fileName;
  }
}

TEST_F(UfoHostile, EntityDeclarations) {
  const std::string laughs =
      "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
      "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
      "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>\n";
  const std::string external = "<!DOCTYPE plist [<!ENTITY x SYSTEM \"../secret.txt\">]>\n";
  const std::string xmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::map<std::string, std::string> secret{{"secret.txt", "TOPSECRET"}};

  auto info = [&](const std::string& doctype, const std::string& reference) {
    return xmlHead + doctype + "<plist version=\"1.0\"><dict><key>familyName</key><string>" + reference +
           "</string><key>styleName</key><string>Regular</string></dict></plist>\n";
  };
  convertUfo({{"fontinfo.plist", info(laughs, "&h;")}}, "entity expansion in fontinfo.plist");
  const Outcome leaked = convertUfo({{"fontinfo.plist", info(external, "&x;")}}, "external entity", secret);
  EXPECT_EQ(leaked.written.find("TOPSECRET"), std::string::npos) << "read an external entity";

  const std::string glyphLaughs = std::string(laughs).replace(laughs.find("plist"), 5, "glyph");
  convertUfo({{"glyphs/a.glif", xmlHead + glyphLaughs + "<glyph name=\"a\" format=\"1\"><advance width=\"500\"/>" +
                                    "<note>&h;</note>" + kOutline + "</glyph>\n"}},
             "entity expansion in a glyph file");
  convertUfo({{"glyphs/a.glif", xmlHead + "<!DOCTYPE glyph [<!ENTITY x SYSTEM \"../../secret.txt\">]>\n" +
                                    "<glyph name=\"a\" format=\"1\"><advance width=\"500\"/><note>&x;</note>" +
                                    kOutline + "</glyph>\n"}},
             "external entity in a glyph file", secret);
  // A parameter entity that pulls an external subset.
  convertUfo({{"groups.plist", xmlHead + "<!DOCTYPE plist [<!ENTITY % p SYSTEM \"../secret.txt\"> %p;]>\n" +
                                   "<plist version=\"1.0\"><dict/></plist>\n"}},
             "parameter entity", secret);
}

TEST_F(UfoHostile, HundredThousandDeepNesting) {
  constexpr size_t kDepth = 100000;
  const std::string arrays = repeat("<array>", kDepth) + repeat("</array>", kDepth);
  const std::string dicts = repeat("<dict><key>k</key>", kDepth) + "<string/>" + repeat("</dict>", kDepth);
  for (const char* file : {"metainfo.plist", "fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist",
                           "glyphs/contents.plist"}) {
    convertUfo({{file, plist("<dict><key>public.glyphOrder</key>" + arrays + "</dict>")}},
               std::string("nested arrays in ") + file);
    convertUfo({{file, plist(dicts)}}, std::string("nested dictionaries in ") + file);
  }
  convertUfo({{"glyphs/a.glif", glif("a", "<advance width=\"500\"/>" + repeat("<outline>", kDepth) +
                                              repeat("</outline>", kDepth))}},
             "nested outlines in a glyph file");
  convertUfo({{"glyphs/a.glif", glif("a", "<lib><dict><key>public.x</key>" + arrays + "</dict></lib>" + kOutline)}},
             "nested arrays in a glyph lib");
  convertUfo({{"glyphs/a.glif", glif("a", "<lib>" + dicts + "</lib>" + kOutline)}},
             "nested dictionaries in a glyph lib");
  convertUfo({{"glyphs/a.glif", glif("a", repeat("<x>", kDepth) + repeat("</x>", kDepth) + kOutline)}},
             "nested unknown elements in a glyph file");
}

TEST_F(UfoHostile, NumbersBeyondEveryRange) {
  for (const char* number : {"1e999", "-1e999", "nan", "inf", "99999999999999999999999999", "-2147483649",
                             "4294967296", "1e-999", "0x10", "", "1.5.5", "  7", "--1"}) {
    const std::string n = number;
    const std::string point = "<outline><contour><point x=\"" + n + "\" y=\"" + n + "\" type=\"line\"/>" +
                              "<point x=\"1\" y=\"" + n + "\"/><point x=\"" + n + "\" y=\"3\" type=\"curve\"/>" +
                              "</contour><component base=\"b\" xScale=\"" + n + "\" yScale=\"" + n +
                              "\" xOffset=\"" + n + "\" yOffset=\"" + n + "\"/></outline>";
    convertUfo({{"glyphs/a.glif", glif("a", "<advance width=\"" + n + "\" height=\"" + n + "\"/>" + point)}},
               "glyph numbers " + n);
    convertUfo({{"glyphs/a.glif", glif("a", "<unicode hex=\"" + n + "FFFFFFFF\"/>" + kOutline)}},
               "unicode value " + n);
    const std::string integer = "<integer>" + n + "</integer>";
    const std::string real = "<real>" + n + "</real>";
    for (const std::string& value : {integer, real}) {
      std::string info = "<dict><key>familyName</key><string>Hostile</string>";
      for (const char* key : {"unitsPerEm", "ascender", "descender", "xHeight", "capHeight", "italicAngle",
                              "openTypeOS2WeightClass", "openTypeOS2WidthClass", "versionMajor", "versionMinor",
                              "postscriptUnderlinePosition", "postscriptStemSnapH", "openTypeHheaAscender"})
        info += std::string("<key>") + key + "</key>" + value;
      info += "<key>postscriptBlueValues</key><array>" + value + value + "</array>";
      info += "<key>openTypeOS2Panose</key><array>" + repeat(value, 10) + "</array></dict>";
      convertUfo({{"fontinfo.plist", plist(info)}}, "font information " + value);
      convertUfo({{"kerning.plist", plist("<dict><key>a</key><dict><key>b</key>" + value + "</dict></dict>")}},
                 "kerning value " + value);
      convertUfo({{"metainfo.plist", plist("<dict><key>formatVersion</key>" + value + "</dict>")}},
                 "format version " + value);
    }
  }
}

}  // namespace

// Component graphs: `built(name, base, twice)` is a glyph made of the base glyph (twice:
// once shifted, once scaled).
std::string built(const std::string& name, const std::string& base, bool twice) {
  std::string components = "<component base=\"" + base + "\" xOffset=\"5\"/>";
  if (twice) components += "<component base=\"" + base + "\" xScale=\"2\"/>";
  return glif(name, "<advance width=\"500\"/><outline>" + components + "</outline>");
}

// A chain of `length` glyphs, each made of the one before, plus the sound font.
std::map<std::string, std::string> chainFont(int length, bool twice) {
  std::map<std::string, std::string> files;
  std::string contents = "<dict><key>a</key><string>a.glif</string><key>b</key><string>b.glif</string>";
  for (int i = 0; i < length; ++i) {
    const std::string name = "c" + std::to_string(i);
    contents += "<key>" + name + "</key><string>" + name + ".glif</string>";
    files["glyphs/" + name + ".glif"] = i == 0 ? glif(name, kOutline) : built(name, "c" + std::to_string(i - 1), twice);
  }
  files["glyphs/contents.plist"] = plist(contents + "</dict>");
  return files;
}

// A glyph made of itself, two glyphs made of each other and a chain of 20,000
// components: the walks over components must stay bounded.
TEST_F(UfoHostile, ComponentCyclesAndLongChains) {
  auto files = chainFont(20000, false);
  std::string& contents = files["glyphs/contents.plist"];
  std::string cycles;
  for (const auto& [name, base] : {std::pair{"self", "self"}, {"ping", "pong"}, {"pong", "ping"}}) {
    files[std::string("glyphs/") + name + ".glif"] = built(name, base, true);
    cycles += std::string("<key>") + name + "</key><string>" + name + ".glif</string>";
  }
  contents.insert(contents.find("<dict>") + 6, cycles);
  convertUfo(files, "component cycles and a long chain");
}

// A chain of 20,000 glyphs each made of the one before twice: every glyph spends the
// whole per-glyph budget of the native writer's component decomposition (about 8 ms
// each, minutes in all). Disabled until that work is bounded per font.
TEST_F(UfoHostile, DoublingComponentChain) {
  convertUfo(chainFont(20000, true), "doubling component chain");
}

// One kerning pair of two classes of 4,096 glyphs each stands for 16.7 million glyph
// pairs. Disabled while the native writer's kerning preparation expands every class
// pair into glyph pairs (several gigabytes, tens of seconds); enable once it is bounded.
TEST_F(UfoHostile, ClassPairOfSixteenMillionGlyphPairs) {
  constexpr int kMembers = 4096;
  std::string contents = "<dict>";
  std::string members = "<array>";
  std::map<std::string, std::string> files;
  for (int i = 0; i < kMembers; ++i) {
    const std::string name = "g" + std::to_string(i);
    contents += "<key>" + name + "</key><string>" + name + ".glif</string>";
    members += "<string>" + name + "</string>";
    files["glyphs/" + name + ".glif"] = glif(name, "<advance width=\"500\"/>");
  }
  files["glyphs/contents.plist"] = plist(contents + "</dict>");
  files["groups.plist"] = plist("<dict><key>@MMK_L_g0</key>" + members + "</array><key>@MMK_R_g0</key>" + members +
                                "</array></dict>");
  files["kerning.plist"] =
      plist("<dict><key>@MMK_L_g0</key><dict><key>@MMK_R_g0</key><integer>-10</integer></dict></dict>");
  files["lib.plist"] = plist("<dict/>");
  convertUfo(files, "class pair of 4096 x 4096 glyphs");
}
