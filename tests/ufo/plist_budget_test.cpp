// Property lists cost memory by their nodes, not their bytes: a few bytes of "<true/>"
// make a node of about a hundred. The reader bounds the nodes its lists hold at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ufo/limits.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
#include "ufo_fixtures.h"

namespace {

using ufotest::plist;
using ufotest::ReadResult;
using ufotest::TempUfo;

std::string repeated(const std::string& text, std::size_t count) {
  std::string out;
  out.reserve(text.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += text;
  return out;
}

// A lib entry "big" holding an array of `count` copies of `element`.
std::string bigLib(const std::string& element, std::size_t count) {
  return plist("<key>big</key>\n<array>\n" + repeated(element + "\n", count) + "</array>\n");
}

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

constexpr const char* kRefused =
    "plist parsing error: the property lists hold more elements, attributes and texts than the reader "
    "accepts (800000 at once)\n";

// Whole folders: what is read, what is refused and which list the refusal names.
TEST(PListBudget, ListsOfManySmallElementsAreReadOrRefusedByTheirNodes) {
  // The lib's tree is built from its document: each element counts twice.
  const std::size_t libFits = ufo::kMaxPlistNodes / 2 - 1000;
  const std::size_t half = ufo::kMaxPlistNodes / 2;
  std::string groupsHalf = plist("<key>public.kern1.A</key>\n<array>\n" +
                                 repeated("<string>A</string>\n", half) + "</array>\n");
  std::string kerningHalf =
      plist("<key>A</key>\n<dict>\n" + repeated("<key>B</key><integer>-5</integer>\n", half / 2) + "</dict>\n");
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> members;
    const char* refusedMember;  // null: read
  };
  const Case cases[] = {
      {"lib just within", {{"lib.plist", bigLib("<true/>", libFits)}}, nullptr},
      {"lib of empty elements past it", {{"lib.plist", bigLib("<true/>", half)}}, "lib.plist"},
      {"attributes count", {{"lib.plist", bigLib("<a b='' c='' d=''/>", libFits / 2)}}, "lib.plist"},
      {"groups alone", {{"groups.plist", groupsHalf}}, nullptr},
      {"groups and kerning together", {{"groups.plist", groupsHalf}, {"kerning.plist", kerningHalf}},
       "kerning.plist"},
  };
  for (const Case& test : cases) {
    TempUfo ufo;
    for (const auto& [member, text] : test.members) ufo.write(member, text);
    ReadResult r;
    ufotest::readUfo(ufo, r);
    if (test.refusedMember == nullptr) {
      EXPECT_TRUE(r.ok) << test.name << r.out << r.err;
      EXPECT_EQ(r.out.find("plist parsing error"), std::string::npos) << test.name;
      continue;
    }
    EXPECT_FALSE(r.ok) << test.name;
    EXPECT_NE(r.out.find(std::string(kRefused) + "in \"" + test.refusedMember + "\""), std::string::npos)
        << test.name << "\n" << r.out;
  }
}

// Lists that hold the reader within the bound come out whole.
TEST(PListBudget, WhatFitsIsKeptWhole) {
  TempUfo ufo;
  const std::size_t count = ufo::kMaxPlistNodes / 2 - 1000;
  ufo.write("lib.plist", bigLib("<integer>7</integer>", count));
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out << r.err;
  const auto kept = r.style().lib.find("big");
  ASSERT_NE(kept, r.style().lib.end());
  EXPECT_EQ(countOf(kept->second, "<integer>7</integer>\n"), count);
}

// Glyph libs are parsed one glyph at a time: each gives its nodes back, so many large
// ones are all read; one alone past the bound is not, and the others still are.
TEST(PListBudget, GlyphLibsGiveTheirNodesBack) {
  const std::size_t large = ufo::kMaxPlistNodes / 3;
  const std::string lib = "<lib><dict><key>big</key><array>" + repeated("<true/>", large) + "</array></dict></lib>\n";
  const std::string tooLarge =
      "<lib><dict><key>big</key><array>" + repeated("<true/>", ufo::kMaxPlistNodes) + "</array></dict></lib>\n";
  TempUfo ufo;
  std::vector<std::pair<std::string, std::string>> contents;
  for (const char* name : {"a", "b", "c", "d"}) {
    ufo.write(std::string("glyphs/") + name + ".glif", ufotest::glif(std::string(name) == "c" ? tooLarge : lib));
    contents.emplace_back(name, std::string(name) + ".glif");
  }
  ufo.contents(contents);
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ(countOf(r.out, kRefused), 1u) << r.out;
  for (const char* name : {"a", "b", "d"}) {
    ASSERT_NE(r.glyph(name), nullptr) << name;
    EXPECT_EQ(r.glyph(name)->lib.count("big"), 1u) << name;
  }
  EXPECT_TRUE(r.glyph("c")->lib.empty());
}

// Texts read the same whether the parser keeps a node for each text or only the
// element's value (documents whose texts stand alone in their elements).
TEST(PListBudget, TextsReadTheSameWithOrWithoutTextNodes) {
  struct Case {
    const char* body;
    const char* printed;  // the tree of the root dict as printed
  };
  const Case cases[] = {
      {"<key>a</key><string>x &amp; y</string>", "<key>a</key>\n<string>x &amp; y</string>\n"},
      {"<key>a</key><string>x<!-- c -->y</string>", "<key>a</key>\n<string>xy</string>\n"},
      {"<key>a</key><string><![CDATA[<b>]]>!</string>", "<key>a</key>\n<string>&lt;b&gt;!</string>\n"},
      {"<key>a</key><string> </string>", "<key>a</key>\n<string> </string>\n"},
      {"<key>a</key><data><dict><key>k</key><integer>5</integer></dict></data>",
       "<key>a</key>\n<data>\n<dict>\n  <key>k</key>\n  <integer>5</integer>\n</dict>\n</data>\n"},
      {"<key>a</key><string>x<b/>y</string>", "<key>a</key>\n<string>x&lt;b/&gt;y</string>\n"},
      {"<key>a</key><array> <integer>1</integer> </array>",
       "<key>a</key>\n<array>\n  <integer>1</integer>\n</array>\n"},
  };
  for (const Case& test : cases) {
    ufo::PListParser parser;
    ufo::PListDocument document;
    ASSERT_TRUE(parser.parseText(plist(test.body), document)) << test.body;
    ASSERT_NE(document.rootDict(), nullptr) << test.body;
    ufo::PListNode root(ufo::plist::kDict, document.rootDict()->first_node());
    std::string text;
    root.firstChild()->appendXml(text, 0, true, true);
    EXPECT_EQ(text, test.printed) << test.body;
  }
}

}  // namespace
