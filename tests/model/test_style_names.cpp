#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "model/object.h"
#include "model/style.h"
#include "model/style_names.h"

namespace vn {
namespace {

struct ClassHit {
  int position;
  int length;
  int value;
};

ClassHit weightIn(const std::string& text) {
  ClassHit hit{};
  hit.position = weightClassForName(text, hit.length, hit.value);
  return hit;
}

ClassHit widthIn(const std::string& text) {
  ClassHit hit{};
  hit.position = widthClassForName(text, hit.length, hit.value);
  return hit;
}

// Longer words win over the words they contain; case matters; nothing gives -1 with zeros.
TEST(StyleWordRecognition, LongerWordsWinOverTheWordsTheyContain) {
  const std::tuple<bool, const char*, int, int, int> cases[] = {
      {true, "Extra Light Italic", 0, 11, 200}, {true, "Alder SemiBold", 6, 8, 600},
      {false, "Alder Semi Condensed Bold", 6, 14, 4}, {true, "alder semibold", -1, 0, 0}, {true, "", -1, 0, 0}};
  for (const auto& [weight, text, position, length, value] : cases) {
    const ClassHit hit = weight ? weightIn(text) : widthIn(text);
    EXPECT_EQ(std::tie(hit.position, hit.length, hit.value), std::tie(position, length, value)) << text;
  }
}

TEST(StyleNumbers, WeightAndWidthNames) {
  // Weight names change at the integer midpoints.
  const std::pair<int, const char*> weights[] = {
      {-5, "Thin"},  {150, "Thin"},      {151, "ExtraLight"}, {400, "Regular"}, {650, "SemiBold"},
      {651, "Bold"}, {825, "ExtraBold"}, {826, "Heavy"},      {925, "Black"},   {926, "ExtraBlack"}};
  for (const auto& [value, name] : weights) EXPECT_EQ(weightNameFor(value), name) << value;
  EXPECT_EQ(widthNameFor(5, true), "Monospaced");
  EXPECT_EQ(widthNameFor(5, false), "Normal");
  EXPECT_EQ(widthNameFor(1, false), "UltraCondensed");
  EXPECT_EQ(widthNameFor(9, true), "Mono UltExp");
  EXPECT_EQ(widthNameFor(10, false), "");
  EXPECT_EQ(widthNameFor(0, false), "");
}

class StyleNameComposition : public ::testing::Test {
 protected:
  StyleNames words(const std::string& weight, const std::string& width, const std::string& slope) {
    names.weightName = weight;
    names.widthName = width;
    names.slopeName = slope;
    return StyleNames(names, metrics, flags);
  }

