// A class-pair subtable too large for 16-bit offsets in generated feature text: the text
// has one subtable for each piece the table writer splits it into, and our compiler and
// feaLib both build every pair from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "layout/layout_fea.h"
#include "layout/pair_pos.h"
#include "repair_fixture.h"
#include "rules_judge.h"

namespace {

constexpr uint16_t kGlyphCount = 600;
constexpr uint16_t kFirsts = 300, kSeconds = 120;

// "P first second advance" of every glyph pair with an advance, the first subtable that
// holds a pair winning, sorted as text (as the judge sorts).
std::string pairLines(const otl::LayoutTableBlock& block, const otl::GlyphIdMap& glyphs) {
  std::map<std::pair<uint32_t, uint32_t>, int> pairs;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) {
      const auto* pair = dynamic_cast<const otl::LpPair*>(subtable.get());
      if (!pair) continue;
      otl::LpPair glyphPairs(uint16_t{1});
      glyphPairs.assign(*pair);
      glyphPairs.toGlyphPairs();
      for (const auto& p : glyphPairs.format1->pairs) {
        pairs.emplace(std::make_pair(glyphs.indexOf(p.first), glyphs.indexOf(p.second)), p.value1.xAdvance);
      }
    }
  }
  std::vector<std::string> lines;
  for (const auto& [key, advance] : pairs) {
    if (advance) lines.push_back("P " + std::to_string(key.first) + " " + std::to_string(key.second) + " " +
                                 std::to_string(advance) + "\n");
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const auto& line : lines) text += line;
  return text;
}

// The first line where two listings part, for a short failure message.
std::string firstDifference(const std::string& a, const std::string& b) {
  std::istringstream left(a), right(b);
  std::string l, r;
  for (int line = 1;; ++line) {
    const bool moreLeft = static_cast<bool>(std::getline(left, l)), moreRight = static_cast<bool>(std::getline(right, r));
    if (!moreLeft && !moreRight) return "";
    if (l != r || moreLeft != moreRight) return "line " + std::to_string(line) + ": '" + l + "' vs '" + r + "'";
  }
}

TEST(PairSplitText, GeneratedTextBreaksWhereTheWriterSplits) {
  vn::Ref<vn::Font> font = layout_test::fontNamed("g", kGlyphCount);
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("g", kGlyphCount);
  otl::LayoutFea layout(font.get(), "");
  otl::Lookup* lookup = layout_test::lookupInFeature(layout.gpos, otl::kGposPair, "kern");
  // Every first glyph a class of its own against every second: 72,000 bytes of values.
  auto pair = std::make_unique<otl::LpPair>(uint16_t{1});
  for (uint16_t f = 1; f <= kFirsts; ++f) {
    for (uint16_t s = 0; s < kSeconds; ++s) {
      const int advance = (f * 131 + s * 17) % 1999 - 999;
      pair->format1->pairs.emplace_back(glyphs.idOf(f), glyphs.idOf(uint16_t(kFirsts + 1 + s)),
                                        otl::valueFromKerning(advance), otl::GPosValue());
    }
  }
  pair->toClassPairs();
  lookup->addSubtable(std::move(pair));
  const std::string before = pairLines(layout.gpos, glyphs);

  std::ostringstream out;
  ASSERT_TRUE(layout.writeFeatureFile(out, vn::FeatureWriteOptions{}));
  const std::string text = out.str();
  EXPECT_NE(text.find("subtable;"), std::string::npos);

  otl::LayoutFea again(font.get(), "");
  std::istringstream back(text);
  otl::FeaCompileError error;
  EXPECT_TRUE(again.importFeatureFile(back, "Test", false, &error)) << error.message;
  EXPECT_EQ(firstDifference(pairLines(again.gpos, glyphs), before), "");

  const std::string judge = layout_test::judgeFeaLibRules(text, kGlyphCount, "GPOS");
  if (judge.empty()) GTEST_SKIP() << "fontTools missing: feaLib's build was not judged";
  EXPECT_EQ(firstDifference(judge.substr(0, judge.rfind("subtables=")), before), "");
}

}  // namespace
