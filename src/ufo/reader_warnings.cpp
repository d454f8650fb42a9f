#include "ufo/reader_warnings.h"

#include <algorithm>

#include "model/first_few.h"
#include "model/limits.h"

namespace ufo {

void ReadWarnings::report(const std::string& kind, const std::string& line) {
  if (!kinds_.insert(kind).second) return;
  if (out_) *out_ << "Warning: " << line << '\n' << std::flush;
}

void ReadWarnings::list(const std::string& kind, const std::string& line, const std::string& item) {
  add(kind, line, item, false);
}

void ReadWarnings::listEvery(const std::string& kind, const std::string& line, const std::string& item) {
  add(kind, line, item, true);
}

void ReadWarnings::add(const std::string& kind, const std::string& line, const std::string& item, bool every) {
  kinds_.insert(kind);
  auto found = std::find_if(listed_.begin(), listed_.end(), [&](const Listed& entry) { return entry.kind == kind; });
  if (found == listed_.end()) found = listed_.insert(listed_.end(), Listed{kind, line, {}, {}, every});
  if (found->known.insert(item).second) found->items.push_back(item);
}

void ReadWarnings::flush() {
  for (const Listed& entry : listed_) {
    if (!out_) continue;
    *out_ << "Warning: " << entry.line << ':';
    if (entry.every) {
      for (size_t i = 0; i < entry.items.size(); ++i) *out_ << (i == 0 ? " " : ", ") << entry.items[i];
    } else {
      *out_ << ' ' << vn::firstFewWithCount(entry.items);
    }
    *out_ << '\n' << std::flush;
  }
  listed_.clear();
}

namespace warning {

std::string notCarried(const std::string& what) {
  return what + " are not carried by the native format and are left out";
}

std::string longGlyphNames() {
  const std::string most = std::to_string(vn::kMaxNativeGlyphName);
  return "glyph names longer than " + most + " bytes are cut to their first " + most +
         ", the most the native format holds";
}

std::string listNotRead(const std::string& member) {
  return "\"" + member + "\" is not a property list holding a dict; its content was not read";
}

namespace {

// A list that serves only to name what the native file leaves out, and what is not named.
std::string namingListNotRead(const std::string& member, const std::string& why, const char* unnamed) {
  return "\"" + member + "\" cannot be read (" + why + "); " + unnamed;
}

}  // namespace

std::string layerListNotRead(const std::string& member, const std::string& why) {
  return namingListNotRead(member, why,
                           "glyph layers other than the default one, which the native format does not carry, are "
                           "not named");
}

std::string defaultLayerInfoKeys(const std::string& member) {
  return notCarried("keys of the default layer's \"" + member + "\"");
}

std::string defaultLayerInfoNotRead(const std::string& member, const std::string& why) {
  return namingListNotRead(member, why,
                           "what it holds of the default layer, which the native format does not carry, is not named");
}

}  // namespace warning

}  // namespace ufo
