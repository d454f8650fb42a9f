// Loading a layout XML document: the root, table, script list, language, feature list,
// lookup list and lookup handlers, and the commit of a table at its end tag.
#include <algorithm>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "layout/context_subst.h"
#include "layout/extension_lookup.h"
#include "layout/feature_listing.h"
#include "layout/glyph_id_map.h"
#include "layout/layout_bin_parser.h"
#include "layout/layout_fea.h"
#include "layout/lookup_kind_table.h"
#include "layout/ot/exception.h"
#include "layout/ot/limits.h"
#include "layout/text/layout_xml.h"
#include "layout/text/layout_xml_handlers.h"
#include "layout/text/layout_xml_params.h"
#include "model/font.h"
#include "model/numbers.h"
#include "xml/xml_parser.h"

namespace otl::xml {

namespace {

constexpr uint32_t kNoFeature = 65535;
// Characters of the feature-file syntax that no tag may hold.
constexpr const char* kTagBreakers = ";{}#[]<>@'\",\\()=";
// What every reason for refusing the document starts with.
constexpr const char* kRefused = "layout XML: ";

ot::Tag tagOf(const std::string& text) {
  // OpenType tags are one to four printable ASCII characters; those that would end or
  // comment out a statement of the generated feature text are refused.
  const bool sayable = std::all_of(text.begin(), text.end(), [](char c) {
    return c >= 0x20 && c <= 0x7E && std::string_view(kTagBreakers).find(c) == std::string_view::npos;
  });
  if (text.empty() || text.size() > 4 || !sayable) reject("\"" + text.substr(0, 40) + "\" is not a tag");
  return ot::Tag::fromString(text);
}

struct LangSysRecord {
  uint32_t required = kNoFeature;
  std::vector<uint32_t> features;
};

struct ScriptRecord {
  std::string tag;
  LangSysRecord fallback;
  bool hasFallback = false;
  std::map<std::string, LangSysRecord> languages;
};

struct FeatureRecord {
  ot::Tag tag;
  std::vector<uint16_t> lookups;
  FeatureParams params;
};

// Largest character a character-variant parameter holds (24 bits).
constexpr int64_t kMaxParamCharacter = 0xFFFFFF;

class LanguageXMLParser : public LayoutObjectParser {
 public:
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "ReqFeatureIndex")) {
      if (const char* value = firstAttribute(attributes, "value")) target->required = parseU16(value);
    } else if (nameIs(name, "FeatureIndex")) {
      if (const char* value = ::xml::findAttribute(attributes, "value")) target->features.push_back(parseU16(value));
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "LangSys") || nameIs(name, "DefaultLangSys")) popHandler();
  }
  LangSysRecord* target = nullptr;
};

class ScriptListXMLParser : public LayoutObjectParser {
 public:
  void reset() {
    scripts.clear();
    current = ScriptRecord();
  }
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "ScriptTag")) {
      const char* value = firstAttribute(attributes, "value");
      current.tag = value ? value : "";
    } else if (nameIs(name, "DefaultLangSys")) {
      current.hasFallback = true;
      language_.target = &current.fallback;
      pushHandler(language_);
    } else if (nameIs(name, "LangSysTag")) {
      if (const char* value = firstAttribute(attributes, "value")) {
        language_.target = &current.languages[value];
        pushHandler(language_);
      }
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "ScriptList")) {
      popHandler();
    } else if (nameIs(name, "ScriptRecord")) {
      if (!current.tag.empty()) scripts[current.tag] = std::move(current);
      current = ScriptRecord();
    }
  }
  std::map<std::string, ScriptRecord> scripts;
  ScriptRecord current;

 private:
  LanguageXMLParser language_;
};

