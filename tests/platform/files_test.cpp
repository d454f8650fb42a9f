// Member-name checks, folder creation and files written under a temporary name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform_helpers.h"
#include "procfs_text.h"

namespace {

using testing_platform::ProcfsText;
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

// A file is read to its end, whatever size its status gave when it was opened: procfs
// files give 0, a file may grow after the open. The limit holds for what is read, and a
// read that fails is told apart from an empty file.
TEST(InputFile, ReadsToTheEndWithinTheLimit) {
  using Outcome = vn::InputFile::ReadOutcome;
  TempFolder root;
  const std::string large(200 * 1024 + 7, 'g');  // past the first growth of the buffer
  ProcfsText procfs("<plist version=\"1.0\"><dict/></plist>");
  ASSERT_TRUE(procfs.ready()) << "no procfs file of known text could be made";
  struct Case {
    std::string what;
    std::string path;
    std::uint64_t limit;
    std::function<void()> afterOpen;  // what happens between the open and the read
    Outcome outcome;
    std::string text;  // read, when the outcome is kRead
  };
  const std::string plain = root / "plain";
  writeFile(plain, "abc");
  const std::string grown = root / "grown";
  const std::string empty = root / "empty";
  writeFile(empty, "");
  const Case cases[] = {
      {"a plain file", plain, 10, {}, Outcome::kRead, "abc"},
      {"a file of the limit", plain, 3, {}, Outcome::kRead, "abc"},
      {"a file past the limit", plain, 2, {}, Outcome::kTooLarge, ""},
      {"an empty file", empty, 0, {}, Outcome::kRead, ""},
      {"a file that grew", grown, UINT64_MAX, [&] { writeFile(grown, large); }, Outcome::kRead, large},
      {"a file that grew past the limit", grown, large.size() - 1, [&] { writeFile(grown, large); },
       Outcome::kTooLarge, ""},
      {"a procfs file", procfs.path(), 1 << 20, {}, Outcome::kRead, procfs.contents()},
      {"a procfs file past the limit", procfs.path(), procfs.contents().size() - 1, {}, Outcome::kTooLarge, ""},
      {"a procfs file whose read fails", "/proc/self/mem", 1 << 20, {}, Outcome::kFailed, ""},
  };
  for (const Case& c : cases) {
    writeFile(grown, "short");
    vn::InputFile file;
    ASSERT_TRUE(file.open(c.path)) << c.what;
    ASSERT_TRUE(file.isRegular()) << c.what;
    if (c.path.starts_with("/proc/")) {
      EXPECT_EQ(file.size(), 0u) << c.what;
    }
    if (c.afterOpen) c.afterOpen();
    std::string text = "left over";
    EXPECT_EQ(file.readAll(text, c.limit), c.outcome) << c.what;
    EXPECT_EQ(text, c.text) << c.what;
    EXPECT_EQ(file.readError(), c.outcome == Outcome::kFailed ? EIO : 0) << c.what;
  }
}

}  // namespace
