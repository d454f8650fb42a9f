// Property lists without a dict, read as empty or refused when the glyphs would go; the
// layer list that cannot be read; one glyph file listed for two glyphs; and how a list
// that is not well-formed XML is reported.
#include <gtest/gtest.h>

#include <functional>

#include "ufo_fixtures.h"

namespace {

using ufotest::countOf;
using ufotest::plist;
using ufotest::ReadResult;
using ufotest::TempUfo;

const std::string kGlyph = ufotest::glif("<advance width=\"500\"/>");
const char* const kArrayList = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>";
const char* const kDictList = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>";

// A folder with something in every list, so that a list read as empty would lose it.
void fillFolder(const TempUfo& ufo) {
  ufo.write("fontinfo.plist", plist("<key>familyName</key><string>F</string>"));
  ufo.write("groups.plist", plist("<key>@MMK_L_a</key><array><string>a</string></array>"));
  ufo.write("kerning.plist", plist("<key>a</key><dict><key>b</key><integer>-20</integer></dict>"));
  ufo.write("lib.plist", plist("<key>public.glyphOrder</key><array><string>b</string></array>"));
  ufo.write("layercontents.plist", std::string(ufotest::kPlistHead) +
                                       "<array><array><string>public.default</string><string>glyphs</string>"
                                       "</array></array></plist>");
  ufo.contents({{"a", "a.glif"}, {"b", "b.glif"}});
  ufo.write("glyphs/a.glif", kGlyph);
  ufo.write("glyphs/b.glif", kGlyph);
}

// What each list gives the font, and whether the read took it.
struct ListUse {
  const char* member;
  std::function<bool(ReadResult&)> taken;
};
const ListUse kListUses[] = {
    {"metainfo.plist", [](ReadResult& r) { return r.style().names.namedStrings.count("ufo_creator") != 0; }},
    {"fontinfo.plist", [](ReadResult& r) { return r.style().names.familyName == "F"; }},
    {"groups.plist", [](ReadResult& r) { return !r.font().kerningGroups()->empty(); }},
    {"kerning.plist", [](ReadResult& r) { return !ufotest::flatKerning(r.font()).empty(); }},
    {"lib.plist", [](ReadResult& r) { return r.glyphNames() == std::vector<std::string>{"b", "a"}; }},
};

// A list without a dict reads as an empty one; a line names it when it held something
// else, which is then not read. Only the glyph list of a folder with glyph files is
// refused: read as empty, every glyph would go.
TEST(ReaderLists, ListsWithoutADictReadAsEmpty) {
  struct Case {
    std::string text;
    bool holdsData;  // something is there that is not read
  };
  const Case cases[] = {
      {"", false},
      {" \n\t\n", false},
      {"<?xml version=\"1.0\"?>\n<!-- nothing -->\n", false},
      {"<plist version=\"1.0\"/>", false},
      {kArrayList, false},
      {std::string(ufotest::kPlistHead) + "<array>\n  <dict/>\n</array></plist>", false},
      {std::string(ufotest::kPlistHead) + "<array><string>a</string><integer>-20</integer></array></plist>", true},
      {"<dict><key>a</key><string>b</string></dict>", true},
      {std::string(ufotest::kPlistHead) + "<string>text</string></plist>", true},
      {std::string(ufotest::kPlistHead) + "<true/></plist>", true},
      {"<plist version=\"1.0\">a</plist>", true},
  };
  for (const Case& c : cases) {
    for (const ListUse& use : kListUses) {
      TempUfo ufo;
      fillFolder(ufo);
      ufo.write(use.member, c.text);
      ReadResult r;
      ufotest::readUfo(ufo, r);
      const std::string what = std::string(use.member) + " holding \"" + c.text + "\"";
      ASSERT_TRUE(r.ok) << what << ": " << r.out << r.err;
      EXPECT_FALSE(use.taken(r)) << what;
      // Every other list is read.
      for (const ListUse& other : kListUses) {
        if (other.member != use.member) {
          EXPECT_TRUE(other.taken(r)) << what << ": " << other.member;
        }
      }
      EXPECT_EQ(r.font().glyphCount(), 2u) << what;
      const std::string line = "Warning: \"" + std::string(use.member) +
                               "\" is not a property list holding a dict; its content was not read\n";
      EXPECT_EQ(ufotest::warningLines(ufotest::withoutFontInfoChanges(r.out)), c.holdsData ? line : "") << what;
      EXPECT_EQ(r.err, "") << what;
    }

    // The glyph list: refused while the glyphs folder holds files, empty without them.
    const std::string what = "glyphs/contents.plist holding \"" + c.text + "\"";
    TempUfo ufo;
    fillFolder(ufo);
    ufo.write("glyphs/contents.plist", c.text);
    ReadResult refused;
    ufotest::readUfo(ufo, refused);
    EXPECT_FALSE(refused.ok) << what;
    const std::string error = c.text.find('<') == std::string::npos || c.text.find("nothing") != std::string::npos
                                  ? " is empty"
                                  : " is not a property list holding a dict";
    EXPECT_EQ(refused.err, "Error while opening UFO: \"glyphs/contents.plist\"" + error + "\n") << what;
    EXPECT_EQ(refused.font().glyphCount(), 0u) << what;
    ufo.remove("glyphs/a.glif");
    ufo.remove("glyphs/b.glif");
    ReadResult empty;
    ufotest::readUfo(ufo, empty);
    ASSERT_TRUE(empty.ok) << what << ": " << empty.err;
    EXPECT_EQ(empty.font().glyphCount(), 0u) << what;
    EXPECT_EQ(empty.style().names.familyName, "F") << what;
    EXPECT_EQ(countOf(empty.out, "\"glyphs/contents.plist\" is not a property list"), c.holdsData ? 1 : 0) << what;
  }

  // The same folder with every list as it should be, and with lists that are there but
  // hold an empty dict or array, reads, without a line.
  TempUfo ufo;
  fillFolder(ufo);
  ReadResult full;
  ufotest::readUfo(ufo, full);
  ASSERT_TRUE(full.ok) << full.out << full.err;
  for (const ListUse& use : kListUses) EXPECT_TRUE(use.taken(full)) << use.member;
  EXPECT_EQ(ufotest::warningLines(ufotest::withoutFontInfoChanges(full.out)), "");
  for (const char* member : {"fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist"}) {
    ufo.write(member, kDictList);
  }
  ufo.write("layercontents.plist", kArrayList);
  ReadResult empty;
  ufotest::readUfo(ufo, empty);
  EXPECT_TRUE(empty.ok) << empty.out << empty.err;
  EXPECT_EQ(ufotest::warningLines(ufotest::withoutFontInfoChanges(empty.out)), "");
}

// The layer list only names layers that the native file does not carry: one that cannot
// be read is named on a line and the font is read.
TEST(ReaderLists, UnreadableLayerListIsNamedAndTheFontRead) {
  struct Case {
    std::string text;
    std::string why;  // empty: read, its further layer named
  };
  const std::string head = ufotest::kPlistHead;
  const Case cases[] = {
      {"", "it is empty"},
      {"\n \n", "it is empty"},
      {head + "<array><array><string>public.default</string>", "unexpected end of data at line 4"},
      {kDictList, "it is not a property list holding an array"},
      {"<plist version=\"1.0\"/>", "it is not a property list holding an array"},
      {"<array/>", "it is not a property list holding an array"},
      {head + "<array><array><string>public.default</string><string>glyphs</string></array>"
              "<array><string>back</string><string>glyphs.back</string></array></array></plist>",
       ""},
  };
  for (const Case& c : cases) {
    TempUfo ufo;
    fillFolder(ufo);
    ufo.write("layercontents.plist", c.text);
    ReadResult r;
    ufotest::readUfo(ufo, r);
    ASSERT_TRUE(r.ok) << c.text << ": " << r.err;
    for (const ListUse& use : kListUses) EXPECT_TRUE(use.taken(r)) << c.text << ": " << use.member;
    const std::string line =
        c.why.empty() ? "Warning: glyph layers other than the default one are not carried by the native format and "
                        "are left out: back\n"
                      : "Warning: \"layercontents.plist\" cannot be read (" + c.why +
                            "); glyph layers other than the default one, which the native format does not carry, "
                            "are not named\n";
    EXPECT_EQ(ufotest::warningLines(ufotest::withoutFontInfoChanges(r.out)), line) << c.text;
  }
}

TEST(ReaderLists, OneGlyphFileForTwoGlyphsIsRefused) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> contents;
    std::string error;  // empty: the read succeeds
  };
  const Case cases[] = {
      {{{"a", "a.glif"}, {"b", "b.glif"}, {"A_", "a.glif"}},
       "\"glyphs/contents.plist\" names the file \"a.glif\" for two glyphs, \"a\" and \"A_\""},
      {{{"b", "b.glif"}, {"b.alt", "b.glif"}, {"a", "b.glif"}},
       "\"glyphs/contents.plist\" names the file \"b.glif\" for two glyphs, \"b\" and \"b.alt\""},
      // File names that differ in letter case only name two files.
      {{{"a", "a.glif"}, {"A_", "A_.glif"}, {"a_", "a_.glif"}}, ""},
  };
  for (const Case& c : cases) {
    TempUfo ufo;
    for (const char* file : {"a.glif", "b.glif", "A_.glif", "a_.glif"}) ufo.write(std::string("glyphs/") + file, kGlyph);
    ufo.contents(c.contents);
    ReadResult r;
    ufotest::readUfo(ufo, r);
    const std::string what = c.contents[1].first + " -> " + c.contents[1].second;
    if (c.error.empty()) {
      EXPECT_TRUE(r.ok) << what << ": " << r.err;
      EXPECT_EQ(r.font().glyphCount(), c.contents.size()) << what;
    } else {
      EXPECT_FALSE(r.ok) << what;
      EXPECT_EQ(r.err, "Error while opening UFO: " + c.error + "\n") << what;
      EXPECT_EQ(r.font().glyphCount(), 0u) << what;
    }
  }
}

TEST(ReaderLists, ParseErrorLineIsTheParsersMessageAlone) {
  struct Case {
    const char* member;
    std::string text;
    std::string out;  // the whole standard output of the read
  };
  const Case cases[] = {
      {"kerning.plist", plist("<key>a</key><dict>"),
       "plist parsing error: invalid closing tag name\nin \"kerning.plist\" at line 6 (byte 204)\n"},
      {"lib.plist", "\n\ngarbage", "plist parsing error: expected <\nin \"lib.plist\" at line 3 (byte 2)\n"},
      {"glyphs/contents.plist", "<plist><dict><key>a</key><string>a.glif</string>",
       "plist parsing error: unexpected end of data\nin \"glyphs/contents.plist\" at line 1 (byte 48)\n"},
  };
  for (const Case& c : cases) {
    TempUfo ufo;
    ufo.write(c.member, c.text);
    ReadResult r;
    ufotest::readUfo(ufo, r);
    EXPECT_FALSE(r.ok) << c.member;
    EXPECT_EQ(r.out, c.out) << c.member;
  }
}

}  // namespace
