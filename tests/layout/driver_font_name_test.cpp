// A feature text that the font's reader cannot compile: the compiler's fatal report names the
// font by its own name.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "layout/layout_fea.h"
#include "model/font.h"
#include "model/object.h"

namespace {

std::string compileReport(vn::Font* owner, const std::string& text) {
  otl::LayoutFea layout(owner, "");
  std::istringstream in(text);
  std::ostringstream err;
  std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
  layout.importFeatureText(in);
  std::cerr.rdbuf(old);
  return err.str();
}

TEST(DriverFontName, FatalReportNamesTheFont) {
  const std::string bad = "feature liga { sub a by b } liga;\n";
  vn::Ref<vn::Font> named = vn::Ref<vn::Font>::adopt(new vn::Font());
  named->name = "Quill-Regular";
  const std::string report = compileReport(named.get(), bad);
  EXPECT_NE(report.find("font \"Quill-Regular\" in file"), std::string::npos) << report;
  vn::Ref<vn::Font> unnamed = vn::Ref<vn::Font>::adopt(new vn::Font());
  EXPECT_NE(compileReport(unnamed.get(), bad).find("font \"font\" in file"), std::string::npos);
}

}  // namespace
