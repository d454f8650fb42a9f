#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <sstream>

#include "layout/ot/binary_reader.h"
#include "layout/ot/binary_writer.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/ot/tag.h"

namespace {

TEST(OtTag, TextOrderAndEquality) {
  const ot::Tag yi = ot::Tag::fromString("yi");
  EXPECT_EQ(yi.bytes()[2], 0);
  EXPECT_STREQ(yi.toString(), "yi");
  EXPECT_FALSE(yi == ot::Tag::fromString("yi  "));
  EXPECT_EQ(ot::Tag::fromString("kernel").text(), "kern");
  EXPECT_LT(ot::Tag::fromString("DFLT"), ot::Tag::fromString("dflt"));
  EXPECT_LT(ot::Tag::fromString("DFLT"), ot::Tag::fromString("latn"));
  EXPECT_LT(ot::Tag::fromString("latn"), ot::Tag::fromString("liga"));
  ot::BinaryWriter writer;
  yi.write(writer);  // never a NUL byte in a table
  EXPECT_EQ(writer.str(), "yi  ");
}

TEST(OtStreams, BigEndianAndBounds) {
  ot::BinaryWriter writer;
  writer.writeUInt32(0x01020304u);
  writer.writeUInt16(0xA0B0);
  EXPECT_EQ(writer.str(), std::string("\x01\x02\x03\x04\xA0\xB0", 6));
  const std::string bytes = writer.str();
  ot::BinaryReader reader(bytes);
  EXPECT_EQ(reader.readUInt16(), 0x0102);
  EXPECT_EQ(reader.readUInt32(), 0x0304A0B0u);
  try {
    reader.readUInt16();
    FAIL() << "read past the end";
  } catch (const ot::Exception& e) {
    EXPECT_EQ(e.code(), 2);
  }
  EXPECT_THROW(reader.window(7), ot::Exception);
  EXPECT_THROW(ot::BinaryReader(bytes).requireRecords(4, 2), ot::Exception);
  EXPECT_THROW(writer.seek(7), ot::Exception);
}

TEST(OtStreams, BudgetAndNestingAreBounded) {
  const std::string bytes(8, '\0');
  ot::BinaryReader reader(bytes);
  reader.startBudget();
  EXPECT_THROW(reader.charge(ot::limits::kMinOperations + 1), ot::Exception);
  ot::BinaryReader nested(bytes);
  EXPECT_THROW(
      {
        for (int i = 0; i < 100; ++i) nested = nested.window(0);
      },
      ot::Exception);
}

TEST(OtStreams, OffsetLimitIs65534) {
  for (uint32_t distance : {65534u, 65535u}) {
    ot::BinaryWriter writer;
    const uint32_t slot = writer.reserveOffset16();
    writer.writeBytes(std::string(distance - 2, 'x'));
    if (distance == 65534u) {
      ot::writeOffset(writer, 0, slot);
      EXPECT_EQ(writer.buffer()[0], 0xFF);
      EXPECT_EQ(writer.buffer()[1], 0xFE);
      EXPECT_EQ(writer.position(), distance);
    } else {
      try {
        ot::writeOffset(writer, 0, slot);
        ADD_FAILURE() << "no overflow at " << distance;
      } catch (const ot::Exception& e) {
        // The writer's recovery acts on this code alone.
        EXPECT_TRUE(e.isOffsetOverflow());
        EXPECT_EQ(e.code(), ot::Exception::kOffsetOverflow);
      }
      EXPECT_EQ(writer.position(), slot);
    }
  }
}

// The writer's recovery absorbs the offset overflow alone: any other failure of a write
// must reach the caller, or a broken table would be "recovered" into a wrong one.
TEST(OtStreams, OnlyTheOffsetOverflowIsAbsorbed) {
  enum Outcome { kFits, kOverflows, kPassesThrough };
  const struct {
    const char* name;
    std::function<void()> write;
    Outcome outcome;
  } cases[] = {
      {"completes", [] {}, kFits},
      {"offset overflow", [] { throw ot::Exception::offsetOverflow(); }, kOverflows},
      {"overflow with a place", [] { throw ot::Exception::offsetOverflow().within("GSUB lookup 2"); }, kOverflows},
      {"unresolved reference", [] { throw ot::Exception(ot::Exception::kUnresolved, "lookup 9"); }, kPassesThrough},
      {"out of memory", [] { throw std::bad_alloc(); }, kPassesThrough},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(ot::writesWithinOffsets(c.write), c.outcome == kFits) << c.name;
      EXPECT_NE(c.outcome, kPassesThrough) << c.name;
    } catch (...) {
      EXPECT_EQ(c.outcome, kPassesThrough) << c.name;
    }
  }
}

}  // namespace
