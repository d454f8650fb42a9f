// The core's creation time, its access to an input CFF font (byte ranges, string ids) and
// the multiple-master metrics that are read through it.
#include <ctime>

#include "builder_harness.h"
#include "cff_font_build.h"
#include "feacompiler/tables/misc_modules.h"

namespace {

using builder_test::Fatal;
using builder_test::Harness;
using cff_build::Bytes;

// Hands out its bytes in blocks of `block`, as a file read in pieces would.
class BlockInput : public fea::FontProgramInput {
 public:
  BlockInput(Bytes bytes, size_t block) : bytes_(std::move(bytes)), block_(block) {}
  const uint8_t* seek(uint32_t offset, size_t& count) override {
    pos_ = offset;
    return next(count);
  }
  const uint8_t* refill(size_t& count) override { return next(count); }

 private:
  const uint8_t* next(size_t& count) {
    if (pos_ >= bytes_.size()) {
      count = 0;
      return nullptr;
    }
    count = std::min(block_ - pos_ % block_, bytes_.size() - pos_);
    const uint8_t* at = bytes_.data() + pos_;
    pos_ += count;
    return at;
  }
  Bytes bytes_;
  size_t block_;
  size_t pos_ = 0;
};

// What a call gave: its text, or "fatal: " and the last message.
template <class Call>
std::string outcome(Call call) {
  try {
    return call();
  } catch (const Fatal& f) {
    return "fatal: " + f.text;
  }
}

TEST(CoreCffData, CreationTimeIsTheLocalTimeOfCreation) {
  const std::time_t before = std::time(nullptr);
  Harness h({"a"});
  const std::time_t after = std::time(nullptr);
  std::tm made = h.g->creationTime;
  const std::time_t at = std::mktime(&made);
  EXPECT_GE(at, before);
  EXPECT_LE(at, after);
  EXPECT_GE(h.g->creationTime.tm_year, 126);  // a real date, not the zeroed record
  EXPECT_EQ(h.g->version, 0x00010038u);
  EXPECT_EQ(h.g->version2, 65536u);
}

TEST(CoreCffData, RangesOfTheInput) {
  const std::string bad = "fatal: <Font> invalid CFF data offset";
  const struct {
    uint32_t offset, length;
    std::string result;
  } cases[] = {
      {0, 3, "012"},   {2, 5, "23456"},  // across the blocks of four
      {4, 4, "4567"},  {9, 1, "9"},      {5, 0, ""},
      {8, 3, bad},     {10, 1, bad},     {0xFFFFFFF0u, 16, bad},
  };
  Harness h({"a"});
  BlockInput input(Bytes{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}, 4);
  EXPECT_EQ(outcome([&] { return fea::coreCFFData(h.g, 0, 1); }), bad);  // no input yet
  h.g->fontProgram = &input;
  for (const auto& c : cases) {
    EXPECT_EQ(outcome([&] { return fea::coreCFFData(h.g, c.offset, c.length); }), c.result)
        << c.offset << " " << c.length;
  }
}

TEST(CoreCffData, StringIds) {
  const Bytes font = cff_build::buildFont({Bytes{14}}, 1, 1, {},
                                          {Bytes{'A', 'l', 'p', 'h', 'a'}, Bytes{'B'}});
  const struct {
    uint32_t sid;
    std::string text;
  } cases[] = {
      {0, ".notdef"},  {1, "space"},  {390, "Semibold"},  {391, "Alpha"},
      {392, "B"},      {393, "fatal: INDEX bounds"},
  };
  Harness h({"a"});
  // Standard strings need no font; the font's own ones do.
  EXPECT_EQ(fea::coreGetSIDString(h.g, 34), "A");
  EXPECT_EQ(outcome([&] { return fea::coreGetSIDString(h.g, 391); }),
            "fatal: <Font> invalid CFF data offset");
  BlockInput input(font, 7);
  h.g->fontProgram = &input;
  for (const auto& c : cases) {
    EXPECT_EQ(outcome([&] { return fea::coreGetSIDString(h.g, c.sid); }), c.text) << c.sid;
  }
}

TEST(CoreCffData, MultipleMasterMetrics) {
  Harness h({"a"});
  BlockInput input(cff_build::buildFont({Bytes{14}}), 64);
  h.g->fontProgram = &input;
  const uint8_t half[] = {139 + 10, 139 + 4, 12, 12, 11};    // 10 / 4
  const uint8_t negative[] = {139 - 7, 11};                  // -7
  const uint8_t minusHalf[] = {139 - 5, 139 + 2, 12, 12, 11};  // -5 / 2
  const uint8_t nothing[] = {11};
  fea::MMFXAddMetric(h.g, 8, half, sizeof half);
  fea::MMFXAddMetric(h.g, 9, negative, sizeof negative);
  fea::MMFXAddMetric(h.g, 10, minusHalf, sizeof minusHalf);
  fea::MMFXAddMetric(h.g, 11, nothing, sizeof nothing);
  EXPECT_EQ(h.g->mmfx->predefined, 8);
  EXPECT_EQ(h.g->mmfx->metrics.count, 4);
  EXPECT_EQ(h.g->mmfx->metrics.capacity, 1000);
  EXPECT_EQ(h.g->mmfx->charstrings.capacity, 5000);
  const struct {
    uint32_t id;
    std::string value;
  } cases[] = {{8, "3"}, {9, "-7"}, {10, "-2"}, {11, "0"},
               {12, "fatal: <Font> Metric id <12> not found"}};
  for (const auto& c : cases) {
    EXPECT_EQ(outcome([&] { return std::to_string(fea::MMFXGetMetric(h.g, c.id)); }), c.value)
        << c.id;
  }
}

}  // namespace
