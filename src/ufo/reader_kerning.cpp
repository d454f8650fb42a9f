// "groups.plist" and "kerning.plist": groups become kerning classes (their side from
// the name and from how kerning uses them) or plain glyph classes; then the pairs.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "layout/registry/glyph_name_registry.h"
#include "model/numbers.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_font.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {

constexpr std::int32_t kPlainClassKind = 4;

using XmlNode = rapidxml::xml_node<char>;

[[noreturn]] void wrongStructure() { throw UfoParserException{UfoParserException::kPropertyList}; }

bool isNumberElement(const XmlNode* value) {
  const std::string_view name = elementName(value);
  return name == "integer" || name == "real";
}

// One trailing "'" goes (a feature-file mark), except from the name "'" itself.
std::string memberName(std::string name) {
  if (name.size() > 1 && name.back() == '\'') name.pop_back();
  return name;
}

struct Group {
  std::vector<std::string> members;
  // How kerning uses the group: bit 1 as a first side, bit 2 as a second side.
  std::uint32_t usage = 0;
};

// Hash look-ups by a view of the key, so that no key text is copied to look it up.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using SideCache = std::unordered_map<std::string, vn::KerningSide, TextHash, std::equal_to<>>;

// A pair as read from "kerning.plist".
struct KerningEntry {
  vn::KerningPairKey key;
  double value = 0.0;
  bool repeated = false;  // an earlier pair has the same key
};

// Whether the value, truncated toward zero as the native file stores it, is a 32-bit number.
bool fitsInt32(double value) {
  return std::trunc(value) >= std::numeric_limits<std::int32_t>::min() &&
         std::trunc(value) <= std::numeric_limits<std::int32_t>::max();
}

// A side as one number: its kind above its id (a side made by ofGlyph or ofClass has
// only the one id).
std::uint64_t packedSide(const vn::KerningSide& side) {
  return (std::uint64_t{side.kind} << 32) | side.id();
}

// Marks every pair whose key an earlier pair already has: the first of a repeated pair
// wins. Sorted by key, ties in file order, the repeats follow the pair they repeat.
void markRepeatedPairs(std::vector<KerningEntry>& pairs) {
  struct Entry {
    std::uint64_t first;
    std::uint64_t second;
    std::size_t index;
  };
  std::vector<Entry> entries;
  entries.reserve(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    entries.push_back(Entry{packedSide(pairs[i].key.first), packedSide(pairs[i].key.second), i});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.first != b.first) return a.first < b.first;
    if (a.second != b.second) return a.second < b.second;
    return a.index < b.index;
  });
  for (std::size_t i = 1; i < entries.size(); ++i) {
    if (entries[i].first == entries[i - 1].first && entries[i].second == entries[i - 1].second) {
      pairs[entries[i].index].repeated = true;
    }
  }
}

}  // namespace

void UfoFontParser::applyGroups() {
  std::map<std::string, Group, std::less<>> groups;
  std::string memberStorage;
  visitDictEntries(groups_.rootDict(), [&](std::string_view key, const XmlNode* value) {
    if (elementName(value) != "array") wrongStructure();
    Group group;
    for (const auto* member = value->first_node(); member; member = member->next_sibling()) {
      if (member->type() != rapidxml::node_element) continue;
      if (elementName(member) != "string") wrongStructure();
      const std::string_view name = elementTextView(member, memberStorage);
      if (!name.empty()) group.members.push_back(modelText(name, &warnings_));
    }
    groups[modelText(key, &warnings_)] = std::move(group);
  });

  // Only the use of names that are groups matters; kerning names them thousands of
  // times, so they are looked up by hash.
  std::unordered_map<std::string_view, Group*> byName;
  byName.reserve(groups.size());
  for (auto& [name, group] : groups) byName.emplace(name, &group);
  std::string nameStorage;
  auto noteUse = [&](std::string_view key, std::uint32_t side) {
    const auto found = byName.find(modelTextView(key, nameStorage, nullptr));
    if (found != byName.end()) found->second->usage |= side;
  };
  visitDictEntries(kerning_.rootDict(), [&](std::string_view firstKey, const XmlNode* firstValue) {
    if (elementName(firstValue) != "dict") wrongStructure();
    noteUse(firstKey, vn::kSideFirst);
    visitDictEntries(firstValue, [&](std::string_view secondKey, const XmlNode* secondValue) {
      if (!isNumberElement(secondValue)) wrongStructure();
      noteUse(secondKey, vn::kSideSecond);
    });
  });

  auto& registry = otl::glyphNameRegistry();
  for (const auto& [name, group] : groups) {
    const vn::GroupNameInfo info = vn::KerningGroups::parseGroupName(name);
    const std::uint32_t side = info.side | group.usage;
    const std::int32_t kind = side == 0 ? kPlainClassKind : static_cast<std::int32_t>(side);
    vn::GlyphIdList ids;
    std::string firstMember;
    for (const std::string& member : group.members) {
      const std::string glyphName = memberName(member);
      if (glyphName.empty()) continue;
      if (firstMember.empty()) firstMember = glyphName;
      ids.push_back(registry.idForName(glyphName));
    }
    if (ids.empty()) {
      warnings_.list(warning::kEmptyGroups, warning::kEmptyGroupsLine, name);
      emptyGroups_.insert(name);
      continue;
    }
    const std::string keyGlyph = info.keyGlyph.empty() ? firstMember : info.keyGlyph;
    font_->addGroup(name, ids, kind, keyGlyph);
  }
}

