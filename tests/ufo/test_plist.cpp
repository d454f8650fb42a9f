#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"

namespace {

using ufo::PListNode;
namespace plist = ufo::plist;

std::string dataFile(const char* name) { return std::string(TARNWICK_TEST_DATA_DIR) + "/" + name; }

// Parses text and builds the tree of its root dict (empty when there is none).
std::unique_ptr<PListNode> treeOf(const std::string& text) {
  ufo::PListParser parser;
  ufo::PListDocument document;
  EXPECT_TRUE(parser.parseText(text, document)) << parser.errorMessage();
  const auto* dict = document.rootDict();
  return std::make_unique<PListNode>(plist::kDict, dict ? dict->first_node() : nullptr);
}

std::string printed(const PListNode& node, int indentation = 0, bool key = false) {
  std::ostringstream out;
  node.writeXml(out, indentation, key, false);
  return out.str();
}

std::string asDocument(const PListNode& root) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + printed(root) +
         "</plist>\n";
}

// Same type, key, value and children, recursively.
void expectSameTree(const PListNode& a, const PListNode& b, const std::string& path = "") {
  EXPECT_EQ(a.type(), b.type()) << path;
  EXPECT_EQ(a.key(), b.key()) << path;
  EXPECT_EQ(a.value(), b.value()) << path;
  const PListNode* x = a.firstChild();
  const PListNode* y = b.firstChild();
  for (; x && y; x = x->next(), y = y->next()) expectSameTree(*x, *y, path + "/" + x->key());
  EXPECT_EQ(x == nullptr, y == nullptr) << "child counts differ under " << path;
}

TEST(PListTree, FontToolsListParsesPrintsAndReadsBackEqual) {
  std::ifstream in(dataFile("plist_fonttools.plist"), std::ios::binary);
  ufo::PListParser parser;
  ufo::PListDocument document;
  ASSERT_TRUE(parser.parse(in, document));
  ASSERT_NE(document.rootDict(), nullptr);
  PListNode root(plist::kDict, document.rootDict()->first_node());

  EXPECT_EQ(root.findDirectChild(plist::kString, "com.example.unicode")->value(),
            "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(root.findDirectChild(plist::kData, "com.example.data")->value(), "AAECYmluYXJ5/w==");
  EXPECT_EQ(root.findDirectChild(plist::kArray, "com.example.flags")->firstChild()->type(), plist::kTrue);

  // Printed, the list reads back into the same tree, and prints the same again.
  const std::string once = asDocument(root);
  auto again = treeOf(once);
  expectSameTree(root, *again);
  EXPECT_EQ(asDocument(*again), once);
}

TEST(PListTree, BuildingFollowsKeysAndSkipsUnknownElements) {
  auto root = treeOf(
      "<plist><dict><key>first</key><key>second</key><integer>1</integer>"
      "<key>a</key><foo/><integer>2</integer><string/><true/></dict></plist>");
  const PListNode* child = root->firstChild();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->key(), "second");  // the later of two keys in a row
  child = child->next();
  EXPECT_EQ(child->key(), "");  // "foo" took the pending key and was skipped
  EXPECT_EQ(child->value(), "2");
  child = child->next();
  EXPECT_EQ(child->type(), plist::kString);
  EXPECT_EQ(child->value(), "");  // an empty element has an empty value
  EXPECT_EQ(child->next()->type(), plist::kTrue);
  EXPECT_EQ(child->next()->value(), "");

  // Values made only of blanks are kept (the XML parser alone would drop them).
  auto blanks = treeOf(
      "<plist><dict><key> \t</key><string> </string>"
      "<key>x</key><string>\n</string><key>c</key><string><![CDATA[ ]]></string>"
      "<key>a<![CDATA[&b]]>c</key><true/></dict></plist>");
  ASSERT_NE(blanks->firstChild(), nullptr);
  EXPECT_EQ(blanks->firstChild()->key(), " \t");
  EXPECT_EQ(blanks->firstChild()->value(), " ");
  EXPECT_EQ(blanks->firstChild()->next()->value(), "\n");
  EXPECT_EQ(blanks->lastChild()->previous()->value(), " ");
  EXPECT_EQ(blanks->lastChild()->key(), "a&bc");  // text pieces joined
}

