// Feeds every committed regression input of the plist and xml fuzz targets to
// the same entry functions the fuzzers call.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../fuzz/plist/plist_entry.h"
#include "../../fuzz/xml/xml_entry.h"

namespace {

std::vector<std::filesystem::path> corpusFiles(const char* target) {
  std::vector<std::filesystem::path> files;
  const auto folder = std::filesystem::path(TARNWICK_SOURCE_DIR) / "fuzz" / target / "corpus";
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class Entry>
void replay(const char* target, Entry entry) {
  const auto files = corpusFiles(target);
  ASSERT_FALSE(files.empty()) << "no regression inputs for " << target;
  for (const auto& file : files) {
    const std::string bytes = readFile(file);
    EXPECT_TRUE(entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
        << file.filename();
  }
}

TEST(FuzzReplay, PlistInputs) { replay("plist", fuzz::plistEntry); }
TEST(FuzzReplay, XmlInputs) { replay("xml", fuzz::xmlEntry); }

}  // namespace