class FeatureListXMLParser : public LayoutObjectParser {
 public:
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "FeatureRecord")) {
      const char* index = firstAttribute(attributes, "index");
      current_ = index ? static_cast<int32_t>(parseU16(index)) : -1;
      if (!index) state->warn(ReaderState::placeOf(name, state->line), kFeatureWithoutIndex);
      lookups_.clear();
      tag_ = ot::Tag();
      params_ = FeatureParams();
      paramsElement_ = nullptr;
    } else if (nameIs(name, "FeatureTag")) {
      if (const char* value = firstAttribute(attributes, "value")) tag_ = tagOf(value);
    } else if (nameIs(name, "LookupListIndex")) {
      if (const char* value = ::xml::findAttribute(attributes, "value")) lookups_.push_back(parseU16(value));
    } else if (const xml_params::Element* element = xml_params::elementNamed(name)) {
      paramsElement_ = element;
      params_ = FeatureParams();
      params_.kind = element->kind;
      params_.fields.assign(FeatureParams::fieldCount(element->kind), 0);
    } else if (paramsElement_) {
      readParam(name, attributes);
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "FeatureList")) {
      popHandler();
    } else if (paramsElement_ && nameIs(name, paramsElement_->name)) {
      paramsElement_ = nullptr;
    } else if (nameIs(name, "FeatureRecord") && current_ >= 0 && tag_.value() != 0) {
      // A record without its tag names no feature; parameters of a kind the tag cannot
      // carry are dropped.
      if (params_.kind != FeatureParams::kindOf(tag_)) params_ = FeatureParams();
      features[current_] = FeatureRecord{tag_, lookups_, params_};
      current_ = -1;
    }
  }
  std::map<int32_t, FeatureRecord> features;

 private:
  static constexpr const char* kFeatureWithoutIndex =
      "FeatureRecord without an index left out: no language system reaches it";
  void readParam(const char* name, const char** attributes) {
    const char* value = ::xml::findAttribute(attributes, "value");
    if (!value) return;
    if (params_.kind == FeatureParams::Kind::kCharacterVariant && nameIs(name, xml_params::kCharacter)) {
      if (params_.characters.size() >= ot::limits::kMaxCount16) reject("more than 65535 characters in feature parameters");
      params_.characters.push_back(static_cast<uint32_t>(parseNumber(value, 0, kMaxParamCharacter)));
      return;
    }
    const int field = xml_params::fieldIndex(*paramsElement_, name);
    if (field >= 0) params_.fields[static_cast<size_t>(field)] = parseU16(value);
  }

  FeatureParams params_;
  const xml_params::Element* paramsElement_ = nullptr;
  ot::Tag tag_;
  std::vector<uint16_t> lookups_;
  int32_t current_ = -1;
};

class LookupXMLParser : public LayoutObjectParser {
 public:
  void startElement(const char* name, const char** attributes) override {
    if (nameIs(name, "LookupType")) {
      // The kind is fixed once a subtable is in: a late LookupType would relabel them.
      if (!lookup->subtables.empty()) return;
      if (const char* value = firstAttribute(attributes, "value")) {
        lookup->typeCode = fromBinaryLookupType(parseU16(value), lookup->tableId);
      }
      return;
    }
    if (nameIs(name, "LookupFlag")) {
      if (const char* value = firstAttribute(attributes, "value")) lookup->flag = parseU16(value);
      return;
    }
    if (nameIs(name, "MarkFilteringSet")) {
      if (const char* value = firstAttribute(attributes, "value")) lookup->markFilteringSet = parseU16(value);
      return;
    }
    const LookupKindRow* kind = findXmlLookupKind(name);
    if (!kind) return;
    const int32_t format = subtableFormat(*kind, ::xml::findAttribute(attributes, "Format"));
    adoptWrappedKind(*lookup, kind->tableId, kind->kind);
    // Another kind's subtable would be dropped, and the lookup's rules with it.
    if (lookup->tableId != kind->tableId || lookup->typeCode != kind->kind) reject(kNotOfItsLookupType);
    handler_ = createSubtableParser(lookup->createSubtable(), format);
    if (!handler_) reject(kNotOfItsLookupType);
    handler_->lookup = lookup;
    handler_->place = ReaderState::placeOf(name, state->line);
    pushHandler(*handler_);
  }
  void endElement(const char* name) override {
    if (nameIs(name, "Lookup")) popHandler();
  }
  Lookup* lookup = nullptr;

 private:
  std::unique_ptr<SubtableXMLParser> handler_;
};

class LookupListXMLParser : public LayoutObjectParser {
 public:
  void startElement(const char* name, const char** attributes) override {
    if (!nameIs(name, "Lookup")) return;
    // Features and context rules call lookups by this number: a lookup without one is
    // read past, as no call can reach it. A number given twice makes both lookups; calls
    // reach the later one.
    const char* index = firstAttribute(attributes, "index");
    if (!index) {
      state->warn(ReaderState::placeOf(name, state->line), kLookupWithoutIndex);
      skip_ = SkipParser();
      pushHandler(skip_);
      return;
    }
    const uint16_t documentIndex = parseU16(index);
    state->lookupPlace = ReaderState::placeOf(name, state->line) + " (index " + index + ")";
    Lookup* lookup = lookups->createLookup();
    lookup->tableId = tableId;
    (*indexMap)[documentIndex] = lookup->index;
    created->push_back(lookup->index);
    lookup_ = LookupXMLParser();
    lookup_.lookup = lookup;
    pushHandler(lookup_);
  }
  void endElement(const char* name) override {
    if (nameIs(name, "LookupList")) popHandler();
  }
  LookupsTable* lookups = nullptr;
  uint32_t tableId = 0;
  std::map<uint32_t, uint32_t>* indexMap = nullptr;
  std::vector<uint32_t>* created = nullptr;

