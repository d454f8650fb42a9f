// Feature text that other compilers accept and ours refuses, as the README lists it under
// "What it does not do yet": each form ends the compile, while the text that says the same
// within the grammar compiles.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/object.h"

namespace {

bool compiles(const std::string& text) {
  vn::Ref<vn::Font> font = vn::Ref<vn::Font>::adopt(new vn::Font());
  for (const char* name : {".notdef", "A", "Aacute", "acute", "cedilla", "f", "i", "f_i"}) {
    auto* glyph = new vn::Glyph();
    glyph->name = name;
    font->appendGlyph(glyph);
  }
  otl::LayoutFea layout(font.get(), "");
  std::istringstream in(text);
  otl::FeaCompileError error;
  return layout.importFeatureFile(in, "Test", false, &error);
}

std::string readmeSection(const std::string& title) {
  std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/README.md");
  std::stringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  const size_t start = text.find("## " + title);
  if (start == std::string::npos) return {};
  return text.substr(start, text.find("\n## ", start + 1) - start);
}

TEST(GrammarRefusals, WhatTheReadmeSaysIsRefusedIsRefused) {
  const std::string ls = "languagesystem DFLT dflt;\n";
  const std::string mark = "markClass acute <anchor 100 500> @TOP;\n";
  const std::string marks = mark + "markClass cedilla <anchor 100 0> @BOTTOM;\n";
  const std::string top = "pos base A <anchor 300 700> mark @TOP;";
  const std::string topAgain = "pos base A <anchor 320 720> mark @TOP;";
  const std::string ccmp = "sub A' acute by Aacute; } L;\nfeature ccmp { lookup L; } ccmp;\n";
  const struct {
    std::string readme;  // how the README names the form
    std::string refused;
    std::string accepted;  // the same said within the grammar
  } cases[] = {
      {"an empty glyph class (`[ ]`, also in `@EMPTY = [ ];`)",
       ls + "@EMPTY = [ ];\nfeature liga { sub f i by f_i; } liga;\n", ls + "feature liga { sub f i by f_i; } liga;\n"},
      {"an empty glyph class (`[ ]`", ls + "feature liga { sub [ ] by f_i; } liga;\n",
       ls + "feature liga { sub [f] by f_i; } liga;\n"},
      {"top-level `lookup` block before the `languagesystem` statements",
       "lookup L { sub A by Aacute; } L;\n" + ls + "feature ccmp { lookup L; } ccmp;\n",
       ls + "lookup L { sub A by Aacute; } L;\nfeature ccmp { lookup L; } ccmp;\n"},
      {"a feature block that holds only a comment (`feature mark { # Automatic Code Start } mark;`",
       ls + "feature mark {\n# Automatic Code Start\n} mark;\n", ls + "feature mark {\n# Automatic Code Start\n;\n} mark;\n"},
      {"an inline class after `lookupflag UseMarkFilteringSet` or `MarkAttachmentType`",
       ls + "lookup L { lookupflag UseMarkFilteringSet [acute]; " + ccmp,
       ls + "@M = [acute];\nlookup L { lookupflag UseMarkFilteringSet @M; " + ccmp},
      {"(`sub A by [Aacute];`, where `sub A by Aacute;` compiles)", ls + "feature ccmp { sub A by [Aacute]; } ccmp;\n",
       ls + "feature ccmp { sub A by Aacute; } ccmp;\n"},
      {"`<anchor NULL>` for a ligature component without its `mark` class",
       ls + mark + "feature mark { pos ligature f_i <anchor 100 600> mark @TOP ligComponent <anchor NULL>; } mark;\n",
       ls + mark +
           "feature mark { pos ligature f_i <anchor 100 600> mark @TOP ligComponent <anchor NULL> mark @TOP; } mark;\n"},
      {"a base glyph given anchors in two mark-to-base or mark-to-mark statements of one lookup (`" + top +
           "` and again `" + topAgain + "`)",
       ls + mark + "feature mark { " + top + " " + topAgain + " } mark;\n",
       ls + mark + "feature mark { " + top + " } mark;\n"},
      {"one statement per glyph with each mark class once compiles "
       "(`pos base A <anchor 300 700> mark @TOP <anchor 300 0> mark @BOTTOM;`)",
       ls + marks + "feature mark { " + top + " pos base A <anchor 300 0> mark @BOTTOM; } mark;\n",
       ls + marks + "feature mark { pos base A <anchor 300 700> mark @TOP <anchor 300 0> mark @BOTTOM; } mark;\n"},
      {"also when each statement gives its own mark class, as sources write one statement per class",
       ls + marks + "feature mkmk { pos mark A <anchor 1 2> mark @TOP; pos mark A <anchor 1 0> mark @BOTTOM; } mkmk;\n",
       ls + marks + "feature mkmk { pos mark A <anchor 1 2> mark @TOP <anchor 1 0> mark @BOTTOM; } mkmk;\n"},
      {"and so does a `subtable;` statement between the two",
       ls + mark + "feature mark { " + top + " " + topAgain + " } mark;\n",
       ls + mark + "feature mark { " + top + " subtable; " + topAgain + " } mark;\n"},
      {"two mark-to-base or mark-to-mark statements",
       ls + mark +
           "feature mkmk { pos mark cedilla <anchor 100 700> mark @TOP; pos mark cedilla <anchor 100 0> mark @TOP; }"
           " mkmk;\n",
       ls + mark + "feature mkmk { pos mark cedilla <anchor 100 700> mark @TOP; } mkmk;\n"},
      {"a `lookup` reference inside 'aalt' (`feature aalt { lookup ALTS; } aalt;`), where the rules written in 'aalt' "
       "itself compile (`feature aalt { sub A by Aacute; } aalt;`)",
       ls + "lookup ALTS { sub A by Aacute; } ALTS;\nfeature aalt { lookup ALTS; } aalt;\n",
       ls + "feature aalt { sub A by Aacute; } aalt;\n"},
  };
  const std::string section = readmeSection("What it does not do yet");
  std::string flat;  // the section's words, whatever the line breaks
  for (const char c : section) {
    if (c == '\n') {
      if (!flat.empty() && flat.back() != ' ') flat += ' ';
    } else if (c != ' ' || (!flat.empty() && flat.back() != ' ')) {
      flat += c;
    }
  }
  for (const auto& c : cases) {
    EXPECT_NE(flat.find(c.readme), std::string::npos) << c.readme;
    EXPECT_FALSE(compiles(c.refused)) << c.refused;
    EXPECT_TRUE(compiles(c.accepted)) << c.accepted;
  }
}

}  // namespace
