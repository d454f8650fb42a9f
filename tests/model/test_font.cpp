// Fonts and styles: defaults and glyph look-ups.
#include <gtest/gtest.h>

#include <sstream>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/style.h"

namespace {

using vn::Font;
using vn::Glyph;
using vn::Ref;
using vn::Style;

TEST(FontDefaultsTest, FreshStyleAndFont) {
  Ref<Style> style = Ref<Style>::adopt(new Style());
  const vn::FontMetrics& m = style->metrics;
  EXPECT_EQ((std::vector<double>{m.unitsPerEm, m.ascender, m.descender, m.capHeight, m.xHeight, m.underlinePosition,
                                 m.underlineThickness, m.weightValue, m.widthValue}),
            (std::vector<double>{1000, 750, -250, 750, 500, -100, 50, 400, 5}));
  EXPECT_TRUE(m.matrix.isIdentity());
  EXPECT_EQ(style->names.version, "1.0");
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(style->names.field(i)->empty()) << i;
  EXPECT_EQ(style->extraRecord.absent, 1);
  EXPECT_EQ(style->tables.unicodeRanges, std::vector<bool>(128, false));
  EXPECT_EQ(style->tables.codePageRanges, std::vector<bool>(64, false));

  vn::FontMetrics scaled;
  scaled.weightValue = 700;
  scaled.setUnitsPerEm(2048);
  EXPECT_EQ(scaled.winDescent, 512);
  EXPECT_EQ(scaled.weightValue, 700);

  Ref<Font> font = Ref<Font>::adopt(new Font());
  const vn::FontHinting& h = font->hinting;
  EXPECT_EQ(h.blueFuzz, 1);
  EXPECT_EQ(h.blueShift, 7);
  EXPECT_EQ(h.blueScale, 0.039625);
  EXPECT_EQ(h.params4, (std::array<int32_t, 4>{48, 68, 0, 255}));
  font->hinting.gaspRanges.resize(1);
  EXPECT_EQ(font->hinting.gaspRanges[0].flags, (std::array<bool, 4>{true, false, false, false}));
  EXPECT_GT(font->created.tm_year, 100);
  int32_t year = 0;
  EXPECT_FALSE(style->findInteger("year", &year));
  style->namedIntegers["year"] = 2024;
  EXPECT_TRUE(style->findInteger("year", &year));
  EXPECT_EQ(year, 2024);
}

TEST(GlyphIndexTest, ByNameBuildsOnFirstCallAndLaterDuplicateWins) {
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
  EXPECT_TRUE(font->byName.empty());

  EXPECT_EQ(font->glyphByName(""), nullptr);
  EXPECT_EQ(font->glyphByName("a"), duplicate);
  EXPECT_EQ(font->byName.size(), 2u);
  EXPECT_EQ(font->glyphByName("zz"), nullptr);
  EXPECT_EQ(font->byUnicode.at(97), second);
  EXPECT_EQ(font->glyphVector.size(), 3u);
  EXPECT_EQ(first->index, 0);
  EXPECT_EQ(duplicate->index, 2);
  EXPECT_NE(first->nameId, 0u);
  EXPECT_EQ(first->nameId, duplicate->nameId);

  const Font& constant = *font;
  EXPECT_EQ(constant.glyphByName("b"), second);

  // Destroying the font releases its glyphs; one kept reference survives it.
  second->addRef();
  font = Ref<Font>();
  EXPECT_EQ(second->refCount(), 1);
  second->release();
}

}  // namespace
