// Property lists the reader refuses rather than reading as empty: no root element, the
// wrong root, one glyph file listed for two glyphs; and how a list that is not
// well-formed XML is reported.
#include <gtest/gtest.h>

#include "ufo_fixtures.h"

namespace {

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

TEST(ReaderLists, ListsWithoutTheirRootAreRefusedByName) {
  struct Case {
    const char* member;
    std::string text;
    std::string error;  // after "Error while opening UFO: " and the quoted member
  };
  std::vector<Case> cases;
  for (const char* member : {"metainfo.plist", "fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist",
                             "glyphs/contents.plist"}) {
    cases.push_back({member, "", " is empty"});
    cases.push_back({member, " \n\t\n", " is empty"});
    cases.push_back({member, "<?xml version=\"1.0\"?>\n<!-- nothing -->\n", " is empty"});
    cases.push_back({member, kArrayList, " is not a property list holding a dict"});
    cases.push_back({member, "<dict><key>a</key><string>b</string></dict>", " is not a property list holding a dict"});
    cases.push_back({member, "<plist version=\"1.0\"/>", " is not a property list holding a dict"});
  }
  cases.push_back({"layercontents.plist", "", " is empty"});
  cases.push_back({"layercontents.plist", kDictList, " is not a property list holding an array"});

  for (const Case& c : cases) {
    TempUfo ufo;
    fillFolder(ufo);
    ufo.write(c.member, c.text);
    ReadResult r;
    ufotest::readUfo(ufo, r);
    const std::string what = std::string(c.member) + " holding \"" + c.text + "\"";
    EXPECT_FALSE(r.ok) << what;
    EXPECT_EQ(r.err, "Error while opening UFO: \"" + std::string(c.member) + "\"" + c.error + "\n") << what;
    // Refused before any list is applied.
    EXPECT_EQ(r.font().glyphCount(), 0u) << what;
    EXPECT_TRUE(r.style().names.familyName.empty()) << what;
  }

  // The same folder with every list as it should be, and with lists that are there but
  // hold an empty dict or array, reads.
  TempUfo ufo;
  fillFolder(ufo);
  ReadResult full;
  ufotest::readUfo(ufo, full);
  ASSERT_TRUE(full.ok) << full.out << full.err;
  EXPECT_EQ(full.glyphNames(), (std::vector<std::string>{"b", "a"}));
  for (const char* member : {"fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist"}) {
    ufo.write(member, kDictList);
  }
  ufo.write("layercontents.plist", kArrayList);
  ReadResult empty;
  ufotest::readUfo(ufo, empty);
  EXPECT_TRUE(empty.ok) << empty.out << empty.err;
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
