// The finishing steps of the native reader: what the records left behind by index
// (glyph names, components, kerning, class texts, feature text) becomes model data.
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "hinting/autohint_glyph.h"
#include "layout/registry/glyph_name_registry.h"
#include "model/font.h"
#include "model/glyph.h"
#include "model/glyph_data.h"
#include "model/kerning.h"
#include "model/numbers.h"
#include "model/style.h"
#include "model/style_names.h"
#include "native/kerning_classes.h"
#include "native/parser_impl.h"
#include "native/tags.h"

namespace qtf {

namespace {

constexpr const char* kClassMemberSeparators = ", ;\t\n\r";
constexpr const char* kInvalidMemberPrefix = "_nonexistentGlyph";
constexpr int32_t kLeftClassKind = 1;
constexpr int32_t kRightClassKind = 2;
constexpr int32_t kPlainClassKind = 4;

// Gives every glyph a name no earlier glyph has. The next counter of each base is
// remembered, so many glyphs of one name cost no rescans.
class UniqueNames {
 public:
  std::string claim(const std::string& name) {
    if (taken_.insert(name).second) return name;
    const std::string base = Parser::Impl::nameBase(name);
    uint64_t& counter = nextCounter_[base];
    if (counter == 0) counter = 1;
    std::string candidate;
    do {
      ++counter;
      candidate = base + vn::formatUnsigned(counter);
    } while (taken_.count(candidate) != 0);
    taken_.insert(candidate);
    return candidate;
  }

 private:
  std::unordered_set<std::string> taken_;
  std::unordered_map<std::string, uint64_t> nextCounter_;
};

// Turns the relative replacement indices of the "Body" layer into absolute ones.
void resolveReplacements(vn::Glyph& glyph) {
  vn::VarnelData* data = glyph.varnelDataIfAny();
  if (!data) return;
  vn::Layer* layer = data->findLayer(vn::Layer::kBody);
  if (!layer || layer->replacements.empty()) return;
  if (layer->hints.empty()) {
    layer->replacements.clear();
    return;
  }
  std::vector<int32_t> horizontal;
  std::vector<int32_t> vertical;
  for (size_t i = 0; i < layer->hints.size(); ++i)
    (layer->hints[i].horizontal ? horizontal : vertical).push_back(static_cast<int32_t>(i));
  std::vector<int32_t> outlinePoints;  // absolute index of each move / on-curve node
  int32_t absolute = 0;
  for (const auto& element : layer->elements) {
    for (const auto& contour : element.contours) {
      for (const auto& node : contour.nodes) {
        if (node.type == vn::Node::kMove || node.type == vn::Node::kOnCurve) outlinePoints.push_back(absolute);
        ++absolute;
      }
    }
  }
  auto pick = [](const std::vector<int32_t>& table, int32_t index, int32_t& out) {
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return false;
    out = table[static_cast<size_t>(index)];
    return true;
  };
  std::list<vn::ReplacementRecord> resolved;
  for (const auto& entry : layer->replacements) {
    int32_t target = 0;
    int32_t kind = entry.kind;
    bool ok = false;
    if (entry.kind == kReplaceHorizontal) {
      ok = pick(horizontal, entry.index, target);
    } else if (entry.kind == kReplaceVertical) {
      ok = pick(vertical, entry.index, target);
    } else if (entry.kind == kReplacePoint) {
      ok = pick(outlinePoints, entry.index, target);
      kind = 3;
    }
    if (ok) resolved.push_back(vn::ReplacementRecord{kind, target, -1, std::string()});
  }
  layer->replacements = std::move(resolved);
}

// PostScript hint sets for a small "Body" layer whose hints overlap within a set.
constexpr int32_t kAutohintMaxPoints = 200;
constexpr size_t kAutohintMaxHints = 40;

void autohintBody(vn::Glyph& glyph) {
  vn::VarnelData* data = glyph.varnelDataIfAny();
  vn::Layer* layer = data ? data->findLayer(vn::Layer::kBody) : nullptr;
  if (!layer || layer->pointCount() >= kAutohintMaxPoints || layer->hints.size() >= kAutohintMaxHints) return;
  vn::AutohintOptions options;
  options.setDefaults();
  vn::AutohintGlyphQuorvel autohinter(options, nullptr);
  autohinter.autohint(layer);
}

// Group member ids of names; names without an id (the empty name) are left out.
vn::GlyphIdList memberIds(const std::vector<std::string>& members) {
  vn::GlyphIdList ids;
  for (const auto& member : members) {
    const uint32_t id = otl::glyphNameRegistry().idForName(member);
    if (id != 0) ids.push_back(id);
  }
  return ids;
}

std::string classDefinitionsText(const std::map<std::string, std::string>& definitions) {
  std::string text;
  int counter = 0;
  for (const auto& [name, members] : definitions) {
    if (name.empty() || members.empty()) continue;
    if (name[0] != '@') text += '@';
    text += name;
    text += " = [";
    std::vector<std::string> list;
    bool hasKey = false;
    Parser::Impl::splitClassMembers(members, list, hasKey);
    for (size_t i = 0; i < list.size(); ++i) {
      if (i > 0) text += ' ';
      if (otl::isValidGlyphName(list[i])) {
        text += list[i];
      } else {
        text += kInvalidMemberPrefix + vn::formatInteger(counter++) + " ";
      }
    }
    text += "];\n";
  }
  return text;
}

}  // namespace

std::string Parser::Impl::nameBase(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name;
  if (name.find_first_not_of("0123456789", dot + 1) != std::string::npos) return name;
  return name.substr(0, dot);
}

int32_t Parser::Impl::splitClassMembers(const std::string& text, std::vector<std::string>& members,
                                        bool& hasKey) {
  members.clear();
  hasKey = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(kClassMemberSeparators, start);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(start, end - start);
    if (!piece.empty()) {
      if (piece.size() > 1 && piece.back() == '\'') {
        piece.pop_back();
        members.insert(members.begin(), std::move(piece));
        hasKey = true;
      } else {
        members.push_back(std::move(piece));
      }
    }
    start = end + 1;
  }
  return static_cast<int32_t>(members.size());
}

