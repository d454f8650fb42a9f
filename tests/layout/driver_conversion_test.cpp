// The program compiles a UFO's feature text on the way to the native file: a text with an
// error is reported (the compiler's lines on the standard error stream, the block name and
// line in the layout's warning) and still kept, so features.fea comes back byte for byte;
// a text without errors prints nothing extra.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class DriverConversion : public ::testing::Test {
 protected:
  void SetUp() override {
    work_ = fs::temp_directory_path() / ("tw_driver_" + std::to_string(::getpid()));
    fs::remove_all(work_);
    fs::create_directories(work_ / "back");
    fs::copy(fs::path(TARNWICK_SOURCE_DIR) / "tests/data/Sample.ufo", work_ / "Sample.ufo", fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(work_); }

  // Runs the program in the work folder; the exit code, the standard error text in `err`,
  // the standard output in out_.
  int convert(const std::string& arguments, std::string& err) {
    const std::string command = "cd '" + work_.string() + "' && '" + TARNWICK_EXE + "' -s -fo " + arguments +
                                " > out.log 2> err.log";
    const int status = std::system(command.c_str());
    err = readText(work_ / "err.log");
    out_ = readText(work_ / "out.log");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // UFO -> native -> UFO; the features.fea that comes back.
  std::string roundTrip(std::string& errToNative) {
    std::string err;
    EXPECT_EQ(convert("Sample.ufo Sample.qtf", errToNative), 0);
    EXPECT_TRUE(fs::exists(work_ / "Sample.qtf"));
    EXPECT_EQ(convert("Sample.qtf back/Sample.ufo", err), 0) << err;
    return readText(work_ / "back/Sample.ufo/features.fea");
  }

  fs::path work_;
  std::string out_;
};

TEST_F(DriverConversion, TextWithoutErrorsPrintsNothing) {
  const std::string text = readText(work_ / "Sample.ufo/features.fea");
  std::string err;
  EXPECT_EQ(roundTrip(err), text);
  EXPECT_EQ(err, "");
}

TEST_F(DriverConversion, CompileErrorIsReportedAndTheTextKept) {
  const std::string text =
      "# comment-only prefix\n\nfeature ss01 {\n    sub A by Aacute;\n} ss01;\n\n"
      "feature kern {\n    pos A V -50;\n} kern;\nfeature kern {\n    pos V A -40;\n    pos A by;\n} kern;\n";
  std::ofstream(work_ / "Sample.ufo/features.fea", std::ios::binary) << text;
  std::string err;
  EXPECT_EQ(convert("Sample.ufo Sample.qtf", err), 0);
  EXPECT_NE(err.find("FEA compiler error"), std::string::npos) << err;
  EXPECT_NE(out_.find("Warning: layout: Feature text kept as it is, not compiled: FEA compilation fatal error: "
                      "<Font> aborting because of errors. (feature block kern, line 12)\n"),
            std::string::npos)
      << out_;
  // The fatal report names the UFO's font by its PostScript name, not a stand-in.
  EXPECT_NE(err.find("font \"TarnwickSample-Regular\" in file"), std::string::npos) << err;
  EXPECT_EQ(roundTrip(err), text);
}

// A layout XML document the reader refuses: the layout exception's code on the standard
// error stream, why (element and line) in the layout's warning, and features.fea's layout
// kept. otltool readxml prints the same line before its own.
TEST_F(DriverConversion, RefusedLayoutDocumentIsReportedOnBothStreams) {
  const std::string document =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OTLayout><GSUB><LookupList><Lookup index=\"0\">"
      "<LookupType value=\"1\"/>\n<LigatureSubst index=\"0\" Format=\"1\"><LigatureSet glyph=\"A\"><Ligature "
      "components=\"V\" glyph=\"O\"/></LigatureSet></LigatureSubst></Lookup></LookupList></GSUB></OTLayout>\n";
  fs::create_directories(work_ / "Sample.ufo/data");
  std::ofstream(work_ / "Sample.ufo/data/com.quorvel.v2.otl.ttx.xml", std::ios::binary) << document;
  const std::string text = readText(work_ / "Sample.ufo/features.fea");
  std::string err;
  EXPECT_EQ(convert("-ttx Sample.ufo Sample.qtf", err), 0);
  EXPECT_EQ(err, "Error (OT exception): 2\n");
  EXPECT_NE(out_.find("\nWarning: layout: layout XML: LigatureSubst on line 3: is not of its lookup's LookupType: "
                      "layout XML document\nWarning: layout: cannot be read; the layout comes from features.fea: "
                      "layout XML document\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(convert("Sample.qtf back/Sample.ufo", err), 0) << err;
  EXPECT_EQ(readText(work_ / "back/Sample.ufo/features.fea"), text);

  std::ofstream(work_ / "glyphs.txt") << "A\nAacute\nO\nV\n";
  const std::string tool = "cd '" + work_.string() + "' && '" + TARNWICK_OTLTOOL +
                           "' readxml glyphs.txt Sample.ufo/data/com.quorvel.v2.otl.ttx.xml tables > out.log 2> err.log";
  EXPECT_NE(std::system(tool.c_str()), 0);
  EXPECT_EQ(readText(work_ / "err.log").rfind("Error (OT exception): 2\notltool: [E] layout XML document: layout XML: "
                                              "LigatureSubst on line 3: ",
                                              0),
            0u)
      << readText(work_ / "err.log");
}

TEST_F(DriverConversion, IncludesResolveAgainstTheSourceFolder) {
  const std::string text = "feature kern {\n    include(kern.fea);\n} kern;\n";
  std::ofstream(work_ / "Sample.ufo/features.fea", std::ios::binary) << text;
  // One beside the UFO's features.fea, one beside the native file.
  std::ofstream(work_ / "Sample.ufo/kern.fea") << "pos A V -50;\n";
  std::ofstream(work_ / "kern.fea") << "pos A V -50;\n";
  std::string err;
  EXPECT_EQ(convert("Sample.ufo Sample.qtf", err), 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(convert("Sample.qtf back/Sample.ufo", err), 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(readText(work_ / "back/Sample.ufo/features.fea"), text);
}

// Rules naming glyphs the font lacks still go, but each way of the round trip, as each
// compiles the text, names the glyphs and where their rules were; the text is kept.
TEST_F(DriverConversion, RulesNamingMissingGlyphsAreReported) {
  const std::string text = "languagesystem DFLT dflt;\n\nfeature liga {\n    sub A V by Aacute;\n    sub A c by Aacute;\n} liga;\n";
  std::ofstream(work_ / "Sample.ufo/features.fea", std::ios::binary) << text;
  const std::string line =
      "Warning: layout: feature text names glyphs the font lacks (c); the rules using them were left out of GSUB "
      "lookup 1 (liga)\n";
  std::string err;
  EXPECT_EQ(convert("Sample.ufo Sample.qtf", err), 0);
  EXPECT_EQ(err, "");
  EXPECT_NE(out_.find(line), std::string::npos) << out_;
  EXPECT_EQ(convert("Sample.qtf back/Sample.ufo", err), 0);
  EXPECT_NE(out_.find(line), std::string::npos) << out_;
  EXPECT_EQ(readText(work_ / "back/Sample.ufo/features.fea"), text);
}

// The native file keeps the text verbatim but not the files it includes: writing it says
// so, and reading it where they are not names the include and the folder searched.
TEST_F(DriverConversion, IncludedFilesTheNativeFileLacksAreNamed) {
  const std::string text = "feature kern {\n    include(kern.fea);\n} kern;\n";
  std::ofstream(work_ / "Sample.ufo/features.fea", std::ios::binary) << text;
  std::ofstream(work_ / "Sample.ufo/kern.fea") << "pos A V -50;\n";
  std::string err;
  EXPECT_EQ(convert("Sample.ufo Sample.qtf", err), 0);
  EXPECT_NE(out_.find("Warning: layout: feature text reads include files that the written font does not carry (its "
                      "text keeps the include statements, so it compiles only where those files are found): "
                      "kern.fea\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(convert("Sample.qtf back/Sample.ufo", err), 0);
  EXPECT_NE(out_.find("Warning: layout: Feature text kept as it is, not compiled: FEA compilation fatal error: "
                      "feature file is not accessible: include \"kern.fea\", searched in folder \"" +
                      work_.string() + "\": no such file. (feature block kern, line 2)\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(readText(work_ / "back/Sample.ufo/features.fea"), text);
}

}  // namespace
