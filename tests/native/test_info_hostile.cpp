// Damaged copies of a file with full information blocks: every read ends, without
// reading outside its data, whether it succeeds or not.
#include <gtest/gtest.h>

#include "test_info_fixture.h"

namespace {

using namespace writertest;

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

}  // namespace
