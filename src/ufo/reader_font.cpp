#include "ufo/reader_font.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <sstream>
#include <unordered_set>

#include "layout/registry/glyph_name_registry.h"
#include "model/glyph_data.h"
#include "model/layer.h"
#include "model/layout_object.h"
#include "model/numbers.h"
#include "model/style.h"
#include "platform/file_system.h"
#include "platform/files.h"
#include "ufo/fontinfo_reader.h"
#include "ufo/layout_document.h"
#include "ufo/limits.h"
#include "ufo/parser.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {

constexpr const char* kMetaInfo = "metainfo.plist";
constexpr const char* kFontInfo = "fontinfo.plist";
constexpr const char* kGroups = "groups.plist";
constexpr const char* kKerning = "kerning.plist";
constexpr const char* kLib = "lib.plist";
constexpr const char* kContents = "glyphs/contents.plist";
constexpr const char* kGlyphsFolder = "glyphs";
constexpr std::string_view kGlyphFileSuffix = ".glif";
constexpr const char* kLayerContents = "layercontents.plist";
constexpr const char* kDefaultLayerInfo = "glyphs/layerinfo.plist";
constexpr const char* kFeatures = "features.fea";
constexpr const char* kOpenError = "Error while opening UFO: ";
constexpr const char* kDict = "dict";
constexpr const char* kArray = "array";

constexpr std::size_t kTtxByte = 1;

