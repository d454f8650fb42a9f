// Folder access of the reader and writer: member names that leave the folder, folders
// with URI characters in their names, member folders made one level deep.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform/path_parts.h"
#include "ufo/parser.h"
#include "ufo_fixtures.h"
#include "xml/uri.h"

namespace {

namespace fs = std::filesystem;

TEST(FolderAccess, MemberNamesThatLeaveTheFolderAreRefused) {
  const std::pair<std::string, bool> cases[] = {
      {"glyphs/A_.glif", true}, {"a..b.glif", true},  {"%2e%2e/x", true},  // literal: a folder "%2e%2e"
      {"", false},              {"../x.glif", false}, {"glyphs/../../x", false}, {"glyphs\\..\\x", false},
      {"..", false},            {"/etc/passwd", false}, {"C:x", false},    {std::string("a\0b", 3), false},
  };
  for (const auto& [name, safe] : cases) EXPECT_EQ(vn::isSafeMemberName(name), safe) << name;
  EXPECT_EQ(xml::Uri::decodePercent("a%20b%2e%zz%4"), "a b.%zz%4");
}

TEST(FolderAccess, FontsAreWrittenIntoAndReadFromFoldersWithUriCharacters) {
  ufotest::TempFolder temp;
  for (const char* name : {"with#hash.ufo", "with?query.ufo", "with%20percent.ufo", "dots..ufo"}) {
    ufotest::BuiltFont built;
    built.addGlyph("a b");
    const fs::path ufo = temp.path() / name;
    ASSERT_TRUE(ufotest::writeUfo(built.pair, ufo)) << name;
    EXPECT_TRUE(fs::exists(ufo / "glyphs" / "a b.glif")) << name;
    ufotest::ReadResult back;
    ufotest::readUfo(ufo.string() + "/", back);
    EXPECT_TRUE(back.ok) << name << back.out;
    EXPECT_EQ(back.glyphNames(), std::vector<std::string>{"a b"}) << name;
  }
  // Nothing was written beside the folders.
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 4);
}

// Members are opened only when they are regular files: a stream on a FIFO would block.
TEST(FolderAccess, OnlyRegularMembersOpenAsStreams) {
  ufotest::TempFolder temp;
  std::ofstream(temp.path() / "file.plist") << "x";
  ASSERT_EQ(::mkfifo((temp.path() / "pipe.plist").c_str(), 0600), 0);
  fs::create_directory(temp.path() / "folder.plist");
  fs::create_symlink("loop.plist", temp.path() / "loop.plist");
  ufo::Parser parser;
  parser.setBase(temp.path().string() + "/");
  for (const auto& [member, opens] : {std::pair{"file.plist", true}, std::pair{"pipe.plist", false},
                                      std::pair{"folder.plist", false}, std::pair{"loop.plist", false},
                                      std::pair{"missing.plist", false}}) {
    std::ifstream in;
    EXPECT_EQ(parser.openInput(member, in), opens) << member;
  }
}

TEST(FolderAccess, TheFolderOfAMemberIsMadeOneLevelDeepOnly) {
  ufotest::TempFolder temp;
  EXPECT_TRUE(vn::ensureFolderOf((temp.path() / "glyphs" / "contents.plist").string()));
  EXPECT_TRUE(fs::is_directory(temp.path() / "glyphs"));
  EXPECT_FALSE(vn::ensureFolderOf((temp.path() / "a" / "b" / "c.plist").string()));
}

}  // namespace
