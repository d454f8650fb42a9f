// Helpers of the writer tests: fonts built in code, writing them through the
// production writer, listing the records of the result and reading it back.
#pragma once

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "model/font.h"
#include "model/font_style_pair.h"
#include "model/glyph.h"
#include "model/style.h"
#include "native/writer.h"
#include "reader_fixture.h"

namespace writertest {

using Bytes = std::vector<uint8_t>;

// A fresh pair that owns its font and style; the creation time is fixed so that
// files written from it are reproducible.
struct TestFont {
  TestFont() : pair(qtftest::freshPair()) {
    std::tm& c = font().created = std::tm{};
    std::tie(c.tm_year, c.tm_mon, c.tm_mday, c.tm_hour, c.tm_min) = std::make_tuple(120, 2, 14, 9, 30);
  }
  vn::Font& font() { return *pair->font; }
  vn::Style& style() { return *pair->style; }

  // Fills the fields that reading would otherwise fill in (composed names, the
  // widths the metrics record always carries), so that the file of the read-back
  // font can be compared byte for byte.
  void settleNames() {
    vn::FontNames& n = style().names;
    n.familyName = n.styleMapFamilyName = "Untitled";
    n.styleName = n.styleMapStyleName = n.weightName = "Regular";
    n.fullName = "Untitled Regular";
    n.fontName = "Untitled-Regular";
    n.widthName = "Normal";
    for (const char* key : {"average_width", "max_width", "default_width"}) style().metrics.namedNumbers[key] = 0;
  }

  vn::Glyph& addGlyph(const std::string& name, double width = 500) {
    auto* glyph = new vn::Glyph();
    glyph->setName(name);
    glyph->advanceWidth = width;
    font().appendGlyph(glyph);
    return *glyph;
  }

  std::unique_ptr<FontStylePair> pair;
};

inline Bytes writeNative(FontStylePair& pair, uint8_t option = 1) {
  std::ostringstream out(std::ios::binary);
  qtf::Writer writer;
  const bool ok = writer.write(pair, &option, &out);
  const std::string text = out.str();
  Bytes bytes(text.begin(), text.end());
  if (!ok) bytes.clear();
  return bytes;
}

struct Record {
  uint16_t tag = 0;
  Bytes payload;
  size_t offset = 0;  // of the record header in the file
};

// The records of a written file in order (the 44-byte header skipped).
inline std::vector<Record> listRecords(const Bytes& file) {
  std::vector<Record> records;
  size_t at = 44;
  auto u16 = [&file](size_t p) { return static_cast<uint16_t>(file[p] | file[p + 1] << 8); };
  while (at + 4 <= file.size()) {
    const size_t offset = at;
    uint16_t tag = u16(at);
    uint32_t length = u16(at + 2);
    at += 4;
    if (tag & 0x8000) {
      tag &= 0x7FFF;
      length |= static_cast<uint32_t>(u16(at)) << 16;
      at += 2;
    }
    if (at + length > file.size()) break;
    records.push_back(Record{tag, Bytes(file.begin() + at, file.begin() + at + length), offset});
    at += length;
  }
  return records;
}

inline std::vector<uint16_t> tagsOf(const std::vector<Record>& records) {
  std::vector<uint16_t> tags;
  for (const Record& record : records) tags.push_back(record.tag);
  return tags;
}

// The tags of the records in which two files differ ("" when they are equal).
inline std::string recordDifferences(const Bytes& a, const Bytes& b) {
  const auto left = listRecords(a);
  const auto right = listRecords(b);
  std::string text;
  for (size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
    if (i >= left.size() || i >= right.size()) return text + "count ";
    if (left[i].tag != right[i].tag || left[i].payload != right[i].payload) {
      text += std::to_string(left[i].tag) + "/" + std::to_string(right[i].tag) + " ";
    }
  }
  if (text.empty() && a != b) text = "header";
  return text;
}

inline const Record* findRecord(const std::vector<Record>& records, uint16_t tag, size_t nth = 0) {
  for (const Record& record : records) {
    if (record.tag == tag && nth-- == 0) return &record;
  }
  return nullptr;
}

}  // namespace writertest
