// Sample.ufo with one change each, converted to a native file: the exit code and the line
// that names what the change costs (none for "" ), never a refusal of what can be read.
#include <sys/stat.h>

#include <functional>

#include "model/first_few.h"
#include "ufo/layout_document.h"
#include "ufo_fixtures.h"

namespace {

using namespace ufotest;
namespace fs = std::filesystem;

TEST(SampleVariants, ConvertWithTheirLine) {
  const auto put = [](const fs::path& file, const char* text = "") { std::ofstream(file) << text; };
  const auto emptyList = [&](const fs::path& ufo, const char* beside) {
    for (const auto& entry : fs::directory_iterator(ufo / "glyphs")) fs::remove(entry.path());
    put(ufo / "glyphs/contents.plist");
    if (*beside) put(ufo / "glyphs" / beside);
  };
  const std::string layers = "Warning: \"layercontents.plist\" cannot be read (it ";
  std::vector<std::string> data;
  for (const char* name : {"a.txt", "b.txt", "c/d.json", "e.txt", "f/g/h.bin", "i.txt", "j.txt"}) data.push_back(std::string("data/com.x.") + name);
  struct Case {
    const char* label;
    std::function<void(const fs::path&)> change;
    int code;
    std::string line;
  } const cases[] = {
      {"empty list, .DS_Store", [&](const fs::path& u) { emptyList(u, ".DS_Store"); }, 0, ""},
      {"empty list, layerinfo.plist", [&](const fs::path& u) { emptyList(u, "layerinfo.plist"); }, 0, ""},
      {"empty list, a glyph file", [&](const fs::path& u) { emptyList(u, "B_.glif"); }, 252,
       "Error while opening UFO: \"glyphs/contents.plist\" is empty"},
      {"layer list, dangling link", [](const fs::path& u) { fs::create_symlink("gone", u / "layercontents.plist"); }, 0,
       layers + "cannot be opened: No such file or directory); "},
      {"layer list, FIFO", [](const fs::path& u) { ::mkfifo((u / "layercontents.plist").c_str(), 0600); }, 0,
       layers + "is not a regular file); "},
      {"layer list, folder", [](const fs::path& u) { fs::create_directory(u / "layercontents.plist"); }, 0,
       layers + "is not a regular file); "},
      {"data files", [&](const fs::path& u) {
         for (const std::string& file : data) fs::create_directories((u / file).parent_path()), put(u / file);
         put(u / ufo::kLayoutDocumentMember);
       }, 0, "Warning: " + ufo::warning::notCarried(ufo::warning::kDataFilesWhat) + ": " + vn::firstFewWithCount(data) + "\n"},
      {"supplementary value first", [&](const fs::path& u) {
         put(u / "glyphs/O_.glif", glif("O", "<unicode hex=\"1D400\"/><unicode hex=\"004F\"/>").c_str());
       }, 0, "Warning: " + std::string(ufo::warning::kSupplementaryFirstLine) + ": O\n"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    fs::copy(TARNWICK_SOURCE_DIR "/tests/data/Sample.ufo", folder.path() / "in.ufo", fs::copy_options::recursive);
    c.change(folder.path() / "in.ufo");
    std::string out;
    const int code = runCommand("timeout 60 " + shellQuote(TARNWICK_EXE) + " -s " + shellQuote(folder.str() + "/in.ufo") +
                              " " + shellQuote(folder.str() + "/out.qtf") + " 2>&1", &out);
    EXPECT_EQ(code, c.code) << c.label << "\n" << out;
    EXPECT_NE(out.find(c.line), std::string::npos) << c.label << "\n" << out;
    if (c.line.empty()) {
      EXPECT_EQ(out.find("contents.plist"), std::string::npos) << c.label << "\n" << out;
    }
  }
}

}  // namespace