 private:
  static constexpr const char* kLookupWithoutIndex = "Lookup without an index left out: no feature or call reaches it";
  LookupXMLParser lookup_;
  SkipParser skip_;
};

class TableXMLParser : public LayoutObjectParser {
 public:
  void reset(LayoutTableBlock* target, uint32_t id) {
    block = target;
    tableId = id;
    scripts_.reset();
    features_.features.clear();
    lookupIndex_.clear();
    created_.clear();
  }
  void startElement(const char* name, const char** /*attributes*/) override {
    if (nameIs(name, "ScriptList")) {
      scripts_.reset();
      pushHandler(scripts_);
    } else if (nameIs(name, "FeatureList")) {
      features_.features.clear();
      pushHandler(features_);
    } else if (nameIs(name, "LookupList")) {
      lookupIndex_.clear();
      lookups_.lookups = &block->lookups;
      lookups_.tableId = tableId;
      lookups_.indexMap = &lookupIndex_;
      lookups_.created = &created_;
      pushHandler(lookups_);
    }
  }
  void endElement(const char* name) override {
    if (nameIs(name, "GSUB") || nameIs(name, "GPOS")) {
      commit();
      popHandler();
    }
  }

  LayoutTableBlock* block = nullptr;
  uint32_t tableId = 0;
  // Bytes of the document read so far.
  std::function<uint64_t()> bytesRead;
  // One warning per table whose language systems listed a feature again.
  std::vector<std::string> repeatsNotes;

 private:
  uint32_t translate(int64_t documentIndex) const {
    const auto found = lookupIndex_.find(static_cast<uint32_t>(documentIndex));
    if (documentIndex < 0 || documentIndex > 65535 || found == lookupIndex_.end()) {
      reject("lookup " + vn::formatInteger(documentIndex) + " is not in the LookupList");
    }
    return found->second;
  }

  // The feature a language system names; null for an index no FeatureRecord declared,
  // which carries no rule and is skipped, as the binary reader skips it.
  const FeatureRecord* feature(uint32_t index) const {
    const auto found = features_.features.find(static_cast<int32_t>(index & 0xFFFF));
    return found == features_.features.end() ? nullptr : &found->second;
  }

  void resolveLangSys(const LangSysRecord& record, Language& language, FeatureListing& listing) {
    std::vector<uint32_t> indices = record.features;
    if (const FeatureRecord* required = record.required != kNoFeature ? feature(record.required) : nullptr) {
      language.required = required->tag;
      // A required feature the language system does not list keeps its lookups, unlisted.
      language.requiredOnly = std::find(indices.begin(), indices.end(), record.required) == indices.end();
      if (language.requiredOnly) indices.push_back(record.required);
    }
    listing.startLanguage();
    for (uint32_t index : indices) {
      const FeatureRecord* found = feature(index);
      if (!found) continue;
      if (!listing.firstListing(index & 0xFFFF)) continue;
      listing.add(language, found->tag, found->lookups, found->params, [&](uint16_t lookup) { return translate(lookup); });
    }
  }

  void commit() {
    // Bounded by what was read so far, the document's own size, over all its tables.
    FeatureListing listing(bytesRead ? bytesRead() : 0, entriesKept_);
    for (const auto& [text, record] : scripts_.scripts) {
      const ot::Tag scriptTag = tagOf(text);
      Script& script = block->scripts.try_emplace(scriptTag, scriptTag).first->second;
      for (const auto& [languageText, languageRecord] : record.languages) {
        const ot::Tag languageTag = tagOf(languageText);
        resolveLangSys(languageRecord, script.languages.try_emplace(languageTag, languageTag).first->second, listing);
      }
      if (record.hasFallback) {
        Language* fallback = findDefaultEntry(script.languages);
        if (!fallback) {
          const ot::Tag tag = ot::Tag::fromString("DFLT");
          fallback = &script.languages.try_emplace(tag, tag).first->second;
        }
        resolveLangSys(record.fallback, *fallback, listing);
      }
    }
    entriesKept_ = listing.spent();
    if (std::string note = listing.repeatsNote(); !note.empty()) repeatsNotes.push_back(std::move(note));
    // Only the contextual lookups of this element: an earlier element's records are
    // already model indices.
    for (uint32_t index : created_) {
      Lookup* lookup = block->lookups.findLookup(index);
      if (!lookup) continue;
      if (!isContextualKind(lookup->tableId, lookup->typeCode)) continue;
      for (auto& subtable : lookup->subtables) {
        auto* context = dynamic_cast<ContextSubtable*>(subtable.get());
        if (!context) continue;
        for (auto& rule : context->rules) {
          for (auto& record : rule->lookups) record.lookupIndex = static_cast<int32_t>(translate(record.lookupIndex));
        }
      }
    }
    created_.clear();
  }

