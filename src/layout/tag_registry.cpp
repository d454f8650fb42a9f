#include "layout/tag_registry.h"

#include "layout/ot/limits.h"
#include "layout/tag_registry_data.h"

namespace otl {

std::vector<TagRegistry::Entry>& TagRegistry::storage() {
  static std::vector<Entry> entries;
  return entries;
}

void TagRegistry::fillDefaults() {
  auto& entries = storage();
  entries.reserve(entries.size() + kBuiltInTagRows);
  for (const auto& row : builtInTagRows()) {
    entries.push_back(Entry{ot::Tag::fromString(row.tag), row.kind, row.name});
  }
}

void TagRegistry::ensureFilled() {
  if (storage().empty()) fillDefaults();
}

bool TagRegistry::findName(const ot::Tag& tag, uint32_t kind, std::string& name) {
  for (const auto& entry : storage()) {
    if (entry.kind == kind && entry.tag.sameBytes(tag)) {
      name = entry.name;
      return true;
    }
  }
  return false;
}

bool TagRegistry::readField(std::istream& in, std::string& field) {
  std::string piece;
  bool any = false;
  char c = 0;
  while (piece.size() < ot::limits::kMaxRegistryField && in.get(c)) {
    any = true;
    if (c == ',') break;
    piece.push_back(c);
  }
  const size_t open = piece.find('"');
  if (open != std::string::npos) {
    const size_t close = piece.find('"', open + 1);
    field = piece.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  }
  return any;
}

void TagRegistry::readFile(std::istream& in) {
  auto& entries = storage();
  std::string kindText, name, tagText;
  for (;;) {
    if (!readField(in, kindText)) return;
    uint32_t kind = 0;
    if (kindText == "SCRIPT") kind = kScript;
    else if (kindText == "LANGUAGE") kind = kLanguage;
    else if (kindText == "FEATURE") kind = kFeature;
    const std::string* last = &kindText;
    if (kind != 0) {
      if (!readField(in, name) || !readField(in, tagText)) return;
      const ot::Tag tag = ot::Tag::fromString(tagText);
      bool replaced = false;
      for (auto& entry : entries) {
        if (entry.kind == kind && entry.tag.sameBytes(tag)) {
          entry.name = name;
          replaced = true;
          break;
        }
      }
      if (!replaced) entries.push_back(Entry{tag, kind, name});
      last = &tagText;
    }
    if (last->empty() || *last == "END") return;
  }
}

}  // namespace otl
