// Member-name checks, folder creation and files written under a temporary name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_system.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform_helpers.h"

namespace {

using testing_platform::readFile;
using testing_platform::TempFolder;
using testing_platform::writeFile;

TEST(FolderAccess, MemberNamesThatLeaveTheFolderAreRefused) {
  for (const char* safe : {"glyphs/A_.glif", "a..b.glif", "%2e%2e/x"}) {  // "%2e%2e": literal
    EXPECT_TRUE(vn::isSafeMemberName(safe)) << safe;
  }
  for (const char* unsafe : {"", "../x.glif", "glyphs/../../x", "glyphs\\..\\x", "..", "/etc/passwd", "C:x"}) {
    EXPECT_FALSE(vn::isSafeMemberName(unsafe)) << unsafe;
  }
  EXPECT_FALSE(vn::isSafeMemberName(std::string("a\0b", 3)));
}

TEST(FolderAccess, EnsureFolderMakesOneLevelOnly) {
  TempFolder root;
  const std::string one = root / "glyphs/contents.plist";
  EXPECT_TRUE(vn::ensureFolderOf(one));
  EXPECT_TRUE(vn::isDirectory(root / "glyphs"));
  EXPECT_TRUE(vn::ensureFolderOf(one));  // already there
  EXPECT_FALSE(vn::ensureFolderOf(root / "a/b/c.plist"));
  EXPECT_TRUE(vn::ensureFolderOf("bare-file-name"));
}

// Moved into place, the finished file would replace a FIFO or device standing there.
TEST(FolderAccess, PendingOutputNeverReplacesAFifo) {
  TempFolder root;
  const std::string target = root / "pipe";
  ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
  vn::PendingOutputFile file;
  EXPECT_FALSE(file.open(target));
  EXPECT_FALSE(vn::writeFileAtomically(target, "bytes"));
  EXPECT_EQ(vn::pathKind(target), vn::PathKind::kSpecial);
  EXPECT_EQ(root.entryCount(), 1u);
}

TEST(FolderAccess, PendingOutputAppearsOnlyWhenCommitted) {
  TempFolder root;
  const std::string target = root / "lib.plist";
  writeFile(target, "old");
  {
    vn::PendingOutputFile file;
    ASSERT_TRUE(file.open(target));
    file.stream() << "half";
  }  // dropped: the old file stays, no temporary is left
  EXPECT_EQ(readFile(target), "old");
  vn::PendingOutputFile file;
  ASSERT_TRUE(file.open(target));
  file.stream() << "new";
  EXPECT_TRUE(file.commit());
  EXPECT_EQ(readFile(target), "new");
  EXPECT_TRUE(vn::writeFileAtomically(target, "again"));
  EXPECT_EQ(readFile(target), "again");
  EXPECT_EQ(root.entryCount(), 1u);
  EXPECT_FALSE(vn::writeFileAtomically(root / "missing/x", "x"));
}

}  // namespace
