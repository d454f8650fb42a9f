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

  // All pairs first (the first of a repeated pair wins).
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

  // Non-zero pairs first: a 0 is kept only as an exception to a less specific pair
  // that is already stored, whatever the order of the file.
  for (const auto& [key, value] : pairs) {
    if (value != 0.0) kerning.setPair(key.first, key.second, value, false);
  }
  for (const auto& [key, value] : pairs) {
    if (value == 0.0) kerning.setPair(key.first, key.second, 0.0, false);
  }
}

}  // namespace ufo
