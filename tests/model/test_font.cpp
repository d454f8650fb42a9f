// Fonts: metrics rescaling and glyph look-ups.
#include <gtest/gtest.h>

#include "model/font.h"

namespace {

using vn::Font;
using vn::Glyph;
using vn::Ref;

// Changing the em rescales the derived metrics; set values stay.
TEST(FontDefaultsTest, UnitsPerEmRescalesTheDerivedMetrics) {
  vn::FontMetrics scaled;
  scaled.weightValue = 700;
  scaled.setUnitsPerEm(2048);
  EXPECT_EQ(scaled.winDescent, 512);
  EXPECT_EQ(scaled.weightValue, 700);
}

TEST(GlyphIndexTest, LookUpsByNameAndUnicodeAndLaterDuplicateWins) {
  Ref<Font> font = Ref<Font>::adopt(new Font());
  Glyph* first = new Glyph();
  first->setName("a");
  first->unicodes = {97};
  Glyph* second = new Glyph();
  second->setName("b");
  second->unicodes = {98, 97};
  Glyph* duplicate = new Glyph();
  duplicate->setName("a");
  font->glyphs = {first, second, duplicate};

  EXPECT_EQ(font->glyphByName(""), nullptr);
  EXPECT_EQ(font->glyphByName("a"), duplicate);
  EXPECT_EQ(font->glyphByName("zz"), nullptr);
  EXPECT_EQ(font->byUnicode.at(97), second);
  EXPECT_EQ(first->index, 0);
  EXPECT_EQ(duplicate->index, 2);
}

}  // namespace
