// Through the program: a small UFO with kerning classes becomes a native file that
// lists its font and reads back with the same kerning.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "support/program_output.h"
#include "test_writer_support.h"

namespace {

namespace fs = std::filesystem;
using namespace writertest;

void writeText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n" +
         body + "\n</plist>\n";
}

std::string glif(const std::string& name, int width, int x) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph name=\"" + name +
         "\" format=\"1\">\n  <advance width=\"" + std::to_string(width) +
         "\"/>\n  <outline>\n    <contour>\n      <point x=\"" + std::to_string(x) +
         "\" y=\"0\" type=\"line\"/>\n      <point x=\"100\" y=\"0\" type=\"line\"/>\n"
         "      <point x=\"100\" y=\"100\" type=\"line\"/>\n    </contour>\n  </outline>\n</glyph>\n";
}

std::string run(const std::string& arguments) {
  return testsupport::programOutput(std::string(TARNWICK_EXE) + " " + arguments);
}

TEST(WriterScenario, UfoToNativeThenList) {
  const fs::path folder = fs::temp_directory_path() / ("tw-writer-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  const fs::path ufo = folder / "Scene.ufo";
  writeText(ufo / "metainfo.plist",
            plist("<dict>\n<key>creator</key><string>test</string>\n<key>formatVersion</key><integer>2</integer>\n</dict>"));
  writeText(ufo / "fontinfo.plist",
            plist("<dict>\n<key>familyName</key><string>Scene</string>\n<key>styleName</key><string>Regular</string>\n"
                  "<key>unitsPerEm</key><integer>1000</integer>\n</dict>"));
  const char* names[] = {"A", "Aacute", "V", "W"};
  std::string contents = "<dict>\n";
  for (const char* name : names) {
    contents += std::string("<key>") + name + "</key><string>" + name + "_.glif</string>\n";
    writeText(ufo / "glyphs" / (std::string(name) + "_.glif"), glif(name, 600, 0));
  }
  writeText(ufo / "glyphs" / "contents.plist", plist(contents + "</dict>"));
  writeText(ufo / "groups.plist",
            plist("<dict>\n<key>@MMK_L_A</key><array><string>A</string><string>Aacute</string></array>\n"
                  "<key>@MMK_R_V</key><array><string>V</string><string>W</string></array>\n</dict>"));
  writeText(ufo / "kerning.plist",
            plist("<dict>\n<key>@MMK_L_A</key><dict><key>@MMK_R_V</key><integer>-60</integer></dict>\n"
                  "<key>Aacute</key><dict><key>W</key><integer>-25</integer></dict>\n</dict>"));

  run("-s " + ufo.string());
  const fs::path native = folder / "Scene.qtf";
  ASSERT_TRUE(fs::exists(native));
  EXPECT_EQ(run("-s -l " + native.string()), "Scene Regular;4\n");

  std::ifstream in(native, std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  qtftest::ReadMaster read(file);
  ASSERT_TRUE(read.ok);
  std::list<vn::NamedGlyphPair> pairs;
  read.font().kerning().flatGlyphPairs(pairs);
  std::map<std::pair<std::string, std::string>, double> flat;
  for (const auto& p : pairs) flat[{p.first, p.second}] = p.value;
  EXPECT_EQ(flat, (std::map<std::pair<std::string, std::string>, double>{
                      {{"A", "V"}, -60}, {{"A", "W"}, -60}, {{"Aacute", "V"}, -60}, {{"Aacute", "W"}, -25}}));
  fs::remove_all(folder);
}

}  // namespace
