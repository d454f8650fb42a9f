// A native file whose masters cannot be read: each is named by its number, and the run
// ends as a failed read instead of succeeding with fewer fonts than the file holds.
#include <gtest/gtest.h>

#include "support/qtf_builder.h"
#include "test_helpers.h"

namespace {

using testing_app::RunResult;
using testing_app::runProgram;
using testing_app::TempFolder;

TEST(MasterFailure, EveryUnreadableMasterIsNamedAndTheRunFails) {
  TempFolder folder;
  qtftest::FileBuilder file;
  file.begin().fontInfo(2);
  for (const char* name : {"a", "b", "c"}) file.glyph(qtftest::GlyphRecord().name(name).advance({{500, 0}, {600, 0}}));
  std::string bytes = file.end().str();
  testing_app::writeFile(folder / "sound.qtf", bytes);
  ASSERT_EQ(runProgram(folder.path(), {"-s", "-l", "sound.qtf"}).exitCode, 0);

  // Cut inside the glyph records: the master count is still found, no master reads.
  bytes.resize(bytes.size() - 12);
  testing_app::writeFile(folder / "cut.qtf", bytes);
  const RunResult run = runProgram(folder.path(), {"-s", "cut.qtf"});
  EXPECT_EQ(run.exitCode, 253) << run.out;  // -3, a failed read
  for (const char* line : {"Master 1 of 2 (\"", "Master 2 of 2 (\""}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
  EXPECT_NE(run.out.find("in source font file \"cut.qtf\" cannot be read: "), std::string::npos) << run.out;
}

// A mask element that does not decode is a failed read, as a body element is; it is not
// kept half read.
TEST(MasterFailure, AMaskElementThatDoesNotDecodeFailsTheRead) {
  TempFolder folder;
  for (const bool broken : {false, true}) {
    qtftest::FileBuilder file;
    file.begin().fontInfo(std::nullopt);
    file.glyph(qtftest::GlyphRecord().name("a").advance(500));
    // No weights, then an element of one master that announces four nodes and holds none.
    const qtftest::Bytes mask = broken ? qtftest::Payload().n(0).n(1).n(0).n(4).bytes()
                                       : qtftest::Payload().n(0).n(1).n(0).n(0).bytes();
    file.add(2009, mask);
    testing_app::writeFile(folder / "mask.qtf", file.end().str());
    const RunResult run = runProgram(folder.path(), {"-s", "-fo", "mask.qtf"});
    EXPECT_EQ(run.exitCode, broken ? 253 : 0) << run.out;
    EXPECT_EQ(run.out.find("Master 1 of 1 (\"") != std::string::npos, broken) << run.out;
  }
}

// The message says where the read stopped: the record's tag and the byte offset of its
// header, or the header when the file is cut inside one.
TEST(MasterFailure, TheMessageNamesTheRecordAndItsOffset) {
  struct Case {
    const char* what;
    uint16_t tag;           // the record added after the sound glyph
    qtftest::Bytes payload;
    qtftest::Framing framing;
    size_t cut;             // bytes cut from the end of the finished file
    const char* place;      // with "@" for the offset of the added record
  };
  const Case cases[] = {
      {"a glyph record with a wrong signature", 2001, qtftest::GlyphRecord().signature({0, 0, 0, 0}).bytes(), {}, 0,
       "record 2001 at byte @"},
      {"a glyph record longer than the file", 2001, qtftest::GlyphRecord().name("b").bytes(),
       qtftest::Framing{100000}, 0, "record 2001 at byte @"},
      {"a mask element that does not decode", 2009, qtftest::Payload().n(0).n(1).n(0).n(4).bytes(), {}, 0,
       "record 2009 at byte @"},
      {"a file cut inside the record header after the glyph", 2001, qtftest::GlyphRecord().name("b").bytes(), {},
       7, "the record header at byte "},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    qtftest::FileBuilder file;
    file.begin().fontInfo(std::nullopt);
    file.glyph(qtftest::GlyphRecord().name("a").advance(500));
    file.add(c.tag, c.payload, c.framing);
    const size_t offset = file.recordOffset(file.recordCount() - 1);
    std::string bytes = file.end().str();
    bytes.resize(bytes.size() - c.cut);
    testing_app::writeFile(folder / "bad.qtf", bytes);
    const RunResult run = runProgram(folder.path(), {"-s", "bad.qtf"});
    std::string place = c.place;
    if (const size_t at = place.find('@'); at != std::string::npos) place.replace(at, 1, std::to_string(offset));
    EXPECT_EQ(run.exitCode, 253) << c.what << "\n" << run.out;
    EXPECT_NE(run.out.find("Master 1 of 1 (\""), std::string::npos) << c.what << "\n" << run.out;
    EXPECT_NE(run.out.find("\"bad.qtf\" cannot be read: " + place), std::string::npos) << c.what << "\n" << run.out;
  }
}

}  // namespace
