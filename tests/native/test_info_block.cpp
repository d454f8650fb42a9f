// The font-information block read on its own: class definitions and class flags,
// and the names settled at the end of the block.
#include <gtest/gtest.h>

#include <sstream>

#include "model/font.h"
#include "model/style.h"
#include "native/info_records.h"
#include "native/record_framing.h"
#include "native/stream/stream.h"
#include "native/reader_fixture.h"

namespace {

using qtftest::Bytes;
using qtftest::Payload;

struct BlockRead {
  explicit BlockRead(const std::vector<Bytes>& records) {
    Bytes bytes;
    for (const Bytes& record : records) bytes.insert(bytes.end(), record.begin(), record.end());
    const Bytes end = qtftest::record(513);
    bytes.insert(bytes.end(), end.begin(), end.end());
    stream.str(qtftest::asString(bytes));
    qtf::RecordInput in(&stream);
    qtf::Stream payload;
    ok = qtf::readFontInfoBlock(in, payload, state, *font, *style);
  }
  std::istringstream stream;
  qtf::InfoReadState state;
  std::unique_ptr<FontStylePair> pair = qtftest::freshPair();
  vn::Font* font = pair->font;
  vn::Style* style = pair->style;
  bool ok = false;
};

TEST(InfoBlock, ClassDefinitionsAndFlags) {
  BlockRead read({qtftest::record(1277, Payload().text("_A:  A' Aacute")),
                  qtftest::record(1277, Payload().text("empty:")),
                  qtftest::record(1277, Payload().text(":nameless")),
                  qtftest::record(1277, Payload().text("no colon")),
                  qtftest::record(1277, Payload().text("_V:\tV' W")),
                  qtftest::record(1277, Payload().text("_V:V'")),  // replaces the earlier one
                  qtftest::record(2026, qtftest::classFlags({{"_A", 0x400},
                                                             {"_V", 0xC00},
                                                             {"_undefined", 0x400},
                                                             {"_", 0x400},
                                                             {"empty", 0x800}}))});
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.state.classDefinitions,
            (std::map<std::string, std::string>{{"_A", "A' Aacute"}, {"empty", ""}, {"_V", "V'"}}));
  EXPECT_EQ(read.state.firstSideClasses, (std::vector<std::string>{"_A", "_V"}));
  // A defined name joins whatever its first character: keyed classes may keep their own.
  EXPECT_EQ(read.state.secondSideClasses, (std::vector<std::string>{"_V", "empty"}));
}

TEST(InfoBlock, EmptyBlockSettlesTheNames) {
  BlockRead read({});
  ASSERT_TRUE(read.ok);
  const vn::FontNames& names = read.style->names;
  EXPECT_EQ(names.version, "1.0");
  EXPECT_EQ(names.familyName, "Untitled");
  EXPECT_EQ(names.styleMapStyleName, "Regular");
  EXPECT_TRUE(read.font->name.empty());
  EXPECT_FALSE(names.styleName.empty());
  EXPECT_FALSE(names.styleMapFamilyName.empty());

  BlockRead named({qtftest::record(1026, Payload().text("Tarn-Bold"))});
  ASSERT_TRUE(named.ok);
  EXPECT_EQ(named.style->names.familyName, "Tarn");
  EXPECT_EQ(named.font->name, "Tarn-Bold");
  BlockRead plain({qtftest::record(1026, Payload().text("Tarn"))});
  EXPECT_EQ(plain.style->names.familyName, "Tarn");

  // 1048 of 0 or below leaves the weight at its default.
  BlockRead weight({qtftest::record(1048, Payload().i16(-5))});
  EXPECT_EQ(weight.style->metrics.weightValue, 400);
}

}  // namespace
