// Hostile feature text and binary layout tables, through otltool (compile, import,
// roundtrip) and through the program (a UFO whose features.fea is hostile, converted to a
// native file and back). Every run must end in order: no signal, exit 0 or 1 (1 with a
// message), at most kPeakKilobytes of memory and kWallSeconds of time; the program keeps a
// features.fea it could not compile byte for byte through UFO -> native -> UFO.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "layout_hostile_run.h"

namespace {

using namespace layout_hostile;

// The glyph names of the otltool runs: g0 .. g65534, the most a font may hold.
constexpr int kGlyphs = 65535;

std::string bigClass(const std::string& name, size_t members, size_t shift) {
  std::string text = "@" + name + " = [";
  text.reserve(members * 8);
  for (size_t i = 0; i < members; ++i) text += " g" + std::to_string((i + shift) % kGlyphs);
  return text + "];\n";
}

// One hostile feature text: writes features.fea (and whatever it includes) into a folder.
struct FeaCase {
  const char* name;
  std::function<void(const fs::path&)> make;
  int otlExit;  // of otltool compile and import
  // The program compiles the text: a small table may name ranges of every glyph index
  // (the UFO has 3 glyphs, the text 65,532 more, all given ids after the font's).
  bool programCompiles = false;
};

void fea(const fs::path& folder, const std::string& text) { writeFile(folder / "features.fea", text); }

std::vector<FeaCase> feaCases() {
  return {
      {"include loop",
       [](const fs::path& f) {
         fea(f, "include(a.fea);\n");
         writeFile(f / "a.fea", "include(b.fea);\n");
         writeFile(f / "b.fea", "include(a.fea);\n");
       },
       1},
      {"include of itself", [](const fs::path& f) { fea(f, "include(features.fea);\n"); }, 1},
      {"include of a folder",
       [](const fs::path& f) {
         fs::create_directories(f / "folder.fea");
         fea(f, "include(folder.fea);\n");
       },
       1},
      {"include of a FIFO",
       [](const fs::path& f) {
         ::mkfifo((f / "pipe.fea").c_str(), 0600);
         fea(f, "include(pipe.fea);\n");
       },
       1},
      {"include of a missing file", [](const fs::path& f) { fea(f, "include(nowhere/missing.fea);\n"); }, 1},
      {"10,000-deep feature blocks",
       [](const fs::path& f) { fea(f, repeat("feature liga {\n", 10000) + "sub g1 by g2;\n" + repeat("} liga;\n", 10000)); },
       1},
      {"10,000-deep lookup blocks",
       [](const fs::path& f) { fea(f, repeat("lookup L {\n", 10000) + "sub g1 by g2;\n" + repeat("} L;\n", 10000)); },
       1},
      {"10,000-deep classes",
       [](const fs::path& f) { fea(f, "@c = " + repeat("[", 10000) + "g1" + repeat("]", 10000) + ";\n"); }, 1},
      {"a class of 1,000,000 glyphs",
       [](const fs::path& f) { fea(f, bigClass("A", 1000000, 0) + "feature kern { pos @A g1 -10; } kern;\n"); },
       kEither, true},
      {"the cross product of two classes of 1,000,000 glyphs",
       [](const fs::path& f) {
         fea(f, bigClass("A", 1000000, 0) + bigClass("B", 1000000, 17) + "feature kern { enum pos @A @B -10; } kern;\n");
       },
       kEither},
      {"a number past 32 bits in a value",
       [](const fs::path& f) { fea(f, "feature kern { pos g1 g2 99999999999999999999; } kern;\n"); }, 1},
      {"a number past 32 bits in an anchor",
       [](const fs::path& f) {
         fea(f, "markClass g3 <anchor 4294967296 0> @M;\nfeature mark { pos base g1 <anchor 0 -4294967297> mark @M; } mark;\n");
       },
       1},
      {"a number past 32 bits in a lookup flag",
       [](const fs::path& f) { fea(f, "lookup L { lookupflag 4294967298; sub g1 by g2; } L;\n"); }, 1},
      {"a number past 32 bits in a glyph id", [](const fs::path& f) { fea(f, "@c = [\\4294967297];\n"); }, 1},
      {"100,000 lookups",
       [](const fs::path& f) {
         std::string text;
         for (int i = 0; i < 100000; ++i) text += "lookup L" + std::to_string(i) + " { sub g1 by g2; } L" + std::to_string(i) + ";\n";
         text += "feature liga {\n";
         for (int i = 0; i < 100000; ++i) text += "lookup L" + std::to_string(i) + ";\n";
         fea(f, text + "} liga;\n");
       },
       kEither},
      {"a 10 MB line",
       [](const fs::path& f) { fea(f, "feature liga { sub g1 by g" + std::string(10 << 20, '7') + "; } liga;\n"); },
       kEither},
      {"a 10 MB class line", [](const fs::path& f) { fea(f, "@c = [" + repeat(" g1 g2", (10 << 20) / 6) + "];\n"); }, kEither},
      {"invalid UTF-8",
       [](const fs::path& f) {
         fea(f, "# \xff\xfe\xc3\x28\n@c = [g1 g\xc3\x28 g\xed\xa0\x80];\nfeature liga { sub g1 by g2; } liga;\n"
                "table name { nameid 9 \"\xff\xfe\xc0\xaf\"; } name;\n");
       },
       kEither},
  };
}


constexpr const char* kNotCompiled = "not compiled:";

class LayoutHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    glyphs_ = scratch_.path() / "glyphs.txt";
    std::string names;
    for (int i = 0; i < kGlyphs; ++i) names += "g" + std::to_string(i) + "\n";
    writeFile(glyphs_, names);
  }
  RunResult tool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{TARNWICK_OTLTOOL};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command, scratch_.path());
  }
  RunResult program(const fs::path& input, const fs::path& output) {
    return run({TARNWICK_EXE, "-s", input.string(), output.string()}, scratch_.path());
  }

  ScratchFolder scratch_;
  fs::path glyphs_;
};

