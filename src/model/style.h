// The font-information side of a font: names, metrics, lib entries, flags, named
// integers, range tables, the source-file record and option records.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/font_info.h"
#include "model/object.h"

namespace vn {

class Style : public Object {
 public:
  Style() = default;

  std::string name;
  std::vector<uint8_t> opaqueBytes;
  FontNames names;
  FontMetrics metrics;
  // Font lib entries kept without interpretation: key -> ready property-list text.
  std::map<std::string, std::string> lib;
  StyleFlags flags;
  std::map<std::string, int32_t> namedIntegers;
  StyleTables tables;
  FileInfo fileInfo;
  ExtraRecord extraRecord;
  StyleOptions options;

  bool findInteger(const std::string& key, int32_t* out) const;

  // Fills the empty style names from the others (defined with the style-name tables).
  void composeStyleNames();

 protected:
  ~Style() override = default;
};

}  // namespace vn
