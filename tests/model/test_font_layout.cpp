// The font's groups and its layout member: kerning classes land by kind; plain glyph
// classes and feature text are kept by the font without a layout library and handed
// to a layout object made later; with one, the member forwards to it.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <stdexcept>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"
#include "model/object.h"
#include "glyph_ids.h"

namespace vn {
namespace {

using testids::id;
using testids::ids;

std::vector<std::string> names(const GlyphIdList& members) {
  std::vector<std::string> out;
  for (GlyphId member : members) out.push_back(otl::glyphNameById(member));
  return out;
}

// Group name -> (member names in order, key glyph), as "groups.plist" would get them.
using Listed = std::vector<std::pair<std::string, std::vector<std::string>>>;

Listed listed(const Font& font) {
  LayoutGroupList list;
  font.gatherLayoutList(list);
  Listed out;
  for (const LayoutClassEntry& entry : list) {
    EXPECT_NE(entry.group, nullptr) << entry.name;
    if (entry.group) out.emplace_back(entry.name, names(entry.group->members()));
  }
  return out;
}

// Resets the process-wide factory however a test ends.
struct FactoryGuard {
  ~FactoryGuard() { setLayoutFactory(nullptr); }
};

TEST(GroupsStore, PlainGroupsSurviveWithoutALayoutLibrary) {
  setLayoutFactory(nullptr);
  Ref<Font> font = Ref<Font>::adopt(new Font());
  // Kinds 4 and 0 are plain classes; the member order is the group's own, not the ids'.
  font->addGroup("gs.Vowels", ids({"gs.u", "gs.a", "gs.o", "gs.a", "gs.e"}), 4, "gs.o");
  font->addGroup("@MMK_L_gs.round", ids({"gs.O", "gs.C"}), 0, "gs.round");
  font->addGroup("@MMK_R_gs.V", ids({"gs.V", "gs.W"}), 2, "gs.V");
  EXPECT_EQ(font->layout.layoutIfAny(), nullptr);

  // Kerning classes first, then the plain classes, each group in ascending id order.
  const Listed expected = {
      {"@MMK_R_gs.V", {"gs.V", "gs.W"}},
      {"gs.Vowels", {"gs.u", "gs.a", "gs.o", "gs.e"}},  // a repeated member stands once
      {"@MMK_L_gs.round", {"gs.O", "gs.C"}},
  };
  EXPECT_EQ(listed(*font), expected);

  const auto& kept = font->layout.keptGlyphClasses().classes;
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept.at(id("gs.Vowels")).keyGlyph, "gs.o");
  EXPECT_EQ(kept.at(id("@MMK_L_gs.round")).keyGlyph, "");  // not a member
  EXPECT_FALSE(kept.at(id("gs.Vowels")).isKerningClass());
  EXPECT_FALSE(font->kerningGroups()->hasGroup(id("gs.Vowels")));

  // Defining again replaces the members; a key glyph that is no member leaves the old one.
  font->addGroup("gs.Vowels", ids({"gs.o", "gs.i"}), 4, "gs.x");
  EXPECT_EQ(names(kept.at(id("gs.Vowels")).members()), (std::vector<std::string>{"gs.o", "gs.i"}));
  EXPECT_EQ(kept.at(id("gs.Vowels")).keyGlyph, "gs.o");
  // An empty name has no class id and is not kept.
  font->addGroup("", ids({"gs.a"}), 4, "");
  EXPECT_EQ(kept.size(), 2u);

  // Reader kinds 1 to 3 are kerning classes with their side; other kinds have none.
  font->addGroup("@MMK_L_gs.kt1", ids({"gs.A"}), 1, "gs.A");
  font->addGroup("gs.sideless", ids({"gs.B"}), 7, "");
  EXPECT_EQ(font->kerningGroups()->find(id("@MMK_L_gs.kt1"))->side, kSideFirst);
  EXPECT_EQ(font->kerningGroups()->find(id("gs.sideless"))->side, kSideNone);
  EXPECT_EQ(font->kerningGroups()->find(id("@MMK_R_gs.V"))->side, kSideSecond);