TEST_F(LayoutHostile, FeatureTextThroughOtltoolAndTheProgram) {
  int index = 0;
  for (const FeaCase& hostileCase : feaCases()) {
    const fs::path folder = scratch_.path() / ("case" + std::to_string(index++));
    const fs::path text = folder / "fea";
    fs::create_directories(text);
    hostileCase.make(text);
    for (const char* verb : {"compile", "import"}) {
      const RunResult result = tool({verb, glyphs_.string(), (text / "features.fea").string(), (folder / verb).string()});
      expectInOrder(result, hostileCase.otlExit, std::string(hostileCase.name) + ", otltool " + verb);
    }

    // The program: the same files inside a UFO, to a native file and back.
    const fs::path ufo = folder / "font.ufo";
    writeUfo(ufo);
    hostileCase.make(ufo);
    const fs::path native = folder / "font.qtf";
    const fs::path back = folder / "back.ufo";
    const RunResult there = program(ufo, native);
    expectInOrder(there, 0, std::string(hostileCase.name) + ", UFO -> native");
    if (there.exitCode != 0) continue;
    // A text kept uncompiled says why.
    const size_t why = there.output.find(kNotCompiled);
    if (hostileCase.programCompiles) {
      EXPECT_EQ(why, std::string::npos) << hostileCase.name << ": " << there.output.substr(why == std::string::npos ? 0 : why, 300);
    }
    if (why != std::string::npos) {
      const size_t reason = why + std::string(kNotCompiled).size();
      EXPECT_NE(there.output.substr(reason, there.output.find('\n', reason) - reason).find_first_not_of(" \r"),
                std::string::npos)
          << hostileCase.name << ": no reason given: " << there.output.substr(0, 300);
    }
    const RunResult home = program(native, back);
    expectInOrder(home, 0, std::string(hostileCase.name) + ", native -> UFO");
    EXPECT_TRUE(readAll(back / "features.fea") == readAll(ufo / "features.fea"))
        << hostileCase.name << ": features.fea changed on the way";
    fs::remove_all(folder);
  }
}

// ---- binary tables

using Bytes = std::string;