void UfoFontParser::applyKerning() {
  auto& registry = otl::glyphNameRegistry();
  vn::FontKerning& kerning = font_->kerning();
  // Side of each key text as first met (the same names recur across the whole list);
  // the model text is made, and its warning given, at that first meeting.
  SideCache sides;
  std::unordered_set<std::string> glyphNames;
  for (const vn::Glyph* glyph : font_->glyphs) {
    if (glyph) glyphNames.insert(glyph->name);
  }
  auto sideOf = [&](std::string_view key) {
    if (const auto found = sides.find(key); found != sides.end()) return found->second;
    const std::string name = modelText(key, &warnings_);
    const vn::GlyphId id = registry.idForName(name);
    const bool isClass = kerning.groups.find(id) != nullptr;
    // A group name ("@..." or "public.kern...") that no group has, or a glyph name that
    // no glyph has: its pairs stand for nothing in the native file. They are left out
    // (id 0): kept as glyph pairs of a glyph that is not in the font, one such pair would
    // stop the native writer from keeping any class pair. An empty group has its line.
    const bool groupName = name.starts_with('@') || name.starts_with("public.kern");
    const bool missing = !isClass && !glyphNames.count(name);
    if (missing && !name.empty() && emptyGroups_.count(name) == 0) {
      if (groupName) {
        warnings_.list(warning::kMissingGroup, warning::kMissingGroupLine, name);
      } else {
        warnings_.list(warning::kMissingKernedGlyph, warning::kMissingKernedGlyphLine, name);
      }
    }
    const vn::KerningSide side = missing      ? vn::KerningSide::ofGlyph(0)
                                 : isClass    ? vn::KerningSide::ofClass(id)
                                              : vn::KerningSide::ofGlyph(id);
    sides.emplace(std::string(key), side);
    return side;
  };

  // All pairs first, in file order; the few whose value the native file cannot hold as
  // it stands are remembered by position, to be named once repeats are known.
  std::vector<KerningEntry> pairs;
  std::vector<std::pair<std::size_t, std::string>> inexact;
  std::string valueStorage;
  visitDictEntries(kerning_.rootDict(), [&](std::string_view firstKey, const XmlNode* firstValue) {
    if (elementName(firstValue) != "dict") wrongStructure();
    const vn::KerningSide left = sideOf(firstKey);
    visitDictEntries(firstValue, [&](std::string_view secondKey, const XmlNode* secondValue) {
      if (!isNumberElement(secondValue)) wrongStructure();
      const std::string_view text = elementTextView(secondValue, valueStorage);
      const auto value = readReal(text);
      if (!value) {
        warnings_.report(std::string(warning::kBadNumber) + " kerning",
                         "kerning.plist: value \"" + std::string(text) + "\" is not a number; the pair is left out");
        return;
      }
      const vn::KerningSide right = sideOf(secondKey);
      if (left.id() == 0 || right.id() == 0) return;
      if (!vn::isIntegral(*value) || !fitsInt32(*value)) {
        inexact.emplace_back(pairs.size(), std::string(firstKey) + " " + std::string(secondKey) + " (" +
                                               std::string(text) + ")");
      }
      pairs.push_back(KerningEntry{vn::KerningPairKey{left, right}, *value, false});
    });
  });
  // The pairs are all taken: the list's document and the look-ups go before the model's
  // pairs are made.
  kerning_.clear();
  SideCache().swap(sides);
  std::unordered_set<std::string>().swap(glyphNames);
  emptyGroups_.clear();
  markRepeatedPairs(pairs);
  for (const auto& [index, item] : inexact) {
    if (pairs[index].repeated) continue;
    if (fitsInt32(pairs[index].value)) {
      warnings_.list(warning::kTruncatedKerning, warning::kTruncatedKerningLine, item);
    } else {
      warnings_.list(warning::kClampedKerning, warning::kClampedKerningLine, item);
    }
  }

  // Non-zero pairs first: a 0 is kept only as an exception to a less specific pair
  // that is already stored, whatever the order of the file.
  for (const KerningEntry& pair : pairs) {
    if (!pair.repeated && pair.value != 0.0) kerning.setPair(pair.key.first, pair.key.second, pair.value, false);
  }
  for (const KerningEntry& pair : pairs) {
    if (!pair.repeated && pair.value == 0.0) kerning.setPair(pair.key.first, pair.key.second, 0.0, false);
  }
}

}  // namespace ufo
