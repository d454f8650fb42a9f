// Kerning that the native file can only keep as millions of glyph pairs: a zero
// exception under a class pair makes both classes travel as glyph pairs, members x
// members of them, as in real fonts with large classes (one comes to 2.3 million).
// Such kerning is written and reads back pair for pair; past the file's bound it is
// refused and the writer says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/numbers.h"
#include "native/kerning_layout_routes.h"
#include "native/limits.h"
#include "test_writer_support.h"

namespace {

using namespace writertest;

vn::GlyphId id(const std::string& name) { return otl::glyphIdByName(name); }

// The kerning as glyph pairs of values other than 0, in (first, second) order.
std::vector<vn::GlyphPairValue> effectivePairs(const vn::FontKerning& kerning) {
  std::vector<vn::GlyphPairValue> pairs;
  EXPECT_TRUE(kerning.expandPairs(pairs));
  std::erase_if(pairs, [](const vn::GlyphPairValue& pair) { return pair.value == 0; });
  return pairs;
}

bool samePairs(const std::vector<vn::GlyphPairValue>& a, const std::vector<vn::GlyphPairValue>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.first == y.first && x.second == y.second && x.value == y.value;
  });
}

TEST(KerningBound, ClassesSpreadIntoMillionsOfGlyphPairs) {
  struct Case {
    const char* name;
    int members;      // of each of the two spread classes
    bool keyedClass;  // a third class, with a free key glyph, kerned against the first
    bool written;
  };
  const Case cases[] = {
      {"1,450 x 1,450 glyph pairs, all classes spread", 1450, false, true},
      {"the same beside a class that keeps its key", 1450, true, true},
      {"2,100 x 2,100 glyph pairs, past the bound", 2100, false, false},
  };
  qtf::installLayoutKerningRoutes();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFont font;
    font.settleNames();
    vn::GlyphIdList members[2];
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < c.members; ++i) font.addGlyph((side ? "br" : "bl") + std::to_string(i));
    }
    for (const char* name : {"bk0", "bk1"}) font.addGlyph(name);
    otl::glyphNameRegistry().registerNames(font.font().glyphs);
    for (int side = 0; side < 2; ++side) {
      for (int i = 0; i < c.members; ++i) members[side].push_back(id((side ? "br" : "bl") + std::to_string(i)));
    }
    vn::Font& model = font.font();
    vn::FontKerning& kerning = model.kerning();
    model.addGroup("@MMK_L_bl0", members[0], 1, "bl0");
    model.addGroup("@MMK_R_br0", members[1], 2, "br0");
    kerning.setPair(vn::KerningSide::ofClass(id("@MMK_L_bl0")), vn::KerningSide::ofClass(id("@MMK_R_br0")), -40,
                    false);
    kerning.setGlyphPair(id("bl1"), id("br1"), 0, false);
    // The key glyph kerned on its own, as where the UFO reader takes keys from names.
    kerning.setGlyphPair(id("bl0"), id("bk1"), -5, false);
    if (c.keyedClass) {
      model.addGroup("@MMK_R_bk0", {id("bk0"), id("bk1")}, 2, "bk0");
      kerning.setPair(vn::KerningSide::ofClass(id("@MMK_L_bl0")), vn::KerningSide::ofClass(id("@MMK_R_bk0")), -15,
                      false);
    }

    std::ostringstream out(std::ios::binary);
    qtf::Writer writer;
    const uint8_t option = 1;
    ASSERT_EQ(writer.write(*font.pair, &option, &out), c.written);
    if (!c.written) {
      const std::string bound = vn::formatInteger(static_cast<int64_t>(qtf::kMaxWrittenGlyphPairs));
      EXPECT_EQ(writer.failure().rfind("Its kerning would take more than " + bound + " glyph pairs", 0), 0u)
          << writer.failure();
      continue;
    }
    EXPECT_EQ(writer.failure(), "");
    const std::string text = out.str();
    qtftest::ReadMaster read(Bytes(text.begin(), text.end()));
    ASSERT_TRUE(read.ok);
    EXPECT_TRUE(samePairs(effectivePairs(read.font().kerning()), effectivePairs(kerning)));
    const vn::KerningGroups& classes = *read.font().kerningGroups();
    EXPECT_EQ(classes.hasGroup(id("@MMK_R_bk0")) && classes.find(id("@MMK_R_bk0"))->side == vn::kSideSecond,
              c.keyedClass);
  }
  qtf::setKerningLayoutRoutes(nullptr);
}

}  // namespace