// Case aside, as a case-blind file system opens "A_.GLIF" for "A_.glif".
bool isGlyphFileName(std::string_view name) {
  if (name.size() <= kGlyphFileSuffix.size()) return false;
  const std::string_view suffix = name.substr(name.size() - kGlyphFileSuffix.size());
  return std::equal(suffix.begin(), suffix.end(), kGlyphFileSuffix.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

std::string_view elementName(const rapidxml::xml_node<char>* element) {
  return element ? std::string_view(element->name(), element->name_size()) : std::string_view();
}

std::vector<PListEntry> dictEntries(const rapidxml::xml_node<char>* dict) {
  std::vector<PListEntry> entries;
  if (!dict) return entries;
  detail::forEachDictPair(dict, [&](const rapidxml::xml_node<char>* key, const rapidxml::xml_node<char>* value) {
    entries.push_back(PListEntry{elementText(key), value});
  });
  return entries;
}

UfoFontParser::UfoFontParser(Parser* owner) : parser_(owner), warnings_(&std::cout) {}

bool UfoFontParser::read(FontStylePair& pair, PListNode* libRoot, const vn::ImportOptions* options) {
  if (!pair.font || !pair.style || !parser_) return false;
  options_ = options;
  font_ = pair.font;
  style_ = pair.style;
  libRoot_ = libRoot;
  glyphOrder_.clear();
  emptyGroups_.clear();
  warnings_ = ReadWarnings(&std::cout);
  glyphParser_.setTarget(font_, style_);
  glyphParser_.setWarnings(&warnings_);
  plistNodesLeft_ = PListNodeBudget{plistNodeLimit_, plistNodeLimit_};
  plistParser_.setNodeBudget(&plistNodesLeft_);
  glyphParser_.setNodeBudget(&plistNodesLeft_);
  lib_.setTreeBuilt(true);

  bool result = false;
  try {
    if (loadDocuments()) {
      // Each list is let go once applied: with the glyphs loaded they would add to
      // the peak memory of large fonts.
      applyMetaInfo();
      meta_.clear();
      applyFontInfo();
      fontInfo_.clear();
      applyLib();
      lib_.clearKeepingTree();  // the tree stays in the lib root
      const std::size_t earlierGlyphs = font_->glyphCount();
      applyGlyphs();
      contents_.clear();
      noteMissingComponents();
      noteStructureChanges();
      notePointNames();
      deriveWinMetrics();
      registerEarlierNames(earlierGlyphs);
      applyGroups();
      groups_.clear();
      applyKerning();
      kerning_.clear();
      readLayoutFiles();
      noteDefaultLayerInfo();
      noteOtherLayers();
      noteDataFiles();
      noteImageFiles();
      result = true;
    }
  } catch (const UfoParserException& error) {
    std::cerr << kOpenError << error.code << '\n' << std::flush;
    result = false;
  } catch (const MemberError& error) {
    std::cerr << kOpenError << error.what() << '\n' << std::flush;
    result = false;
  } catch (const LayoutAssertException&) {
    throw;
  } catch (...) {
    result = false;
  }
  for (PListDocument* document : {&meta_, &fontInfo_, &groups_, &kerning_, &lib_, &contents_}) {
    document->clear();
  }
  warnings_.flush();
  return result;
}

bool UfoFontParser::loadDocuments() {
  struct Member {
    const char* name;
    PListDocument* document;
  };
  const Member members[] = {{kMetaInfo, &meta_}, {kFontInfo, &fontInfo_}, {kGroups, &groups_},
                            {kKerning, &kerning_}, {kLib, &lib_},        {kContents, &contents_}};
  for (const Member& member : members) {
    member.document->clear();
    std::string text;
    if (!parser_->readMember(member.name, text, kMaxPropertyListBytes)) {
      if (member.document == &meta_) throw MemberError::missing(kMetaInfo);
      if (member.document == &contents_ && glyphsFolderHoldsGlyphFiles()) throw MemberError::missing(kContents);
      continue;
    }
    if (!plistParser_.parse(std::move(text), *member.document, member.name)) return false;
    if (member.document->rootDict()) continue;
    // A list without a dict reads as an empty one. Read so, the glyph list would lose
    // every glyph file of the folder.
    if (member.document == &contents_ && glyphsFolderHoldsGlyphFiles()) {
      if (!member.document->firstNode()) throw MemberError::emptyList(kContents);
      throw MemberError::wrongRoot(kContents, kDict);
    }
    if (holdsData(*member.document)) {
      warnings_.report(warning::kUnreadList + std::string(member.name), warning::listNotRead(member.name));
    }
  }
  return true;
}

bool UfoFontParser::glyphsFolderHoldsGlyphFiles() {
  switch (parser_->memberKind(kGlyphsFolder)) {
    case vn::PathKind::kAbsent:
      return false;
    case vn::PathKind::kFolder: {
      const auto entries = vn::listFolder(parser_->resolve(kGlyphsFolder));
      if (!entries) return true;
      // Only glyph files can be lost: ".DS_Store" or "layerinfo.plist" beside an empty
      // list leave nothing unread.
      return std::any_of(entries->begin(), entries->end(),
                         [](const vn::FolderEntry& entry) { return !entry.isFolder && isGlyphFileName(entry.name); });
    }
    default:
      throw MemberError::notFolder(kGlyphsFolder);
  }
}

bool UfoFontParser::holdsData(const PListDocument& document) {
  // Containers with nothing in them hold nothing; any other element, or text, is data.
  // Text stands in data nodes or, parsed without them, as the element's value.
  const auto blank = [](const rapidxml::xml_base<char>* node) {
    return std::string_view(node->value(), node->value_size()).find_first_not_of(" \t\r\n") ==
           std::string_view::npos;
  };
  const auto holds = [&blank](const auto& self, const rapidxml::xml_node<char>* node) -> bool {
    for (; node; node = node->next_sibling()) {
      if (node->type() == rapidxml::node_data || node->type() == rapidxml::node_cdata) {
        if (!blank(node)) return true;
        continue;
      }
      if (node->type() != rapidxml::node_element) continue;
      const std::string_view name = elementName(node);
      if ((name != "plist" && name != kDict && name != kArray) || !blank(node)) return true;
      if (self(self, node->first_node())) return true;
    }
    return false;
  };
  return holds(holds, document.xml().first_node());
}

void UfoFontParser::applyMetaInfo() {
  for (const PListEntry& entry : dictEntries(meta_.rootDict())) {
    if (entry.key == "creator") {
      style_->names.namedStrings["ufo_creator"] = modelText(elementText(entry.value), &warnings_);
    } else if (entry.key == "formatVersion") {
      style_->names.namedStrings["ufo_formatVersion"] = elementText(entry.value);
    }
  }
}

void UfoFontParser::applyFontInfo() {
  FontInfoReader reader(font_, style_, &warnings_);
  for (const PListEntry& entry : dictEntries(fontInfo_.rootDict())) {
    const auto* first = entry.value->first_node();
    if (first && first->type() == rapidxml::node_element) {
      reader.readArrayKey(entry.key, entry.value);
    } else {
      reader.readKey(entry.key, elementName(entry.value), elementText(entry.value));
    }
  }
  reader.finish();
  winAscentGiven_ = reader.hasMetric(FontInfoReader::kWinAscent);
  winDescentGiven_ = reader.hasMetric(FontInfoReader::kWinDescent);
}

void UfoFontParser::deriveWinMetrics() {
  if ((winAscentGiven_ && winDescentGiven_) || font_->glyphs.empty()) return;
  // As a font compiler derives them: the font's bounds, never below 0.
  const vn::Rect box = font_->boundingBox(nullptr);
  if (box.empty) return;
  vn::FontMetrics& metrics = style_->metrics;
  const char* const line = "fontinfo.plist lacks win metrics the native format must hold; taken from the glyphs' bounds";
  if (!winAscentGiven_) {
    metrics.winAscent = std::max(0.0, std::ceil(box.yMax));
    warnings_.list(warning::kDerivedMetrics, line, "openTypeOS2WinAscent " + vn::formatNumber(metrics.winAscent, 0));
  }
  if (!winDescentGiven_) {
    metrics.winDescent = std::max(0.0, -std::floor(box.yMin));
    warnings_.list(warning::kDerivedMetrics, line, "openTypeOS2WinDescent " + vn::formatNumber(metrics.winDescent, 0));
  }
}

void UfoFontParser::registerEarlierNames(std::size_t count) {
  // The glyphs read were named, and so registered, as they were made; those the font
  // held before come next, in font order.
  auto& registry = otl::glyphNameRegistry();
  auto glyph = font_->glyphs.begin();
  for (std::size_t i = 0; i < count && glyph != font_->glyphs.end(); ++i, ++glyph) {
    if (*glyph) registry.idForName((*glyph)->name);
  }
}

void UfoFontParser::readLayoutFiles() {
  // The compiler's messages name the font: take the name the native reader would, from fontinfo.
  if (font_->name.empty()) font_->name = style_->names.fontName;
  vn::FontLayout& layout = font_->layout;
  const bool document = options_ && options_->bytes[kTtxByte] && !layout.hasFeatures();
  // The feature text is kept verbatim by the layout member. With the layout XML document
  // it is compiled first all the same: the document holds no GDEF, which the text gives,
  // and the layout compares the two. A document that reads wins over the text.
  std::string text;
  if (!layout.hasFeatures() && parser_->readMember(kFeatures, text, kMaxFeatureTextBytes)) {
    std::istringstream in(std::move(text));
    layout.importFeatureText(in);
  }
  std::string xml;
  if (document && parser_->readMember(kLayoutDocumentMember, xml, kMaxLayoutDocumentBytes)) {
    std::istringstream in(std::move(xml));
    layout.importFeatures(in);
  }
}

void UfoFontParser::noteMissingComponents() {
  std::unordered_set<std::string> names;
  for (const vn::Glyph* glyph : font_->glyphs) {
    if (glyph) names.insert(glyph->name);
  }
  for (const vn::Glyph* glyph : font_->glyphs) {
    if (!glyph) continue;
    for (const vn::Component& component : glyph->components) {
      if (!component.baseName.empty() && !names.count(component.baseName)) {
        warnings_.list(warning::kMissingComponent, "components naming a glyph the font lacks are left out",
                       glyph->name + " (" + component.baseName + ")");
      }
    }
  }
}

bool UfoFontParser::parseNamingList(const char* member, PListDocument& document, std::string& problem) {
  // Such a list only names what the native file leaves out: one that cannot be read
  // costs those names, not the font.
  std::string text;
  problem.clear();
  try {
    if (!parser_->readMember(member, text, kMaxPropertyListBytes)) return false;
  } catch (const MemberError& error) {  // a dangling link, a FIFO, a folder, ...
    problem = "it " + error.problem();
    return true;
  }
  if (!plistParser_.parseText(std::move(text), document)) {
    const std::size_t line = plistParser_.errorLine();
    problem = plistParser_.errorMessage() + (line > 0 ? " at line " + std::to_string(line) : std::string());
  }
  return true;
}

void UfoFontParser::noteDefaultLayerInfo() {
  PListDocument document;
  std::string problem;
  if (!parseNamingList(kDefaultLayerInfo, document, problem)) return;
  // Empty or blank, it holds nothing to lose, as the other lists read.
  if (problem.empty() && !document.rootDict() && holdsData(document)) {
    problem = "it is not a property list holding a dict";
  }
  if (!problem.empty()) {
    warnings_.report(warning::kDefaultLayerInfo, warning::defaultLayerInfoNotRead(kDefaultLayerInfo, problem));
    return;
  }
  for (const PListEntry& entry : dictEntries(document.rootDict())) {
    warnings_.list(warning::kDefaultLayerInfo, warning::defaultLayerInfoKeys(kDefaultLayerInfo),
                   modelText(entry.key, &warnings_));
  }
}

void UfoFontParser::noteOtherLayers() {
  PListDocument document;
  std::string unread;
  if (!parseNamingList(kLayerContents, document, unread)) return;
  if (unread.empty()) {
    if (!document.firstNode()) {
      unread = "it is empty";
    } else if (elementName(document.rootElement()) != kArray) {
      unread = "it is not a property list holding an array";
    }
  }
  if (!unread.empty()) {
    warnings_.report(warning::kLayerList, warning::layerListNotRead(kLayerContents, unread));
    return;
  }
  // Each entry is an array of the layer name and its folder; "glyphs" is the default.
  for (const auto* layer = document.rootElement()->first_node(); layer; layer = layer->next_sibling()) {
    if (layer->type() != rapidxml::node_element) continue;
    std::vector<std::string> texts;
    for (const auto* part = layer->first_node(); part; part = part->next_sibling()) {
      if (part->type() == rapidxml::node_element) texts.push_back(elementText(part));
    }
    if (texts.size() < 2 || texts[1] == "glyphs") continue;
    warnings_.list(warning::kLayers, warning::notCarried("glyph layers other than the default one"),
                   modelText(texts[0], &warnings_));
  }
}

}  // namespace ufo
