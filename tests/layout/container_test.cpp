// The layout container: emptiness, lookup numbering, pruning with its cascade,
// references followed through contexts, required features, class naming.
#include <gtest/gtest.h>

#include "layout/context_subst.h"
#include "layout/registry/glyph_name_registry.h"
#include "layout/layout_fea.h"
#include "layout/single_subst.h"
#include "layout/tag_registry.h"

namespace {

const ot::Tag kLatn = ot::Tag::fromString("latn"), kDflt = ot::Tag::fromString("dflt"),
              kLiga = ot::Tag::fromString("liga"), kKern = ot::Tag::fromString("kern");

uint32_t glyph(const char* name) { return otl::glyphIdByName(std::string("ctr_") + name); }

otl::Lookup* addSingle(otl::LayoutTableBlock& block, uint32_t from, uint32_t to) {
  otl::Lookup* lookup = block.lookups.createLookup();
  lookup->tableId = 1;
  lookup->typeCode = 11;
  auto subtable = std::make_unique<otl::LsSingle>(lookup->holder);
  subtable->input.assign({from});
  subtable->output.assign({to});
  lookup->addSubtable(std::move(subtable));
  return lookup;
}

// A chained context of one rule on `at` that calls `called`.
otl::Lookup* addCaller(otl::LayoutTableBlock& block, uint32_t at, uint32_t called) {
  otl::Lookup* lookup = block.lookups.createLookup();
  lookup->tableId = 1;
  lookup->typeCode = 16;
  auto subtable = std::make_unique<otl::LsChainedContext>(lookup->holder);
  auto rule = std::make_unique<otl::Context>(lookup->holder);
  rule->input.emplace_back(lookup->holder, otl::GlyphList{at});
  rule->lookups.push_back({0, static_cast<int32_t>(called)});
  subtable->rules.push_back(std::move(rule));
  lookup->addSubtable(std::move(subtable));
  return lookup;
}

otl::Feature& feature(otl::LayoutTableBlock& block, ot::Tag tag, ot::Tag language = kDflt) {
  auto& script = block.scripts.try_emplace(kLatn, kLatn).first->second;
  auto& lang = script.languages.try_emplace(language, language).first->second;
  return lang.features.try_emplace(tag, tag).first->second;
}

TEST(Container, EmptinessAndNumbering) {
  otl::LayoutFea layout(nullptr, "");
  otl::LayoutFea second(nullptr, "");
  EXPECT_EQ(otl::TagRegistry::entries().size(), 640u);
  EXPECT_TRUE(layout.isEmpty());
  EXPECT_EQ(layout.gsub.lookups.nextIndex(), 1u);
  otl::Lookup* lookup = addSingle(layout.gsub, glyph("a"), glyph("b"));
  EXPECT_TRUE(layout.isEmpty());
  feature(layout.gsub, kLiga).lookups = {lookup->index};
  EXPECT_FALSE(layout.isEmpty());
  EXPECT_TRUE(layout.hasTableData(1));
  layout.gsub.lookups.createLookupAt(0);
  layout.gsub.lookups.createLookupAt(5);
  EXPECT_EQ(layout.gsub.lookups.nextIndex(), 6u);
  layout.clearTable(1);
  EXPECT_TRUE(layout.isEmpty());
}

TEST(Container, PruningCascadesAndKeepsCallersAsIgnoreRules) {
  otl::LayoutFea layout(nullptr, "");
  auto& block = layout.gsub;
  otl::Lookup* single = addSingle(block, glyph("a"), glyph("b"));
  const uint32_t singleIndex = single->index;
  otl::Lookup* caller = addCaller(block, glyph("c"), singleIndex);
  feature(block, kLiga).lookups = {singleIndex};
  feature(block, kKern).lookups = {caller->index};
  block.pruneMissingGlyphs({glyph("a")});
  EXPECT_EQ(block.lookups.findLookup(singleIndex), nullptr);
  const auto& features = block.scripts.at(kLatn).languages.at(kDflt).features;
  EXPECT_EQ(features.count(kLiga), 0u);
  ASSERT_NE(block.lookups.findLookup(caller->index), nullptr);  // the rule stays without its call
  const auto* context = dynamic_cast<const otl::ContextSubtable*>(caller->subtables.at(0).get());
  ASSERT_TRUE(context && context->rules.size() == 1);
  EXPECT_TRUE(context->rules[0]->lookups.empty());
  block.pruneMissingGlyphs({glyph("c")});
  EXPECT_TRUE(block.scripts.empty());  // feature, language and script went with the last lookup
}

TEST(Container, ReferencesAreFollowedToAnyDepth) {
  otl::LayoutFea layout(nullptr, "");
  auto& block = layout.gsub;
  otl::Lookup* deepest = addSingle(block, glyph("a"), glyph("b"));
  otl::Lookup* middle = addCaller(block, glyph("a"), deepest->index);
  otl::Lookup* top = addCaller(block, glyph("a"), middle->index);
  otl::Lookup* cycleA = addCaller(block, glyph("a"), 0);
  otl::Lookup* cycleB = addCaller(block, glyph("a"), cycleA->index);
  dynamic_cast<otl::ContextSubtable&>(*cycleA->subtables[0]).rules[0]->lookups[0].lookupIndex =
      static_cast<int32_t>(cycleB->index);
  const uint32_t unused = addSingle(block, glyph("b"), glyph("a"))->index;
  feature(block, kLiga).lookups = {top->index, cycleA->index};
  otl::LookupIndexSet referenced;
  block.collectReferencedLookups(referenced);
  EXPECT_EQ(referenced, (otl::LookupIndexSet{deepest->index, middle->index, top->index, cycleA->index,
                                               cycleB->index}));
  block.pruneUnreferencedLookups();
  EXPECT_EQ(block.lookups.findLookup(unused), nullptr);
  EXPECT_EQ(block.lookups.size(), 5u);
}

TEST(Container, RequiredFeatureAndRemovingLookups) {
  otl::LayoutFea layout(nullptr, "");
  auto& block = layout.gsub;
  feature(block, kLiga).lookups = {1, 2};
  block.scripts.at(kLatn).languages.at(kDflt).required = kLiga;
  EXPECT_TRUE(block.requiredFeature(kLatn, ot::Tag::fromString("DFLT")) == kLiga);
  auto& language = block.scripts.at(kLatn).languages.at(kDflt);
  const otl::LookupIndexSet untouched{7}, both{1, 2};
  EXPECT_FALSE(language.removeLookups(kLiga, &untouched));
  EXPECT_EQ(language.features.at(kLiga).lookups.size(), 2u);
  EXPECT_TRUE(language.removeLookups(kLiga, &both));
  EXPECT_TRUE(language.features.empty());
}

TEST(Container, ClassesNamedByTheirFeatures) {
  otl::LayoutFea layout(nullptr, "");
  const otl::GlyphList one{glyph("x"), glyph("y")}, two{glyph("y"), glyph("z")};
  for (auto* block : {&layout.gsub, &layout.gpos}) {
    otl::Lookup* lookup = block->lookups.createLookup();
    lookup->tableId = 1;
    lookup->typeCode = 11;
    auto subtable = std::make_unique<otl::LsSingle>(lookup->holder);
    subtable->input.assign(one);
    subtable->output.assign(two);
    lookup->addSubtable(std::move(subtable));
    feature(*block, block == &layout.gsub ? kLiga : kKern).lookups = {lookup->index};
  }
  layout.nameGlyphClasses();
  std::vector<std::string> names;
  for (const auto& [id, group] : layout.classes.groups) names.push_back(group.className);
  EXPECT_EQ(names, (std::vector<std::string>{"kern_liga", "kern_liga.002"}));
  layout.textBlocks = std::make_unique<otl::FeatureTextBlocks>(
      otl::FeatureTextBlocks{{"FeaPrefix", ""}, {"liga", ""}, {"kern", ""}});
  std::vector<std::string> tags;
  layout.collectFeatureTags(tags);
  EXPECT_EQ(tags, (std::vector<std::string>{"liga", "kern"}));
}

}  // namespace
