// FeaCompiler as its client sees it: results, the exception's code, text and line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "feacompiler/fea_compiler.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

struct Font {
  explicit Font(std::vector<std::string> names) {
    for (const std::string& n : names) {
      owned.push_back(vn::Ref<vn::Glyph>::adopt(new vn::Glyph()));
      owned.back()->name = n;
      glyphs.push_back(owned.back().get());
    }
  }
  std::vector<vn::Ref<vn::Glyph>> owned;
  std::vector<vn::Glyph*> glyphs;
};

fea::FeaCompilerException compileFails(const std::string& text) {
  Font font({".notdef", "a", "b"});
  fea::FeaCompiler compiler("Test Font");
  std::istringstream in(text);
  try {
    compiler.compile(0, &font.glyphs, &in);
  } catch (const fea::FeaCompilerException& e) {
    return e;
  }
  ADD_FAILURE() << "compiled: " << text;
  return fea::FeaCompilerException(-1, "");
}

TEST(FrontApi, CompileWithoutGlyphsReturnsMinusOne) {
  fea::FeaCompiler compiler("Test Font");
  std::istringstream in("feature liga { sub a by b; } liga;");
  EXPECT_EQ(compiler.compile(0, nullptr, &in), -1);
  EXPECT_TRUE(compiler.gsubData().empty());
}

TEST(FrontApi, ResultsOfACompile) {
  Font font({".notdef", "a", "b", "c"});
  fea::FeaCompiler compiler("Test Font");
  std::istringstream in("feature calt { sub a' b by c; sub a by nope; } calt;\n"
                        "feature kern { pos a b -10; } kern;");
  ASSERT_EQ(compiler.compile(0, &font.glyphs, &in), 0);
  EXPECT_FALSE(compiler.gsubData().empty());
  EXPECT_FALSE(compiler.gposData().empty());
  EXPECT_TRUE(compiler.gdefData().empty());
  EXPECT_EQ(compiler.maxContext(), 2);
  EXPECT_EQ(compiler.missingGlyphs(), std::list<std::string>{"nope"});
}

// 5,000 language systems: their ScriptList passes the 16-bit offsets when GSUB is written.
std::string manyLanguageSystems() {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "languagesystem s" + std::to_string(i % 1000) + " l" + std::to_string(i / 1000) + ";\n";
  return text + "feature liga { sub a by b; } liga;\n";
}

// The exception's text and line are those of the last message; its place is where the
// first error is: a feature block of the text (its tag and the line it begins at), the top level
// (outside every feature block), or not known when the error was found after the parse.
TEST(FrontApi, ExceptionCarriesTextLineAndPlace) {
  struct Case {
    std::string text;
    const char* message;
    int line;
    int placeLine;
    const char* block;
    int blockLine;
  };
  const Case cases[] = {
      {"\nfeature liga { sub a by b } liga;", "<Font> aborting because of errors", 2, 2, "liga", 2},
      {"\n\n\nfeature liga { sub a by b; } calt;", "<Font> doesn't match starting tag of block", 4, 4, "liga", 4},
      {"feature liga {\n\n  sub a by @none;\n} liga;", "<Font> glyph class not defined (text was \"@none\")", 3, 3,
       "liga", 1},
      // The front end's own fatal: its text, naming the include and where it was looked
      // for, and the line of the include.
      {"\n\ninclude(no-such-file.fea);",
       "feature file is not accessible: include \"no-such-file.fea\", searched in the current folder: no such file", 3,
       3, "", -1},
      // A lookup block before the language systems: the error is at the languagesystem
      // statement, outside every block, though the compile stops at the end of the text.
      {"lookup x {\n  sub a by b;\n} x;\nlanguagesystem DFLT dflt;\nfeature liga {\n  sub a by b;\n} liga;\n",
       "<Font> aborting because of errors", 7, 4, "", -1},
      // After a feature block, the top level again.
      {"feature liga {\n  sub a by b;\n} liga;\nlanguagesystem DFLT dflt;\n", "<Font> aborting because of errors", 4, 4,
       "", -1},
      // A block left open at the end of the text: the error is in it.
      {"feature liga {\n  sub a by b;\n} liga;\nfeature calt {\n  sub a by b c d;\n",
       "<Font> aborting because of errors", 6, 6, "calt", 4},
      {manyLanguageSystems(), "<Font> Script offset overflow (0x10024) in ScriptList list", 5001, -1, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    fea::FeaCompilerException e = compileFails(c.text);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.message, c.message);
    EXPECT_EQ(e.line, c.line);
    EXPECT_EQ(e.place.line, c.placeLine);
    EXPECT_EQ(e.place.file, "");
    EXPECT_EQ(e.place.featureBlock, c.block);
    EXPECT_EQ(e.place.blockLine, c.blockLine);
  }
}

uint16_t u16(const std::string& b, size_t at) {
  return static_cast<uint16_t>((static_cast<uint8_t>(b.at(at)) << 8) | static_cast<uint8_t>(b.at(at + 1)));
}

// A name given twice in the glyph list is the lower of its two ids.
TEST(FrontApi, DuplicateNameTakesTheLowestId) {
  Font font({".notdef", "x.alt", "y.alt", "x.alt"});
  fea::FeaCompiler compiler("Test Font");
  std::istringstream in("feature liga { sub y.alt by x.alt; } liga;");
  ASSERT_EQ(compiler.compile(0, &font.glyphs, &in), 0);
  const std::string& t = compiler.gsubData();
  size_t lookup = u16(t, 8) + u16(t, u16(t, 8) + 2);        // first lookup
  size_t sub = lookup + u16(t, lookup + 6);                 // its first subtable
  if (u16(t, sub) == 1) {
    EXPECT_EQ(static_cast<int16_t>(u16(t, sub + 4)), -1);   // y (2) -> x (1)
  } else {
    EXPECT_EQ(u16(t, sub + 6), 1);
  }
}

}  // namespace
