// Feeds every committed regression input of the feature-compiler fuzz target to the entry
// function the fuzzer calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../fuzz/fea_compiler/fea_compiler_entry.h"

namespace {

TEST(FuzzReplay, FeaCompilerInputs) {
  const auto folder =
      std::filesystem::path(TARNWICK_SOURCE_DIR) / "fuzz" / "fea_compiler" / "corpus";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(fuzz::feaCompilerEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                       bytes.size()))
        << entry.path().filename();
    ++count;
  }
  EXPECT_GT(count, 0);
}

}  // namespace
