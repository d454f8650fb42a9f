// Work and messages on the layout road: a layout XML document with one long attribute or
// a feature listed again and again, a binary GPOS whose pair sets all share one offset,
// glyph ids past the 16-bit range, a context too long to read back, and a compile that
// runs out of memory. Every run ends in order within layout_road::kSecondsBound and says
// what failed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "layout_road_support.h"

namespace {

using namespace layout_road;

constexpr const char* kFeatures =
    "languagesystem DFLT dflt;\n@A = [g1 g2];\n"
    "feature liga { sub g1 g2 by g3; } liga;\nfeature kern { pos g1 g2 -30; pos @A g3 -10; } kern;\n";
constexpr const char* kLayoutDocument = "data/com.quorvel.v2.otl.ttx.xml";

class LayoutRoadBounds : public ::testing::Test {
 protected:
  fs::path path(const std::string& name) const { return scratch_.path() / name; }
  // The layout XML document of kFeatures, as otltool writes it.
  std::string soundDocument() {
    writeFile(path("glyphs4.txt"), "g0\ng1\ng2\ng3\n");
    writeFile(path("sound/features.fea"), kFeatures);
    const RunResult compiled = tool(
        {"compile", path("glyphs4.txt").string(), path("sound/features.fea").string(), path("sound/tables").string()},
        scratch_.path());
    EXPECT_EQ(compiled.exitCode, 0) << layout_hostile::describe(compiled);
    const RunResult written = tool(
        {"xml", path("glyphs4.txt").string(), path("sound/tables").string(), path("sound/layout.xml").string()},
        scratch_.path());
    EXPECT_EQ(written.exitCode, 0) << layout_hostile::describe(written);
    return readAll(path("sound/layout.xml"));
  }
  ScratchFolder scratch_;
};

// One attribute of 64 MiB: read in time linear in its length and refused by its length;
// through the program the layout then comes from features.fea, which stays verbatim. The
// archive of it, some 100 KB, is refused before it is unpacked: it would unpack to far more
// than 32 times its size.
TEST_F(LayoutRoadBounds, ALongAttributeIsReadInLinearTimeAndRefused) {
  const std::string sound = soundDocument();
  const size_t root = sound.find("<OTLayout>");
  ASSERT_NE(root, std::string::npos);
  const std::string document =
      sound.substr(0, root) + "<OTLayout a=\"" + std::string(std::size_t{64} << 20, 'x') + "\">" +
      sound.substr(root + std::string("<OTLayout>").size());
  writeFile(path("long.xml"), document);
  const RunResult read =
      tool({"readxml", path("glyphs4.txt").string(), path("long.xml").string(), path("long-tables").string()},
           scratch_.path());
  expectBounded(read, 1, "attribute value is longer", "otltool readxml of a 64 MiB attribute");

  const fs::path ufo = path("font.ufo");
  writeUfo(ufo);
  writeFile(ufo / "features.fea", kFeatures);
  writeFile(ufo / kLayoutDocument, document);
  packFolder(ufo, "font.ufo", path("font.ufoz"));
  for (const fs::path& input : {ufo, path("font.ufoz")}) {
    const std::string what = input.filename().string() + " holding a 64 MiB attribute";
    fs::remove_all(path("font.qtf"));
    fs::remove_all(path("back.ufo"));
    const RunResult there = program({"-s", "-ttx", input.string(), path("font.qtf").string()}, scratch_.path());
    if (input.extension() == ".ufoz") {
      expectBounded(there, 103, "unpacks to more than it may: 32 times its size", what + ", UFO -> native");
      continue;
    }
    expectBounded(there, 0, "", what + ", UFO -> native");
    const RunResult home = program({"-s", path("font.qtf").string(), path("back.ufo").string()}, scratch_.path());
    expectBounded(home, 0, "", what + ", native -> UFO");
    EXPECT_EQ(readAll(path("back.ufo/features.fea")), kFeatures) << what;
  }
}

// A GPOS of one pair-positioning subtable whose `sets` pair-set offsets all point at one
// spot inside the offset array: each "pair set" there counts `shared` records.
std::string sharedPairSets(uint16_t shared, uint16_t sets) {
  std::string bytes;
  auto be = [&bytes](uint32_t value) {
    bytes += static_cast<char>((value >> 8) & 0xFF);
    bytes += static_cast<char>(value & 0xFF);
  };
  for (uint32_t v : {1u, 0u, 0u, 0u, 10u}) be(v);  // header: version, lists at 0, lookups at 10
  for (uint32_t v : {1u, 4u}) be(v);              // one lookup at 4
  for (uint32_t v : {2u, 0u, 1u, 8u}) be(v);      // type 2, flag 0, one subtable at 8
  const size_t subtable = bytes.size();
  const uint32_t coverage = 10 + 2 * sets;
  for (uint32_t v : {1u, coverage, 4u, 0u, static_cast<uint32_t>(sets)}) be(v);
  for (uint16_t i = 0; i < sets; ++i) be(shared);
  for (uint32_t v : {2u, 1u, 0u, 65534u, 0u}) be(v);  // coverage: one range over every glyph
  while (bytes.size() - subtable < size_t{shared} + 2 + size_t{shared} * 4 + 16) be(shared);
  return bytes;
}

TEST_F(LayoutRoadBounds, SharedPairSetsKeepMemoryAndTimeSmall) {
  writeGlyphList(path("glyphs.txt"), 65535);
  const std::string table = sharedPairSets(20000, 10000);  // 100 KB
  writeFile(path("shared/GPOS"), table);
  for (const std::string verb : {"roundtrip", "fea"}) {
    const std::string output = path("out-" + verb).string();
    const RunResult result = tool({verb, path("glyphs.txt").string(), path("shared").string(), output}, scratch_.path());
    expectBounded(result, layout_hostile::kEither, "", "otltool " + verb + " of shared pair sets");
    // The records kept are at most four times what 100 KB could hold unshared.
    if (!hostile::kSanitized) {
      EXPECT_LE(result.peakKilobytes, 400 * 1024) << verb;
    }
  }
}

// A UFO's layout document whose language system lists its feature 2,000 times, the
// Feature listing its lookup 300 times: read as one listing of 300 lookups, with one line
// saying so, where every listing once went into the model (600,000 lookup indices).
TEST_F(LayoutRoadBounds, AFeatureListedAgainIsKeptOnce) {
  std::string document = soundDocument();
  const std::pair<const char*, size_t> repeats[] = {{"<FeatureIndex ", 2000}, {"<LookupListIndex ", 300}};
  for (const auto& [element, times] : repeats) {
    const size_t at = document.rfind('\n', document.find(element)) + 1;
    const std::string line = document.substr(at, document.find('\n', at) + 1 - at);
    std::string repeated;
    for (size_t i = 1; i < times; ++i) repeated += line;
    document.insert(at, repeated);
  }
  const fs::path ufo = path("listed.ufo");
  writeUfo(ufo);
  writeFile(ufo / "features.fea", kFeatures);
  writeFile(ufo / kLayoutDocument, document);
  const RunResult result = program({"-s", "-ttx", ufo.string(), path("listed.qtf").string()}, scratch_.path());
  expectBounded(result, 0, "a language system lists a feature again", "a feature listed 2,000 times");
}

// Glyph ids 65,535 and up cannot stand in a layout table: a rule naming such a glyph stops
// the compile with its name, rather than "not found" or a wrapped id.
TEST_F(LayoutRoadBounds, GlyphsPastTheSixteenBitIdsAreNamed) {
  writeGlyphList(path("glyphs.txt"), 70000);
  for (const std::string glyph : {"g65535", "g65536", "g69999"}) {
    writeFile(path("ids/features.fea"), "feature liga { sub " + glyph + " by g1; } liga;\n");
    const RunResult result =
        tool({"compile", path("glyphs.txt").string(), path("ids/features.fea").string(), path("ids/out").string()},
             scratch_.path());
    expectBounded(result, 1, "\"" + glyph + "\" has a glyph id past 65534", glyph);
  }
  writeFile(path("ids/features.fea"), "feature liga { sub g65534 by g1; } liga;\n");
  const RunResult last =
      tool({"compile", path("glyphs.txt").string(), path("ids/features.fea").string(), path("ids/out").string()},
           scratch_.path());
  expectBounded(last, 0, "", "g65534, the last id");
}

// A context of 5,000 glyphs compiles and its table reads back: the reader's limit is the
// 16-bit count of a glyph sequence, and the table's bytes and the read budget bound the work.
TEST_F(LayoutRoadBounds, AContextOfFiveThousandGlyphsReadsBack) {
  writeGlyphList(path("glyphs.txt"), 100);
  writeFile(path("ctx/features.fea"),
            "lookup S { sub g1 by g2; } S;\nfeature calt { sub " + repeat("g3 ", 2500) + "g1' lookup S " +
                repeat("g4 ", 2500) + "; } calt;\n");
  const RunResult result =
      tool({"import", path("glyphs.txt").string(), path("ctx/features.fea").string(), path("ctx/out").string()},
           scratch_.path());
  expectBounded(result, 0, "", "otltool import of a 5,000-glyph context");
}

// A compile that runs out of memory says so, with the file and line it stopped at.
TEST_F(LayoutRoadBounds, ACompileOutOfMemorySaysSo) {
  if (hostile::kSanitized) GTEST_SKIP() << "the address-space limit cannot apply under the sanitizers";
  writeGlyphList(path("glyphs.txt"), 1000);
  // Every class is a copy of a 1,000-glyph class: the nodes outgrow 128 MB long before the
  // compiler's own node bound.
  std::string text = "@ALL = [";
  for (int i = 0; i < 1000; ++i) text += " g" + std::to_string(i);
  text += "];\n";
  for (int i = 0; i < 400; ++i) text += "@C" + std::to_string(i) + " = [@ALL @ALL @ALL @ALL @ALL @ALL @ALL @ALL];\n";
  writeFile(path("oom/features.fea"), text);
  RunSetting small;
  small.addressLimit = rlim_t{128} << 20;
  const RunResult result =
      tool({"compile", path("glyphs.txt").string(), path("oom/features.fea").string(), path("oom/out").string()},
           scratch_.path(), small);
  expectBounded(result, 1, "out of memory", "a compile out of memory");
}

}  // namespace