TEST(PListTree, PrintsExactLinesAndEscapesEveryKeyAndString) {
  PListNode dict(plist::kDict, "", "k");
  EXPECT_EQ(printed(dict, 2, true), "  <key>k</key>\n  <dict>\n  </dict>\n");

  PListNode root(plist::kDict);
  root.addChild(plist::kString, "a<b & \"c\"\x01", "k&<>");
  PListNode* array = root.addChild(plist::kArray, "", "list");
  array->addChild(plist::kInteger, "7", "");  // key taken from the value, never printed
  array->addChild(plist::kFalse, "", "");
  root.addChild(plist::kData, "  <hintSetList>\n  </hintSetList>\n", "xmlData");
  root.addChild(plist::kDictText, "    <key>z</key>\n    <integer>1</integer>\n", "ready");
  EXPECT_EQ(array->firstChild()->key(), "7");
  EXPECT_EQ(printed(root),
            "<dict>\n"
            "  <key>k&amp;&lt;&gt;</key>\n"
            "  <string>a&lt;b &amp; &quot;c&quot; </string>\n"
            "  <key>list</key>\n"
            "  <array>\n"
            "    <integer>7</integer>\n"
            "    <false/>\n"
            "  </array>\n"
            "  <key>xmlData</key>\n"
            "  <data>\n"
            "  <hintSetList>\n"
            "  </hintSetList>\n"
            "  </data>\n"
            "  <key>ready</key>\n"
            "  <dict>\n"
            "    <key>z</key>\n"
            "    <integer>1</integer>\n"
            "  </dict>\n"
            "</dict>\n");
}

TEST(PListTree, XmlHeldInDataSurvivesRoundTripsUnchanged) {
  const std::string source =
      "<plist><dict><key>com.adobe.type.autohint</key><data>\n"
      "  <hintSetList>\n    <hintset pointTag=\"a&amp;b\">\n      <hstem pos=\"1\" width=\"2\"/>\n"
      "    </hintset>\n  </hintSetList>\n</data>"
      "<key>base64</key><data>\n\tAAEC\r\n\tAwQF\n\t</data>"
      "<key>text</key><data>x &amp; y</data></dict></plist>";
  auto first = treeOf(source);
  const PListNode* hints = first->firstChild();
  EXPECT_EQ(hints->value(),
            "<hintSetList>\n  <hintset pointTag=\"a&amp;b\">\n    <hstem pos=\"1\" width=\"2\"/>\n"
            "  </hintset>\n</hintSetList>\n");
  EXPECT_EQ(hints->next()->value(), "AAEC&#xd;\n\tAwQF");  // CR kept as a reference
  EXPECT_EQ(hints->next()->next()->value(), "x &amp; y");  // data values are markup

  std::string text = asDocument(*first);
  for (int round = 0; round < 3; ++round) {
    auto next = treeOf(text);
    expectSameTree(*first, *next);
    EXPECT_EQ(asDocument(*next), text) << "round " << round;
    text = asDocument(*next);
  }
}

