// CFF reader: real fonts against fontTools, built data for the fatal texts, hostile data.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "../../fuzz/cff_reader/cff_reader_entry.h"
#include "cff_font_build.h"
#include "feacompiler/tables/cff_reader.h"
#include "support/judge_passes.h"

namespace {

namespace fs = std::filesystem;
using cff_build::Bytes;
using cff_build::buildFont;

struct Outcome {
  bool failed = false;
  std::string text;
};

// Reads every glyph; the fatal text when the read failed.
Outcome readAll(const Bytes& data, std::vector<fea::CffGlyphInfo>* infos = nullptr) {
  fuzz::CffFuzzClient client(data);
  fea::CffReader reader(client);
  try {
    const uint32_t count = fea::cffGlyphCount(reader);
    for (uint32_t gid = 0; gid < count; ++gid) {
      auto info = fea::cffGetGlyphInfo(reader, gid);
      if (infos) infos->push_back(info);
    }
  } catch (const fuzz::CffFatal&) {
    return {true, client.lastText};
  }
  return {};
}

std::string pythonFor(const std::string& script) { return std::string(TARNWICK_PYTHON) + " " + script; }

TEST(CffReader, GlyphsAgreeWithFontToolsOnRealFonts) {
  TARNWICK_WHOLE_FONT_JUDGES();
  const fs::path fonts = "/usr/share/fonts/opentype/linux-libertine";
  const fs::path script = fs::path(TARNWICK_SOURCE_DIR) / "tests/feacompiler/data/cff_reference.py";
  if (std::system((pythonFor("-c 'import fontTools'") + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "fontTools not installed";
  const fs::path work = fs::temp_directory_path() / ("tarnwick_cff_" + std::to_string(::getpid()));
  fs::create_directories(work);
  int checked = 0;
  for (const char* name : {"LinLibertine_R.otf", "LinBiolinum_RI.otf"}) {
    if (!fs::exists(fonts / name)) GTEST_SKIP() << "fonts-linuxlibertine not installed";
    const fs::path cff = work / (std::string(name) + ".cff");
    const fs::path reference = work / (std::string(name) + ".txt");
    const std::string command = pythonFor(script.string() + " '" + (fonts / name).string() + "' '" +
                                          cff.string() + "' '" + reference.string() + "'");
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(cff, std::ios::binary);
    const Bytes data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<fea::CffGlyphInfo> infos;
    const Outcome outcome = readAll(data, &infos);
    ASSERT_FALSE(outcome.failed) << name << ": " << outcome.text;
    std::ifstream lines(reference);
    std::string line;
    size_t gid = 0;
    for (; std::getline(lines, line); ++gid) {
      ASSERT_LT(gid, infos.size()) << name;
      const auto& g = infos[gid];
      std::ostringstream ours;
      ours << gid << ' ' << g.hAdv << ' ';
      if (line.ends_with("empty")) {
        ours << "empty";
      } else {
        ours << g.xMin << ' ' << g.yMin << ' ' << g.xMax << ' ' << g.yMax;
      }
      EXPECT_EQ(ours.str(), line) << name;
      EXPECT_EQ(g.vAdv, -1000);
    }
    EXPECT_EQ(gid, infos.size()) << name;
    checked += static_cast<int>(gid);

    // Truncated and mutated copies end cleanly: all glyphs read, or one fatal text.
    const std::set<std::string> texts = {
        "premature end of data", "INDEX bounds", "reserved DICT op", "empty DICT",
        "reserved charstring op", "stack overflow", "stack underflow", "stack check",
        "range check\n", "bounds check (put)\n", "bounds check (get)\n", "bounds check (blend)\n",
        "bounds check (load)\n", "bounds check (store)\n", "unknown registry item\n",
        "divide by zero (div)", "bad seac\n", "reserved charset format", "reserved Encoding format",
        "supplement SID not found", "unknown CFF version", "multiple-font FontSet",
        "unsupported charstring type", "unsupported font type", "no CharStrings!", "bad FontMatrix",
        "reserved nibble code (BCD op)", "BCD buffer overflow", "charstring runs too long"};
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
      Bytes copy = data;
      if (round % 2 == 0) {
        copy.resize(random() % data.size());
      } else {
        for (int flips = 0; flips < 8; ++flips) copy[random() % copy.size()] = static_cast<uint8_t>(random());
      }
      const Outcome bad = readAll(copy);
      if (bad.failed) {
        EXPECT_EQ(texts.count(bad.text), 1u) << "round " << round << ": " << bad.text;
      }
    }
  }
  EXPECT_GT(checked, 1000);
  fs::remove_all(work);
}

TEST(CffReader, BuiltFontsGiveWidthsBoundsAndFatalTexts) {
  // width 20+50, box from a line and a curve bulging to y = 75 (control points at 100)
  const Bytes glyph = {139 + 20, 139 + 10, 139 + 10, 21,          // rmoveto, width
                       139 + 40, 139 + 0, 5,                      // rlineto
                       139 + 0, 139 + 100, 139 - 40, 139 + 0, 139 + 0, 139 - 100, 8,  // rrcurveto
                       14};
  std::vector<fea::CffGlyphInfo> infos;
  ASSERT_FALSE(readAll(buildFont({Bytes{14}, glyph}), &infos).failed);
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].hAdv, 100);  // default width
  EXPECT_EQ(infos[1].hAdv, 70);
  EXPECT_EQ(infos[1].xMin, 10);
  EXPECT_EQ(infos[1].xMax, 50);
  EXPECT_EQ(infos[1].yMin, 10);
  EXPECT_EQ(infos[1].yMax, 85);  // the curve's extreme, not its control points

  const struct {
    Bytes data;
    const char* text;
  } cases[] = {
      {buildFont({Bytes{14}}, 2), "unknown CFF version"},
      {buildFont({Bytes{14}}, 1, 2), "multiple-font FontSet"},
      {buildFont({Bytes{139 + 1, 139 + 0, 12, 12, 14}}), "divide by zero (div)"},
      {buildFont({Bytes{2}}), "reserved charstring op"},
      {buildFont({Bytes{139, 139, 139, 139, 14}}), "bad seac\n"},
      {buildFont({Bytes{12, 10, 14}}), "stack underflow"},
      {buildFont({Bytes{139, 139 + 40, 12, 20, 14}}), "bounds check (put)\n"},
      {buildFont({Bytes{139, 139, 139 + 20, 12, 13, 14}}), "bounds check (load)\n"},
      {buildFont({Bytes{139 + 5, 139, 139, 12, 13, 14}}), "unknown registry item\n"},
      {buildFont({Bytes{139, 10, 14}}), "range check\n"},  // no local subrs
      {buildFont({Bytes{139 + 1, 139 + 1, 16, 14}}), "bounds check (blend)\n"},  // no masters
  };
  for (const auto& c : cases) EXPECT_EQ(readAll(c.data).text, c.text) << c.text;
  Bytes cut = buildFont({Bytes{14}});
  cut.pop_back();
  EXPECT_EQ(readAll(cut).text, "premature end of data");

  // Any glyph id at or past the count, and a stand-alone metric charstring.
  const Bytes small = buildFont({Bytes{14}});
  fuzz::CffFuzzClient client(small);
  fea::CffReader reader(client);
  EXPECT_THROW(fea::cffGetGlyphInfo(reader, 1), fuzz::CffFatal);
  EXPECT_EQ(client.lastText, "gid out-of-range");
  const uint8_t metric[] = {139 + 10, 139 + 4, 12, 12, 139 - 3, 11};
  int32_t results[4] = {};
  ASSERT_EQ(fea::cffExecMetric(reader, metric, sizeof metric, results, 4), 2);
  EXPECT_EQ(results[0], 163840);  // 2.5
  EXPECT_EQ(results[1], -3 * 65536);
  // A font without multiple-master data has no design-vector procedures.
  const int32_t vector[1] = {65536};
  EXPECT_THROW(fea::cffSetDesignVector(reader, 1, vector), fuzz::CffFatal);
  EXPECT_EQ(client.lastText, "bad NDV/CDV proc");
}

TEST(CffReader, DesignVectorSetsTheBlendWeights) {
  // Two masters on one axis; NDV copies the user vector, CDV makes weights (1 - n, n).
  const Bytes multipleMaster = {141, 139, 139 + 32, 248, 27, 248, 28, 12, 24};
  const Bytes ndv = {141, 139, 140, 12, 13, 140, 139, 139, 140, 12, 8, 11};
  const Bytes cdv = {140, 139, 140, 12, 13, 140, 139, 12, 21, 12, 11, 140, 12, 20,
                     139, 12, 21, 141, 12, 20, 139, 139, 140, 141, 12, 8, 11};
  // x = 100 + w1 * 100, then a line 10 to the right
  const Bytes glyph = {139 + 100, 139 + 100, 140, 16, 139, 21, 149, 139, 5, 14};
  const Bytes font = buildFont({Bytes{14}, glyph}, 1, 1, multipleMaster, {ndv, cdv});
  fuzz::CffFuzzClient client(font);
  fea::CffReader reader(client);
  EXPECT_EQ(fea::cffGetGlyphInfo(reader, 1).xMin, 100);
  const int32_t quarter[1] = {16384};
  fea::cffSetDesignVector(reader, 1, quarter);
  const fea::CffGlyphInfo info = fea::cffGetGlyphInfo(reader, 1);
  EXPECT_EQ(info.xMin, 125);
  EXPECT_EQ(info.xMax, 135);
}

}  // namespace
