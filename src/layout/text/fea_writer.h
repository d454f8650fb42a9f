// The feature-file writer: turns a layout's GSUB and GPOS blocks into feature-file text.
// This file writes the document frame, the header and the languagesystem section; the
// lookup inventory, the lookup definitions and the feature blocks are written by the
// overridable sections below (gatherFeatures, writeLookupDefinitions, writeFeatureBlocks).
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string_view>
#include <utility>
#include <vector>

#include "layout/diagnostics.h"
#include "layout/gdef.h"
#include "layout/layout_table_block.h"
#include "model/layout_object.h"

namespace vn {
class Font;
class Style;
class FeaGlyphGroups;
}  // namespace vn

namespace otl::ot_fea_layout {

using FeaWriterOptions = vn::FeatureWriteOptions;

// Whether generated text may name the glyph: a valid feature-file glyph name, or one with a
// leading period (".null") which compilers take as a glyph of the font's glyph set. The
// caller has checked that the font holds it.
bool isFeaTextGlyphName(std::string_view name);

// Local time of a run as the header prints it.
struct LocalTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
};
using Clock = std::function<LocalTime()>;
LocalTime currentLocalTime();

// What the header and the languagesystem section print.
struct FeaStatistics {
  std::vector<std::pair<ot::Tag, ot::Tag>> languageSystems;  // (script, language), sorted
  uint32_t gsubReferences = 0;
  std::vector<ot::Tag> gsubFeatures;  // tag order
  uint32_t gposReferences = 0;
  std::vector<ot::Tag> gposFeatures;
};

class LayoutFeaWriter {
 public:
  LayoutFeaWriter() = default;
  virtual ~LayoutFeaWriter() = default;
  LayoutFeaWriter(const LayoutFeaWriter&) = delete;
  LayoutFeaWriter& operator=(const LayoutFeaWriter&) = delete;

  // Tests fix the "Generated on" time.
  void setClock(Clock clock) { clock_ = std::move(clock); }

  // False, writing nothing, without a GSUB or GPOS block; false too when `out` failed
  // (the text in it is then incomplete).
  bool write(const vn::Font* font, const vn::Style* style, const vn::FeaGlyphGroups& classes,
             const LayoutTableBlock* gsub, const LayoutTableBlock* gpos, const GDefTableData* gdef,
             const FeaWriterOptions& options, std::ostream& out);
  // What the text could not say (warnings) of the last write.
  const Diagnostics& diagnostics() const { return diagnostics_; }

 protected:
  void writeAll(std::ostream& out);
  void writeHeader(std::ostream& out);
  void writeLanguageSystems(std::ostream& out);
  // Glyph classes are always written as glyph lists inside the rules: nothing here.
  void writeClassDefinitions(std::ostream&) {}

  // Generated sections. gatherFeatures fills statistics_ (here: every language system and
  // feature of both blocks, each feature's lookups counted); the other two write nothing
  // until the lookup and feature writers fill them in.
  virtual void gatherFeatures();
  virtual void writeLookupDefinitions(std::ostream&) {}
  virtual void writeFeatureBlocks(std::ostream&) {}

  bool comments() const { return options_->commentsAndHeader != 0; }

  const vn::Font* font_ = nullptr;
  const vn::Style* style_ = nullptr;
  const vn::FeaGlyphGroups* classes_ = nullptr;
  const LayoutTableBlock* gsub_ = nullptr;
  const LayoutTableBlock* gpos_ = nullptr;
  const GDefTableData* gdef_ = nullptr;
  const FeaWriterOptions* options_ = nullptr;
  FeaStatistics statistics_;
  Diagnostics diagnostics_;

 private:
  Clock clock_;
};

}  // namespace otl::ot_fea_layout
