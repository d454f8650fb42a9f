// Plain glyph groups (feature-file glyph classes) kept by the font: without a layout
// library the model holds them itself, lists them for "groups.plist", and hands them
// to a layout object made later.
#include <gtest/gtest.h>

#include <map>
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

  // Each font keeps its own classes.
  Ref<Font> other = Ref<Font>::adopt(new Font());
  EXPECT_TRUE(listed(*other).empty());
}

// Records the classes it is given, as the layout library will.
class ClassRecordingLayout : public LayoutObject {
 public:
  bool importFeatureFile(std::istream&, const std::string&, bool, bool) override { return true; }
  void importFeatureText(std::istream&) override {}
  void nameLookups() override {}
  bool isEmpty() const override { return true; }
  bool hasFeatureText() const override { return false; }
  uint32_t glyphCount() const override { return 0; }
  bool writeFeatureFile(std::ostream&, const FeatureWriteOptions&) override { return true; }
  bool loadLayoutXml(std::istream&) override { return true; }
  bool writeLayoutXml(std::ostream&, bool, bool) override { return true; }
  GlyphId defineGlyphClass(const std::string& name, const GlyphIdList& members,
                           const std::string& keyGlyph) override {
    return classes.define(name, members, keyGlyph);
  }
  void listGlyphClasses(std::vector<LayoutClassEntry>& out) const override {
    for (const auto& [classId, glyphClass] : classes.classes)
      out.push_back(LayoutClassEntry{classId, "layout:" + glyphClass.name, &glyphClass});
  }
  GlyphClassStore classes;
};

TEST(GroupsStore, ALayoutObjectMadeLaterTakesTheClassesOver) {
  FactoryGuard guard;
  setLayoutFactory(nullptr);
  Ref<Font> font = Ref<Font>::adopt(new Font());
  font->addGroup("gs.Caps", ids({"gs.B", "gs.A"}), 4, "gs.A");

  setLayoutFactory([](Font*) { return std::make_unique<ClassRecordingLayout>(); });
  auto* layout = static_cast<ClassRecordingLayout*>(font->layout.layout());
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

}  // namespace
}  // namespace vn
