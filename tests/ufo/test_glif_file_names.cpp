// Glyph file names: the user-name rule, names that no file system takes, and
// clashes that would make one glyph file replace another.
#include <gtest/gtest.h>

#include <set>

#include "ufo/glyph_file_names.h"

namespace {

TEST(GlifFileNames, UserNameRuleGivesTheDocumentedNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"A", "A_.glif"},         {"AE", "AE__.glif"},     {"Aacute", "Aacute_.glif"}, {"a", "a.glif"},
      {"A.sc", "A_.sc.glif"},   {"a_b.C", "a_b.C_.glif"}, {"A_B", "A__B_.glif"},      {"_a", "__a.glif"},
      {".notdef", "__notdef.glif"}, {"a..b", "a.b.glif"},  {"a.", "a.glif"},          {"a_", "a_.glif"},
  };
  for (const auto& [name, file] : cases) EXPECT_EQ(ufo::userNameToFileName(name), file) << name;
  EXPECT_EQ(ufo::userNameToFileName(""), "");
}

TEST(GlifFileNames, HostileBytesNeverReachTheFileSystem) {
  const std::pair<std::string, std::string> cases[] = {
      {"../../etc/passwd", "__.__.__etc_passwd.glif"},
      {"a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i.glif"},
      {"x%2e%2e", "x_2e_2e.glif"},
      {std::string("tab\there\x7f"), "tab_here_.glif"},
      {std::string("caf\xc3\xa9"), "caf__.glif"},
      {"con", "_con.glif"},
      {"LPT1.alt", "LPT1___.alt.glif"},
      {"lpt1.alt", "_lpt1.alt.glif"},
      {"aux", "_aux.glif"},
  };
  for (const auto& [name, file] : cases) EXPECT_EQ(ufo::userNameToFileName(name), file) << name;

  // A very long name is cut so that the name with a clash counter still fits.
  const std::string longName(1000, 'x');
  const std::string file = ufo::userNameToFileName(longName);
  EXPECT_LE(file.size() + 15, ufo::kMaxFileNameLength);
  EXPECT_EQ(file.substr(file.size() - 5), ".glif");
}

TEST(GlifFileNames, ClashesAreNumberedWithoutRegardToCase) {
  ufo::GlyphFileNames names;
  EXPECT_EQ(names.assign("a"), "a.glif");
  EXPECT_EQ(names.assign("a."), "a000000000000001.glif");
  EXPECT_EQ(names.assign("a.."), "a000000000000002.glif");
  // "A" and "a_" give file names that differ only in case.
  EXPECT_EQ(names.assign("A"), "A_.glif");
  EXPECT_EQ(names.assign("a_"), "a_000000000000001.glif");
  EXPECT_EQ(names.assign("A__"), "A___.glif");
  EXPECT_EQ(names.assign("a___"), "a___000000000000001.glif");
  EXPECT_EQ(names.assign(""), "");

  // Thousands of clashing names stay unique.
  ufo::GlyphFileNames many;
  std::set<std::string> seen;
  for (int i = 0; i < 3000; ++i) {
    const std::string file = many.assign(i % 2 ? "x" : "x.");
    std::string lower = file;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(lower).second) << file;
    EXPECT_EQ(file.find('/'), std::string::npos);
  }
}

}  // namespace
