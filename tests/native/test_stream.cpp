// The byte stream: the number coding pinned byte for byte, strings, doubles and every
// read or write that would pass the end of its data.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "native/stream/stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes written(const qtf::Stream& s) { return Bytes(s.written().begin(), s.written().end()); }

Bytes encodeInt(int32_t v) {
  qtf::Stream s;
  s.setGrowable(true);
  s.writeInt(v);
  return written(s);
}

int32_t decode(const Bytes& bytes, uint64_t* consumed = nullptr, bool* overrun = nullptr) {
  qtf::Stream s;
  s.attach(bytes.data(), bytes.size());
  const int32_t v = s.readInt();
  if (consumed) *consumed = s.position();
  if (overrun) *overrun = s.overrun();
  return v;
}

TEST(Stream, NumberCodingPinnedBytes) {
  const std::pair<int32_t, Bytes> cases[] = {
      {0, {139}},           {107, {246}},        {-107, {32}},        {108, {247, 0}},
      {1131, {250, 255}},   {-108, {251, 0}},    {-1131, {254, 255}}, {1132, {255, 0, 0, 4, 108}},
      {-1, {138}},          {-1132, {255, 255, 255, 251, 148}},
      {std::numeric_limits<int32_t>::min(), {255, 0x80, 0, 0, 0}},
      {std::numeric_limits<int32_t>::max(), {255, 0x7F, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& [value, bytes] : cases) {
    EXPECT_EQ(encodeInt(value), bytes) << value;
    uint64_t consumed = 0;
    EXPECT_EQ(decode(bytes, &consumed), value) << value;
    EXPECT_EQ(consumed, bytes.size());
  }
  for (int32_t v = -3000; v <= 3000; ++v) ASSERT_EQ(decode(encodeInt(v)), v);
  for (int32_t v : {1 << 20, -(1 << 20), 65535, -65536}) EXPECT_EQ(decode(encodeInt(v)), v);
}

// Lead bytes below 32 read as themselves; missing bytes read as 0 and flag the overrun.
TEST(Stream, OddAndShortNumbers) {
  struct Case {
    Bytes bytes;
    int32_t value;
    uint64_t consumed;
    bool overrun;
  };
  const Case cases[] = {{{0}, 0, 1, false},    {{31}, 31, 1, false},         {{}, 0, 0, true},
                        {{247}, 108, 1, true}, {{255, 0, 0, 4}, 1024, 4, true}, {{255, 0, 0, 4, 108}, 1132, 5, false}};
  for (const Case& c : cases) {
    uint64_t consumed = 0;
    bool overrun = false;
    EXPECT_EQ(decode(c.bytes, &consumed, &overrun), c.value);
    EXPECT_EQ(consumed, c.consumed) << c.value;
    EXPECT_EQ(overrun, c.overrun) << c.value;
  }
}

TEST(Stream, StringsAndTheirHostileLengths) {
  qtf::Stream w;
  w.setGrowable(true);
  w.writeString("note");
  w.writeString("");
  const Bytes bytes = written(w);
  EXPECT_EQ(bytes, (Bytes{143, 'n', 'o', 't', 'e', 139}));
  qtf::Stream r;
  r.attach(bytes.data(), bytes.size());
  EXPECT_EQ(r.readString(), "note");
  EXPECT_EQ(r.readString(), "");
  EXPECT_FALSE(r.overrun());
  EXPECT_TRUE(r.atEnd());

  // Exactly at the limit is whole; too long, negative or huge: empty, flagged, and the
  // cursor just after the length.
  const std::pair<Bytes, const char*> cases[] = {{{141, 'o', 'k'}, "ok"},
                                                 {{142, 'a', 'b'}, nullptr},
                                                 {{138, 'a'}, nullptr},
                                                 {{255, 0x7F, 0xFF, 0xFF, 0xFF, 'x'}, nullptr}};
  for (const auto& [input, text] : cases) {
    r.attach(input.data(), input.size());
    EXPECT_EQ(r.readString(), text ? text : "");
    EXPECT_EQ(r.overrun(), text == nullptr);
    if (!text) {
      EXPECT_EQ(r.position(), input[0] == 255 ? 5u : 1u);
    }
  }
}

TEST(Stream, DoublesAreLittleEndianAndBitExact) {
  const uint64_t patterns[] = {0x3FF0000000000000ull, 0x8000000000000000ull, 0x7FF8000000000001ull,
                               0xFFF0000000000000ull, 0x0000000000000001ull, 0x400921FB54442D18ull};
  qtf::Stream s;
  s.setGrowable(true);
  for (uint64_t p : patterns) s.writeDouble(std::bit_cast<double>(p));
  const Bytes bytes = written(s);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  qtf::Stream r;
  r.attach(bytes.data(), bytes.size());
  for (uint64_t p : patterns) EXPECT_EQ(std::bit_cast<uint64_t>(r.readDouble()), p);
  EXPECT_FALSE(r.overrun());
  EXPECT_EQ(r.readDouble(), 0.0);  // nothing left
  EXPECT_TRUE(r.overrun());
}

TEST(Stream, WritesThatDoNotFitAreDroppedWhole) {
  qtf::Stream s(3);
  s.writeInt(500);  // two bytes: fit
  s.writeInt(5000);  // five bytes: dropped whole
  EXPECT_EQ(s.position(), 2u);
  EXPECT_TRUE(s.overrun());
  s.writeByte(1);
  s.writeByte(2);
  s.writeBlock("abc", -1);  // a negative length is an overrun, never a copy
  EXPECT_EQ(s.position(), 3u);

  // Borrowed bytes are never written.
  const uint8_t borrowed[4] = {1, 2, 3, 4};
  qtf::Stream b;
  b.attach(borrowed, 4);
  b.writeByte(9);
  EXPECT_EQ(borrowed[0], 1);
  EXPECT_TRUE(b.overrun());

  // A growable stream takes a block larger than its room.
  qtf::Stream g;
  g.setGrowable(true);
  const Bytes block(40000, 0xAB);
  g.writeBlock(block.data(), static_cast<int64_t>(block.size()));
  EXPECT_EQ(written(g), block);
}

TEST(Stream, ReadsStopAtTheLimitOfTheCurrentPayload) {
  qtf::Stream s;
  uint8_t* dst = s.prepareLoad(6);
  std::memset(dst, 150, 6);
  EXPECT_EQ(s.readInt(), 11);
  dst = s.prepareLoad(1);  // the room stays, the limit shrinks
  dst[0] = 140;
  EXPECT_EQ(s.readInt(), 1);
  EXPECT_EQ(s.readInt(), 0);  // not the stale 150
  EXPECT_TRUE(s.overrun());
  EXPECT_EQ(s.prepareLoad(0), nullptr);
  EXPECT_TRUE(s.atEnd());
  EXPECT_FALSE(s.overrun());

  const uint8_t bytes[3] = {1, 2, 3};
  s.attach(bytes, 3);
  uint8_t out[4] = {9, 9, 9, 9};
  s.readBlock(out, 4);  // past the limit: zero-filled
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[3], 0);
  EXPECT_TRUE(s.overrun());
  s.attach(bytes, 3);
  s.readBlock(out, -5);
  EXPECT_TRUE(s.overrun());
  EXPECT_TRUE(s.readBytes(4).empty());
  s.attach(bytes, 3);
  EXPECT_EQ(s.readBytes(3), (Bytes{1, 2, 3}));
  EXPECT_FALSE(s.overrun());
}

}  // namespace
