// Reading without streams: whole files into a reused buffer, numbers and texts taken
// without copies, and what odd files in place of glyph files give.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ufo_fixtures.h"
#include "model/object.h"
#include "ufo/folder_access.h"
#include "ufo/glif_parser.h"
#include "ufo/glyph_file_loader.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_text.h"
#include "ufo/reader_warnings.h"

namespace {

using ufotest::countOf;
using ufotest::glif;
using ufotest::plist;
using ufotest::ReadResult;
using ufotest::TempUfo;

TEST(InputFile, ReadsWholeFilesIntoOneBuffer) {
  TempUfo ufo;
  ufo.write("a.txt", "first file");
  ufo.write("b.txt", "second");
  ufo::InputFile file;
  std::string text = "left over";
  ASSERT_TRUE(file.open((ufo.folder() / "a.txt").string()));
  EXPECT_EQ(file.size(), 10u);
  ASSERT_TRUE(file.readAll(text));
  EXPECT_EQ(text, "first file");
  ASSERT_TRUE(file.open((ufo.folder() / "b.txt").string()));  // the first one is closed
  ASSERT_TRUE(file.readAll(text));
  EXPECT_EQ(text, "second");
  EXPECT_FALSE(file.open((ufo.folder() / "missing.txt").string()));
  EXPECT_FALSE(file.isOpen());
  EXPECT_FALSE(file.readAll(text));
  EXPECT_TRUE(text.empty());

  // Not regular files: no bytes, and a named pipe without a writer does not block.
  ASSERT_TRUE(file.open(ufo.folder().string()));
  EXPECT_EQ(file.size(), 0u);
  EXPECT_TRUE(file.readAll(text));
  EXPECT_TRUE(text.empty());
  const std::string pipe = (ufo.folder() / "pipe").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_TRUE(file.open(pipe));
  EXPECT_TRUE(file.readAll(text));
  EXPECT_TRUE(text.empty());
}

TEST(ReaderText, WholeNumbersReadAsDecimalsDo) {
  const char* texts[] = {"0", "-0", "+12", " 7 \n", "-2147483649", "9007199254740993",
                         "123456789012345678901234567890", "1e3", "12.5", "-0.0"};
  for (const char* text : texts) {
    const auto value = ufo::readReal(text);
    ASSERT_TRUE(value) << text;
    std::string_view digits = text;
    while (digits.front() == ' ') digits.remove_prefix(1);
    if (digits.front() == '+') digits.remove_prefix(1);
    const double expected = std::stod(std::string(digits));
    EXPECT_EQ(*value, expected) << text;
    EXPECT_EQ(std::signbit(*value), std::signbit(expected)) << text;
  }
  for (const char* text : {"", "-", "+-", "0x10", "12abc", "--1", "1e999", "nan"}) {
    EXPECT_FALSE(ufo::readReal(text)) << text;
  }
}

TEST(ReaderText, ViewsAvoidCopiesButNotConversions) {
  std::string storage;
  ufo::ReadWarnings warnings(nullptr);
  const std::string ascii = "public.kern1.O";
  EXPECT_EQ(ufo::modelTextView(ascii, storage, &warnings).data(), ascii.data());
  EXPECT_EQ(ufo::modelTextView("Caf\xC3\xA9", storage, &warnings), "Caf\xE9");
  EXPECT_EQ(ufo::modelTextView("\xE4\xB8\x80", storage, &warnings), "\xE4\xB8\x80");
  EXPECT_TRUE(warnings.seen(ufo::warning::kTextEncoding));
  EXPECT_EQ(ufo::modelText("Caf\xC3\xA9", nullptr), "Caf\xE9");

  ufo::PListParser parser;
  ufo::PListDocument document;
  ASSERT_TRUE(parser.parseText("<plist><dict><key>one</key><key>a<![CDATA[&b]]>c</key><key/></dict></plist>",
                               document));
  const auto* key = document.rootDict()->first_node();
  EXPECT_EQ(ufo::elementTextView(key, storage), "one");
  key = key->next_sibling();
  EXPECT_EQ(ufo::elementTextView(key, storage), "a&bc");  // pieces joined
  EXPECT_EQ(ufo::elementTextView(key->next_sibling(), storage), "");
}

TEST(ReaderFolder, OddFilesInPlaceOfGlyphFilesAreSkipped) {
  TempUfo ufo;
  ufo.write("glyphs/a.glif", glif("<advance width=\"5\"/>"));
  std::filesystem::create_directories(ufo.folder() / "glyphs" / "dir.glif");
  ASSERT_EQ(::mkfifo((ufo.folder() / "glyphs" / "pipe.glif").c_str(), 0600), 0);
  // Sparse: its size counts against the bound on glyph bytes without any byte being read.
  ufo.write("glyphs/huge.glif", "");
  std::filesystem::resize_file((ufo.folder() / "glyphs" / "huge.glif"), std::uintmax_t{5} << 30);
  ufo.contents({{"dir", "dir.glif"}, {"pipe", "pipe.glif"}, {"huge", "huge.glif"}, {"a", "a.glif"}});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ(r.glyphNames(), (std::vector<std::string>{"a"}));
  EXPECT_EQ(countOf(r.out, "glyph \"dir\" skipped"), 1) << r.out;
  EXPECT_EQ(countOf(r.out, "first left out: \"huge\""), 1) << r.out;
}

TEST(ReaderFolder, RepeatedKerningKeysAndNamesInOtherEncodings) {
  TempUfo ufo;
  ufo.write("groups.plist", plist("<key>@MMK_L_\xC3\xA9</key><array><string>\xC3\xA9</string></array>"
                                  "<key>@MMK_R_x</key><array><string>x</string><string>y</string></array>"));
  // A zero read first still wins over a later value for the same pair; the name
  // without a Windows-1252 form is reported once, with its first use.
  ufo.write("kerning.plist",
            plist("<key>A</key><dict><key>V</key><integer>0</integer><key>\xE4\xB8\x80</key><integer>4</integer>"
                  "<key>bad</key><real>x</real></dict>"
                  "<key>@MMK_L_\xC3\xA9</key><dict><key>@MMK_R_x</key><integer>-8</integer>"
                  "<key>\xE4\xB8\x80</key><integer>6</integer></dict>"
                  "<key>A</key><dict><key>V</key><integer>-50</integer><key>W</key><integer>-9</integer></dict>"
                  "<key>\xE4\xB8\x81</key><dict><key>@MMK_R_x</key><integer>2</integer></dict>"));
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ(r.out,
            "Warning: texts with characters outside Windows-1252 are kept as UTF-8 bytes (first: \"\xE4\xB8\x80\")\n"
            "Warning: kerning.plist: value \"x\" is not a number; the pair is left out\n");
  std::list<vn::NamedGlyphPair> pairs;
  r.font().kerning().flatGlyphPairs(pairs);
  std::map<std::pair<std::string, std::string>, double> flat;
  for (const auto& p : pairs) flat[{p.first, p.second}] = p.value;
  EXPECT_EQ(flat.count({"A", "V"}), 0u);
  EXPECT_EQ(flat.at({"A", "W"}), -9);
  EXPECT_EQ(flat.at({"A", "\xE4\xB8\x80"}), 4);
  EXPECT_EQ(flat.at({"\xE9", "y"}), -8);
  EXPECT_EQ(flat.at({"\xE9", "\xE4\xB8\x80"}), 6);
  EXPECT_EQ(flat.at({"\xE4\xB8\x81", "x"}), 2);

  // A wrong structure in a later entry still fails the whole read.
  ufo.write("kerning.plist", plist("<key>A</key><dict><key>V</key><integer>1</integer></dict>"
                                   "<key>B</key><dict><key>V</key><string>1</string></dict>"));
  ReadResult broken;
  ufotest::readUfo(ufo, broken);
  EXPECT_FALSE(broken.ok);
}

}  // namespace

