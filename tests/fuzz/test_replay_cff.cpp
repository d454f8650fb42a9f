// Feeds every committed regression input of the CFF reader fuzz target to its entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../fuzz/cff_reader/cff_reader_entry.h"

namespace {

TEST(FuzzReplay, CffReaderInputs) {
  const auto folder = std::filesystem::path(TARNWICK_SOURCE_DIR) / "fuzz" / "cff_reader" / "corpus";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(fuzz::cffReaderEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
        << entry.path().filename();
    ++replayed;
  }
  EXPECT_GT(replayed, 0u);
}

}  // namespace
