// Exact bytes of the font-information and metrics records, and reading hand-built blocks:
// the version rule, the TrueType tag order, the 400-byte metrics record, capped blue
// counts and the 1904 creation time.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <limits>

#include "native/info_text_numbers.h"
#include "native/info_truetype.h"
#include "native/stream/stream.h"
#include "test_info_fixture.h"

namespace {

using namespace writertest;
using qtftest::FileBuilder;
using qtftest::Payload;

Bytes u16Bytes(int32_t value) { return Bytes{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)}; }

int32_t le32(const Bytes& bytes, size_t at) {
  return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                              static_cast<uint32_t>(bytes[at + 3]) << 24);
}
double leDouble(const Bytes& bytes, size_t at) {
  uint64_t bits = 0;
  for (size_t i = 0; i < 8; ++i) bits |= uint64_t{bytes[at + i]} << (8 * i);
  return std::bit_cast<double>(bits);
}

// A file of just the given font-information records and a metrics record.
Bytes infoFile(const std::vector<Bytes>& inner, const Bytes& metrics = Bytes(400, 0)) {
  FileBuilder file;
  file.begin().fontInfo(1, inner).add(271).add(1536, metrics).add(527).end();
  return file.bytes();
}

TEST(InfoBytes, VersionTextsAndSelectionFlags) {
  struct Case {
    const char* version;
    std::optional<std::pair<int, int>> written;
    const char* readBack;
  };
  const Case cases[] = {{"2.5", std::pair{2, 5}, "2.5"},
                        {"3", std::pair{3, 0}, "3.0"},
                        {"1.010", std::pair{1, 8}, "1.8"},  // a leading 0 reads as octal
                        {"Version", std::nullopt, "1.0"}};
  for (const Case& c : cases) {
    TestFont f;
    f.style().names.version = c.version;
    const Bytes file = writeNative(*f.pair);
    const auto records = listRecords(file);
    if (c.written) {
      ASSERT_NE(findRecord(records, 1130), nullptr) << c.version;
      EXPECT_EQ(findRecord(records, 1130)->payload, u16Bytes(c.written->first));
      EXPECT_EQ(findRecord(records, 1131)->payload, u16Bytes(c.written->second));
    } else {
      EXPECT_EQ(findRecord(records, 1130), nullptr);
    }
    qtftest::ReadMaster read(file);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.style().names.version, c.readBack);
    // No selection bits at all is written as "regular".
    EXPECT_EQ(findRecord(records, 1267)->payload, u16Bytes(64));
  }
}

