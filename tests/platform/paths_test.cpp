// Path splitting, output names, member-name checks, absolute paths and the file-system
// helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <tuple>

#include "platform/file_system.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform_helpers.h"

namespace {

using testing_platform::readFile;
using testing_platform::TempFolder;
using testing_platform::writeFile;
namespace fs = std::filesystem;

struct SplitCase {
  const char* path;
  const char* folder;
  const char* name;
  const char* extension;
};

TEST(PathParts, SplitsAtTheLastSeparatorAndTheLastDot) {
  const SplitCase cases[] = {
      {"a/b.c.ufo", "a/", "b.c", ".ufo"},
      {"plain", "", "plain", ""},
      {"dir.d/file", "dir.d/", "file", ""},  // a dot in the folder is not an extension
      {"x\\y\\Font.QTF", "x\\y\\", "Font", ".QTF"},
      {"mixed/a\\b.ufoz", "mixed/a\\", "b", ".ufoz"},
      {"/abs/.hidden", "/abs/", "", ".hidden"},
      {"Font.ufo/", "Font.ufo/", "", ""},
      {"", "", "", ""},
  };
  for (const SplitCase& c : cases) {
    const PathParts parts(c.path);
    EXPECT_EQ(parts.folder, c.folder) << c.path;
    EXPECT_EQ(parts.name, c.name) << c.path;
    EXPECT_EQ(parts.extension, c.extension) << c.path;
    EXPECT_EQ(parts.fullPath(), c.path);
  }
}

TEST(PathParts, BuildsOutputNamesOfEveryKind) {
  const PathParts parts("out/Font.ufo");
  const std::pair<int, const char*> kinds[] = {
      {PathParts::kTrueType, "out/Font.ttf"}, {PathParts::kNative, "out/Font.qtf"}, {PathParts::kTrueType2, "out/Font.ttf"},
      {PathParts::kNone, ""}, {PathParts::kUfo, "out/Font.ufo"}, {PathParts::kUfoz, "out/Font.ufoz"}, {6, ""}, {-1, ""}};
  for (const auto& [kind, name] : kinds) EXPECT_EQ(parts.withKindExtension(kind), name) << kind;
  EXPECT_EQ(parts.prefixed(""), "Font.ufo");
  EXPECT_EQ(parts.prefixed("tmp"), "tmpFont.ufo");
  EXPECT_EQ(parts.withExtension(".fea"), "out/Font.fea");

  EXPECT_TRUE(PathParts("a.UfOz").hasExtension(".ufoz", ".ufo"));
  EXPECT_FALSE(PathParts("a.ufo2").hasExtension(".ufoz", ".ufo"));
  EXPECT_EQ(vn::splitPath("a/b/c.qtf").folder, "a/b/");
  EXPECT_EQ(vn::splitPath("c.qtf").file, "c.qtf");
}

TEST(FileSystem, AbsolutePathResolvesTheFolder) {
  TempFolder folder;
  const std::string real = fs::canonical(folder.path()).string();
  fs::create_directory(folder / "sub");
  const std::string previous = fs::current_path().string();
  ASSERT_EQ(::chdir(folder.path().c_str()), 0);

  EXPECT_EQ(vn::absolutePath("x.qtf"), real + "/x.qtf");
  EXPECT_EQ(vn::absolutePath("sub/x.qtf"), real + "/sub/x.qtf");
  EXPECT_EQ(vn::absolutePath("sub/../sub/./x.qtf"), real + "/sub/x.qtf");
  EXPECT_EQ(vn::absolutePath(real + "/sub/"), real + "/sub/");
  EXPECT_EQ(vn::absolutePath(""), real + "/");
  EXPECT_EQ(vn::absolutePath("missing/x.qtf"), std::nullopt);
  EXPECT_EQ(vn::currentFolder(), real);
  // Resolving never changes the current folder.
  EXPECT_EQ(fs::current_path().string(), real);

  ASSERT_EQ(::chdir(previous.c_str()), 0);
}

TEST(FileSystem, ExistenceTestsTellFilesFromFolders) {
  TempFolder folder;
  writeFile(folder / "file", "x");
  fs::create_directory(folder / "dir");
  fs::create_symlink(folder / "dir", folder / "link");
  fs::create_symlink(folder / "nothing", folder / "dangling");
  fs::create_symlink("loop", folder / "loop");
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

  // name: file exists, is a folder, path exists, what stands there
  using vn::PathKind;
  const std::tuple<std::string, bool, bool, bool, PathKind> cases[] = {
      {"file", true, false, true, PathKind::kFile},
      {"dir", false, true, true, PathKind::kFolder},
      {"link", false, true, true, PathKind::kFolder},
      {"dangling", false, false, true, PathKind::kUnreachable},
      {"loop", false, false, true, PathKind::kUnreachable},
      {"missing", false, false, false, PathKind::kAbsent},
      {"file/below", false, false, false, PathKind::kAbsent},
      {"missing/below", false, false, false, PathKind::kAbsent},
      {"fifo", false, false, true, PathKind::kSpecial}};  // must not block
  for (const auto& [name, file, directory, exists, kind] : cases) {
    EXPECT_EQ(vn::fileExists(folder / name), file) << name;
    EXPECT_EQ(vn::isDirectory(folder / name), directory) << name;
    EXPECT_EQ(vn::pathExists(folder / name), exists) << name;
    EXPECT_EQ(vn::pathKind(folder / name), kind) << name;

    // A failed open tells a missing file from one that is there.
    vn::InputFile input;
    if (!input.open(folder / name)) {
      EXPECT_EQ(input.absent(), kind == PathKind::kAbsent) << name;
      EXPECT_NE(input.openError(), 0) << name;
    }
  }
  EXPECT_EQ(vn::pathKind(""), PathKind::kAbsent);
  EXPECT_FALSE(vn::fileExists(""));
  EXPECT_FALSE(vn::isDirectory(""));

  EXPECT_EQ(vn::makeDirectory(folder / "new"), 0);
  EXPECT_EQ(vn::makeDirectory(folder / "new"), -1);
  EXPECT_NO_THROW(vn::makeFolder(folder / "new"));
  try {
    vn::makeFolder(folder / "missing/deeper");
    FAIL() << "no exception";
  } catch (const vn::FolderCreationError& error) {
    EXPECT_EQ(std::string(error.what()), folder / "missing/deeper" + ": No such file or directory");
  }
}

TEST(FileSystem, ListingIsSortedAndTellsRealFolders) {
  TempFolder folder;
  for (const char* name : {"b", "a", "C", "a.txt"}) writeFile(folder / name, "");
  fs::create_directory(folder / "sub");
  fs::create_directory_symlink(folder / "sub", folder / "zlink");
  const auto entries = vn::listFolder(folder.path());
  ASSERT_TRUE(entries);
  std::vector<std::string> names;
  for (const auto& entry : *entries) names.push_back(entry.name + (entry.isFolder ? "/" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"C", "a", "a.txt", "b", "sub/", "zlink"}));
  EXPECT_FALSE(vn::listFolder(folder / "a"));
}

