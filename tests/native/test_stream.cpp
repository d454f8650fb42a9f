#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "native/stream/stream.h"

namespace {

std::vector<uint8_t> encodeInt(int32_t v) {
  qtf::Stream s;
  s.setGrowable(true);
  s.writeInt(v);
  auto w = s.written();
  return {w.begin(), w.end()};
}

int32_t decode(const std::vector<uint8_t>& bytes, uint64_t* consumed = nullptr, bool* overrun = nullptr) {
  qtf::Stream s;
  s.attach(bytes.data(), bytes.size());
  int32_t v = s.readInt();
  if (consumed) *consumed = s.position();
  if (overrun) *overrun = s.overrun();
  return v;
}

TEST(Stream, NumberCodingPinnedBytes) {
  struct Case {
    int32_t value;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {0, {139}},           {107, {246}},        {-107, {32}},        {108, {247, 0}},
      {1131, {250, 255}},   {-108, {251, 0}},    {-1131, {254, 255}}, {1132, {255, 0, 0, 4, 108}},
      {-1, {138}},          {-1132, {255, 255, 255, 251, 148}},
      {std::numeric_limits<int32_t>::min(), {255, 0x80, 0, 0, 0}},
      {std::numeric_limits<int32_t>::max(), {255, 0x7F, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(encodeInt(c.value), c.bytes) << c.value;
    uint64_t consumed = 0;
    EXPECT_EQ(decode(c.bytes, &consumed), c.value) << c.value;
    EXPECT_EQ(consumed, c.bytes.size());
  }
}

TEST(Stream, NumberCodingRoundTripsEveryBoundary) {
  for (int32_t v = -3000; v <= 3000; ++v) ASSERT_EQ(decode(encodeInt(v)), v);
  for (int32_t v : {1 << 20, -(1 << 20), 65535, -65536}) EXPECT_EQ(decode(encodeInt(v)), v);
}

TEST(Stream, LowLeadBytesReadAsThemselves) {
  for (uint8_t b : {0, 5, 31}) {
    uint64_t consumed = 0;
    EXPECT_EQ(decode({b}, &consumed), b);
    EXPECT_EQ(consumed, 1u);
  }
}

TEST(Stream, ShortNumbersReadMissingBytesAsZeroAndFlagOverrun) {
  bool overrun = false;
  uint64_t consumed = 0;
  EXPECT_EQ(decode({}, &consumed, &overrun), 0);
  EXPECT_TRUE(overrun);
  EXPECT_EQ(decode({247}, &consumed, &overrun), 108);
  EXPECT_TRUE(overrun);
  EXPECT_EQ(consumed, 1u);
  EXPECT_EQ(decode({255, 0, 0, 4}, &consumed, &overrun), 1024);
  EXPECT_TRUE(overrun);
  EXPECT_EQ(consumed, 4u);
  EXPECT_EQ(decode({255, 0, 0, 4, 108}, &consumed, &overrun), 1132);
  EXPECT_FALSE(overrun);
}

TEST(Stream, StringsAndTheirHostileLengths) {
  qtf::Stream w;
  w.setGrowable(true);
  w.writeString("note");
  w.writeString("");
  auto bytes = std::vector<uint8_t>(w.written().begin(), w.written().end());
  EXPECT_EQ(bytes, (std::vector<uint8_t>{143, 'n', 'o', 't', 'e', 139}));

  qtf::Stream r;
  r.attach(bytes.data(), bytes.size());
  EXPECT_EQ(r.readString(), "note");  // not the last bytes: fine
  EXPECT_EQ(r.readString(), "");
  EXPECT_FALSE(r.overrun());
  EXPECT_TRUE(r.atEnd());

  // A string that ends exactly at the limit is whole.
  std::vector<uint8_t> exact{141, 'o', 'k'};
  r.attach(exact.data(), exact.size());
  EXPECT_EQ(r.readString(), "ok");
  EXPECT_FALSE(r.overrun());

  // Too long, negative: empty, flagged, cursor just after the length.
  std::vector<uint8_t> tooLong{142, 'a', 'b'};
  r.attach(tooLong.data(), tooLong.size());
  EXPECT_EQ(r.readString(), "");
  EXPECT_TRUE(r.overrun());
  EXPECT_EQ(r.position(), 1u);
  std::vector<uint8_t> negative{138, 'a'};
  r.attach(negative.data(), negative.size());
  EXPECT_EQ(r.readString(), "");
  EXPECT_TRUE(r.overrun());
  std::vector<uint8_t> huge{255, 0x7F, 0xFF, 0xFF, 0xFF, 'x'};
  r.attach(huge.data(), huge.size());
  EXPECT_EQ(r.readString(), "");
  EXPECT_TRUE(r.overrun());
}

TEST(Stream, DoublesAreLittleEndianAndBitExact) {
  qtf::Stream w;
  w.setGrowable(true);
  w.writeDouble(1.0);
  const auto one = w.written();
  EXPECT_EQ(std::vector<uint8_t>(one.begin(), one.end()),
            (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));

  const uint64_t patterns[] = {0x8000000000000000ull, 0x7FF8000000000001ull, 0xFFF0000000000000ull,
                               0x0000000000000001ull, 0x400921FB54442D18ull};
  qtf::Stream s;
  s.setGrowable(true);
  for (uint64_t p : patterns) s.writeDouble(std::bit_cast<double>(p));
  std::vector<uint8_t> bytes(s.written().begin(), s.written().end());
  qtf::Stream r;
  r.attach(bytes.data(), bytes.size());
  for (uint64_t p : patterns) EXPECT_EQ(std::bit_cast<uint64_t>(r.readDouble()), p);
  EXPECT_FALSE(r.overrun());
  EXPECT_EQ(r.readDouble(), 0.0);  // nothing left
  EXPECT_TRUE(r.overrun());
}

TEST(Stream, GrowthAndReserveSizes) {
  qtf::Stream g;
  g.setGrowable(true);
  g.writeByte(7);
  EXPECT_EQ(g.capacity(), 513u);

  qtf::Stream r;
  r.reserve(100);
  EXPECT_EQ(r.capacity(), 612u);
  r.reserve(100);
  EXPECT_EQ(r.capacity(), 612u);

  qtf::Stream w;
  w.ensure(30000);
  w.setGrowable(true);
  EXPECT_EQ(w.capacity(), 30512u);
  std::vector<uint8_t> block(40000, 0xAB);
  w.writeBlock(block.data(), static_cast<int64_t>(block.size()));
  EXPECT_EQ(w.position(), 40000u);
  EXPECT_GT(w.capacity(), 40000u);  // always one free byte
  EXPECT_EQ(w.written()[39999], 0xAB);

  // Numbers grow a stream by the same rule as any write: room for used + n, plus 512.
  qtf::Stream n;
  n.setGrowable(true);
  for (int i = 0; i < 512; ++i) n.writeInt(0);
  EXPECT_EQ(n.capacity(), 513u);  // the first write grew it; 512 bytes never needed more
  n.writeInt(5000);
  EXPECT_EQ(n.capacity(), 512u + 5 + 512);
  EXPECT_EQ(n.position(), 517u);
  EXPECT_EQ(n.written()[512], 255);
  EXPECT_FALSE(n.overrun());
}

TEST(Stream, FixedStreamDropsWritesThatDoNotFit) {
  qtf::Stream s(3);
  s.writeInt(500);  // two bytes: fit
  EXPECT_EQ(s.position(), 2u);
  s.writeInt(5000);  // five bytes: dropped whole
  EXPECT_EQ(s.position(), 2u);
  EXPECT_TRUE(s.overrun());
  s.writeByte(1);
  EXPECT_EQ(s.position(), 3u);
  s.writeByte(2);
  EXPECT_EQ(s.position(), 3u);
  s.writeBlock("abc", -1);  // negative length is an overrun, never a copy
  EXPECT_EQ(s.position(), 3u);

  // Borrowed bytes are never written.
  const uint8_t borrowed[4] = {1, 2, 3, 4};
  qtf::Stream b;
  b.attach(borrowed, 4);
  b.writeByte(9);
  EXPECT_EQ(borrowed[0], 1);
  EXPECT_TRUE(b.overrun());
}

TEST(Stream, LimitHidesStaleBytesOfALargerEarlierPayload) {
  qtf::Stream s;
  uint8_t* dst = s.prepareLoad(6);
  const uint8_t first[6] = {150, 150, 150, 150, 150, 150};
  std::memcpy(dst, first, 6);
  EXPECT_EQ(s.readInt(), 11);

  dst = s.prepareLoad(1);  // capacity stays, the limit shrinks
  dst[0] = 140;
  EXPECT_EQ(s.readInt(), 1);
  EXPECT_FALSE(s.overrun());
  EXPECT_EQ(s.readInt(), 0);  // not the stale 150
  EXPECT_TRUE(s.overrun());
  EXPECT_TRUE(s.atEnd());

  EXPECT_EQ(s.prepareLoad(0), nullptr);
  EXPECT_TRUE(s.atEnd());
  EXPECT_FALSE(s.overrun());
}

TEST(Stream, BlockReadsPastTheLimitZeroFill) {
  const uint8_t bytes[3] = {1, 2, 3};
  qtf::Stream s;
  s.attach(bytes, 3);
  uint8_t out[4] = {9, 9, 9, 9};
  s.readBlock(out, 4);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[3], 0);
  EXPECT_TRUE(s.overrun());
  s.attach(bytes, 3);
  s.readBlock(out, -5);
  EXPECT_TRUE(s.overrun());
  EXPECT_TRUE(s.readBytes(4).empty());
  s.attach(bytes, 3);
  EXPECT_EQ(s.readBytes(3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(s.overrun());
}

}  // namespace
