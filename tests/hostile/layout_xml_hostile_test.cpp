// Hostile layout XML documents, through `otltool readxml` and through the program (a UFO
// holding the document as data/com.quorvel.v2.otl.ttx.xml, converted with "-ttx" to a
// native file and back). Every run must end in order (layout_hostile_run.h); a rejected
// document leaves the layout to features.fea, which comes back byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "layout_hostile_run.h"

namespace {

using namespace layout_hostile;

constexpr const char* kDocument = "data/com.quorvel.v2.otl.ttx.xml";

// The sound text the documents are made from, and the features.fea of every UFO.
constexpr const char* kFeatures =
    "languagesystem DFLT dflt;\n@A = [g1 g2];\n"
    "feature liga { sub g1 g2 by g3; sub g1' g2 by g3; } liga;\n"
    "feature kern { pos g1 g2 -30; pos @A g3 -10; } kern;\n"
    "markClass g3 <anchor 0 0> @M;\nfeature mark { pos base g1 <anchor 100 200> mark @M; } mark;\n";

// Each case turns the sound document into a hostile one. `rejected`: readxml must exit 1
// and the program must fall back on features.fea; otherwise either outcome is sound.
// `why`, given the spoiled document: the reason both must give for the refusal (element
// and line), after "Error (OT exception): 2". `readxmlTakes`: only the program refuses
// (a one-component ligature: binary tables hold it, feature text cannot). `warning`: the
// document is taken, and both say what it lost in this line.
struct XmlCase {
  const char* name;
  std::function<std::string(const std::string&)> spoil;
  bool rejected;
  std::function<std::string(const std::string&)> why = nullptr;
  bool readxmlTakes = false;
  const char* warning = nullptr;
};

std::string replaceAll(const std::string& text, const std::string& pattern, const std::string& by) {
  return std::regex_replace(text, std::regex(pattern), by);
}

// The text with its last `pattern` replaced.
std::string replaceLast(std::string text, const std::string& pattern, const std::string& by) {
  return text.replace(text.rfind(pattern), pattern.size(), by);
}

// The 1-based line of the first `needle` in the document.
std::string lineOf(const std::string& document, const std::string& needle) {
  const size_t at = document.find(needle);
  return std::to_string(1 + std::count(document.begin(), document.begin() + static_cast<long>(at), '\n'));
}

// The reason for a refusal found at the first `needle`: "<element> on line <n>: <what>".
std::function<std::string(const std::string&)> refusedAt(const std::string& element, const std::string& needle,
                                                         const std::string& what) {
  return [=](const std::string& d) { return element + " on line " + lineOf(d, needle) + ": " + what; };
}

std::string afterHeader(const std::string& document) { return document.substr(document.find("<OTLayout>")); }

std::vector<XmlCase> xmlCases() {
  return {
      {"truncated in the middle", [](const std::string& d) { return d.substr(0, d.size() / 2); }, true},
      {"truncated before the last tag", [](const std::string& d) { return d.substr(0, d.rfind("</OTLayout>")); }, true},
      {"nothing but the header", [](const std::string& d) { return d.substr(0, d.find("<OTLayout>")); }, true},
      {"entity declarations, nested a billion times",
       [](const std::string& d) {
         std::string dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE OTLayout [\n<!ENTITY e0 \"g1\">\n";
         for (int i = 1; i <= 9; ++i) {
           dtd += "<!ENTITY e" + std::to_string(i) + " \"" + repeat("&e" + std::to_string(i - 1) + ";", 10) + "\">\n";
         }
         return dtd + "]>\n" + replaceAll(afterHeader(d), "glyph=\"g1\"", "glyph=\"&e9;\"");
       },
       true},
      {"an external entity",
       [](const std::string& d) {
         return "<?xml version=\"1.0\"?>\n<!DOCTYPE OTLayout [<!ENTITY x SYSTEM \"/etc/passwd\">]>\n" +
                replaceAll(afterHeader(d), "<GSUB>", "<GSUB>&x;");
       },
       true},
      {"100,000-deep nesting",
       [](const std::string& d) {
         const size_t at = d.find("<LookupList>") + std::string("<LookupList>").size();
         return d.substr(0, at) + repeat("<Lookup>", 100000) + repeat("</Lookup>", 100000) + d.substr(at);
       },
       false},
      // Lookup, feature, sequence and class numbers, and the index of every record, past
      // every count; formats and lookup types stay sound so that every handler sees them.
      {"indices past every count",
       [](const std::string& d) {
         const std::string numbers = replaceAll(
             d, "<(LookupListIndex|FeatureIndex|SequenceIndex|ReqFeatureIndex|Class)((?: index=\"[0-9]+\")?) value=\"[0-9]+\"",
             "<$1$2 value=\"65535\"");
         return replaceAll(numbers, " (index|class)=\"[0-9]+\"", " $1=\"65535\"");
       },
       false},
      {"formats and lookup types past every count",
       [](const std::string& d) {
         return replaceAll(replaceAll(d, "Format=\"[0-9]+\"", "Format=\"65535\""), "<LookupType value=\"[0-9]+\"",
                           "<LookupType value=\"65535\"");
       },
       false},
      // The plain form has no lookahead: the document's chained rule given the plain kind.
      {"a plain context with a lookahead",
       [](const std::string& d) {
         return replaceAll(replaceAll(d, "<LookupType value=\"6\"/>", "<LookupType value=\"5\"/>"),
                           "ChainContextSubst", "ContextSubst");
       },
       false},
      {"indices past 32 bits",
       [](const std::string& d) { return replaceAll(d, "(index|value|Class|Format)=\"[0-9]+\"", "$1=\"4294967297\""); },
       true},
      {"negative indices", [](const std::string& d) { return replaceAll(d, "(index|value)=\"[0-9]+\"", "$1=\"-2\""); },
       true},
      // Elements lacking the attribute the reader takes their value from are ignored, with
      // a warning where a lookup or subtable goes: the rest of the document stands.
      {"missing values", [](const std::string& d) { return replaceAll(d, " value=\"[^\"]*\"", ""); }, false},
      {"missing glyphs", [](const std::string& d) { return replaceAll(d, " (glyph|in|out|components)=\"[^\"]*\"", ""); },
       false},
      {"no attributes at all",
       [](const std::string& d) {
         return d.substr(0, d.find("<OTLayout>")) + replaceAll(afterHeader(d), " [A-Za-z]+=\"[^\"]*\"", "");
       },
       false},
      // Lookups that cannot be taken whole: their rules would be lost without a word.
      {"a ligature subtable in a lookup of LookupType 1",
       [](const std::string& d) { return replaceLast(d, "<LookupType value=\"4\"/>", "<LookupType value=\"1\"/>"); },
       true, refusedAt("LigatureSubst", "<LigatureSubst", "is not of its lookup's LookupType")},
      {"a ligature with empty components",
       [](const std::string& d) { return replaceAll(d, "components=\"g2\"", "components=\"\""); }, true,
       refusedAt("Ligature", "components=\"\"", "components is empty: feature text has no one-glyph ligature"), true},
      {"a mark of class 65535", [](const std::string& d) { return replaceAll(d, "<Class value=\"0\"/>", "<Class value=\"65535\"/>"); },
       true, refusedAt("Class", "<Class value", "65535 is out of range")},
      {"a chained context without input coverage",
       [](const std::string& d) { return replaceAll(d, "<InputCoverage[^]*?</InputCoverage>\n", ""); }, true,
       refusedAt("ChainContextSubst", "</ChainContextSubst>", "has no rule with an input position")},
      {"a sequence index past the input",
       [](const std::string& d) { return replaceAll(d, "<SequenceIndex value=\"0\"/>", "<SequenceIndex value=\"65535\"/>"); },
       true, refusedAt("ChainContextSubst", "</ChainContextSubst>", "has SequenceIndex 65535 past its 1 input positions")},
      {"a feature's lookup index past 16 bits",
       [](const std::string& d) {
         return replaceAll(d, "<LookupListIndex index=\"0\" value=\"0\"/>", "<LookupListIndex index=\"0\" value=\"99999\"/>");
       },
       true, refusedAt("LookupListIndex", "value=\"99999\"", "99999 is out of range")},
      // An index naming no feature carries no rule: it is skipped.
      {"a feature index past the FeatureList",
       [](const std::string& d) { return replaceAll(d, "<FeatureIndex index=\"0\" value=\"0\"/>", "<FeatureIndex index=\"0\" value=\"999\"/>"); },
       false},
      {"a positioning subtable without Format",
       [](const std::string& d) { return replaceAll(d, "<PairPos index=\"0\" Format=\"1\">", "<PairPos index=\"0\">"); },
       true, refusedAt("PairPos", "<PairPos index=\"0\">", "has no Format")},
      {"a ligature component the font lacks",
       [](const std::string& d) { return replaceAll(d, "components=\"g2\"", "components=\"nosuch\""); }, false,
       nullptr, false,
       "layout XML document names glyphs the font lacks (nosuch); the rules using them were left out of GSUB "
       "lookup 1 (liga)"},
  };
}

class LayoutXmlHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    glyphs_ = scratch_.path() / "glyphs.txt";
    writeFile(glyphs_, "g0\ng1\ng2\ng3\n");
    writeFile(scratch_.path() / "features.fea", kFeatures);
    const RunResult compiled = tool({"compile", glyphs_.string(), (scratch_.path() / "features.fea").string(),
                                     (scratch_.path() / "tables").string()});
    ASSERT_EQ(compiled.exitCode, 0) << describe(compiled);
    const RunResult written =
        tool({"xml", glyphs_.string(), (scratch_.path() / "tables").string(), (scratch_.path() / "sound.xml").string()});
    ASSERT_EQ(written.exitCode, 0) << describe(written);
    sound_ = readAll(scratch_.path() / "sound.xml");
    ASSERT_NE(sound_.find("<LigatureSubst"), std::string::npos);
  }
  RunResult tool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{TARNWICK_OTLTOOL};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command, scratch_.path());
  }
  RunResult program(const fs::path& input, const fs::path& output, bool ttx) {
    std::vector<std::string> command{TARNWICK_EXE, "-s"};
    if (ttx) command.push_back("-ttx");
    command.insert(command.end(), {input.string(), output.string()});
    return run(command, scratch_.path());
  }

  ScratchFolder scratch_;
  fs::path glyphs_;
  std::string sound_;
};