TEST(InfoBytes, TrueTypeInformationTagsInWrittenOrder) {
  TestFont f;
  vn::Style& s = f.style();
  s.namedIntegers = {{"head_units_per_em", 1000}, {qtf::kLowestRecPpemKey, 9}, {"head_font_direction_hint", 2},
                     {"ibm_family_class", 5}};
  for (const char* key : {"subscript_x_size", "subscript_y_size", "subscript_x_offset", "subscript_y_offset",
                          "superscript_x_size", "superscript_y_size", "superscript_x_offset",
                          "superscript_y_offset", "strikeout_size", "strikeout_position", "average_width"}) {
    s.metrics.namedNumbers[key] = 2.5;
  }
  s.names.namedStrings["panose"] = "1 2 3";
  f.font().hinting.codeBytes = {7, 300};
  const auto records = listRecords(writeNative(*f.pair));
  const Bytes& payload = findRecord(records, 1264)->payload;
  qtf::Stream in;
  in.attach(payload.data(), payload.size());
  std::vector<int> tags;
  std::vector<int32_t> rounded;
  Bytes panose, codeBytes;
  while (!in.atEnd()) {
    const uint8_t tag = in.readByte();
    tags.push_back(tag);
    if (tag == 50) break;
    if (tag == 76) {
      for (int i = 0; i < 10; ++i) panose.push_back(in.readByte());
    } else if (tag == 83 || tag == 88) {
      const int32_t n = in.readInt();
      for (int i = 0; i < n; ++i) codeBytes.push_back(in.readByte());
    } else if (tag == 84) {
      in.readInt();
      in.readInt();
    } else {
      const int32_t value = in.readInt();
      if (tag >= 65 && tag <= 74) rounded.push_back(value);
    }
  }
  EXPECT_EQ(tags, (std::vector<int>{51, 52, 53, 54, 55, 56, 57, 58, 60, 86, 87, 61, 62, 63, 64, 65, 66, 67, 68,
                                    69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 92, 83, 88, 84, 50}));
  EXPECT_TRUE(in.atEnd());
  EXPECT_EQ(rounded, std::vector<int32_t>(10, 3));  // rounded half away from zero
  EXPECT_EQ(panose, (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(codeBytes, (Bytes{7, 44, 7, 44}));  // the low byte, twice
}

TEST(InfoBytes, MetricsRecordFieldsAtTheirOffsets) {
  TestFont f;
  vn::FontHinting& h = f.font().hinting;
  h.forceBold = 1;
  h.zones2 = {zone(0, 15, 0), zone(500, 10, 1), zone(-200, 10, 0)};
  h.zones3 = {zone(-200, 10, 0)};
  std::tie(h.blueScale, h.blueShift, h.blueFuzz, h.hintValue1) = std::make_tuple(0.0625, 6, 0, -3.9);
  h.stemsH2.resize(13);
  h.stemsH2[0].width = 80.7;
  h.stemsH2[12].width = 99;  // beyond the 12 slots
  h.stemsV2.resize(1);
  h.stemsV2[0].width = 90;
  vn::FontMetrics& m = f.style().metrics;
  m.matrix = vn::Matrix{1, 0, 0.5, 1, 0, 0};
  m.namedNumbers["max_width"] = 1234.9;
  std::tie(m.ascender, m.descender, m.xHeight, m.capHeight) = std::make_tuple(801, -201, 501, 701);
  auto& glyph = f.addGlyph("box");
  vn::Contour contour;
  for (auto [x, y] : {std::pair{-10.0, -20.0}, {300.0, -20.0}, {300.0, 650.0}}) {
    vn::Node& node = contour.nodes.emplace_back();
    std::tie(node.x, node.y) = std::tie(x, y);
  }
  contour.nodes.front().type = vn::Node::kMove;
  glyph.varnelData().addToBody(contour);
  const auto records = listRecords(writeNative(*f.pair));
  const Record* metrics = findRecord(records, 1536);
  ASSERT_NE(metrics, nullptr);
  const Bytes& r = metrics->payload;
  ASSERT_EQ(r.size(), 400u);
  EXPECT_EQ(leDouble(r, 16), 0.5);
  EXPECT_EQ(leDouble(r, 24), 1.0);
  EXPECT_EQ(leDouble(r, 244), 0.0625);
  // (offset, value) of the 32-bit fields; FamilyBlues (148) has no default pair.
  const std::pair<size_t, int32_t> fields[] = {
      {48, 1},    {52, -15},  {56, 0},   {60, 500},  {64, 510},  {108, -210}, {112, -200}, {148, 0},
      {204, -210}, {208, -200}, {252, 6}, {256, 0},   {260, -3},  {268, 80},   {312, 0},    {316, 90},
      {372, 0},   {376, 1234}, {384, 801}, {388, -201}, {392, 501}, {396, 701}};
  for (const auto& [at, value] : fields) EXPECT_EQ(le32(r, at), value) << at;
  for (size_t at = 68; at < 108; at += 4) EXPECT_EQ(le32(r, at), 0) << at;
  EXPECT_EQ(Bytes(r.begin() + 364, r.begin() + 372), (Bytes{0xF6, 0xFF, 0xEC, 0xFF, 0x2C, 0x01, 0x8A, 0x02}));
  // The counts that tell the reader how many blue pairs to take.
  EXPECT_EQ(findRecord(records, 1530)->payload, u16Bytes(4));
  EXPECT_EQ(findRecord(records, 1531)->payload, u16Bytes(2));
  EXPECT_EQ(findRecord(records, 1532), nullptr);
  EXPECT_EQ(findRecord(records, 1533)->payload, u16Bytes(2));
}

TEST(InfoBytes, BlueCountsAreCappedToTheRecordFields) {
  Bytes metrics(400, 0);
  for (size_t i = 0; i < 14; ++i) metrics[52 + 4 * i] = static_cast<uint8_t>(i * 2);
  qtftest::ReadMaster read(infoFile({qtftest::record(1530, u16Bytes(0xFFFF)), qtftest::record(1531, u16Bytes(0xFFFF))},
                                    metrics));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.font().hinting.zones2.size(), 7u + 5u);
}

TEST(InfoBytes, HostileInformationRecordsFailTheRead) {
  const std::vector<Bytes> bad[] = {
      {qtftest::record(1118, Bytes(9, 1))},
      {qtftest::record(1121, Bytes{'A', 'B', 'C', 'D', 'E', 'F'})},
      {qtftest::record(1135, Bytes{1, 0, 0})},
      {qtftest::record(1503, u16Bytes(17))},
      {qtftest::record(2021, Bytes(15, 0))},
      // a stem name of 64 bytes
      {qtftest::record(1269, Payload().n(1).n(80).b(64).text(std::string(64, 'n')).n(0).n(0))},
      // a count far beyond the data
      {qtftest::record(1271, Payload().n(100000).n(1))},
  };
  for (const auto& inner : bad) {
    qtftest::ReadMaster read(infoFile(inner));
    EXPECT_FALSE(read.ok) << inner.front()[0] + 256 * inner.front()[1];
  }
  qtftest::ReadMaster vendor(infoFile({qtftest::record(1121, Bytes{'A', 'B', 'C', 0, 0})}));
  ASSERT_TRUE(vendor.ok);
  EXPECT_EQ(vendor.style().names.namedStrings.at("vendor_code"), "ABC");
}

TEST(InfoBytes, LongStemNamesAreCutWhenWritten) {
  TestFont f;
  vn::Stem stem;
  stem.name = std::string(70, 's');
  stem.width = 80;
  f.font().hinting.stemsH = {stem};
  qtftest::ReadMaster read(writeNative(*f.pair));
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.font().hinting.stemsH.size(), 1u);
  EXPECT_EQ(read.font().hinting.stemsH[0].name, std::string(63, 's'));
}

