// The font-information and metrics blocks written by the production encoders and
// read back by the reader: every carried field returns. The losses the file format
// imposes are named where they are checked.
#include <gtest/gtest.h>

#include <set>

#include "native/info_truetype.h"
#include "test_info_fixture.h"

namespace {

using namespace writertest;

void expectZonesEqual(const std::vector<vn::Zone>& actual, const std::vector<vn::Zone>& expected, bool withNames) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].position, expected[i].position) << i;
    EXPECT_EQ(actual[i].width, expected[i].width) << i;
    EXPECT_EQ(actual[i].kind, expected[i].kind) << i;
    if (withNames) {
      EXPECT_EQ(actual[i].name, expected[i].name) << i;
      EXPECT_EQ(actual[i].steps, expected[i].steps) << i;
    }
  }
}

void expectStemsEqual(const std::vector<vn::Stem>& actual, const std::vector<vn::Stem>& expected, bool full) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].width, expected[i].width) << i;
    if (full) {
      EXPECT_EQ(actual[i].name, expected[i].name) << i;
      EXPECT_EQ(actual[i].steps, expected[i].steps) << i;
    }
  }
}

TEST(InfoRoundTrip, EveryCarriedFieldOfAFullStyleComesBack) {
  TestFont original;
  fillStyle(original.style());
  fillFont(original.font());
  const Bytes file = writeNative(*original.pair);
  ASSERT_FALSE(file.empty());
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  const vn::Style& a = read.style();
  const vn::Style& e = original.style();

  // Names. Not carried: slopeName and spareName (composed again on reading).
  const vn::FontNames& an = a.names;
  const vn::FontNames& en = e.names;
  EXPECT_EQ(std::tie(an.familyName, an.styleName, an.styleMapFamilyName, an.styleMapStyleName, an.fullName,
                     an.fontName, an.macName, an.compatibleFullName, an.weightName, an.widthName, an.version),
            std::tie(en.familyName, en.styleName, en.styleMapFamilyName, en.styleMapStyleName, en.fullName,
                     en.fontName, en.macName, en.compatibleFullName, en.weightName, en.widthName, en.version));
  EXPECT_EQ(an.namedStrings, en.namedStrings);
  EXPECT_EQ(read.font().name, en.fontName);
  EXPECT_EQ(a.namedIntegers, e.namedIntegers);

  // Metrics. The slant angle of record 1047 is dropped; the matrix travels whole.
  for (int i = 0; i < vn::FontMetrics::kValueCount; ++i) EXPECT_EQ(*a.metrics.value(i), *e.metrics.value(i)) << i;
  EXPECT_EQ(a.metrics.matrix, e.metrics.matrix);
  EXPECT_EQ(a.metrics.namedNumbers, e.metrics.namedNumbers);

  const vn::StyleFlags& af = a.flags;
  const vn::StyleFlags& ef = e.flags;
  EXPECT_EQ(std::tie(af.isBold, af.isItalic, af.isFixedPitch, af.embedding.kind, af.embedding.noSubsetting,
                     af.embedding.bitmapOnly, af.numberList),
            std::tie(ef.isBold, ef.isItalic, ef.isFixedPitch, ef.embedding.kind, ef.embedding.noSubsetting,
                     ef.embedding.bitmapOnly, ef.numberList));
  EXPECT_EQ(af.headFlags.toMask(), ef.headFlags.toMask());
  EXPECT_EQ(af.selectionFlags.toMask(), ef.selectionFlags.toMask());
  const vn::StyleTables& at = a.tables;
  const vn::StyleTables& et = e.tables;
  EXPECT_EQ(std::tie(at.unicodeRanges, at.codePageRanges, at.nameMap1, at.nameMap2, at.nameValue),
            std::tie(et.unicodeRanges, et.codePageRanges, et.nameMap1, et.nameMap2, et.nameValue));
  ASSERT_EQ(at.nameRecords.size(), 2u);
  EXPECT_EQ(std::tie(at.nameRecords.front().text, at.nameRecords.front().third, at.nameRecords.back().fifth),
            std::make_tuple(std::string("Tarn"), 0x409, -5));
  const auto& ax = a.extraRecord;
  const auto& ex = e.extraRecord;
  EXPECT_EQ(std::tie(ax.absent, ax.value, ax.shorts, ax.block16, ax.block8, ax.block6, ax.bytes),
            std::tie(ex.absent, ex.value, ex.shorts, ex.block16, ex.block8, ex.block6, ex.bytes));
  EXPECT_EQ(a.opaqueBytes, e.opaqueBytes);
  const auto& ao = a.options;
  const auto& eo = e.options;
  EXPECT_EQ(std::tie(ao.integers, ao.ratios, ao.offsets, ao.moreIntegers, ao.packedFlags20, ao.byteOptions,
                     ao.keyedIntegers, ao.packedFlags48, ao.nativeFlag),
            std::tie(eo.integers, eo.ratios, eo.offsets, eo.moreIntegers, eo.packedFlags20, eo.byteOptions,
                     eo.keyedIntegers, eo.packedFlags48, eo.nativeFlag));

  const vn::Font& font = read.font();
  EXPECT_EQ(font.fileInfo.fondId, 321);
  ASSERT_EQ(font.masterValues.size(), 1u);
  EXPECT_EQ(font.masterValues[0].value, 12.5);  // the second value is not carried
  const std::tm& c = font.created;
  EXPECT_EQ(std::tie(c.tm_year, c.tm_mon, c.tm_mday, c.tm_hour, c.tm_min), std::make_tuple(120, 2, 14, 9, 30));
  EXPECT_EQ(font.tables, original.font().tables);

  const vn::FontHinting& h = font.hinting;
  const vn::FontHinting& eh = original.font().hinting;
  expectStemsEqual(h.stemsH, eh.stemsH, true);
  expectStemsEqual(h.stemsV, eh.stemsV, true);
  // PostScript stem-snap lists keep only their widths.
  expectStemsEqual(h.stemsH2, eh.stemsH2, false);
  expectStemsEqual(h.stemsV2, eh.stemsV2, false);
  // TrueType zones come back top zones first, then bottom zones.
  expectZonesEqual(h.zones, {eh.zones[0], eh.zones[2], eh.zones[1]}, true);
  // Alignment zones keep position, width and kind, not names or steps.
  expectZonesEqual(h.zones2, eh.zones2, false);
  expectZonesEqual(h.zones3, eh.zones3, false);
  EXPECT_EQ(std::tie(h.forceBold, h.blueFuzz, h.blueShift, h.blueScale, h.flag1093, h.hintValue1, h.hintValue2,
                     h.params4, h.codeBytes, h.ttParams),
            std::tie(eh.forceBold, eh.blueFuzz, eh.blueShift, eh.blueScale, eh.flag1093, eh.hintValue1,
                     eh.hintValue2, eh.params4, eh.codeBytes, eh.ttParams));
  ASSERT_EQ(h.tripletList.size(), 2u);
  EXPECT_EQ(std::tie(h.tripletList[1].first, h.tripletList[1].third), std::make_tuple(65535, -32768));
  ASSERT_EQ(h.gaspRanges.size(), 2u);
  EXPECT_EQ(h.gaspRanges[0].flags, eh.gaspRanges[0].flags);
  EXPECT_EQ(h.gaspRanges[1].ppem, 65535);
  EXPECT_EQ(std::tie(h.blueCounts.at("bvn"), h.blueCounts.at("obn")), std::make_tuple(3, 1));

  // Writing what was read gives the same bytes.
  EXPECT_EQ(writeNative(*read.pair), file);
}

