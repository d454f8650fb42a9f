// What the reader makes of its input files: numbers, odd files in place of glyph files,
// many glyph files read ahead, large ones, and repeated or re-encoded kerning names.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <map>

#include "platform/procfs_text.h"
#include "ufo/glyph_file_loader.h"
#include "ufo/limits.h"
#include "ufo/reader_text.h"
#include "ufo_fixtures.h"

namespace {

using ufotest::countOf;
using ufotest::glif;
using ufotest::plist;
using ufotest::ReadResult;
using ufotest::TempUfo;

TEST(ReaderText, WholeNumbersReadAsDecimalsDo) {
  for (const char* text : {"0", "-0", "+12", " 7 \n", "-2147483649", "9007199254740993",
                           "123456789012345678901234567890", "1e3", "12.5", "-0.0"}) {
    const auto value = ufo::readReal(text);
    ASSERT_TRUE(value) << text;
    std::string_view digits = text;
    while (digits.front() == ' ' || digits.front() == '+') digits.remove_prefix(1);
    const double expected = std::stod(std::string(digits));
    EXPECT_EQ(*value, expected) << text;
    EXPECT_EQ(std::signbit(*value), std::signbit(expected)) << text;
  }
  for (const char* text : {"", "-", "+-", "0x10", "12abc", "--1", "1e999", "nan"}) EXPECT_FALSE(ufo::readReal(text)) << text;
}

// A glyph file that is there but cannot be taken fails the read, named; one that is not
// there at all is left out with a warning.
TEST(ReaderFolder, OddFilesInPlaceOfGlyphFilesFailTheReadByName) {
  namespace fs = std::filesystem;
  struct Case {
    const char* file;
    std::function<void(const fs::path&)> make;
    const char* message;
  };
  const Case cases[] = {
      {"dir.glif", [](const fs::path& p) { fs::create_directories(p); }, "is not a regular file"},
      {"pipe.glif", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "is not a regular file"},
      // Sparse: nothing of it is read.
      {"huge.glif",
       [](const fs::path& p) {
         std::ofstream(p) << "";
         fs::resize_file(p, ufo::kMaxOneGlyphFileBytes + 1);
       },
       "is larger than the reader accepts (67108864 bytes)"},
      {"loop.glif", [](const fs::path& p) { fs::create_symlink("loop.glif", p); },
       "cannot be opened: Too many levels of symbolic links"},
      {"gone.glif", [](const fs::path&) {}, nullptr},
  };
  for (const Case& odd : cases) {
    TempUfo ufo;
    ufo.write("glyphs/a.glif", glif("<advance width=\"5\"/>"));
    odd.make(ufo.folder() / "glyphs" / odd.file);
    ufo.contents({{"odd", odd.file}, {"a", "a.glif"}});
    ReadResult r;
    ufotest::readUfo(ufo, r);
    if (odd.message == nullptr) {
      ASSERT_TRUE(r.ok) << r.out << r.err;
      EXPECT_EQ(r.glyphNames(), (std::vector<std::string>{"a"}));
      EXPECT_EQ(countOf(r.out, "without their file are left out"), 1) << r.out;
      continue;
    }
    EXPECT_FALSE(r.ok) << odd.file;
    EXPECT_EQ(r.err, "Error while opening UFO: \"glyphs/" + std::string(odd.file) + "\" " + odd.message + "\n");
  }
}

// Glyph files are read and parsed ahead by helpers: more files than the read-ahead
// window, a file too large to record ahead, and a procfs file that holds more than its
// size of 0 says, all arrive in list order, whole.
TEST(ReaderFolder, ManyAndLargeGlyphFilesArriveInOrder) {
  TempUfo ufo;
  std::vector<std::pair<std::string, std::string>> entries;
  std::vector<std::string> expected;
  testing_platform::ProcfsText procfs(glif("<advance width=\"100\"/>"));
  for (int i = 0; i < 150; ++i) {
    const std::string name = "g" + std::to_string(149 - i);
    std::string body = "<advance width=\"" + std::to_string(i) + "\"/>";
    if (i == 70) body += std::string(ufo::GlyphFileLoader::kMaxRecordedBytes, ' ');
    if (i == 100 && procfs.ready()) {
      std::filesystem::create_symlink(procfs.path(), ufo.folder() / "glyphs" / (name + ".glif"));
    } else {
      ufo.write("glyphs/" + name + ".glif", glif(body));
    }
    entries.push_back({name, name + ".glif"});
    expected.push_back(name);
  }
  ufo.contents(entries);
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out;
  EXPECT_EQ(r.glyphNames(), expected) << r.out;
  for (int i = 0; i < 150; ++i) {
    const vn::Glyph* glyph = r.glyph("g" + std::to_string(149 - i));
    ASSERT_NE(glyph, nullptr) << i;
    EXPECT_EQ(glyph->advanceWidth, i) << i;
  }
}

// The bound on glyph bytes is counted in list order whatever the helpers' pace; names
// that leave the folder or name no file are told apart.
TEST(GlyphFileLoader, TheByteLimitCountsInListOrder) {
  TempUfo ufo;
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) {
    names.push_back("g" + std::to_string(i) + ".glif");
    ufo.write("glyphs/" + names.back(), std::string(static_cast<std::size_t>(i % 7), 'x') + std::to_string(i));
  }
  names.insert(names.begin() + 3, "../escape.glif");
  names.insert(names.begin() + 5, "missing.glif");
  ufo::Parser parser;
  parser.setBase(ufo.folderPath());
  ufo::GlyphFileLoader loader([&parser](const std::string& member, vn::InputFile& file) { return parser.openInput(member, file); },
                              names, 40);
  using Outcome = ufo::GlyphFileLoader::Outcome;
  std::uint64_t read = 0;
  for (const std::string& name : names) {
    const ufo::GlyphFileLoader::Result result = loader.next();
    const std::string text = ufotest::readFile(ufo.folder() / "glyphs" / name);
    const Outcome expected = name == "../escape.glif" ? Outcome::kUnsafeName
                             : name == "missing.glif" ? Outcome::kMissing
                             : text.size() > 40 - read ? Outcome::kOverLimit
                                                       : Outcome::kRead;
    EXPECT_EQ(result.outcome, expected) << name;
    if (expected == Outcome::kRead) read += text.size();
  }
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
  ufo.glyphs({"\xE4\xB8\x80", "\xE4\xB8\x81", "A", "V", "W", "\xC3\xA9", "x", "y"});
  ReadResult r;
  ufotest::readUfo(ufo, r);
  ASSERT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ(ufotest::withoutFontInfoChanges(r.out),
            "Warning: texts with characters outside Windows-1252 are kept as UTF-8 bytes (first: \"\xE4\xB8\x80\")\n"
            "Warning: kerning.plist: value \"x\" is not a number; the pair is left out\n");
  const ufotest::FlatKerning expected = {
      {{"A", "W"}, -9}, {{"A", "\xE4\xB8\x80"}, 4}, {{"\xE9", "y"}, -8}, {{"\xE9", "x"}, -8},
      {{"\xE9", "\xE4\xB8\x80"}, 6}, {{"\xE4\xB8\x81", "x"}, 2}, {{"\xE4\xB8\x81", "y"}, 2}};
  EXPECT_EQ(ufotest::flatKerning(r.font()), expected);

  // A wrong structure in a later entry still fails the whole read.
  ufo.write("kerning.plist", plist("<key>A</key><dict><key>V</key><integer>1</integer></dict>"
                                   "<key>B</key><dict><key>V</key><string>1</string></dict>"));
  ReadResult broken;
  ufotest::readUfo(ufo, broken);
  EXPECT_FALSE(broken.ok);
}

}  // namespace
