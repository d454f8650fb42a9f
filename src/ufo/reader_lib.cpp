// "lib.plist": the font lib tree for the driver, the entries this program interprets
// (TrueType hinting, font guides, the glyph order) and the kept rest.
#include <set>
#include <sstream>

#include "hinting/ufo_hinting.h"
#include "ufo/font_hints_parser.h"
#include "ufo/glyph_lib_parsers.h"
#include "ufo/lib_writer.h"
#include "ufo/reader_font.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {

constexpr const char* kFontLibDict = "FontLibDict";
constexpr const char* kOldTrueTypeHinting = "com.quorvel.tthinting";
constexpr int kLibIndentation = 4;

// The hinting library's view of a parsed dict (depth already bounded by the tree).
// Keys name zones and stems: in the model's text form, as the point and zone names
// of the glyph programs are, so that the programs find them.
vn::HintLibNode hintNode(const PListNode& node, ReadWarnings* warnings) {
  vn::HintLibNode copy;
  copy.type = node.type();
  copy.key = modelText(node.key(), warnings);
  copy.value = node.value();
  for (const PListNode* child = node.firstChild(); child; child = child->next()) {
    copy.children.push_back(hintNode(*child, warnings));
  }
  return copy;
}

}  // namespace

void UfoFontParser::applyLib() {
  if (!libRoot_) return;
  PListNode* fontLib = nullptr;
  if (const auto* dict = lib_.rootDict()) {
    dictEntries(dict);  // a wrong structure fails the read as for the other lists
    auto tree = std::make_unique<PListNode>(plist::kDict, dict->first_node());
    fontLib = tree.get();
    libRoot_->appendDictEntry(tree, kFontLibDict);
  }

  std::set<std::string> consumed;
  std::vector<std::string> lostRounding;
  if (const PListNode* old = libRoot_->findChild(plist::kData, kOldTrueTypeHinting)) {
    std::string text = old->value();
    if (!text.empty() && text.front() != '<') text = libDataText("<data>" + text + "</data>");
    std::istringstream in(text);
    FontHintsXMLParser hints;
    if (!hints.parse(in, font_)) {
      warnings_.list(warning::kUnreadableLibEntry, warning::kUnreadableLibEntryLine,
                     kOldTrueTypeHinting);
    }
    lostRounding = hints.lostRounding();
    consumed.insert(kOldTrueTypeHinting);
  } else if (const PListNode* dict = libRoot_->findChild(plist::kDict, libkey::kTrueTypeHinting)) {
    lostRounding = vn::readFontHintingDict(hintNode(*dict, &warnings_), font_->hinting);
    consumed.insert(libkey::kTrueTypeHinting);
  }
  for (const std::string& stem : lostRounding) {
    warnings_.list(warning::kStemRounding,
                   "stem rounding entries beyond the six pixel widths the native stem record holds are left out",
                   stem);
  }
  if (const PListNode* guides = libRoot_->findChild(plist::kArray, libkey::kGuides)) {
    readGuidelineList(*guides, *font_->guideLayer());
    consumed.insert(libkey::kGuides);
  }
  if (const PListNode* order = libRoot_->findChild(plist::kArray, libkey::kGlyphOrder)) {
    for (const PListNode* name = order->firstChild(); name; name = name->next()) {
      glyphOrder_.push_back(modelText(name->value(), &warnings_));
    }
    consumed.insert(libkey::kGlyphOrder);
  }

  if (!fontLib) return;
  for (const PListNode* entry = fontLib->firstChild(); entry; entry = entry->next()) {
    if (consumed.count(entry->key())) continue;
    warnings_.list(warning::kFontLib, "lib.plist entries that the native format does not carry are left out",
                   entry->key());
    std::string text;
    entry->appendXml(text, kLibIndentation, false, false);
    style_->lib[modelText(entry->key(), &warnings_)] = std::move(text);
  }
}

}  // namespace ufo