namespace {

// Results come in list order whatever the helper thread's pace, with the byte limit
// applied in that order; more files than the read-ahead window are all delivered.
TEST(GlyphFileLoader, ResultsInListOrderWithTheLimitInThatOrder) {
  TempUfo ufo;
  std::vector<std::string> names;
  for (int i = 0; i < 200; ++i) {
    const std::string name = "g" + std::to_string(i) + ".glif";
    ufo.write("glyphs/" + name, std::string(static_cast<std::size_t>(i % 7), 'x') + std::to_string(i));
    names.push_back(name);
  }
  names.insert(names.begin() + 3, "../escape.glif");
  names.insert(names.begin() + 5, "missing.glif");
  ufo.write("glyphs/p%c.glif", "literal");
  names.push_back("p%63.glif");  // neither it nor its decoded form "pc.glif" exists
  names.push_back("p%c.glif");

  ufo::Parser parser;
  parser.setBase(ufo.folderPath());
  auto opener = [&parser](const std::string& member, ufo::InputFile& file) { return parser.openInput(member, file); };
  for (const std::uint64_t limit : {std::uint64_t{1} << 40, std::uint64_t{40}}) {
    ufo::GlyphFileLoader loader(opener, names, limit);
    std::uint64_t read = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const ufo::GlyphFileLoader::Result result = loader.next();
      const std::string& name = names[i];
      if (name == "../escape.glif") {
        EXPECT_EQ(result.outcome, ufo::GlyphFileLoader::Outcome::kUnsafeName);
        continue;
      }
      if (name == "missing.glif" || name == "p%63.glif") {
        EXPECT_EQ(result.outcome, ufo::GlyphFileLoader::Outcome::kMissing) << name;
        continue;
      }
      std::ifstream in(ufo.folder() / "glyphs" / name, std::ios::binary);
      const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (expected.size() > limit - read) {
        EXPECT_EQ(result.outcome, ufo::GlyphFileLoader::Outcome::kOverLimit) << name;
        continue;
      }
      read += expected.size();
      ASSERT_EQ(result.outcome, ufo::GlyphFileLoader::Outcome::kRead) << name;
      EXPECT_EQ(result.text, expected) << name;
    }
  }
  // Left before its end, the loader stops its helpers.
  ufo::GlyphFileLoader early(opener, names, 100);
  EXPECT_EQ(early.next().outcome, ufo::GlyphFileLoader::Outcome::kRead);
}

