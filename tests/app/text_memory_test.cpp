// otltool's generated text and layout document when memory runs short: a preloaded
// library refuses every allocation past a limit, as a memory limit does to a growing
// buffer. The tool then ends with an error and writes nothing, never a text cut off.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_helpers.h"

namespace {

namespace fs = std::filesystem;
using testing_app::quoteForShell;
using testing_app::TempFolder;

constexpr std::uintmax_t kLimit = 256 * 1024;

// One lookup of 40 subtables over 999 glyphs: a few hundred bytes of GSUB whose text and
// document run to megabytes.
void writeInput(const TempFolder& folder) {
  std::string glyphs, in, out;
  for (int i = 0; i < 1000; ++i) {
    glyphs += "g" + std::to_string(i) + "\n";
    if (i < 999) in += " g" + std::to_string(i);
    if (i > 0) out += " g" + std::to_string(i);
  }
  std::string rules;
  for (int i = 0; i < 40; ++i) rules += std::string(i ? "  subtable;\n" : "") + "  sub @IN by @OUT;\n";
  testing_app::writeFile(folder / "glyphs.txt", glyphs);
  testing_app::writeFile(folder / "in.fea", "languagesystem DFLT dflt;\n@IN = [" + in + "];\n@OUT = [" + out +
                                                "];\nlookup L {\n" + rules + "} L;\nfeature ss01 { lookup L; } ss01;\n");
}

int runTool(const TempFolder& folder, const std::string& arguments, const std::string& fault, std::string* out) {
  std::string command;
  if (!fault.empty()) {
    command = "ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" + quoteForShell(TARNWICK_FAULTS) +
              " TW_FAULT=" + quoteForShell(fault) + " ";
  }
  return testing_app::runShell(folder.path(), command + quoteForShell(TARNWICK_OTLTOOL) + " " + arguments + " 2>&1",
                               out);
}

TEST(TextMemory, TextThatCannotBeHeldEndsTheToolWithNothingWritten) {
  TempFolder folder;
  writeInput(folder);
  std::string out;
  ASSERT_EQ(runTool(folder, "compile glyphs.txt in.fea tables", "", &out), 0) << out;
  struct Case {
    const char* verb;
    const char* file;
    const char* what;
  };
  const Case cases[] = {{"fea", "out.fea", "text"}, {"xml", "out.xml", "document"}};
  const std::string limit = "alloc-limit:" + std::to_string(kLimit);
  for (const Case& c : cases) {
    const std::string arguments = std::string(c.verb) + " glyphs.txt tables " + c.file;
    EXPECT_EQ(runTool(folder, arguments, limit, &out), 1) << c.verb;
    EXPECT_EQ(out, "otltool: cannot write \"" + std::string(c.file) + "\": the " + c.what +
                       " could not be held in memory\n");
    EXPECT_FALSE(fs::exists(folder / c.file)) << c.verb;
    // Without the limit the same run writes it, larger than the limit.
    ASSERT_EQ(runTool(folder, arguments, "", &out), 0) << out;
    EXPECT_GT(fs::file_size(folder / c.file), kLimit) << c.verb;
  }
}

}  // namespace