TEST_F(LayoutXmlHostile, DocumentsThroughOtltoolAndTheProgram) {
  int index = 0;
  for (const XmlCase& hostileCase : xmlCases()) {
    const fs::path folder = scratch_.path() / ("case" + std::to_string(index++));
    const std::string document = hostileCase.spoil(sound_);
    ASSERT_NE(document, sound_) << hostileCase.name;
    writeFile(folder / "layout.xml", document);
    const RunResult read = tool({"readxml", glyphs_.string(), (folder / "layout.xml").string(), (folder / "out").string()});
    const bool readRefuses = hostileCase.rejected && !hostileCase.readxmlTakes;
    expectInOrder(read, readRefuses ? 1 : hostileCase.readxmlTakes ? 0 : kEither,
                  std::string(hostileCase.name) + ", otltool readxml");
    const std::string why = hostileCase.why ? "layout XML: " + hostileCase.why(document) : "";
    if (readRefuses && !why.empty()) {
      EXPECT_NE(read.output.find("Error (OT exception): 2\n"), std::string::npos) << hostileCase.name << read.output;
      EXPECT_NE(read.output.find(why + "\n"), std::string::npos) << hostileCase.name << ": " << why << "\n" << read.output;
    }
    if (hostileCase.warning) {
      EXPECT_EQ(read.exitCode, 0) << hostileCase.name << read.output;
      EXPECT_NE(read.output.find(std::string("otltool: warning: ") + hostileCase.warning + "\n"), std::string::npos)
          << hostileCase.name << read.output;
    }
    std::cout << hostileCase.name << ": readxml exit " << read.exitCode << ", " << read.seconds << " s, "
              << read.peakKilobytes / 1024 << " MB: " << read.output.substr(0, read.output.find('\n')) << "\n";

    // The program: features.fea and the document inside a UFO, read with -ttx.
    const fs::path ufo = folder / "font.ufo";
    writeUfo(ufo);
    writeFile(ufo / "features.fea", kFeatures);
    writeFile(ufo / kDocument, document);
    const RunResult there = program(ufo, folder / "font.qtf", true);
    expectInOrder(there, 0, std::string(hostileCase.name) + ", UFO -> native");
    if (!why.empty()) {
      EXPECT_NE(there.output.find("Error (OT exception): 2\n"), std::string::npos) << hostileCase.name << there.output;
      EXPECT_NE(there.output.find("Warning: layout: " + why + ": layout XML document\n"), std::string::npos)
          << hostileCase.name << ": " << why << "\n" << there.output;
    }
    if (hostileCase.warning) {
      EXPECT_NE(there.output.find(std::string("Warning: layout: ") + hostileCase.warning + "\n"), std::string::npos)
          << hostileCase.name << there.output;
    }
    if (there.exitCode != 0) continue;
    const RunResult home = program(folder / "font.qtf", folder / "back.ufo", false);
    expectInOrder(home, 0, std::string(hostileCase.name) + ", native -> UFO");
    if (hostileCase.rejected || read.exitCode != 0) {
      // The refused document's layout: features.fea's, whole.
      EXPECT_TRUE(readAll(folder / "back.ufo" / "features.fea") == kFeatures)
          << hostileCase.name << ": a rejected document must leave features.fea in charge";
    }
    fs::remove_all(folder);
  }
}