TEST(InfoRoundTrip, FreshStyleGainsOnlyTheStatedDefaults) {
  TestFont original;
  const Bytes file = writeNative(*original.pair);
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  // BlueValues without zones are -20, 0: they come back as a bottom zone of 20.
  expectZonesEqual(read.font().hinting.zones2, {zone(0, 20, 0)}, false);
  // The metrics record always carries the three widths.
  EXPECT_EQ(read.style().metrics.namedNumbers.at("average_width"), 0);
  // The line gap of hhea falls back to the typographic one.
  EXPECT_EQ(read.style().metrics.namedNumbers.at("hhea_line_gap"), 0);
  EXPECT_EQ(read.style().names.familyName, "Untitled");
  EXPECT_EQ(read.style().names.version, "1.0");

  // The second file differs only where reading filled empty fields in; from then on
  // the file is stable.
  const Bytes second = writeNative(*read.pair);
  const auto before = listRecords(file);
  const auto after = listRecords(second);
  ASSERT_EQ(tagsOf(before).size(), tagsOf(after).size());
  std::set<uint16_t> changed;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].tag != after[i].tag || before[i].payload != after[i].payload) changed.insert(before[i].tag);
  }
  // The names composed on reading (1024 family, 1025 full, 1026 PostScript, 1027 and
  // 1056 linking family, 1127 linking style, 1137 style, 1028 weight, 1065 width) and
  // the average width that the metrics record always carries (1264).
  EXPECT_EQ(changed, (std::set<uint16_t>{1024, 1025, 1026, 1027, 1028, 1056, 1065, 1127, 1137, 1264}));
  qtftest::ReadMaster again(second);
  ASSERT_TRUE(again.ok);
  EXPECT_EQ(writeNative(*again.pair), second);
}

}  // namespace