void Parser::Impl::finish(std::vector<PendingKerning>& pending) {
  // 1. Unique names and per-glyph fix-ups; the index table maps glyph index to glyph.
  std::vector<vn::Glyph*> byIndex;
  byIndex.reserve(font->glyphCount());
  UniqueNames unique;
  for (vn::Glyph* glyph : font->glyphs) {
    if (!glyph) continue;
    byIndex.push_back(glyph);
    const std::string claimed = unique.claim(glyph->name);
    if (claimed != glyph->name) glyph->setName(claimed);
    resolveReplacements(*glyph);
    if (options.bytes[0] != 0) autohintBody(*glyph);
  }

  // 2. Component names given by glyph index.
  for (vn::Glyph* glyph : byIndex) {
    for (auto& component : glyph->components) {
      const auto index = vn::parseUint32(component.baseName);
      if (index && *index < byIndex.size()) component.baseName = byIndex[*index]->name;
    }
  }

  // 3. Weight and width classes from the style words.
  vn::FontMetrics& metrics = style->metrics;
  if (metrics.weightValue == 400.0 && !style->names.weightName.empty()) {
    int length = 0;
    int weightClass = 0;
    if (vn::weightClassForName(style->names.weightName, length, weightClass) != -1)
      metrics.weightValue = weightClass;
  }
  if (metrics.widthValue == 5.0 && !style->names.widthName.empty()) {
    int length = 0;
    int widthClass = 0;
    if (vn::widthClassForName(style->names.widthName, length, widthClass) != -1)
      metrics.widthValue = widthClass;
  }

  // 4. Every glyph name gets its registry id.
  otl::glyphNameRegistry().registerNames(font->glyphs);

  // 5. Pending kerning by index becomes kerning by name.
  std::vector<NamedKerning> pairs;
  for (const auto& entry : pending) {
    if (entry.first < byIndex.size() && entry.second < byIndex.size() && entry.value != 0.0)
      pairs.push_back({byIndex[entry.first]->name, byIndex[entry.second]->name, entry.value});
  }

  // 6. Kerning classes by their key member, each with the name of its group.
  struct KeyedClass {
    std::string groupName;
    std::vector<std::string> members;
  };
  std::map<std::string, KeyedClass> leftKeys;
  std::map<std::string, KeyedClass> rightKeys;
  std::set<std::string> kerningClasses;
  auto collect = [&](const std::vector<std::string>& classNames, uint32_t side, auto& keyMap) {
    for (const auto& className : classNames) {
      const auto found = state.classDefinitions.find(className);
      if (found == state.classDefinitions.end()) continue;
      std::vector<std::string> members;
      bool hasKey = false;
      if (splitClassMembers(found->second, members, hasKey) > 0 && hasKey) {
        const std::string key = members.front();
        keyMap[key] = KeyedClass{keyedClassGroupName(className, key, side), std::move(members)};
        kerningClasses.insert(className);
      }
    }
  };
  collect(state.firstSideClasses, vn::kSideFirst, leftKeys);
  collect(state.secondSideClasses, vn::kSideSecond, rightKeys);

  // 7. Feature-file text.
  if (state.hasFeatureText) {
    if (options.bytes[1] == 0) {
      std::istringstream text(state.featureText);
      font->layout.importFeatureText(text);
    } else {
      std::istringstream text(classDefinitionsText(state.classDefinitions) + state.featureText);
      font->layout.compileFeatures(text, style->names.fontName, true, false);
    }
  }

  // 8. Kerning class groups, left then right.
  for (const auto& [key, keyed] : leftKeys)
    font->addGroup(keyed.groupName, memberIds(keyed.members), kLeftClassKind, key);
  for (const auto& [key, keyed] : rightKeys)
    font->addGroup(keyed.groupName, memberIds(keyed.members), kRightClassKind, key);

  // 9. Plain classes.
  for (const auto& [className, text] : state.classDefinitions) {
    if (kerningClasses.count(className)) continue;
    std::vector<std::string> members;
    bool hasKey = false;
    splitClassMembers(text, members, hasKey);
    font->addGroup(className, memberIds(members), kPlainClassKind, hasKey ? members.front() : std::string());
  }

  // 10. Kerning pairs; pairs between key glyphs become class pairs.
  auto& registry = otl::glyphNameRegistry();
  vn::FontKerning& kerning = font->kerning();
  for (const auto& pair : pairs) {
    // A side that names no glyph would be stored under id 0, which means "no glyph".
    if (pair.first.empty() || pair.second.empty()) continue;
    const auto leftClass = leftKeys.find(pair.first);
    const auto rightClass = rightKeys.find(pair.second);
    const vn::KerningSide first = leftClass != leftKeys.end()
                                      ? vn::KerningSide::ofClass(registry.idForName(leftClass->second.groupName))
                                      : vn::KerningSide::ofGlyph(registry.idForName(pair.first));
    const vn::KerningSide second = rightClass != rightKeys.end()
                                       ? vn::KerningSide::ofClass(registry.idForName(rightClass->second.groupName))
                                       : vn::KerningSide::ofGlyph(registry.idForName(pair.second));
    kerning.setPair(first, second, pair.value, true);
  }
}

}  // namespace qtf