// A document that leaves Format out of its substitutions, as other tools write them,
// converts as the document that gives it: the rules are read, not dropped.
TEST_F(LayoutXmlHostile, SubstitutionsWithoutFormatConvertAsTheSoundDocument) {
  const std::string bare = replaceAll(sound_, "<(SingleSubst|LigatureSubst) index=\"0\" Format=\"[0-9]\">", "<$1>");
  ASSERT_NE(bare, sound_);
  std::vector<std::string> texts;
  for (const std::string& document : {sound_, bare}) {
    const fs::path folder = scratch_.path() / ("bare" + std::to_string(texts.size()));
    writeUfo(folder / "font.ufo");
    writeFile(folder / "font.ufo" / "features.fea", kFeatures);
    writeFile(folder / "font.ufo" / kDocument, document);
    const RunResult there = program(folder / "font.ufo", folder / "font.qtf", true);
    expectInOrder(there, 0, "UFO -> native");
    EXPECT_EQ(there.output.find("Warning: layout: "), std::string::npos) << there.output;
    expectInOrder(program(folder / "font.qtf", folder / "back.ufo", false), 0, "native -> UFO");
    // The header comment dates the text.
    texts.push_back(replaceAll(readAll(folder / "back.ufo" / "features.fea"), "#[^\n]*\n", ""));
  }
  EXPECT_NE(texts[0].find("by \\g3;"), std::string::npos) << texts[0];
  EXPECT_EQ(texts[1], texts[0]);
}

}  // namespace