// Glyph files parsed ahead come with their recording, which replays to the same glyph
// as the text; a file too large to record ahead is handed over as text, still counted
// against the limit in list order.
TEST(GlyphFileLoader, ParsedAheadWhereItCanBeAndLargeFilesAsText) {
  TempUfo ufo;
  std::vector<std::string> names;
  const std::string small = "<glyph name=\"g\" format=\"1\"><advance width=\"7\"/></glyph>";
  for (int i = 0; i < 100; ++i) {
    names.push_back("g" + std::to_string(i) + ".glif");
    ufo.write("glyphs/" + names.back(), small);
  }
  const std::string large = "<glyph name=\"big\" format=\"1\"><!--" +
                            std::string(ufo::GlyphFileLoader::kMaxRecordedBytes, '-') + "--></glyph>";
  ufo.write("glyphs/big.glif", large);
  names.insert(names.begin() + 50, "big.glif");

  ufo::Parser parser;
  parser.setBase(ufo.folderPath());
  auto opener = [&parser](const std::string& member, ufo::InputFile& file) { return parser.openInput(member, file); };
  // The limit lets the large file in only when counted in list order: the small ones
  // after it no longer fit.
  const std::uint64_t limit = 50 * small.size() + large.size() + 3 * small.size();
  ufo::GlyphFileLoader loader(opener, names, limit);
  for (std::size_t i = 0; i < names.size(); ++i) {
    ufo::GlyphFileLoader::Result result = loader.next();
    if (i > 53) {
      EXPECT_EQ(result.outcome, ufo::GlyphFileLoader::Outcome::kOverLimit) << i;
      continue;
    }
    ASSERT_EQ(result.outcome, ufo::GlyphFileLoader::Outcome::kRead) << i;
    if (names[i] == "big.glif") {
      EXPECT_FALSE(result.recorded);
      EXPECT_EQ(result.text, large);
      continue;
    }
    ufo::UfoGlyphParser glyphParser;
    auto glyph = vn::Ref<vn::Glyph>::adopt(new vn::Glyph());
    EXPECT_TRUE(result.recorded ? glyphParser.parse(result.recording, glyph.get())
                                : glyphParser.parse(std::string_view(result.text), glyph.get()));
    EXPECT_EQ(glyph->advanceWidth, 7.0) << i;
  }
}

}  // namespace
