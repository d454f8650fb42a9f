// The stored command bytes: exact bytes, round trips through the normalised order and
// hostile byte streams.
#include <gtest/gtest.h>

#include <random>

#include "hint_test_support.h"
#include "hinting/tt_interpreter.h"

namespace {

using hinttest::command;
using hinttest::describe;
using Bytes = std::vector<uint8_t>;
namespace code = vn::ttCode;

Bytes encode(vn::ttInterpreter& interpreter) {
  Bytes out{0xEE};  // must be replaced, not appended to
  interpreter.encodeCommands(out);
  return out;
}

TEST(ProgramBytes, ExactBytesAndTheNormalisedOrder) {
  vn::ttInterpreter interpreter;
  interpreter.addCommand(command(code::kFinalDeltaH, {108, -108, 1132, 1132}));
  const Bytes expected{140, 22, 247, 0, 251, 0, 255, 0, 0, 4, 108, 255, 0, 0, 4, 108, 139, 139, 139};
  EXPECT_EQ(encode(interpreter), expected);

  // Only zero deltas: nothing is left to store, and no count-0 program is written.
  vn::ttInterpreter zeros;
  EXPECT_TRUE(encode(zeros).empty());
  zeros.addCommand(command(code::kMiddleDeltaV, {3, 0, 9, 12}));
  zeros.addCommand(command(code::kFinalDeltaH, {1, 0, 9, 9}));
  EXPECT_TRUE(encode(zeros).empty());

  vn::ttInterpreter mixed;
  mixed.addCommand(command(code::kInterpolateV, {5, 1, 2, -1}));
  mixed.addCommand(command(code::kFinalDeltaV, {4, 8, 10, 10}));
  mixed.addCommand(command(code::kAlignTop, {3, 0}));
  mixed.addCommand(command(code::kSingleLinkH, {0, 1, 2, 3}));
  mixed.addCommand(command(code::kMiddleDeltaH, {7, -16, 12, 14}));
  mixed.addCommand(command(code::kAlignH, {0, 0}));
  mixed.addCommand(command(code::kDoubleLinkV, {1, 6, -2}));
  mixed.addCommand(command(code::kAlignBottom, {2, 1}));
  const Bytes bytes = encode(mixed);
  vn::ttInterpreter reader;
  reader.decodeCommands(bytes, 0);
  EXPECT_EQ(describe(reader.program()),
            "alignh(0,0) singleh(0,1,2,3) mdeltah(7,-16,12,14) alignt(3,0) alignb(2,1) "
            "doublev(1,6,-2) interpolatev(5,1,2,-1) fdeltav(4,8,10,10)");
  EXPECT_EQ(encode(reader), bytes);
}

TEST(ProgramBytes, ShortUnknownAndHostileStreams) {
  const struct {
    Bytes bytes;
    int32_t shift;
    const char* expected;
  } cases[] = {
      {{140, 22, 247, 0, 251, 0, 255, 0, 0, 4, 108, 255, 0, 0, 4, 108, 139, 139, 139}, 0,
       "fdeltah(108,-108,1132,1132)"},
      {{}, 0, ""},
      // Count 3: an interpolation whose align is missing (next byte is a code byte), an
      // unknown code 9 whose would-be parameter is read as the next code (8, alignv).
      {{142, 13, 140, 141, 142, 9, 8, 144, 139, 139, 139, 139}, 0, "interpolateh(1,2,3,-1) alignv(5,0)"},
      // A short align keeps 0 for the missing parameter; only interpolations mark -1.
      {{140, 7, 141}, 0, "alignh(2,0)"},
      {{140, 14, 141}, 0, "interpolatev(2,-1,0,0)"},
      // Count 2^31 - 1 followed by two commands' worth of bytes; a negative count.
      {{255, 127, 255, 255, 255, 7, 139, 139, 8, 140, 139}, 0, "alignh(0,0) alignv(1,0)"},
      {{32, 7, 139, 139}, 0, ""},
      {{140, 1, 255, 0}, 0, "alignt(0,0)"},  // a five-byte parameter cut short
      // A shift moves points only.
      {{141, 3, 140, 141, 142, 139, 20, 141, 147, 151, 152}, 10, "singleh(11,12,3,0) mdeltah(12,8,12,13)"},
  };
  vn::ttInterpreter interpreter;  // decoding replaces, never appends
  for (const auto& c : cases) {
    interpreter.decodeCommands(c.bytes, c.shift);
    EXPECT_EQ(describe(interpreter.program()), c.expected) << ::testing::PrintToString(c.bytes);
  }
}

// Any byte string decodes without fault, and what it decodes to is stored stably.
TEST(ProgramBytes, RandomBytesDecodeAndStoreStably) {
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    Bytes bytes(random() % 48);
    for (auto& b : bytes) {
      // Mostly plausible codes and small numbers, some anything.
      const uint32_t pick = random() % 4;
      b = pick == 0 ? static_cast<uint8_t>(random()) : pick == 1 ? static_cast<uint8_t>(random() % 24)
                                                                 : static_cast<uint8_t>(130 + random() % 20);
    }
    if (!bytes.empty() && round % 2 == 0) bytes[0] = static_cast<uint8_t>(140 + random() % 8);
    vn::ttInterpreter first;
    first.decodeCommands(bytes, 0);
    const Bytes stored = encode(first);
    vn::ttInterpreter second;
    second.decodeCommands(stored, 0);
    ASSERT_EQ(encode(second), stored) << "round " << round;
  }
}

}  // namespace