TEST(InfoBytes, CreationTimeCountsFrom1904WithoutTimeZone) {
  auto day = [](int year, int month, int mday, int hour = 0) {
    std::tm t{};
    t.tm_year = year;
    t.tm_mon = month;
    t.tm_mday = mday;
    t.tm_hour = hour;
    return t;
  };
  EXPECT_EQ(qtf::secondsSince1904(day(4, 0, 1)), 0);
  EXPECT_EQ(qtf::secondsSince1904(day(70, 0, 1)), 2082844800);
  const std::tm back = qtf::timeSince1904(2082844800 + 86399);
  EXPECT_EQ(std::tie(back.tm_year, back.tm_yday, back.tm_wday, back.tm_hour, back.tm_sec),
            std::make_tuple(70, 0, 4, 23, 59));
  const std::tm leap = qtf::timeSince1904(qtf::secondsSince1904(day(124, 1, 29, 12)));
  EXPECT_EQ(std::tie(leap.tm_mon, leap.tm_mday, leap.tm_yday), std::make_tuple(1, 29, 59));
  // Fields at the ends of their range carry over without overflowing.
  std::tm extreme = day(std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), std::numeric_limits<int>::min());
  extreme.tm_sec = std::numeric_limits<int>::max();
  const int64_t seconds = qtf::secondsSince1904(extreme);
  EXPECT_EQ(qtf::secondsSince1904(qtf::timeSince1904(seconds)), seconds);

  // A count of 0 reads as 1904-01-01; the "year" key does not change the date.
  const Bytes tt = Payload().b(86).n(0).b(87).n(0).b(50);
  qtftest::ReadMaster plain(infoFile({qtftest::record(1264, tt)}));
  ASSERT_TRUE(plain.ok);
  EXPECT_EQ(plain.font().created.tm_year, 4);
  EXPECT_EQ(plain.font().created.tm_mday, 1);
  qtftest::ReadMaster withYear(infoFile({qtftest::record(1132, u16Bytes(2001)), qtftest::record(1264, tt)}));
  ASSERT_TRUE(withYear.ok);
  EXPECT_EQ(withYear.font().created.tm_year, 4);

  // The same file reads the same whatever the machine's time zone.
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "America/New_York", 1);
  tzset();
  TestFont f;
  const Bytes file = writeNative(*f.pair);
  qtftest::ReadMaster east(file);
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  qtftest::ReadMaster west(file);
  if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
  tzset();
  EXPECT_EQ(east.font().created.tm_hour, 9);
  EXPECT_EQ(west.font().created.tm_hour, 9);
}

TEST(InfoBytes, TextNumberScans) {
  EXPECT_EQ(qtf::parseVersion(" 0x10.7"), std::make_pair(16, 7));
  EXPECT_EQ(qtf::parseVersion("2. 5"), std::make_pair(2, 5));
  EXPECT_EQ(qtf::parseVersion("2.x"), std::nullopt);
  EXPECT_EQ(qtf::parseVersion("-1"), std::make_pair(-1, 0));
  EXPECT_EQ(qtf::scanUnsigned16(" 65537"), uint16_t{1});
  EXPECT_EQ(qtf::scanUnsigned16("-1"), uint16_t{65535});
  EXPECT_EQ(qtf::scanUnsigned16("x1"), std::nullopt);
  EXPECT_EQ(qtf::parsePanose("2 11 300 x 4"), (std::array<uint8_t, 10>{2, 11, 44, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