  ScriptListXMLParser scripts_;
  FeatureListXMLParser features_;
  LookupListXMLParser lookups_;
  std::map<uint32_t, uint32_t> lookupIndex_;
  std::vector<uint32_t> created_;
  uint64_t entriesKept_ = 0;  // by the language systems of every table element so far
};

class LayoutXMLParser : public LayoutObjectParser {
 public:
  explicit LayoutXMLParser(LayoutFea& layout) : layout_(layout) {}
  void startElement(const char* name, const char** /*attributes*/) override {
    const uint32_t id = nameIs(name, "GSUB") ? kTableGsub : nameIs(name, "GPOS") ? kTableGpos : 0;
    if (id == 0) return;
    table_.reset(layout_.block(id), id);
    pushHandler(table_);
  }
  void setBytesRead(std::function<uint64_t()> bytesRead) { table_.bytesRead = std::move(bytesRead); }
  const std::vector<std::string>& repeatsNotes() const { return table_.repeatsNotes; }

 private:
  LayoutFea& layout_;
  TableXMLParser table_;
};

// Forwards expat's element events to the current handler. A refusal gets the element and
// the line of the tag being read put in front of its reason.
class DocumentParser : public ::xml::XmlParser {
 public:
  explicit DocumentParser(ReaderState& state) : state_(state) {}
  uint64_t bytesRead() const {
    const XML_Index read = parser ? XML_GetCurrentByteIndex(parser) : 0;
    return read > 0 ? static_cast<uint64_t>(read) : 0;
  }
  void startElement(const char* name, const char** attributes) override {
    if (!state_.current) return;
    state_.line = currentLine();
    try {
      state_.current->startElement(name, attributes);
    } catch (const ot::Exception& e) {
      throw located(e, name);
    }
  }
  void endElement(const char* name) override {
    if (!state_.current) return;
    state_.line = currentLine();
    try {
      state_.current->endElement(name);
    } catch (const ot::Exception& e) {
      throw located(e, name);
    }
  }

 private:
  uint64_t currentLine() const { return parser ? XML_GetCurrentLineNumber(parser) : 0; }
  ot::Exception located(const ot::Exception& e, const char* name) const {
    return ot::Exception(e.code(), std::string(name) + " on line " + vn::formatUnsigned(state_.line) + ": " + e.message());
  }

  ReaderState& state_;
};

// False on an XML error or a rejected value; why is reported under the document's name.
bool parseLayoutStream(LayoutXMLParser& root, std::istream& in, Diagnostics& reports, ReaderState& state) {
  if (!in.good()) return false;
  root.state = &state;
  state.current = &root;
  DocumentParser parser(state);
  root.setBytesRead([&parser] { return parser.bytesRead(); });
  try {
    if (!parser.parse(in)) {
      reports.add(Severity::kError, kLayoutXmlDocument, kRefused + parser.errorMessage());
      return false;
    }
  } catch (const ot::Exception& e) {
    e.print();
    reports.add(Severity::kError, kLayoutXmlDocument, kRefused + e.message());
    return false;
  }
  return true;
}

// The document holds GSUB and GPOS only: the GDEF data stays as it is.
bool load(LayoutFea& layout, std::istream& in, const GlyphIdMap& glyphs, bool forFeatureText) {
  for (uint32_t table : {kTableGsub, kTableGpos}) layout.clearTable(table);
  LayoutXMLParser root(layout);
  ReaderState state;
  state.forFeatureText = forFeatureText;
  state.glyphs = &glyphs;
  if (!parseLayoutStream(root, in, layout.reports, state)) {
    // A partial layout is not a layout: the caller falls back to the feature text.
    for (uint32_t table : {kTableGsub, kTableGpos}) layout.clearTable(table);
    return false;
  }
  layout.reports.append(state.warnings);
  for (const std::string& note : root.repeatsNotes()) layout.reports.add(Severity::kWarning, kLayoutXmlDocument, note);
  // Only what uses missing glyphs goes: lookups no feature reaches are kept, as the
  // binary reader keeps them, so a document read and written again is unchanged.
  leaveOutMissingGlyphs(layout, state);
  return true;
}

}  // namespace

bool loadLayoutXml(LayoutFea& layout, std::istream& in, const GlyphIdMap& glyphs) {
  return load(layout, in, glyphs, false);
}

bool loadLayoutXml(LayoutFea& layout, std::istream& in) {
  if (!layout.font()) return false;
  GlyphIdMap glyphs;
  glyphs.fillGlyphs(layout.font()->glyphs);
  return load(layout, in, glyphs, true);
}

}  // namespace otl::xml
