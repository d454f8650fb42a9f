// Damaged copies of a file with full information blocks: every read ends, without
// reading outside its data, whether it succeeds or not.
#include <gtest/gtest.h>

#include "test_info_fixture.h"

namespace {

using namespace writertest;
using qtftest::Payload;

Bytes fullFile() {
  TestFont f;
  fillStyle(f.style());
  fillFont(f.font());
  vn::Glyph& glyph = f.addGlyph("a");
  glyph.varnelData().bodyLayer().addContour([] {
    vn::Contour c;
    vn::Node n;
    n.type = vn::Node::kMove;
    c.nodes.push_back(n);
    n.type = vn::Node::kOnCurve;
    n.x = 100;
    c.nodes.push_back(n);
    return c;
  }());
  return writeNative(*f.pair);
}

// Offsets of the bytes (or, with `starts`, of the headers) of every record from 257
// to 527.
std::vector<size_t> blockOffsets(const Bytes& file, bool starts = false) {
  std::vector<size_t> offsets;
  size_t at = 44;
  bool inside = false;
  while (at + 4 <= file.size()) {
    const uint16_t tag = static_cast<uint16_t>(file[at] | file[at + 1] << 8);
    const uint32_t length = static_cast<uint32_t>(file[at + 2] | file[at + 3] << 8);
    if (tag == 257) inside = true;
    if (inside && starts) offsets.push_back(at);
    if (inside && !starts) {
      for (size_t i = at; i < at + 4 + length; ++i) offsets.push_back(i);
    }
    if (tag == 527) break;
    at += 4 + length;
  }
  return offsets;
}

TEST(InfoHostile, FlippedBytesInTheBlocks) {
  const Bytes file = fullFile();
  const std::vector<size_t> offsets = blockOffsets(file);
  ASSERT_GT(offsets.size(), 500u);
  size_t failures = 0;
  for (size_t offset : offsets) {
    for (uint8_t mask : {uint8_t{0xFF}, uint8_t{0x80}, uint8_t{0x01}}) {
      qtftest::ReadMaster read(qtftest::flipped(file, offset, mask));
      failures += read.ok ? 0 : 1;
    }
  }
  // Many flips land in texts and numbers and read fine; framing flips fail.
  EXPECT_GT(failures, 0u);
}

TEST(InfoHostile, TruncatedInsideTheBlocks) {
  const Bytes file = fullFile();
  for (size_t offset : blockOffsets(file)) {
    qtftest::ReadMaster read(qtftest::truncated(file, offset));
    EXPECT_FALSE(read.ok) << offset;
  }
}

TEST(InfoHostile, HugeLengthsAndCounts) {
  const Bytes file = fullFile();
  const auto starts = blockOffsets(file, true);
  ASSERT_GT(starts.size(), 80u);
  for (size_t offset : starts) {
    // Claim a payload far longer than the file.
    qtftest::ReadMaster read(qtftest::withRecordLength(file, offset, 0x7FFFFFF0));
    EXPECT_FALSE(read.ok);
  }
}

// Many small records that each refer to a long list built by an earlier record: each
// costs its own bytes, not a pass over the list (this read would otherwise take hours).
TEST(InfoHostile, RepeatedSmallRecordsCostNoRescansOfLongLists) {
  constexpr int32_t kMany = 40000;
  qtftest::FileBuilder file;
  file.begin();
  std::vector<Bytes> info;
  // Zones, then one zone step per record.
  Payload zones;
  zones.n(0).n(kMany);  // no top zones, kMany bottom zones
  for (int32_t i = 0; i < kMany; ++i) zones.n(i).n(10).s("");
  info.push_back(qtftest::record(1255, zones));
  for (int32_t i = 0; i < kMany; ++i) {
    Payload step;
    step.n(1).n(i).n(12).n(3);
    info.push_back(qtftest::record(1273, step.bytes()));
  }
  // Kerning classes, then the flags naming each of them many times over.
  Payload flags;
  flags.n(2 * kMany);
  for (int32_t i = 0; i < 2 * kMany; ++i) flags.s("_c" + std::to_string(i % kMany)).n(0x400).n(0);
  for (int32_t i = 0; i < kMany; ++i) info.push_back(qtftest::classDefinition("_c" + std::to_string(i), "g' h"));
  info.push_back(qtftest::record(2026, flags));
  file.fontInfo(std::nullopt, info);
  // Axes, then many mapping records that hold less than every axis needs.
  file.add(271);
  constexpr int32_t kAxes = 20000;
  file.add(1513, Payload().u16(kAxes));
  for (int32_t i = 0; i < kAxes; ++i) file.add(1514, Payload().text("a"));
  for (int32_t i = 0; i < kMany; ++i) file.add(1523, Payload().n(1).n(i).n(i));
  file.add(527).end();

  qtftest::ReadMaster read(file.bytes());
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
