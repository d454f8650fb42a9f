// Number helpers: saturation, rounding, strict and lenient parsing, formatting, flags.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/numbers.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

TEST(NumbersTest, SaturatingConversionsAndRounding) {
  EXPECT_EQ(vn::saturateInt32(kNaN), 0);
  EXPECT_EQ(vn::saturateInt32(kInf), 0);
  EXPECT_EQ(vn::saturateInt32(-kInf), 0);
  EXPECT_EQ(vn::saturateInt32(3e9), INT32_MAX);
  EXPECT_EQ(vn::saturateInt32(-3e9), INT32_MIN);
  EXPECT_EQ(vn::saturateInt32(-2.9), -2);
  EXPECT_EQ(vn::saturateInt16(40000.0), 32767);
  EXPECT_EQ(vn::saturateUint16(-5.0), 0);
  EXPECT_EQ(vn::saturateUint16(70000.0), 65535);
  EXPECT_EQ(vn::saturateInt64(1e30), INT64_MAX);
  EXPECT_EQ(vn::saturateInt64(-1e30), INT64_MIN);

  EXPECT_EQ(vn::round(-2.5), -3);
  EXPECT_EQ(vn::round(2.5), 3);
  EXPECT_TRUE(std::signbit(vn::round(-0.4)));
  EXPECT_EQ(vn::roundToInt32(1e12), INT32_MAX);
  EXPECT_EQ(vn::roundToInt16(-1.5), -2);
}

TEST(NumbersTest, StrictAndLenientParsing) {
  EXPECT_EQ(vn::parseInt32("-42"), -42);
  EXPECT_EQ(vn::parseInt32("42 "), std::nullopt);
  EXPECT_EQ(vn::parseInt32("+4"), std::nullopt);
  EXPECT_EQ(vn::parseInt32(""), std::nullopt);
  EXPECT_EQ(vn::parseInt32("2147483648"), std::nullopt);
  EXPECT_EQ(vn::parseUint32("4294967295"), 4294967295u);
  EXPECT_EQ(vn::parseDouble("1.5e3"), 1500.0);
  EXPECT_EQ(vn::parseDouble("inf"), std::nullopt);
  EXPECT_EQ(vn::parseDouble("nan"), std::nullopt);
  EXPECT_EQ(vn::parseDouble("1e999"), std::nullopt);

  // As atoi/atof read, but locale-free, clamped and finite.
  EXPECT_EQ(vn::leadingInt32("  +12.7xyz"), 12);
  EXPECT_EQ(vn::leadingInt32("-7"), -7);
  EXPECT_EQ(vn::leadingInt32("abc"), 0);
  EXPECT_EQ(vn::leadingInt32("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(vn::leadingInt32("-99999999999"), INT32_MIN);
  EXPECT_EQ(vn::leadingDouble(" -1.25e2pt"), -125.0);
  EXPECT_EQ(vn::leadingDouble(".5"), 0.5);
  EXPECT_EQ(vn::leadingDouble("inf"), 0.0);
  EXPECT_EQ(vn::leadingDouble("nan"), 0.0);
  EXPECT_EQ(vn::leadingDouble("1e400"), 0.0);
  EXPECT_EQ(vn::leadingDouble("x1"), 0.0);
}

TEST(NumbersTest, Formatting) {
  EXPECT_EQ(vn::formatNumber(2.0, 0), "2");
  EXPECT_EQ(vn::formatNumber(2.5, 0), "2.5");
  EXPECT_EQ(vn::formatNumber(2.5, 3), "2.5");
  EXPECT_EQ(vn::formatNumber(-0.125, 2), "-0.12");
  EXPECT_EQ(vn::formatNumber(1.0000001, 2), "1.");  // the point stays
  EXPECT_EQ(vn::formatNumber(5e9, 0), "2147483647");  // clamped, not wrapped
  EXPECT_EQ(vn::formatNumber(kInf, 0), "0");
  EXPECT_EQ(vn::formatNumber(kNaN, 0), "0");
  EXPECT_EQ(vn::xmlNumberAttribute("x", 10.25, nullptr), " x=\"10.25\"");
  EXPECT_EQ(vn::xmlNumberAttribute("w", 50, "%"), " w=\"50%\"");
  EXPECT_EQ(vn::plistNumber(-3.0), "<integer>-3</integer>");
  EXPECT_EQ(vn::plistNumber(0.1), "<real>0.1</real>");
  EXPECT_EQ(vn::formatShortest(0.1), "0.1");
  EXPECT_EQ(vn::formatShortest(1e21), "1e+21");
  EXPECT_EQ(vn::formatInteger(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(vn::formatFixed(1e300, 1).size(), 303u);
}

TEST(NumbersTest, FlagGroupsPackAsTheirTables) {
  vn::FontFlags head;
  head.flags[5] = true;  // -> bit 11
  head.flags[8] = true;  // -> bit 5
  head.flags[9] = true;  // -> bit 7
  EXPECT_EQ(head.toMask(), (1 << 11) | (1 << 5) | (1 << 7));
  vn::FontFlags back;
  back.fromMask(0x3FFF);  // bit 6 is ignored
  for (bool f : back.flags) EXPECT_TRUE(f);
  EXPECT_EQ(back.toMask(), 0x3FFF & ~(1 << 6));

  vn::FontFlags4 four;
  four.flags = {true, false, false, true};
  EXPECT_EQ(four.toMask(), 2 | 8);
  four.fromMask(1);
  EXPECT_EQ(four.flags, (std::array<bool, 4>{false, true, false, false}));

  vn::FontFlags10 ten;
  ten.flags[9] = true;
  EXPECT_EQ(ten.toMask(), 512);
}

}  // namespace
