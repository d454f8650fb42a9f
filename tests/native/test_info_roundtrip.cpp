// The font-information and metrics blocks written by the production encoders and
// read back by the reader: every carried field returns. The losses the file format
// imposes are named where they are checked.
#include <gtest/gtest.h>

#include <set>

#include "layout/registry/glyph_name_registry.h"
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
  EXPECT_EQ(a.names.familyName, e.names.familyName);
  EXPECT_EQ(a.names.styleName, e.names.styleName);
  EXPECT_EQ(a.names.styleMapFamilyName, e.names.styleMapFamilyName);
  EXPECT_EQ(a.names.styleMapStyleName, e.names.styleMapStyleName);
  EXPECT_EQ(a.names.fullName, e.names.fullName);
  EXPECT_EQ(a.names.fontName, e.names.fontName);
  EXPECT_EQ(a.names.macName, e.names.macName);
  EXPECT_EQ(a.names.compatibleFullName, e.names.compatibleFullName);
  EXPECT_EQ(a.names.weightName, e.names.weightName);
  EXPECT_EQ(a.names.widthName, e.names.widthName);
  EXPECT_EQ(a.names.version, e.names.version);
  EXPECT_EQ(a.names.namedStrings, e.names.namedStrings);
  EXPECT_EQ(read.font().name, e.names.fontName);
  EXPECT_EQ(a.namedIntegers, e.namedIntegers);

  // Metrics. The slant angle of record 1047 is dropped; the matrix travels whole.
  const vn::FontMetrics& m = a.metrics;
  for (int i = 0; i < vn::FontMetrics::kValueCount; ++i) EXPECT_EQ(*m.value(i), *e.metrics.value(i)) << "value " << i;
  EXPECT_EQ(m.matrix, e.metrics.matrix);
  EXPECT_EQ(m.namedNumbers, e.metrics.namedNumbers);

  EXPECT_EQ(a.flags.isBold, 1);
  EXPECT_EQ(a.flags.isItalic, 1);
  EXPECT_EQ(a.flags.isFixedPitch, 1);
  EXPECT_EQ(a.flags.headFlags.toMask(), e.flags.headFlags.toMask());
  EXPECT_EQ(a.flags.selectionFlags.toMask(), e.flags.selectionFlags.toMask());
  EXPECT_EQ(a.flags.embedding.kind, 2u);
  EXPECT_EQ(a.flags.embedding.noSubsetting, 1);
  EXPECT_EQ(a.flags.embedding.bitmapOnly, 0);
  EXPECT_EQ(a.flags.numberList, e.flags.numberList);
  EXPECT_EQ(a.tables.unicodeRanges, e.tables.unicodeRanges);
  EXPECT_EQ(a.tables.codePageRanges, e.tables.codePageRanges);
  ASSERT_EQ(a.tables.nameRecords.size(), 2u);
  EXPECT_EQ(a.tables.nameRecords.front().text, "Tarn");
  EXPECT_EQ(a.tables.nameRecords.front().third, 0x409);
  EXPECT_EQ(a.tables.nameRecords.back().fifth, -5);
  EXPECT_EQ(a.tables.nameMap1, e.tables.nameMap1);
  EXPECT_EQ(a.tables.nameMap2, e.tables.nameMap2);
  EXPECT_EQ(a.tables.nameValue, 3);
  EXPECT_EQ(a.extraRecord.absent, 0);
  EXPECT_EQ(a.extraRecord.value, e.extraRecord.value);
  EXPECT_EQ(a.extraRecord.shorts, e.extraRecord.shorts);
  EXPECT_EQ(a.extraRecord.block16, e.extraRecord.block16);
  EXPECT_EQ(a.extraRecord.block8, e.extraRecord.block8);
  EXPECT_EQ(a.extraRecord.block6, e.extraRecord.block6);
  EXPECT_EQ(a.extraRecord.bytes, e.extraRecord.bytes);
  EXPECT_EQ(a.opaqueBytes, e.opaqueBytes);
  EXPECT_EQ(a.options.integers, e.options.integers);
  EXPECT_EQ(a.options.ratios, e.options.ratios);
  EXPECT_EQ(a.options.offsets, e.options.offsets);
  EXPECT_EQ(a.options.moreIntegers, e.options.moreIntegers);
  EXPECT_EQ(a.options.packedFlags20, e.options.packedFlags20);
  EXPECT_EQ(a.options.byteOptions, e.options.byteOptions);
  EXPECT_EQ(a.options.keyedIntegers, e.options.keyedIntegers);
  EXPECT_EQ(a.options.packedFlags48, e.options.packedFlags48);
  EXPECT_EQ(a.options.nativeFlag, 1);

  const vn::Font& font = read.font();
  EXPECT_EQ(font.fileInfo.fondId, 321);
  ASSERT_EQ(font.masterValues.size(), 1u);
  EXPECT_EQ(font.masterValues[0].value, 12.5);  // the second value is not carried
  EXPECT_EQ(font.created.tm_year, 120);
  EXPECT_EQ(font.created.tm_mon, 2);
  EXPECT_EQ(font.created.tm_mday, 14);
  EXPECT_EQ(font.created.tm_hour, 9);
  EXPECT_EQ(font.created.tm_min, 30);
  EXPECT_EQ(font.tables, original.font().tables);

  const vn::FontHinting& h = font.hinting;
  const vn::FontHinting& eh = original.font().hinting;
  EXPECT_EQ(h.forceBold, 1);
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
  EXPECT_EQ(h.blueFuzz, 2);
  EXPECT_EQ(h.blueShift, 9);
  EXPECT_EQ(h.blueScale, 0.05);
  EXPECT_EQ(h.flag1093, 1);
  EXPECT_EQ(h.hintValue1, 3);
  EXPECT_EQ(h.hintValue2, 4);
  EXPECT_EQ(h.params4, eh.params4);
  ASSERT_EQ(h.tripletList.size(), 2u);
  EXPECT_EQ(h.tripletList[1].first, 65535);
  EXPECT_EQ(h.tripletList[1].third, -32768);
  EXPECT_EQ(h.codeBytes, eh.codeBytes);
  ASSERT_EQ(h.gaspRanges.size(), 2u);
  EXPECT_EQ(h.gaspRanges[0].flags, eh.gaspRanges[0].flags);
  EXPECT_EQ(h.gaspRanges[1].ppem, 65535);
  EXPECT_EQ(h.ttParams, eh.ttParams);
  EXPECT_EQ(h.blueCounts.at("bvn"), 3);
  EXPECT_EQ(h.blueCounts.at("obn"), 1);

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
