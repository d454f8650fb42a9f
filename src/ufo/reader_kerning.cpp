// "groups.plist" and "kerning.plist": groups become kerning classes (their side from
// the name and from how kerning uses them) or plain glyph classes; then the pairs.
#include <map>
#include <set>

#include "layout/registry/glyph_name_registry.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_font.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {

constexpr std::int32_t kPlainClassKind = 4;

[[noreturn]] void wrongStructure() { throw UfoParserException{UfoParserException::kPropertyList}; }

bool isNumberElement(const rapidxml::xml_node<char>* value) {
  const std::string_view name = elementName(value);
  return name == "integer" || name == "real";
}

// One trailing "'" goes (a feature-file mark), except from the name "'" itself.
std::string memberName(std::string name) {
  if (name.size() > 1 && name.back() == '\'') name.pop_back();
  return name;
}

}  // namespace

void UfoFontParser::applyGroups() {
  std::map<std::string, std::vector<std::string>> groups;
  for (const PListEntry& entry : dictEntries(groups_.rootDict())) {
    if (elementName(entry.value) != "array") wrongStructure();
    std::vector<std::string> members;
    for (const auto* member = entry.value->first_node(); member; member = member->next_sibling()) {
      if (member->type() != rapidxml::node_element) continue;
      if (elementName(member) != "string") wrongStructure();
      std::string name = elementText(member);
      if (!name.empty()) members.push_back(modelText(name, &warnings_));
    }
    groups[modelText(entry.key, &warnings_)] = std::move(members);
  }

  // How kerning uses each name: bit 1 as a first side, bit 2 as a second side.
  std::map<std::string, std::uint32_t> usage;
  for (const PListEntry& first : dictEntries(kerning_.rootDict())) {
    if (elementName(first.value) != "dict") wrongStructure();
    usage[modelText(first.key, nullptr)] |= vn::kSideFirst;
    for (const PListEntry& second : dictEntries(first.value)) {
      if (!isNumberElement(second.value)) wrongStructure();
      usage[modelText(second.key, nullptr)] |= vn::kSideSecond;
    }
  }

  auto& registry = otl::glyphNameRegistry();
  for (const auto& [name, members] : groups) {
    const vn::GroupNameInfo info = vn::KerningGroups::parseGroupName(name);
    const auto used = usage.find(name);
    const std::uint32_t side = info.side | (used == usage.end() ? 0u : used->second);
    const std::int32_t kind = side == 0 ? kPlainClassKind : static_cast<std::int32_t>(side);
    vn::GlyphIdList ids;
    std::string firstMember;
    for (const std::string& member : members) {
      const std::string glyphName = memberName(member);
      if (glyphName.empty()) continue;
      if (firstMember.empty()) firstMember = glyphName;
      ids.push_back(registry.idForName(glyphName));
    }
    if (ids.empty()) continue;
    const std::string keyGlyph = info.keyGlyph.empty() ? firstMember : info.keyGlyph;
    font_->addGroup(name, ids, kind, keyGlyph);
  }
}

void UfoFontParser::applyKerning() {
  auto& registry = otl::glyphNameRegistry();
  vn::FontKerning& kerning = font_->kerning();
  auto sideOf = [&](const std::string& name) {
    const vn::GlyphId id = registry.idForName(name);
    if (kerning.groups.find(id)) return vn::KerningSide::ofClass(id);
    return vn::KerningSide::ofGlyph(id);
  };

  // All pairs first (the first of a repeated pair wins), so that the zero exceptions can
  // be set after the pairs they cancel, whatever the order of the file.
  std::vector<std::pair<vn::KerningPairKey, double>> pairs;
  std::set<vn::KerningPairKey> seen;
  for (const PListEntry& first : dictEntries(kerning_.rootDict())) {
    if (elementName(first.value) != "dict") wrongStructure();
    const vn::KerningSide left = sideOf(modelText(first.key, &warnings_));
    for (const PListEntry& second : dictEntries(first.value)) {
      if (!isNumberElement(second.value)) wrongStructure();
      const auto value = readReal(elementText(second.value));
      if (!value) {
        warnings_.report(std::string(warning::kBadNumber) + " kerning", "kerning.plist: value \"" + elementText(second.value) +
                                                  "\" is not a number; the pair is left out");
        continue;
      }
      const vn::KerningSide right = sideOf(modelText(second.key, &warnings_));
      if (left.id() == 0 || right.id() == 0) continue;
      const vn::KerningPairKey key{left, right};
      if (seen.insert(key).second) pairs.emplace_back(key, *value);
    }
  }

  for (const auto& [key, value] : pairs) {
    if (value != 0.0) kerning.setPair(key.first, key.second, value, false);
  }
  for (const auto& [key, value] : pairs) {
    if (value == 0.0 && !key.first.isClass() && !key.second.isClass()) {
      kerning.setPair(key.first, key.second, 0.0, false);
    }
  }
  applyKerningZeroExceptions(pairs);
}

void UfoFontParser::applyKerningZeroExceptions(
    const std::vector<std::pair<vn::KerningPairKey, double>>& pairs) {
  // A zero between a class and a glyph cancels the class pairs for the glyphs of that
  // class; the kerning store keeps such exceptions only between glyphs, so the zero is
  // spread over the members. A more specific pair of the file keeps its own value:
  // glyph-glyph over glyph-class over class-glyph.
  vn::FontKerning& kerning = font_->kerning();
  std::set<std::pair<vn::GlyphId, vn::GlyphId>> glyphPairs;
  std::map<vn::GlyphId, std::vector<vn::GlyphId>> glyphClassPairs;  // glyph -> second classes
  for (const auto& [key, value] : pairs) {
    if (!key.first.isClass() && !key.second.isClass()) glyphPairs.emplace(key.first.id(), key.second.id());
    if (!key.first.isClass() && key.second.isClass()) glyphClassPairs[key.first.id()].push_back(key.second.id());
  }
  std::uint64_t budget = vn::FontKerning::kMaxExpandedPairs;
  auto cancel = [&](vn::GlyphId a, vn::GlyphId b) {
    if (glyphPairs.count({a, b})) return;
    kerning.setGlyphPair(a, b, 0.0, false);
  };
  for (const auto& [key, value] : pairs) {
    if (value != 0.0 || key.first.isClass() == key.second.isClass()) continue;
    const bool classFirst = key.first.isClass();
    const vn::KerningGlyphGroup* group = kerning.groups.find(classFirst ? key.first.id() : key.second.id());
    if (!group) continue;
    for (const vn::GlyphId member : group->glyphs) {
      if (budget == 0) {
        warnings_.report("kerning exceptions", "kerning.plist: too many zero exceptions; the rest are left out");
        return;
      }
      --budget;
      if (!classFirst) {
        cancel(key.first.id(), member);
        continue;
      }
      const vn::GlyphId second = key.second.id();
      bool overridden = false;
      if (auto found = glyphClassPairs.find(member); found != glyphClassPairs.end()) {
        for (const vn::GlyphId klass : found->second) {
          const vn::KerningGlyphGroup* other = kerning.groups.find(klass);
          overridden = overridden || (other && other->contains(second));
        }
      }
      if (!overridden) cancel(member, second);
    }
  }
}

}  // namespace ufo
