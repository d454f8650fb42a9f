// ".ufoz" archives: packing, unpacking, and hostile archives through the program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include "app/archive.h"
#include "platform/file_system.h"
#include "test_helpers.h"

namespace {

using testing_app::readFile;
using testing_app::RunResult;
using testing_app::TempFolder;
using testing_app::writeFile;
namespace fs = std::filesystem;

struct Entry {
  std::string name;  // a name ending with "/" is a folder entry
  std::string content;
  bool link = false;  // stored with the mode of a symbolic link to `content`
};

// Builds an archive with libzip; stored entries keep their bytes readable in the file. A
// name given twice, which libzip refuses, is added under a stand-in of its length and
// written over in the finished archive's bytes.
void makeArchive(const std::string& path, const std::vector<Entry>& entries, bool stored = false) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  std::set<std::string> added;
  std::vector<std::pair<std::string, std::string>> standIns;
  for (const Entry& entry : entries) {
    std::string name = entry.name;
    if (!added.insert(name).second) {
      name.front() = static_cast<char>('!' + standIns.size());
      standIns.emplace_back(name, entry.name);
    }
    zip_int64_t index = -1;
    if (!name.empty() && name.back() == '/') {
      index = zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      zip_source_t* source = zip_source_buffer(archive, entry.content.data(), entry.content.size(), 0);
      index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    }
    ASSERT_GE(index, 0) << entry.name;
    const auto at = static_cast<zip_uint64_t>(index);
    if (stored && name.back() != '/') zip_set_file_compression(archive, at, ZIP_CM_STORE, 0);
    if (entry.link)
      zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX, (S_IFLNK | 0777u) << 16);
  }
  ASSERT_EQ(zip_close(archive), 0);
  if (standIns.empty()) return;
  std::string bytes = readFile(path);
  for (const auto& [standIn, name] : standIns) {
    for (std::size_t at = 0; (at = bytes.find(standIn, at)) != std::string::npos;) bytes.replace(at, name.size(), name);
  }
  writeFile(path, bytes);
}

