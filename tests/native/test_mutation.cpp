// Damaged native files: every truncation point and a huge length in every record of a
// set of files (built, and written by the writer with full information blocks) must
// fail the read and end in a result or an exception the driver handles, never in a
// crash, a hang or unbounded memory (run under the sanitizers).
#include <gtest/gtest.h>

#include "../../fuzz/native_reader/native_reader_entry.h"
#include "native/reader_fixture.h"
#include "test_info_fixture.h"

namespace qtftest {
namespace {

// A font with every field of the information blocks set, written by the writer.
Bytes fullInfoFile() {
  writertest::TestFont f;
  writertest::fillStyle(f.style());
  writertest::fillFont(f.font());
  f.addGlyph("a").varnelData().bodyLayer().addContour([] {
    vn::Contour c;
    vn::Node n;
    n.type = vn::Node::kMove;
    c.nodes.push_back(n);
    n.type = vn::Node::kOnCurve;
    n.x = 100;
    c.nodes.push_back(n);
    return c;
  }());
  return writertest::writeNative(*f.pair);
}

bool readAsDriver(const Bytes& bytes) { return fuzz::nativeReaderEntry(bytes.data(), bytes.size()); }

TEST(NativeMutation, TruncationsAndHugeLengths) {
  const std::vector<Bytes> files{everyPayloadFile(), olderGlyphBlockFile(), nameTableFile(),
                                 keyClassFile(),     threeMasterFile(),     fullInfoFile()};
  for (size_t i = 0; i < files.size(); ++i) {
    const Bytes& file = files[i];
    // The undamaged file reads cleanly, so the damage starts from valid data.
    ASSERT_TRUE(ReadMaster(file).ok) << "sample " << i;
    // Cut anywhere before the end record (5, then 2), the read fails.
    for (size_t length = 0; length <= file.size(); ++length) {
      const Bytes cut = truncated(file, length);
      ASSERT_TRUE(readAsDriver(cut));
      if (length + 4 < file.size()) {
        EXPECT_FALSE(ReadMaster(cut).ok) << "sample " << i << " cut " << length;
      }
    }
    // A length far beyond the file fails in every record but the last (2, after the end).
    const auto records = writertest::listRecords(file);
    for (size_t r = 0; r + 1 < records.size(); ++r) {
      for (uint32_t length : {0x7FFFFFF0u, 0xFFFFFFFFu, 70000u}) {
        const Bytes bad = withRecordLength(file, records[r].offset, length);
        EXPECT_FALSE(ReadMaster(bad).ok) << "sample " << i << " record " << r << " length " << length;
        ASSERT_TRUE(readAsDriver(bad));
      }
    }
  }
}

// Many small records that each refer to a long list built by an earlier record: each
// costs its own bytes, not a pass over the list (this read would otherwise take hours).
TEST(InfoHostile, RepeatedSmallRecordsCostNoRescansOfLongLists) {
  constexpr int32_t kMany = 40000;
  FileBuilder file;
  file.begin();
  std::vector<Bytes> info;
  // Zones, then one zone step per record.
  Payload zones;
  zones.n(0).n(kMany);  // no top zones, kMany bottom zones
  for (int32_t i = 0; i < kMany; ++i) zones.n(i).n(10).s("");
  info.push_back(record(1255, zones));
  for (int32_t i = 0; i < kMany; ++i) {
    Payload step;
    step.n(1).n(i).n(12).n(3);
    info.push_back(record(1273, step.bytes()));
  }
  // Kerning classes, then the flags naming each of them many times over.
  Payload flags;
  flags.n(2 * kMany);
  for (int32_t i = 0; i < 2 * kMany; ++i) flags.s("_c" + std::to_string(i % kMany)).n(0x400).n(0);
  for (int32_t i = 0; i < kMany; ++i) info.push_back(classDefinition("_c" + std::to_string(i), "g' h"));
  info.push_back(record(2026, flags));
  file.fontInfo(std::nullopt, info);
  // Axes, then many mapping records that hold less than every axis needs.
  file.add(271);
  constexpr int32_t kAxes = 20000;
  file.add(1513, Payload().u16(kAxes));
  for (int32_t i = 0; i < kAxes; ++i) file.add(1514, Payload().text("a"));
  for (int32_t i = 0; i < kMany; ++i) file.add(1523, Payload().n(1).n(i).n(i));
  file.add(527).end();

  ReadMaster read(file.bytes());
  ASSERT_TRUE(read.ok);
  const auto& zonesRead = read.font().hinting.zones;
  ASSERT_EQ(zonesRead.size(), static_cast<size_t>(kMany));
  EXPECT_EQ(zonesRead.back().steps.at(12), 3);
  // Every class keys the same glyph, so one left group stands for them all.
  const auto& groups = read.font().kerning().groups.groups;
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups.begin()->second.side, vn::kSideFirst);
}

}  // namespace
}  // namespace qtftest