  // Each font keeps its own classes.
  Ref<Font> other = Ref<Font>::adopt(new Font());
  EXPECT_TRUE(listed(*other).empty());
}

// A stand-in layout library that records what the font member hands it.
class FakeLayout : public LayoutObject {
 public:
  static inline std::string lastText;
  bool importFeatureFile(std::istream& in, const std::string&, bool, bool) override {
    std::ostringstream text;
    text << in.rdbuf();
    lastText = text.str();
    if (lastText == "assert") throw LayoutAssertException("bad", 7);
    if (lastText == "throw") throw std::runtime_error("x");
    compiled = true;
    return true;
  }
  void importFeatureText(std::istream&) override {}
  void nameLookups() override { named = true; }
  bool isEmpty() const override { return !compiled; }
  bool hasFeatureText() const override { return compiled; }
  uint32_t glyphCount() const override { return 42; }
  bool writeFeatureFile(std::ostream& out, const FeatureWriteOptions&) override { return bool(out << "# generated"); }
  bool loadLayoutXml(std::istream&) override { return true; }
  bool writeLayoutXml(std::ostream&, bool, bool) override { return true; }
  GlyphId defineGlyphClass(const std::string& name, const GlyphIdList& members, const std::string& keyGlyph) override {
    return classes.define(name, members, keyGlyph);
  }
  void listGlyphClasses(std::vector<LayoutClassEntry>& out) const override {
    for (const auto& [classId, glyphClass] : classes.classes)
      out.push_back(LayoutClassEntry{classId, "layout:" + glyphClass.name, &glyphClass});
  }
  GlyphClassStore classes;
  bool compiled = false, named = false;
};

TEST(GroupsStore, ALayoutObjectMadeLaterTakesTheClassesOver) {
  FactoryGuard guard;
  setLayoutFactory(nullptr);
  Ref<Font> font = Ref<Font>::adopt(new Font());
  font->addGroup("gs.Caps", ids({"gs.B", "gs.A"}), 4, "gs.A");

  setLayoutFactory([](Font*) { return std::make_unique<FakeLayout>(); });
  auto* layout = static_cast<FakeLayout*>(font->layout.layout());
  ASSERT_NE(layout, nullptr);
  EXPECT_TRUE(font->layout.keptGlyphClasses().empty());
  ASSERT_EQ(layout->classes.classes.count(id("gs.Caps")), 1u);
  const OrderedGlyphClass& handed = layout->classes.classes.at(id("gs.Caps"));
  EXPECT_EQ(names(handed.members()), (std::vector<std::string>{"gs.B", "gs.A"}));
  EXPECT_EQ(handed.keyGlyph, "gs.A");

  // From now on the layout object holds and lists the classes.
  font->addGroup("gs.Lower", ids({"gs.b"}), 0, "");
  EXPECT_TRUE(font->layout.keptGlyphClasses().empty());
  const Listed expected = {{"layout:gs.Caps", {"gs.B", "gs.A"}}, {"layout:gs.Lower", {"gs.b"}}};
  EXPECT_EQ(listed(*font), expected);
}

TEST(GroupsStore, FeatureTextKeptWithoutALayoutLibraryAndForwardedWithOne) {
  FactoryGuard guard;
  setLayoutFactory(nullptr);
  Ref<Font> font = Ref<Font>::adopt(new Font());
  std::istringstream in("feature kern { pos A V -50; } kern;\n");
  EXPECT_FALSE(font->layout.compileFeatures(in, "F", true, false));
  EXPECT_FALSE(font->layout.hasFeatures());
  std::ostringstream out;
  EXPECT_TRUE(font->layout.exportFeatures(out, FeatureWriteOptions{}));
  EXPECT_EQ(out.str(), "feature kern { pos A V -50; } kern;\n");

  setLayoutFactory([](Font*) { return std::make_unique<FakeLayout>(); });
  std::ostringstream empty;
  EXPECT_TRUE(font->layout.exportFeatures(empty, FeatureWriteOptions{}));  // a temporary object
  EXPECT_EQ(empty.str(), "# generated");
  EXPECT_EQ(font->layout.layoutIfAny(), nullptr);
  std::istringstream text("lookup");
  EXPECT_TRUE(font->layout.compileFeatures(text, "F", true, false));
  EXPECT_EQ(FakeLayout::lastText, "lookup");
  EXPECT_EQ(font->layout.glyphCount, 42u);
  EXPECT_TRUE(static_cast<FakeLayout*>(font->layout.layoutIfAny())->named);
  EXPECT_TRUE(font->layout.hasFeatures());
  std::istringstream failing("throw");
  EXPECT_FALSE(font->layout.compileFeatures(failing, "F", true, false));
  std::istringstream asserting("assert");
  EXPECT_THROW(font->layout.compileFeatures(asserting, "F", true, false), LayoutAssertException);
}

}  // namespace
}  // namespace vn
