// Replays the committed inputs of the ".ufoz" fuzz target.
#include <gtest/gtest.h>

#include <filesystem>

#include "../../fuzz/ufoz/ufoz_entry.h"
#include "test_helpers.h"

TEST(UfozFuzzReplay, EveryInputEndsInOrder) {
  const auto folder = std::filesystem::path(TARNWICK_SOURCE_DIR) / "fuzz/ufoz/corpus";
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string bytes = testing_app::readFile(entry.path().string());
    EXPECT_TRUE(fuzzUfozEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
        << entry.path().filename();
    ++replayed;
  }
  EXPECT_GE(replayed, 5);
  EXPECT_FALSE(std::filesystem::exists("/tmp/tarnwick-absolute.txt"));
}