std::string repeat(const std::string& text, std::size_t count) {
  std::string out;
  out.reserve(text.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += text;
  return out;
}

std::vector<std::string> entryNames(const std::string& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  std::vector<std::string> names;
  if (archive == nullptr) return names;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
    names.push_back(zip_get_name(archive, static_cast<zip_uint64_t>(i), 0));
  zip_discard(archive);
  return names;
}

// Everything below a folder as "name" or "name/" lines with file contents, sorted.
std::vector<std::string> treeOf(const std::string& root) {
  std::vector<std::string> lines;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(item.path(), root).string();
    lines.push_back(item.is_directory() ? relative + "/" : relative + "=" + readFile(item.path()));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(Archive, PacksTheFolderUnderItsUfoName) {
  TempFolder folder;
  const std::string source = folder / "Xy12abFont.ufo";
  fs::create_directories(source + "/glyphs");
  fs::create_directories(source + "/data/empty");
  writeFile(source + "/metainfo.plist", "meta");
  writeFile(source + "/glyphs/contents.plist", "contents");
  writeFile(source + "/glyphs/a.glif", std::string(5000, 'a'));
  writeFile(source + "/empty.txt", "");

  const std::string archive = folder / "Font.ufoz";
  ASSERT_TRUE(vn::packFolder(archive, source, "Font.ufo").ok());
  EXPECT_EQ(entryNames(archive),
            (std::vector<std::string>{"Font.ufo/", "Font.ufo/data/", "Font.ufo/data/empty/",
                                      "Font.ufo/empty.txt", "Font.ufo/glyphs/",
                                      "Font.ufo/glyphs/a.glif", "Font.ufo/glyphs/contents.plist",
                                      "Font.ufo/metainfo.plist"}));
  EXPECT_EQ(testing_app::runShell(folder.path(), "unzip -tq Font.ufoz >/dev/null 2>&1"), 0);

  // Unpacking gives back the same tree.
  fs::create_directory(folder / "back");
  ASSERT_TRUE(vn::unpackArchive(archive, folder / "back", "Font.ufoz").ok());
  EXPECT_EQ(treeOf(folder / "back/Font.ufo"), treeOf(source));
}

TEST(Archive, PackingFailureLeavesNoArchive) {
  TempFolder folder;
  fs::create_directory(folder / "Font.ufo");
  writeFile(folder / "Font.ufo/a", "a");
  const vn::ArchiveStatus status =
      vn::packFolder(folder / "missing/Font.ufoz", folder / "Font.ufo", "Font.ufo");
  EXPECT_FALSE(status.ok());
  // The archive is only written when closed, so the missing folder shows then.
  EXPECT_EQ(status.message, "While finalizing the compression we got following error: -1");
  EXPECT_FALSE(fs::exists(folder / "missing"));

  // An existing archive is replaced only by a complete one.
  writeFile(folder / "old.ufoz", "old");
  EXPECT_FALSE(vn::packFolder(folder / "old.ufoz", folder / "gone.ufo", "Font.ufo").ok());
  EXPECT_EQ(readFile(folder / "old.ufoz"), "old");
}

TEST(Archive, UnpacksArchivesOfOtherTools) {
  TempFolder folder;
  // No folder entries at all, a file before its folder entry, an empty file.
  makeArchive(folder / "x.ufoz", {{"x.ufo/glyphs/a.glif", "glyph"},
                                  {"x.ufo/metainfo.plist", "meta"},
                                  {"x.ufo/glyphs/", ""},
                                  {"x.ufo/data/empty.bin", ""}});
  fs::create_directory(folder / "out");
  const vn::ArchiveStatus status = vn::unpackArchive(folder / "x.ufoz", folder / "out", "x.ufoz");
  ASSERT_TRUE(status.ok()) << status.message;
  EXPECT_EQ(treeOf(folder / "out"),
            (std::vector<std::string>{"x.ufo/", "x.ufo/data/", "x.ufo/data/empty.bin=",
                                      "x.ufo/glyphs/", "x.ufo/glyphs/a.glif=glyph",
                                      "x.ufo/metainfo.plist=meta"}));
}

// The program on broken and hostile archives: the exit code and message, and nothing
// left behind.
TEST(Archive, HostileArchivesEndTheRunWithoutLeftovers) {
  const std::string body(400, 'b');
  struct Case {
    std::vector<Entry> entries;  // none: the archive is plain text
    bool damage;                 // one byte of the stored `body` changed
    int exitCode;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {{}, false, 3, "Source font file \"x.ufoz\" cannot be decompressed.", ""},
      // Names that would leave the unpack folder.
      {{{"x.ufo/", ""}, {"../x.qtf", "evil"}}, false, 101, "Cannot decompress file \"../x.qtf\".", ""},
      {{{"x.ufo/a/../../../x.qtf", "evil"}}, false, 101, "Cannot decompress file \"x.ufo/a/../../../x.qtf\".", ""},
      {{{"/tmp/x.qtf", "evil"}}, false, 101, "Cannot decompress file \"/tmp/x.qtf\".", ""},
      {{{"x.ufo\\..\\..\\x.qtf", "evil"}}, false, 101, "Cannot decompress file \"x.ufo\\..\\..\\x.qtf\".", ""},
      {{{"x.ufo/metainfo.plist", body}}, true, 103, "Cannot read from compressed file \"x.ufo/metainfo.plist\".", ""},
      // A file where a later entry needs a folder: the file cannot be made, or the folder.
      {{{"x.ufo", "file"}, {"x.ufo/metainfo.plist", "meta"}}, false, 102,
       "Cannot create decompressed file file \"x.ufo/metainfo.plist\".", ""},
      {{{"x.ufo/a", "file"}, {"x.ufo/a/b/c.plist", "meta"}}, false, 1, "", "/x.ufo/a/b: Not a directory\n"},
  };
  for (const Case& c : cases) {
    TempFolder top;
    fs::create_directory(top / "work");
    const std::string work = top / "work";
    if (c.entries.empty()) writeFile(work + "/x.ufoz", "this is not a zip archive");
    else makeArchive(work + "/x.ufoz", c.entries, true);
    if (c.damage) {
      std::string bytes = readFile(work + "/x.ufoz");
      const auto at = bytes.find(body);
      ASSERT_NE(at, std::string::npos);
      bytes[at + 10] = 'X';
      writeFile(work + "/x.ufoz", bytes);
    }
    const RunResult run = testing_app::runProgram(work, {"-s", "x.ufoz"});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.out;
    EXPECT_EQ(run.out, c.out.empty() ? "" : c.out + "\n");
    ASSERT_GE(run.err.size(), c.err.size());
    EXPECT_EQ(run.err.substr(run.err.size() - c.err.size()), c.err) << c.out;
    EXPECT_EQ(top.names(), std::vector<std::string>{"work"});
    std::vector<std::string> left;
    for (const auto& item : fs::directory_iterator(work)) left.push_back(item.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"x.ufoz"}) << c.out;
  }
}

// An archive unpacks to at most 32 times its own size, or to 8 MiB when that is more: the
// run ends at the entry that would pass that, before unpacking it.
TEST(Archive, UnpackedBytesAreBoundedByTheArchiveSize) {
  std::mt19937 random(7);
  std::string noise(320 << 10, '\0');  // incompressible: it makes the archive larger
  for (char& byte : noise) byte = static_cast<char>(random());
  const std::string plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
  struct Case {
    std::size_t filler;  // bytes that compress to almost nothing
    bool noisy;
    bool refused;
  };
  const Case cases[] = {
      {7 << 20, false, false},         // under 8 MiB: taken from an archive of a few kilobytes
      {9 << 20, false, true},          // 9 MiB from a few kilobytes
      {(19 << 20) / 2, true, false},   // 9.5 MiB and the noise from about 330 KB
      {11 << 20, true, true},          // 11 MiB and the noise: past 32 times the archive
  };
  for (const Case& c : cases) {
    TempFolder folder;
    std::vector<Entry> entries{
        {"x.ufo/metainfo.plist", plist + "<dict><key>formatVersion</key><integer>2</integer></dict></plist>"},
        {"x.ufo/glyphs/contents.plist", plist + "<dict><key>a</key><string>a.glif</string></dict></plist>"},
        {"x.ufo/glyphs/a.glif", "<glyph name=\"a\" format=\"1\"><advance width=\"500\"/></glyph>"}};
    if (c.noisy) entries.push_back({"x.ufo/data/noise.bin", noise});
    entries.push_back({"x.ufo/data/filler.txt", repeat("filler\n", c.filler / 7)});
    makeArchive(folder / "x.ufoz", entries);
    const std::string size = std::to_string(fs::file_size(folder / "x.ufoz"));
    const RunResult run = testing_app::runProgram(folder.path(), {"-s", "x.ufoz"});
    if (!c.refused) {
      EXPECT_EQ(run.exitCode, 0) << c.filler << ": " << run.out;
      EXPECT_EQ(folder.names(), (std::vector<std::string>{"x.qtf", "x.ufoz"}));
      continue;
    }
    EXPECT_EQ(run.exitCode, 103) << c.filler;
    EXPECT_EQ(run.out, "Cannot read from compressed file \"x.ufo/data/filler.txt\".\n"
                       "The archive \"x.ufoz\" unpacks to more than it may: 32 times its size of " +
                           size + " bytes (at least 8388608 bytes, at most 4294967296).\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"x.ufoz"});
  }
}

// Property-list nodes cost about a hundred bytes each however short their text, so a
// small archive may not bring more of them than the reader's bound; a folder's lists
// cost in proportion to their own bytes and are read whatever their count.
TEST(Archive, PropertyListNodesAreBoundedInArchivesOnly) {
  const std::string plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
  const std::vector<Entry> entries{
      {"x.ufo/metainfo.plist", plist + "<dict><key>formatVersion</key><integer>2</integer></dict></plist>"},
      {"x.ufo/glyphs/contents.plist", plist + "<dict><key>a</key><string>a.glif</string></dict></plist>"},
      {"x.ufo/glyphs/a.glif", "<glyph name=\"a\" format=\"1\"><advance width=\"500\"/></glyph>"},
      // 500,000 elements, kept as a tree too: past the 800,000 nodes, 3.5 MB of text.
      {"x.ufo/lib.plist", plist + "<dict><key>com.example.flags</key><array>" + repeat("<true/>", 500000) +
                              "</array></dict></plist>"}};
  TempFolder folder;
  for (const Entry& entry : entries) {
    fs::create_directories(fs::path(folder / entry.name).parent_path());
    writeFile(folder / entry.name, entry.content);
  }
  std::vector<Entry> zipped;
  for (const Entry& entry : entries) zipped.push_back({"z" + entry.name.substr(1), entry.content});
  makeArchive(folder / "z.ufoz", zipped);
  const RunResult fromFolder = testing_app::runProgram(folder.path(), {"-s", "x.ufo"});
  EXPECT_EQ(fromFolder.exitCode, 0) << fromFolder.out;
  const RunResult fromArchive = testing_app::runProgram(folder.path(), {"-s", "z.ufoz"});
  EXPECT_EQ(fromArchive.exitCode, 252);
  EXPECT_NE(fromArchive.out.find("plist parsing error: the property lists hold more elements, attributes and "
                                 "texts than the reader accepts (800000 at once)\n"),
            std::string::npos)
      << fromArchive.out;
  EXPECT_FALSE(fs::exists(folder / "z.qtf"));
}

// The members of a small UFO "x.ufo" whose features.fea adds 'ss01' when compiled.
std::vector<Entry> smallUfo() {
  const std::string plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
  return {{"x.ufo/metainfo.plist", plist + "<dict><key>formatVersion</key><integer>2</integer></dict></plist>"},
          {"x.ufo/glyphs/contents.plist",
           plist + "<dict><key>a</key><string>a.glif</string><key>b</key><string>b.glif</string></dict></plist>"},
          {"x.ufo/glyphs/a.glif", "<glyph name=\"a\" format=\"1\"><advance width=\"500\"/></glyph>"},
          {"x.ufo/glyphs/b.glif", "<glyph name=\"b\" format=\"1\"><advance width=\"500\"/></glyph>"},
          {"x.ufo/features.fea", "languagesystem DFLT dflt;\nfeature ss01 { sub a by b; } ss01;\n"}};
}

// The lines of a run without the unpack folder's removal list and the font information's
// lines.
std::string withoutRemovalsAndFontInfo(const std::string& out) {
  std::string kept;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const bool removal = line.front() == '/' && (line.ends_with(" file") || line.ends_with(" directory"));
    if (!removal && !line.starts_with("Warning: fontinfo.plist")) kept += line + "\n";
  }
  return kept;
}

// The features.fea the converted font gives back: what its layout kept.
std::string featuresOfConverted(const TempFolder& folder) {
  const RunResult back = testing_app::runProgram(folder.path(), {"-s", "x.qtf", "back.ufo"});
  EXPECT_EQ(back.exitCode, 0) << back.out;
  return readFile(folder / "back.ufo/features.fea");
}

// Two members that unpack to one path would leave the second in place of the first, so a
// tool reading the first sees another font: the archive is refused before anything is read.
// A member stored as a symbolic link is no file: it is left out with a line naming it, and
// nothing is read through it.
TEST(Archive, MembersOfOneNameAreRefusedAndLinksLeftOut) {
  const std::string dflt = "languagesystem DFLT dflt;\n";
  const std::string twice = "Cannot decompress file \"@M\".\nThe archive \"x.ufoz\" holds two members that unpack to "
                            "\"@P\": which of them is the font's cannot be told.\n";
  const std::string link = "Warning: the archive member \"@M\" is a symbolic link, which is not followed: it is left "
                           "out, as if missing.\n";
  struct Case {
    const char* what;
    std::vector<Entry> added;  // after the small UFO's members
    int exitCode;
    std::string out;  // "@M" the last added member, "@P" x.ufo/features.fea
    bool ss01;        // the converted font's layout has 'ss01'
    bool withoutFeatures = false;  // the small UFO's features.fea left out
  };
  const std::vector<Case> cases = {
      {"features.fea twice", {{"x.ufo/features.fea", dflt}}, 101, twice, false},
      {"spelt otherwise", {{"x.ufo//./features.fea", dflt}}, 101, twice, false},
      {"a link of the same name", {{"x.ufo/features.fea", "../x.fea", true}}, 101, twice, false},
      {"a folder entry twice", {{"x.ufo/glyphs/", ""}, {"x.ufo/glyphs/", ""}}, 0, "", true},
      {"a folder entry of features.fea's path", {{"x.ufo/features.fea/", ""}}, 101, twice, false},
      {"features.fea after a folder entry of its path", {{"x.ufo/features.fea/", ""}, {"x.ufo/features.fea", dflt}},
       101, twice, false, true},
      {"a link to a file outside", {{"x.ufo/data/shared.bin", "../../../x.ufoz", true}}, 0, link, true},
      {"a link into the UFO", {{"x.ufo/data/a.glif", "../glyphs/a.glif", true}}, 0, link, true},
      // A family's features.fea kept as a link to its file beside the archive: not read.
      {"features.fea a link", {{"x.ufo/features.fea", "../../x.fea", true}}, 0, link, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    std::vector<Entry> entries = smallUfo();
    if (c.withoutFeatures) entries.pop_back();
    entries.insert(entries.end(), c.added.begin(), c.added.end());
    makeArchive(folder / "x.ufoz", entries);
    writeFile(folder / "x.fea", smallUfo().back().content);
    const RunResult run = testing_app::runProgram(folder.path(), {"-s", "x.ufoz"});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out;
    std::string out = c.out;
    for (std::size_t at; (at = out.find("@M")) != std::string::npos;) out.replace(at, 2, c.added.back().name);
    for (std::size_t at; (at = out.find("@P")) != std::string::npos;) out.replace(at, 2, "x.ufo/features.fea");
    EXPECT_EQ(withoutRemovalsAndFontInfo(run.out), out);
    if (c.exitCode != 0) {
      EXPECT_EQ(folder.names(), (std::vector<std::string>{"x.fea", "x.ufoz"}));
      continue;
    }
    EXPECT_EQ(featuresOfConverted(folder).find("feature ss01") != std::string::npos, c.ss01);
  }
}

TEST(Archive, ReadFailureNamesTheArchiveAndRemovesTheUnpackedFolder) {
  TempFolder folder;
  // A well-formed archive whose UFO cannot be read (no metainfo.plist).
  makeArchive(folder / "Font.ufoz", {{"Font.ufo/", ""}, {"Font.ufo/glyphs/", ""}});
  fs::create_directory(folder / "out");
  const RunResult run = testing_app::runProgram(folder.path(), {"-s", "Font.ufoz", "out/Font.qtf"});
  EXPECT_EQ(run.exitCode, 252);
  const std::string message = "While opening UFO font folder \"Font\" we've got a problem.";
  ASSERT_GE(run.out.size(), message.size());
  EXPECT_EQ(run.out.substr(run.out.size() - message.size()), message);
  EXPECT_TRUE(fs::is_empty(folder / "out"));
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"Font.ufoz", "out"}));
}

}  // namespace