void put16(Bytes& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value >> 8);
  bytes[at + 1] = static_cast<char>(value & 0xFF);
}

Bytes be16(std::initializer_list<uint16_t> values) {
  Bytes out;
  for (uint16_t value : values) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xFF);
  }
  return out;
}

// A layout header of version 1.0 with empty script and feature lists and one lookup of
// `type` whose single subtable is an Extension subtable pointing at itself.
Bytes extensionLoop(uint16_t type, uint16_t wrapped) {
  return be16({1, 0, 10, 12, 14}) + be16({0}) + be16({0}) + be16({1, 4}) + be16({type, 0, 1, 8}) +
         be16({1, wrapped, 0, 0});
}

TEST_F(LayoutHostile, BinaryTablesThroughOtltool) {
  // Sound tables to spoil, from the compiler.
  const fs::path source = scratch_.path() / "sound";
  writeFile(source / "features.fea",
            "languagesystem DFLT dflt;\n@A = [g1 g2 g3 g4];\n"
            "feature liga { sub g1 g2 by g3; sub g4' g5 by g6; } liga;\n"
            "feature kern { pos g1 g2 -30; pos @A @A -10; } kern;\n"
            "markClass g7 <anchor 0 0> @M;\nfeature mark { pos base g1 <anchor 100 200> mark @M; } mark;\n");
  const RunResult compiled = tool({"compile", glyphs_.string(), (source / "features.fea").string(), (source / "tables").string()});
  ASSERT_EQ(compiled.exitCode, 0) << describe(compiled);
  const Bytes gsub = readAll(source / "tables" / "GSUB");
  const Bytes gpos = readAll(source / "tables" / "GPOS");
  ASSERT_GT(gsub.size(), 20u);
  ASSERT_GT(gpos.size(), 20u);

  struct TableCase {
    const char* name;
    const char* table;
    Bytes bytes;
  };
  auto spoiled = [](Bytes bytes, size_t at, uint16_t value) {
    put16(bytes, at, value);
    return bytes;
  };
  const uint16_t gposLookups = static_cast<uint16_t>((uint8_t(gpos[8]) << 8) | uint8_t(gpos[9]));
  const std::vector<TableCase> cases{
      {"GSUB truncated to half", "GSUB", gsub.substr(0, gsub.size() / 2)},
      {"GPOS truncated to 7 bytes", "GPOS", gpos.substr(0, 7)},
      {"GSUB lookup list past the end", "GSUB", spoiled(gsub, 8, 0xFFF0)},
      {"GPOS feature list past the end", "GPOS", spoiled(gpos, 6, static_cast<uint16_t>(gpos.size() + 2))},
      {"GSUB huge lookup count", "GSUB", spoiled(gsub, static_cast<size_t>((uint8_t(gsub[8]) << 8) | uint8_t(gsub[9])), 0xFFFF)},
      {"GPOS huge lookup count", "GPOS", spoiled(gpos, gposLookups, 0xFFFF)},
      {"GPOS huge script count", "GPOS", spoiled(gpos, static_cast<size_t>((uint8_t(gpos[4]) << 8) | uint8_t(gpos[5])), 0xFFFF)},
      {"GSUB Extension pointing at itself", "GSUB", extensionLoop(7, 7)},
      {"GSUB Extension wrapping a single substitution at itself", "GSUB", extensionLoop(7, 1)},
      {"GPOS Extension pointing at itself", "GPOS", extensionLoop(9, 9)},
      {"GPOS Extension wrapping a pair adjustment at itself", "GPOS", extensionLoop(9, 2)},
      {"GDEF truncated", "GDEF", be16({1, 2, 0xFFFF})},
  };
  int index = 0;
  for (const TableCase& hostileCase : cases) {
    const fs::path in = scratch_.path() / ("tables" + std::to_string(index++));
    writeFile(in / hostileCase.table, hostileCase.bytes);
    const RunResult result = tool({"roundtrip", glyphs_.string(), in.string(), (in / "out").string()});
    expectInOrder(result, kEither, hostileCase.name);
  }
}

}  // namespace