TEST(FileSystem, RemoveFolderPrintsEachChildAndNeverFollowsLinks) {
  TempFolder folder;
  const std::string tree = folder / "Font.ufo";
  fs::create_directories(tree + "/glyphs");
  fs::create_directory(folder / "outside");
  writeFile(folder / "outside/keep.txt", "keep");
  writeFile(tree + "/metainfo.plist", "m");
  writeFile(tree + "/glyphs/a.glif", "a");
  writeFile(tree + "/glyphs/B_.glif", "b");
  fs::create_directory_symlink(folder / "outside", tree + "/link");

  std::ostringstream lines;
  EXPECT_FALSE(vn::removeFolder(tree, lines));
  EXPECT_EQ(lines.str(), tree + "/glyphs directory\n" + tree + "/glyphs/B_.glif file\n" + tree +
                             "/glyphs/a.glif file\n" + tree + "/link file\n" + tree +
                             "/metainfo.plist file\n");
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_EQ(readFile(folder / "outside/keep.txt"), "keep");

  // A link given as the folder itself is removed, not what it points to.
  fs::create_directory_symlink(folder / "outside", folder / "alias");
  std::ostringstream none;
  vn::removeFolder(folder / "alias", none);
  EXPECT_EQ(none.str(), "");
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "alias")));
  EXPECT_TRUE(fs::exists(folder / "outside/keep.txt"));

  // A plain file is removed too (after the listing failure on the error stream).
  writeFile(folder / "plain", "x");
  vn::removeFolder(folder / "plain", none);
  EXPECT_FALSE(fs::exists(folder / "plain"));
}


}  // namespace
