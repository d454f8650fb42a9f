#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file_system.h"
#include "xml/uri.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder under the system temporary folder, removed afterwards.
class TempFolder : public testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() /
        ("tw_uri_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST(Uri, ParsesComposesAndResolvesReferences) {
  xml::Uri windows("C:\\fonts\\Font.ufo/");
  EXPECT_TRUE(windows.hasScheme);
  EXPECT_EQ(windows.scheme, "C");
  EXPECT_TRUE(windows.absolute);
  EXPECT_EQ(windows.segments, (std::vector<std::string>{"fonts", "Font.ufo", ""}));
  EXPECT_EQ(xml::Uri::resolve(windows, xml::Uri("glyphs/a.glif")).toString(),
            "C:/fonts/Font.ufo/glyphs/a.glif");

  xml::Uri web("http://host/a/b/c?q=1#frag");
  EXPECT_EQ(web.authority, "host");
  EXPECT_EQ(web.query, "q=1");
  EXPECT_EQ(web.fragment, "frag");
  EXPECT_EQ(web.directory, "a/b");
  EXPECT_EQ(web.toString(), "http://host/a/b/c?q=1#frag");
  EXPECT_EQ(xml::Uri::resolve(web, xml::Uri("../d/./e")).toString(), "http://host/a/d/e");
  EXPECT_EQ(xml::Uri::resolve(web, xml::Uri("/x")).toString(), "http://host/x");
  EXPECT_EQ(xml::Uri::resolve(web, xml::Uri("#only")).toString(), "http://host/a/b/c?q=1#only");
  EXPECT_EQ(xml::Uri::resolve(web, xml::Uri("..")).toString(), "http://host/a/");

  xml::Uri mail("mailto:someone@example.com");
  EXPECT_TRUE(mail.isOpaque);
  EXPECT_EQ(mail.toString(), "mailto:someone@example.com");
  EXPECT_EQ(xml::Uri::decodePercent("a%20b%2e%zz%4"), "a b.%zz%4");
}

TEST(UriBase, JoinsFolderAndMemberLiterally) {
  xml::UriBase base;
  base.setBase("out/Font.ufo/");
  EXPECT_EQ(base.resolve("metainfo.plist"), "out/Font.ufo/metainfo.plist");
  base.setBase("odd #1?x%20y/../Font.ufo");
  EXPECT_EQ(base.getBase(), "odd #1?x%20y/../Font.ufo/");
  EXPECT_EQ(base.resolve("glyphs/a%20b.glif"), "odd #1?x%20y/../Font.ufo/glyphs/a%20b.glif");
}

TEST_F(TempFolder, FilesLandInFoldersWithUriCharactersInTheirNames) {
  for (const char* name : {"with#hash.ufo", "with?query.ufo", "with%20percent.ufo", "dots..ufo"}) {
    const fs::path folder = root_ / name;
    fs::create_directory(folder);
    xml::UriBase base;
    base.setBase(folder.string());
    const std::string path = base.resolve("glyphs/a%20b.glif");
    ASSERT_TRUE(vn::ensureFolderOf(path)) << name;
    std::ofstream out;
    ASSERT_TRUE(vn::openOutputFile(out, path)) << name;
    out << "glyph";
    out.close();
    EXPECT_EQ(readAll(folder / "glyphs" / "a%20b.glif"), "glyph") << name;
    std::ifstream in;
    EXPECT_TRUE(vn::openInputFile(in, path));
  }
  // Nothing was written beside the folders.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root_)) ++entries;
  EXPECT_EQ(entries, 4u);
}

}  // namespace
