// The font lists of "-l" and "-L" for a built three-master file, through the program.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "native/reader_fixture.h"
#include "support/program_output.h"
#include "support/qtf_builder.h"

namespace qtftest {
namespace {

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
