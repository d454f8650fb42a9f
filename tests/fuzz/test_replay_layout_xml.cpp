// Feeds every committed input of the layout XML fuzz target to the entry function the
// fuzzer calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../fuzz/layout_xml/layout_xml_entry.h"

namespace {

TEST(FuzzReplay, LayoutXmlInputs) {
  const auto folder = std::filesystem::path(TARNWICK_SOURCE_DIR) / "fuzz" / "layout_xml" / "corpus";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(fuzz::layoutXmlEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
        << entry.path().filename();
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
