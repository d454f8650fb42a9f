// The font lists of "-l" and "-L" for a built three-master file, through the program.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/program_output.h"
#include "support/qtf_builder.h"

namespace qtftest {
namespace {

Bytes threeMasterFile() {
  FileBuilder f;
  f.begin()
      .fontInfo(3, {record(1024, Payload().text("Fam"))})
      .add(271)
      .add(1513, Payload().u16(2))
      .add(1514, Payload().text("weight"))
      .add(1514, Payload().text("width"));
  for (int m = 0; m < 3; ++m) {
    f.add(1504, Payload().text("M" + std::to_string(m)));
    f.add(1505, Payload().u32(1).d(300.0 * (m + 1)).d(5000).d(0).d(0));
  }
  f.add(527)
      .glyph(GlyphRecord().name("a").advance({{1, 0}, {2, 0}, {3, 0}}))
      .glyph(GlyphRecord().name("b").advance({{1, 0}, {2, 0}, {3, 0}}))
      .end();
  return f.bytes();
}

std::string run(const std::string& arguments) {
  return testsupport::programOutput(std::string(TARNWICK_EXE) + " " + arguments);
}

TEST(NativeListing, ShortAndLongListsOfThreeMasters) {
  const auto folder = std::filesystem::temp_directory_path() / ("tw-listing-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto path = folder / "three.qtf";
  {
    const Bytes file = threeMasterFile();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  EXPECT_EQ(run("-s -l " + path.string()), "Fam Regular;2\nFam Regular;2\nFam Regular;2\n");
  EXPECT_EQ(run("-s -L " + path.string()),
            "Fam Regular;7;three.qtf;2\nFam Regular;7;three.qtf;2\nFam Regular;7;three.qtf;2\n");
  // Nothing was converted.
  EXPECT_FALSE(std::filesystem::exists(folder / "three.ufo"));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qtftest
