// What the generated text can and cannot say of features: the 'size' feature's
// `parameters` statement, tags with blanks inside, which it cannot name, and features
// whose lookups write no rule (an empty block does not compile).
// Names (the size menu name, stylistic-set and character-variant labels) are strings of
// the font's name table, which the layout does not hold: one warning lists their ids.
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "layout/text/fea_blocks.h"
#include "model/first_few.h"
#include "model/numbers.h"

namespace otl::ot_fea_layout {

namespace {

constexpr const char* kNamesNotWritten = "feature parameter names are not in the feature text (name ids ";

// Decipoints as the statement's point value: 105 -> "10.5".
std::string points(uint16_t decipoints) {
  return vn::formatUnsigned(decipoints / 10u) + "." + vn::formatUnsigned(decipoints % 10u);
}

}  // namespace

bool sayableTag(const ot::Tag& tag) {
  const std::string text = tag.text();
  const size_t last = text.find_last_not_of(' ');
  return last != std::string::npos && text.find(' ') > last;
}

void FeaDocumentWriter::writeFeatureParameters(std::ostream& out) {
  const FeatureParams* size = nullptr;
  std::set<uint16_t> ids;
  for (const LayoutTableBlock* block : {gsub_, gpos_}) {
    block->forEachFeature([&](const Script&, const Language&, const Feature& feature) {
      if (feature.params.kind == FeatureParams::Kind::kSize && !size) size = &feature.params;
      for (uint16_t id : feature.params.nameIds()) ids.insert(id);
    });
  }
  if (!ids.empty()) {
    std::vector<std::string> list;
    for (uint16_t id : ids) list.push_back(vn::formatUnsigned(id));
    diagnostics_.add(Severity::kWarning, "feature text", kNamesNotWritten + vn::firstFewWithCount(list) + ")");
  }
  if (!size || size->fields.size() < 5) return;
  const auto& f = size->fields;
  out << "feature size {\n  parameters " << points(f[0]) << ' ' << vn::formatUnsigned(f[1]) << ' '
      << vn::formatUnsigned(f[3]) << ' ' << vn::formatUnsigned(f[4]) << ";\n} size;\n\n";
}

}  // namespace otl::ot_fea_layout
