// The program's output for the corpus fonts, pinned by digests: a change that is meant to
// make a conversion faster or leaner must leave every byte as it was. Each font is copied
// with a fixed creation date (without one the native file takes the time of the run),
// converted UFO -> native -> UFO, and the native file and the whole written UFO folder
// are hashed. When an output is changed on purpose, the failure prints the new digests
// for tests/corpus/data/output_digests.txt.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "corpus/shell.h"

namespace {

namespace fs = std::filesystem;
using corpus_shell::quoted;

constexpr const char* kFixedCreationEntry =
    "<key>openTypeHeadCreated</key>\n\t<string>2024/01/02 03:04:05</string>\n\t";

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// 64-bit FNV-1a, continued from `hash`.
uint64_t fnv1a(const std::string& bytes, uint64_t hash = 0xcbf29ce484222325ull) {
  for (const unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// Every file below `folder`, by relative path in byte order, names and contents hashed.
uint64_t folderDigest(const fs::path& folder) {
  std::map<std::string, fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).generic_string()] = entry.path();
  }
  uint64_t hash = fnv1a("");
  for (const auto& [name, path] : files) hash = fnv1a(readBytes(path), fnv1a(name + '\n', hash));
  return hash;
}

std::string hex(uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

// tests/corpus/data/output_digests.txt: "<font> <output> <digest>" per line.
std::map<std::string, std::string> expectedDigests() {
  std::ifstream in(std::string(TARNWICK_TEST_DATA_DIR) + "/output_digests.txt");
  std::map<std::string, std::string> digests;
  std::string font, output, digest;
  while (in >> font >> output >> digest) digests[font + " " + output] = digest;
  return digests;
}

int run(const std::string& command) {
  const int status = std::system((command + " > /dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct CorpusFont {
  const char* label;
  const char* path;
};

class OutputDigests : public ::testing::TestWithParam<CorpusFont> {
 protected:
  void SetUp() override {
    if (!fs::is_directory(TARNWICK_CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << TARNWICK_CORPUS_DIR;
    work_ = fs::temp_directory_path() / ("tw_digests_" + std::to_string(::getpid()) + "_" + GetParam().label);
    fs::remove_all(work_);
    fs::create_directories(work_);
  }
  void TearDown() override {
    if (!work_.empty()) fs::remove_all(work_);
  }
  fs::path work_;
};

TEST_P(OutputDigests, ConversionsGiveThePinnedBytes) {
  const fs::path original = fs::path(TARNWICK_CORPUS_DIR) / GetParam().path;
  if (!fs::is_directory(original)) GTEST_SKIP() << "corpus font missing: " << original;

  const fs::path input = work_ / "font.ufo";
  fs::copy(original, input, fs::copy_options::recursive);
  std::string info = readBytes(input / "fontinfo.plist");
  if (info.find("<key>openTypeHeadCreated</key>") == std::string::npos) {
    const size_t dict = info.find("<dict>");
    ASSERT_NE(dict, std::string::npos);
    const size_t firstKey = info.find("<key>", dict);
    ASSERT_NE(firstKey, std::string::npos);
    info.insert(firstKey, kFixedCreationEntry);
    std::ofstream(input / "fontinfo.plist", std::ios::binary | std::ios::trunc) << info;
  }

  const std::string exe = quoted(TARNWICK_EXE);
  const fs::path native = work_ / "font.qtf";
  const fs::path back = work_ / "back.ufo";
  ASSERT_EQ(run(exe + " -s " + quoted(input.string()) + " " + quoted(native.string())), 0);
  ASSERT_EQ(run(exe + " -s " + quoted(native.string()) + " " + quoted(back.string())), 0);

  const std::map<std::string, std::string> actual = {
      {std::string(GetParam().label) + " qtf", hex(fnv1a(readBytes(native)))},
      {std::string(GetParam().label) + " ufo", hex(folderDigest(back))},
  };
  const std::map<std::string, std::string> expected = expectedDigests();
  std::string lines;
  for (const auto& [key, digest] : actual) lines += key + " " + digest + "\n";
  for (const auto& [key, digest] : actual) {
    const auto found = expected.find(key);
    EXPECT_TRUE(found != expected.end() && found->second == digest)
        << key << " output changed; if on purpose, the new lines are:\n" << lines;
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, OutputDigests,
                         ::testing::Values(CorpusFont{"SourceSans", "source-sans-2.040/Roman/Instances/Regular/font.ufo"},
                                           CorpusFont{"Roboto", "roboto-2/src/v2/Roboto-Regular.ufo"}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
