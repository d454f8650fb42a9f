// Hostile ".ufoz" archives through the program: entry names that climb out of the
// unpack folder (zip slip), absolute names, entries stored as symbolic links and broken
// archives. Nothing may appear outside the output folder, and the unpack folder must be
// gone after the run whatever its outcome.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "hostile_run.h"

namespace {

using hostile::Scratch;

const std::vector<std::string> kOutputs{"font.qtf"};

struct Entry {
  std::string name;
  std::string bytes;
  bool folder = false;
  bool symlink = false;  // stored with the Unix mode of a symbolic link to `bytes`
};

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "</plist>\n";
}

// The entries of a small sound archive "font.ufoz": a root folder "font.ufo/".
std::vector<Entry> soundEntries() {
  const std::string outline =
      "<outline><contour><point x=\"10\" y=\"0\" type=\"line\"/><point x=\"400\" y=\"0\" type=\"line\"/>"
      "<point x=\"200\" y=\"600\" type=\"line\"/></contour></outline>";
  return {
      {"font.ufo/", "", true},
      {"font.ufo/metainfo.plist",
       plist("<dict><key>creator</key><string>org.test</string><key>formatVersion</key><integer>2</integer></dict>")},
      {"font.ufo/fontinfo.plist", plist("<dict><key>familyName</key><string>Zipped</string></dict>")},
      {"font.ufo/glyphs/", "", true},
      {"font.ufo/glyphs/contents.plist", plist("<dict><key>a</key><string>a.glif</string></dict>")},
      {"font.ufo/glyphs/a.glif",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"a\" format=\"1\"><advance width=\"500\"/>" +
           outline + "</glyph>\n"},
  };
}

// Writes the entries, in order, as a zip archive with libzip.
void writeArchive(const hostile::fs::path& path, const std::vector<Entry>& entries) {
  hostile::fs::create_directories(path.parent_path());
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr) << "libzip error " << error;
  for (const Entry& entry : entries) {
    zip_int64_t index = -1;
    if (entry.folder) {
      index = zip_dir_add(archive, entry.name.c_str(), ZIP_FL_ENC_RAW);
    } else {
      zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
      ASSERT_NE(source, nullptr);
      index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE);
      if (index < 0) zip_source_free(source);
    }
    ASSERT_GE(index, 0) << "libzip refused the entry " << entry.name << ": " << zip_strerror(archive);
    if (entry.symlink) {
      const zip_uint32_t mode = (S_IFLNK | 0777u) << 16;
      zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX, mode);
    }
  }
  ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

hostile::RunResult convertArchive(const std::vector<Entry>& entries, const std::string& what) {
  Scratch scratch;
  std::vector<Entry> placed = entries;
  // "@ROOT@" stands for the absolute path of the scratch root.
  for (Entry& entry : placed) {
    for (size_t at; (at = entry.name.find("@ROOT@")) != std::string::npos;)
      entry.name.replace(at, 6, scratch.root().string());
  }
  writeArchive(scratch.in() / "font.ufoz", placed);
  return scratch.convert("font.ufoz", kOutputs, what);
}

class UfozHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto result = convertArchive(soundEntries(), "sound archive");
    ASSERT_EQ(result.exitCode, 0) << hostile::describe(result);
  }
};

// The output folder is <root>/deep/er/out and the unpack folder lies inside it, so five
// ".." from an entry below the unpack folder reach the scratch root.
TEST_F(UfozHostile, ZipSlipNames) {
  const std::vector<std::string> names{
      "../evil",
      "../../../../evil",
      "font.ufo/../../../../../evil",
      "font.ufo/glyphs/../../../../../../evil",
      "font.ufo/../../../../../in/font.ufoz",  // overwrite the input itself
      "/../../../../../evil",
      "@ROOT@/evil",
      "..\\..\\..\\..\\..\\evil",
      "font.ufo\\..\\..\\..\\..\\..\\evil",
      "./../../../../../evil",
      "font.ufo//..//..//..//..//..//evil",
  };
  for (const std::string& name : names) {
    for (bool first : {true, false}) {
      auto entries = soundEntries();
      const Entry evil{name, "EVIL", false, false};
      if (first) {
        entries.insert(entries.begin(), evil);
      } else {
        entries.push_back(evil);
      }
      convertArchive(entries, "entry " + name + (first ? " first" : " last"));
    }
    convertArchive({{name + "/", "", true}, {name + "/x", "EVIL"}}, "folder entry " + name);
  }
}

// A symbolic link stored in the archive must not become a way out: the entries after it
// write through the link's name.
TEST_F(UfozHostile, SymbolicLinkEntries) {
  for (const std::string& target : {std::string("../../../../.."), std::string("@ROOT@"), std::string("/tmp")}) {
    auto entries = soundEntries();
    entries.push_back({"font.ufo/link", target, false, true});
    entries.push_back({"font.ufo/link/evil", "EVIL"});
    entries.push_back({"font.ufo/link/", "", true});
    convertArchive(entries, "link to " + target);

    auto glyphs = soundEntries();
    glyphs.erase(glyphs.begin() + 3, glyphs.end());
    glyphs.push_back({"font.ufo/glyphs", target, false, true});
    glyphs.push_back({"font.ufo/glyphs/contents.plist", plist("<dict/>")});
    convertArchive(glyphs, "glyphs folder as a link to " + target);
  }
}

// Odd but harmless layouts and broken archives: an orderly end either way.
TEST_F(UfozHostile, OddArchives) {
  auto noFolders = soundEntries();
  std::erase_if(noFolders, [](const Entry& entry) { return entry.folder; });
  convertArchive(noFolders, "no folder entries");

  auto wrongRoot = soundEntries();
  for (Entry& entry : wrongRoot) entry.name.replace(0, 8, "other.ufo");
  convertArchive(wrongRoot, "root folder named otherwise");

  auto fileAsFolder = soundEntries();
  fileAsFolder.insert(fileAsFolder.begin() + 1, {"font.ufo/glyphs", "not a folder"});
  convertArchive(fileAsFolder, "a file where a folder comes later");

  convertArchive({}, "empty archive");

  auto doubled = soundEntries();
  doubled.push_back({"font.ufo/metainfo.plist/", "", true});
  convertArchive(doubled, "a folder entry over a file");

  std::vector<Entry> deep{{"font.ufo/", "", true}};
  std::string folder = "font.ufo/";
  for (int i = 0; i < 200; ++i) folder += "d/";
  deep.push_back({folder + "x", "deep"});
  convertArchive(deep, "200 folders deep");

  for (const std::string& garbage : {std::string(), std::string("PK\x03\x04", 4), std::string(100, '\0')}) {
    Scratch scratch;
    scratch.write("font.ufoz", garbage);
    EXPECT_NE(scratch.convert("font.ufoz", kOutputs, "garbage of " + std::to_string(garbage.size())).exitCode, 0);
  }
}

}  // namespace
