// The layout and kerning member of a font: the kerning store, the lazily made layout
// object and the feature-file text as it was read.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/kerning.h"
#include "model/layout_object.h"

namespace vn {

class Font;

struct GlyphSetRecord {
  std::set<GlyphId> glyphs;
  std::string text;
};

class FontLayout {
 public:
  FontLayout() = default;
  FontLayout(const FontLayout&) = delete;
  FontLayout& operator=(const FontLayout&) = delete;
  ~FontLayout();

  uint32_t glyphCount = 0;
  std::list<GlyphSetRecord> records;

  FontKerning& kerning() { return kerning_; }
  const FontKerning& kerning() const { return kerning_; }

  // The layout object, made on first use; null when no layout library is installed.
  LayoutObject* layout();
  LayoutObject* layoutIfAny() const { return layout_.get(); }
  // Destroys the layout object (the font does so before its glyphs go).
  void releaseLayout();
  bool hasFeatureData() const;
  bool hasFeatures() const;

  // Keeps the text, then compiles it into the layout object; false when it failed or
  // there is no layout. LayoutAssertException passes through.
  bool compileFeatures(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                       bool recordError);
  // Keeps the text and hands it to the layout object (result not reported).
  void importFeatureText(std::istream& in);
  // Reads a layout XML document into the layout object.
  bool importFeatures(std::istream& in);
  // Writes the layout as feature-file text; without a layout library the kept text.
  bool exportFeatures(std::ostream& out, const FeatureWriteOptions& options);
  bool forwardToLayout(std::ostream& out, bool withDocumentFrame, bool spare);

  // Feature-file glyph classes (the plain groups of a font). The layout object holds
  // them when there is one; without a layout library the model keeps them itself,
  // and a layout object made later takes them over.
  GlyphId defineGlyphClass(const std::string& name, const GlyphIdList& members,
                           const std::string& keyGlyph);
  // Appends the classes in ascending id order.
  void listGlyphClasses(std::vector<LayoutClassEntry>& out) const;
  const GlyphClassStore& keptGlyphClasses() const { return keptClasses_; }

  // The feature-file text as last read, verbatim.
  const std::string& featureText() const { return featureText_; }
  void setFeatureText(std::string text) { featureText_ = std::move(text); }

  void setOwner(Font* owner) { owner_ = owner; }
  // Where relative include names of the feature text are looked up, in order.
  void setIncludeFolders(IncludeFolders folders);
  // The one folder of the text's source (a native file's folder).
  void setSourceFolder(const std::string& folder) { setIncludeFolders({IncludeFolder{folder, {}, false}}); }
  Font* owner() const { return owner_; }

 private:
  FontKerning kerning_;
  std::unique_ptr<LayoutObject> layout_;
  Font* owner_ = nullptr;
  std::string featureText_;
  IncludeFolders includeFolders_;
  GlyphClassStore keptClasses_;
};

}  // namespace vn
