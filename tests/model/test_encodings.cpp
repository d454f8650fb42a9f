// Glyph-name encodings: the standard table against the reference list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "model/encodings.h"

namespace vn {
namespace {

TEST(Encodings, StandardTableMatchesTheReferenceList) {
  const std::filesystem::path path = TARNWICK_SHARED_DIR "/data/standard-encoding.tsv";
  std::ifstream in(path);
  if (!in) GTEST_SKIP() << "no reference list at " << path;

  std::map<std::string, int> reference;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int code = 0;
    std::string name;
    ASSERT_TRUE(fields >> code >> name) << line;
    reference.emplace(name, code);
  }
  const EncodingTable& table = Encodings::standard();
  ASSERT_EQ(table.size(), reference.size());
  // std::map orders the names byte-wise, as the table is stored.
  size_t position = 0;
  for (const auto& [name, code] : reference) {
    EXPECT_EQ(table.entries()[position].name, name);
    EXPECT_EQ(table.entries()[position].code, code);
    EXPECT_EQ(Encodings::standardCodeForName(name), code) << name;
    ++position;
  }
}

}  // namespace
}  // namespace vn
