// The font's OpenType layout object as the model sees it. The layout library implements
// it (its layout model derives from LayoutObject) and the program wires a factory in at
// start-up; without a factory the model keeps feature text verbatim and has no layout.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <iosfwd>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/glyph_groups.h"

namespace vn {

class Font;

// Switches of the feature-file writer, in the order the writer takes them.
struct FeatureWriteOptions {
  uint8_t commentsAndHeader = 1;
  uint8_t languageSystemsAndLookups = 1;
  uint8_t classDefinitions = 1;
  uint8_t featureBlocks = 1;
  uint8_t inlineLookups = 1;
  int32_t inlineClasses = 0;
  uint8_t additionalTables = 1;
  uint8_t tableOverrides = 0;
  uint8_t gdefText = 1;  // without it glyph classes and carets would be lost
};

// A folder that the include statements of a font's feature text are looked up in.
struct IncludeFolder {
  std::string path;
  std::string shownAs;    // how messages name it; empty: by its path
  bool confined = false;  // serves only names that stay inside it (an unpacked archive)
};
using IncludeFolders = std::vector<IncludeFolder>;

// A feature-file glyph class of the layout model, as listed for the groups of a font.
struct LayoutClassEntry {
  GlyphId id = 0;
  std::string name;
  const GlyphGroup* group = nullptr;
};

class LayoutObject {
 public:
  virtual ~LayoutObject() = default;

  // Compiles feature-file text into the model and keeps the text; true on success.
  // allowMissingGlyphs: rules naming glyphs the font lacks are dropped instead of failing
  // the compile. recordError: a failure is recorded by the layout object and reported among
  // its warnings (takeWarnings). May throw LayoutAssertException.
  virtual bool importFeatureFile(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                                 bool recordError) = 0;
  // Compiles feature-file text; a failure is recorded by the layout object.
  virtual void importFeatureText(std::istream& in) = 0;
  virtual void nameLookups() = 0;
  // No GSUB or GPOS lookups and no GDEF data.
  virtual bool isEmpty() const = 0;
  // At least one block of feature-file text is held.
  virtual bool hasFeatureText() const = 0;
  // The largest rule context of the last compile (the font's layout member raises its
  // stored count to it).
  virtual uint32_t glyphCount() const = 0;
  virtual bool writeFeatureFile(std::ostream& out, const FeatureWriteOptions& options) = 0;
  // Replaces the layout with a layout XML document.
  virtual bool loadLayoutXml(std::istream& in) = 0;
  // withDocumentFrame: the XML declaration and the root element around the data; the
  // second flag switches nothing and is passed through.
  virtual bool writeLayoutXml(std::ostream& out, bool withDocumentFrame, bool spare) = 0;
  // Finds or makes the feature-file glyph class of the name's registry id.
  virtual GlyphId defineGlyphClass(const std::string& name, const GlyphIdList& members,
                                   const std::string& keyGlyph) = 0;
  // The feature-file glyph classes in ascending id order.
  virtual void listGlyphClasses(std::vector<LayoutClassEntry>& out) const = 0;
  // Where relative include names of the feature text are looked up, in order.
  virtual void setIncludeFolders(const IncludeFolders& /*folders*/) {}
  // What the layout reported since the last call (dropped or split lookups, tables or
  // documents not written, data the feature text cannot carry): one line per kind.
  virtual std::vector<std::string> takeWarnings() { return {}; }
};

// Makes the layout object of a font (owner may be null).
using LayoutFactory = std::function<std::unique_ptr<LayoutObject>(Font* owner)>;

// The process-wide factory; empty until the program installs one.
void setLayoutFactory(LayoutFactory factory);
const LayoutFactory& layoutFactory();

}  // namespace vn

// The layout model's assertion failure, carrying a text and a number.
class LayoutAssertException : public std::exception {
 public:
  LayoutAssertException(std::string text, int32_t number) : text_(std::move(text)), number_(number) {}
  const char* what() const noexcept override { return text_.c_str(); }
  const std::string& text() const { return text_; }
  int32_t number() const { return number_; }

 private:
  std::string text_;
  int32_t number_ = 0;
};
