#include "native/writer_kerning.h"

#include <algorithm>
#include <set>

#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"
#include "model/numbers.h"
#include "native/kerning_classes.h"
#include "native/stream/stream.h"
#include "native/tags.h"

namespace qtf {

namespace {

constexpr char kKeyMark = '\'';
constexpr const char* kKeyedPrefix = "_";
// Characters at which the reader splits a member text.
constexpr const char* kMemberSeparators = ", ;\t\n\r";

struct WrittenClass {
  std::string name;
  int32_t flags = 0;
  std::vector<std::string> members;
  std::string keyName;  // empty: no key mark
};

int32_t sideFlags(uint32_t side) {
  int32_t flags = 0;
  if (side == vn::kSideFirst || side == vn::kSideBoth) flags |= info::kFirstSideFlag;
  if (side == vn::kSideSecond || side == vn::kSideBoth) flags |= info::kSecondSideFlag;
  return flags;
}

std::string uniqueName(const std::string& base, std::set<std::string>& used) {
  std::string candidate = base;
  for (int counter = 1; used.count(candidate); ++counter) candidate = base + vn::formatInteger(counter);
  used.insert(candidate);
  return candidate;
}

std::string memberText(const std::vector<std::string>& members, const std::string& keyName) {
  std::string text;
  for (const std::string& member : members) {
    if (!text.empty()) text += ' ';
    text += member;
    if (!keyName.empty() && member == keyName) text += kKeyMark;
  }
  return text;
}

std::vector<WrittenClass> classesToWrite(const vn::FontKerning& source, bool withKeys) {
  std::vector<WrittenClass> classes;
  std::set<std::string> used;
  for (const auto& [id, group] : source.groups.groups) {
    WrittenClass written;
    written.flags = sideFlags(group.side);
    for (vn::GlyphId member : group.glyphs) written.members.push_back(otl::glyphNameById(member));
    if (withKeys && group.side != vn::kSideNone && hasValidKeyGlyph(group)) {
      written.keyName = group.keyGlyph;
      written.name = uniqueName(kKeyedPrefix + group.keyGlyph, used);
    } else {
      if (withKeys && hasValidKeyGlyph(group)) written.keyName = group.keyGlyph;
      written.name = uniqueName(otl::glyphNameById(id), used);
    }
    classes.push_back(std::move(written));
  }
  return classes;
}

using NamePair = std::pair<std::string, std::string>;

// What a pair carries in the file: its value truncated; 0 is not kept.
int32_t fileValue(double value) { return vn::saturateInt32(value); }

// The font's kerning as the reader should see it again: every glyph pair with a
// value that survives truncation.
std::map<NamePair, int32_t> expectedPairs(const vn::FontKerning& kerning) {
  std::list<vn::NamedGlyphPair> flat;
  kerning.flatGlyphPairs(flat);
  std::map<NamePair, int32_t> expected;
  for (const vn::NamedGlyphPair& pair : flat) {
    const int32_t value = fileValue(pair.value);
    if (value != 0) expected[{pair.first, pair.second}] = value;
  }
  return expected;
}

bool splitsCleanly(const std::string& name) {
  return !name.empty() && name.find_first_of(kMemberSeparators) == std::string::npos && name.back() != kKeyMark;
}

// Expands what the reader rebuilds from the written classes and glyph pairs: key
// glyph pairs turn back into class pairs, and a more specific pair wins over a class
// pair that covers it. False when the classes cannot be read back unambiguously.
bool rebuiltPairs(const std::vector<WrittenClass>& classes, const std::list<vn::NamedGlyphPair>& pairs,
                  const std::map<std::string, int32_t>& glyphIndex, std::map<NamePair, int32_t>& out) {
  std::map<std::string, const WrittenClass*> keyed[2];
  std::set<std::string> covered[2];
  for (const WrittenClass& written : classes) {
    for (const std::string& member : written.members) {
      if (!splitsCleanly(member)) return false;
    }
    if (written.keyName.empty() || written.name.size() < 2 || written.name[0] != '_') continue;
    // The reader cuts a class definition at its first ':'.
    if (written.name.find(':') != std::string::npos) return false;
    for (int side = 0; side < 2; ++side) {
      const int32_t flag = side == 0 ? info::kFirstSideFlag : info::kSecondSideFlag;
      if (!(written.flags & flag)) continue;
      // One class per key glyph and side, and no glyph in two classes of a side.
      if (!keyed[side].emplace(written.keyName, &written).second) return false;
      for (const std::string& member : written.members) {
        if (!covered[side].insert(member).second) return false;
      }
    }
  }
  std::map<NamePair, std::pair<int, int32_t>> ranked;
  // Classes of hostile size would expand without end: past the model's own limit the
  // kerning is written flat instead.
  uint64_t budget = vn::FontKerning::kMaxExpandedPairs;
  for (const vn::NamedGlyphPair& pair : pairs) {
    const int32_t value = fileValue(pair.value);
    if (value == 0 || !glyphIndex.count(pair.first) || !glyphIndex.count(pair.second)) continue;
    auto firstClass = keyed[0].find(pair.first);
    auto secondClass = keyed[1].find(pair.second);
    const bool firstIsClass = firstClass != keyed[0].end();
    const bool secondIsClass = secondClass != keyed[1].end();
    const std::vector<std::string> single1{pair.first}, single2{pair.second};
    const auto& firsts = firstIsClass ? firstClass->second->members : single1;
    const auto& seconds = secondIsClass ? secondClass->second->members : single2;
    // Class-class, class-glyph, glyph-class, glyph-glyph: later ranks win.
    const int rank = (firstIsClass ? 0 : 2) + (secondIsClass ? 0 : 1);
    const uint64_t combinations = static_cast<uint64_t>(firsts.size()) * seconds.size();
    if (combinations > budget) return false;
    budget -= combinations;
    for (const std::string& a : firsts) {
      for (const std::string& b : seconds) {
        auto [it, inserted] = ranked.try_emplace(NamePair{a, b}, rank, value);
        if (!inserted && rank >= it->second.first) it->second = {rank, value};
      }
    }
  }
  out.clear();
  for (const auto& [names, entry] : ranked) out[names] = entry.second;
  return true;
}

void buildClassBlock(const std::vector<WrittenClass>& classes, KerningPreparation& out) {
  out.kerningClassTexts.clear();
  out.kerningClassBlock.clear();
  if (classes.empty()) return;
  Stream block;
  block.setGrowable(true);
  block.writeInt(static_cast<int32_t>(classes.size()));
  for (const WrittenClass& written : classes) {
    out.kerningClassTexts[written.name] = memberText(written.members, written.keyName);
    block.writeString(written.name);
    block.writeInt(written.flags);
    block.writeInt(0);
  }
  const auto bytes = block.written();
  out.kerningClassBlock.assign(bytes.begin(), bytes.end());
}

}  // namespace

void prepareKerning(vn::Font& font, KerningPreparation& out, KerningLayoutRoutes* routes) {
  const vn::FontKerning& fontKerning = font.kerning();
  vn::FontKerning converted;
  const bool useConverted = convertKerningClasses(fontKerning, converted, routes) && !converted.pairs.empty();
  const vn::FontKerning& source = useConverted ? converted : fontKerning;

  std::map<std::string, int32_t> glyphIndex;
  int32_t position = 0;
  for (const vn::Glyph* glyph : font.glyphs) {
    if (glyph) glyphIndex[glyph->name] = position++;
  }

  out.featureClassTexts.clear();
  std::set<std::string> featureNames;
  std::vector<vn::LayoutClassEntry> entries;
  font.layout.listGlyphClasses(entries);
  for (const vn::LayoutClassEntry& entry : entries) {
    if (!entry.group) continue;
    std::vector<std::string> members;
    for (vn::GlyphId member : entry.group->members()) members.push_back(otl::glyphNameById(member));
    out.featureClassTexts[entry.name] = memberText(members, entry.group->keyGlyph);
    featureNames.insert(entry.name);
  }

  std::vector<WrittenClass> classes = classesToWrite(source, true);
  source.flatGlyphPairs(out.glyphKerning);
  std::map<NamePair, int32_t> rebuilt;
  bool faithful = rebuiltPairs(classes, out.glyphKerning, glyphIndex, rebuilt) &&
                  rebuilt == expectedPairs(fontKerning);
  // A layout class of the same name would replace a kerning class's definition.
  for (const WrittenClass& written : classes) {
    if (featureNames.count(written.name)) faithful = false;
  }
  out.flattened = !faithful;
  if (!faithful) {
    classes = classesToWrite(fontKerning, false);
    fontKerning.flatGlyphPairs(out.glyphKerning);
  }
  buildClassBlock(classes, out);
}

}  // namespace qtf