TEST(PListTree, NumbersPrintInFullOrShortestAndNeverNonFinite) {
  const std::pair<double, const char*> cases[] = {
      {1500.0, "<integer>1500</integer>"}, {-2147483649.0, "<integer>-2147483649</integer>"},
      {-0.0, "<integer>0</integer>"},      {0.1, "<real>0.1</real>"},
      {1e300, "<real>1e+300</real>"},      {1.0 / 0.0, "<integer>0</integer>"},
      {std::nan(""), "<integer>0</integer>"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(ufo::writePlistNumber(value), text) << value;
  const double third = 1.0 / 3.0;
  EXPECT_EQ(std::strtod(ufo::writePlistNumber(third).c_str() + 6, nullptr), third);  // reads back exactly
  // The process locale does not reach the text.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
    EXPECT_EQ(ufo::writePlistNumber(2.25), "<real>2.25</real>");
    std::setlocale(LC_NUMERIC, "C");
  }
}

TEST(PListTree, LongAndDeepTreesAreFreedWithoutRecursion) {
  auto root = std::make_unique<PListNode>(plist::kArray);
  for (int i = 0; i < 200000; ++i) root->addChild(plist::kInteger, "1", "");
  PListNode* node = root.get();
  for (int i = 0; i < 200000; ++i) node = node->addChild(plist::kArray, "", "a");
  root.reset();  // ASan and the stack both survive
  SUCCEED();
}

// 100,000 levels go through the program in the hostile tests; here the limit itself.
TEST(PListParser, RefusesDeepNestingBeforeParsing) {
  ufo::PListParser parser;
  ufo::PListDocument document;
  auto nested = [](int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += "<a x='>' y=\"/>\">";
    text += "<b/><!-- <a><a> --><![CDATA[<a>]]><?pi <a>?>";
    for (int i = 0; i < levels; ++i) text += "</a>";
    return text;
  };
  // 255 levels of "a" and the empty "b" inside them: 256 levels in all.
  EXPECT_TRUE(parser.parseText(nested(255), document)) << parser.errorMessage();
  EXPECT_FALSE(parser.parseText(nested(256), document));
  EXPECT_EQ(parser.errorMessage(), "elements are nested deeper than 256 levels");
  EXPECT_EQ(document.firstNode(), nullptr);

  // Declarations and a DOCTYPE with an internal subset do not count.
  EXPECT_TRUE(parser.parseText("<!DOCTYPE p [<!ELEMENT a (b)> [<x>] ]>" + nested(250), document));
}

TEST(PListParser, RejectsMalformedTextWithMessage) {
  ufo::PListParser parser;
  ufo::PListDocument document;
  EXPECT_FALSE(parser.parseText("<plist><dict></array></plist>", document));
  EXPECT_NE(parser.errorMessage().find("invalid closing tag name"), std::string::npos);
  EXPECT_FALSE(parser.parseText("<plist><dict>", document));
  EXPECT_FALSE(parser.parseText("<plist><dict><key>a</key>&#xFFFFFFFF;</dict></plist>", document));
  EXPECT_TRUE(parser.parseText("<!ENTITY x 'y'><plist/>", document));  // skipped, never expanded

  // An empty or missing document is no error; it has no root.
  std::istringstream empty(" \n");
  EXPECT_TRUE(parser.parse(empty, document));
  EXPECT_EQ(document.firstNode(), nullptr);
  EXPECT_EQ(document.rootDict(), nullptr);
  EXPECT_TRUE(parser.parseText("<plist><string/><dict/></plist>", document));
  EXPECT_EQ(document.rootDict(), nullptr);  // the first child must be the dict
}

// The place of an error is the line and byte of the text as given, whatever the parser
// cut from the front or put in place of blank values.
TEST(PListParser, ErrorsSayTheLineAndByteOfTheTextAsGiven) {
  struct Case {
    std::string text;
    std::size_t line, byte;
  };
  const Case cases[] = {
      {"garbage", 1, 0},
      {"\n\n  \tgarbage", 3, 5},
      {"<plist>\n<dict>\n<key>\n\n</key>\n<string>\t \n</string>\n</array>", 8, 57},
      {"<plist><key> </key>\n<a></b></plist>", 2, 26},
  };
  for (const auto& [text, line, byte] : cases) {
    ufo::PListParser parser;
    ufo::PListDocument document;
    EXPECT_FALSE(parser.parseText(text, document)) << text;
    EXPECT_EQ(parser.errorLine(), line) << text;
    EXPECT_EQ(parser.errorByte(), byte) << text;
    // The message is the XML parser's alone: the place is not part of it.
    EXPECT_EQ(parser.errorMessage().find(" at line "), std::string::npos) << parser.errorMessage();
  }
}

}  // namespace