  FontNames names;
  FontMetrics metrics;
  StyleFlags flags;
};

TEST_F(StyleNameComposition, UnknownWordsAreCompletedFromTheNumbers) {
  metrics.weightValue = 690;
  metrics.widthValue = 3;
  flags.isItalic = 1;
  const StyleNames record = words("", "Squeezed", "");
  EXPECT_EQ(record.weightWord, "Bold");
  EXPECT_EQ(record.widthWord, "Condensed");
  EXPECT_EQ(record.slopeWord, "Italic");
  EXPECT_EQ(record.compose(), "Bold Condensed Italic");

  metrics.weightValue = 0;
  metrics.widthValue = 0;
  flags.isItalic = 0;
  flags.isFixedPitch = 1;
  const StyleNames defaults = words("", "", "");
  EXPECT_EQ(defaults.weightWord, "Regular");
  EXPECT_EQ(defaults.widthWord, "Monospaced");
  EXPECT_EQ(defaults.slopeWord, "Plain");
}

TEST_F(StyleNameComposition, StyleNameLeavesOutTheDefaultWords) {
  EXPECT_EQ(words("Bold", "Normal", "Plain").compose(), "Bold");
  EXPECT_EQ(words("Regular", "Normal", "Plain").compose(), "Regular");
  EXPECT_EQ(words("regular", "NORMAL", "Italic").compose(), "Italic");
  names.spareName = "Display";
  EXPECT_EQ(words("SemiBold", "Narrow", "Oblique").compose(), "SemiBold Narrow Oblique Display");
}

TEST_F(StyleNameComposition, LongStyleNamesAreAbbreviatedThenCut) {
  // 36 characters: one abbreviation round drops the extra word and takes medium forms.
  names.spareName = "Text";
  EXPECT_EQ(words("ExtraBold", "UltraExpanded", "Oblique").compose(), "ExtBd UltExp Obliq");
  // A tiny limit forces both rounds and the final cut.
  EXPECT_EQ(words("ExtraBold", "UltraExpanded", "Oblique").compose(8), "XBd UEx ");
}

TEST_F(StyleNameComposition, LinkingFamilyKeepsOnlyNonLinkingWords) {
  names.familyName = "Alder";
  EXPECT_EQ(words("SemiBold", "Normal", "Plain").linkingFamily(), "Alder SemBd");
  EXPECT_EQ(words("Bold", "Normal", "Italic").linkingFamily(), "Alder");
  EXPECT_EQ(words("Light", "Condensed", "Plain").linkingFamily(), "Alder Light Cond");
  names.familyName = "An Exceedingly Long Family Name";
  EXPECT_EQ(words("SemiBold", "Condensed", "Plain").linkingFamily(),
            "An Exceedingly Long Family Name SmBd Cn");
}

TEST_F(StyleNameComposition, FullAndPostScriptNamesShortenTheStylePart) {
  names.familyName = "Alder";
  names.styleName = "Semi Bold Italic";
  StyleNames record(names, metrics, flags);
  EXPECT_EQ(record.shortenStyleName(), "Alder Semi Bold Italic");
  EXPECT_EQ(record.postScriptName(), "Alder-SemiBoldItalic");

  names.familyName = "Wonderfully Verbose Family";
  names.styleName = "Extra Bold Extra Condensed Italic";
  StyleNames longRecord(names, metrics, flags);
  const std::string full = longRecord.shortenStyleName();
  EXPECT_LE(full.size(), kStyleNameLimit);
  EXPECT_EQ(full.rfind("Wonderfully Verbose Family ", 0), 0u);
  const std::string postScript = longRecord.postScriptName();
  EXPECT_LE(postScript.size(), kPostScriptNameLimit);
  EXPECT_EQ(postScript.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-"),
            std::string::npos);

  // Nothing to shorten: the result is cut at the limit.
  names.familyName = std::string(40, 'F');
  names.styleName = "Bold";
  EXPECT_EQ(StyleNames(names, metrics, flags).shortenStyleName(), std::string(31, 'F'));
  EXPECT_EQ(StyleNames(names, metrics, flags).postScriptName(), std::string(29, 'F'));
}

TEST(StyleNameSteps, ComposedStyleFillsOnlyEmptyNames) {
  Ref<Style> style = Ref<Style>::adopt(new Style());
  style->names.familyName = "Alder";
  style->metrics.weightValue = 600;
  style->metrics.italicAngle = -12;
  style->names.version.clear();
  style->composeStyleNames();
  const FontNames& names = style->names;
  EXPECT_EQ(names.styleMapFamilyName, "Alder SemBd");
  EXPECT_EQ(names.slopeName, "Italic");
  EXPECT_EQ(names.weightName, "SemiBold");
  EXPECT_EQ(names.widthName, "Normal");
  EXPECT_EQ(names.styleName, "SemiBold Italic");
  EXPECT_EQ(names.fullName, "Alder SemiBold Italic");
  EXPECT_EQ(names.fontName, "Alder-SemiBoldItalic");
  EXPECT_EQ(names.version, "1.0");

  Ref<Style> kept = Ref<Style>::adopt(new Style());
  kept->names.familyName = "Alder";
  kept->names.styleName = "Poster";
  kept->names.fontName = "Alder-Poster-Custom";
  kept->composeStyleNames();
  EXPECT_EQ(kept->names.styleName, "Poster");
  EXPECT_EQ(kept->names.fullName, "Alder Poster");
  EXPECT_EQ(kept->names.fontName, "Alder-Poster-Custom");
  EXPECT_EQ(kept->names.styleMapFamilyName, "Alder");
}

}  // namespace
}  // namespace vn
