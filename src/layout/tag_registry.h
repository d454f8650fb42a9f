// Process-wide registry of script, language and feature tags with human-readable names,
// used for the comments of the feature-file writer.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "layout/ot/tag.h"

namespace otl {

class TagRegistry {
 public:
  enum Kind : uint32_t { kScript = 1, kLanguage = 2, kFeature = 3 };

  struct Entry {
    ot::Tag tag;
    uint32_t kind = 0;
    std::string name;
  };

  // Appends the 640 built-in rows (scripts, languages, features).
  static void fillDefaults();
  // Fills the built-in rows when the registry is still empty.
  static void ensureFilled();
  // The name of the first entry whose four tag bytes and kind match.
  static bool findName(const ot::Tag& tag, uint32_t kind, std::string& name);
  // Reads entries of three quoted fields KIND, NAME, TAG, separated by commas, until a
  // field "END", an empty field, or the end of the input. A known tag and kind gets its
  // name replaced; a new one is appended.
  static void readFile(std::istream& in);
  // Reads up to the next comma (at most 255 characters) and takes the text between the
  // first two double quotes; without a quote the field keeps its value. False at the
  // end of the input with nothing read.
  static bool readField(std::istream& in, std::string& field);

  static const std::vector<Entry>& entries() { return storage(); }

 private:
  static std::vector<Entry>& storage();
};

}  // namespace otl
