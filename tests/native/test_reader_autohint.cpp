// The reader's autohint step: runs only with import option byte 0 set.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/glyph_data.h"
#include "model/layer.h"
#include "native/reader_fixture.h"

namespace qtftest {
namespace {

// Two squares whose horizontal hints (0..200 and 150..350) overlap in the one set.
Bytes twoSquaresFile() {
  const Bytes outline = twoSquaresElement();
  FileBuilder f;
  f.begin()
      .glyph(GlyphRecord().name("a").advance(400, 0).element(outline).hints(
          hintsPayload({{{{0, 200}}}, {{{150, 200}}}}, {{{{0, 100}}}}, {})))
      .end();
  return f.bytes();
}

std::vector<std::pair<int32_t, int32_t>> setsOf(ReadMaster& r, std::vector<double>& positions) {
  const vn::Layer& layer = *r.glyph(0).varnelData().findLayer("Body");
  for (const auto& h : layer.hints) positions.push_back(h.horizontal ? h.position : -1 - h.position);
  std::vector<std::pair<int32_t, int32_t>> sets;
  for (const auto& e : layer.replacements) sets.push_back({e.kind, e.index});
  return sets;
}

TEST(NativeAutohint, OptionByteZeroSplitsOverlappingHints) {
  vn::ImportOptions options = ReadMaster::driverOptions();
  options.bytes[0] = 1;
  ReadMaster hinted(twoSquaresFile(), 0, options);
  ASSERT_TRUE(hinted.ok);
  std::vector<double> positions;
  EXPECT_EQ(setsOf(hinted, positions),
            (std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {2, 0}, {3, 4}, {1, 2}, {2, 0}}));
  EXPECT_EQ(positions, (std::vector<double>{-1, 0, 150}));  // vertical first

  ReadMaster plain(twoSquaresFile());  // the driver's options: left as stored
  ASSERT_TRUE(plain.ok);
  positions.clear();
  EXPECT_TRUE(setsOf(plain, positions).empty());
  EXPECT_EQ(positions, (std::vector<double>{0, 150, -1}));
}

}  // namespace
}  // namespace qtftest
