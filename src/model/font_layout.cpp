#include "model/font_layout.h"

#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>

namespace vn {

namespace {
std::string readAll(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

namespace {
LayoutFactory& factoryStorage() {
  static LayoutFactory factory;
  return factory;
}
}  // namespace

void setLayoutFactory(LayoutFactory factory) { factoryStorage() = std::move(factory); }

const LayoutFactory& layoutFactory() { return factoryStorage(); }

FontLayout::~FontLayout() {
  releaseLayout();
  records.clear();
}

void FontLayout::releaseLayout() { layout_.reset(); }

LayoutObject* FontLayout::layout() {
  if (!layout_ && layoutFactory()) {
    layout_ = layoutFactory()(owner_);
    if (layout_) {
      layout_->setIncludeFolders(includeFolders_);
      for (const auto& [id, glyphClass] : keptClasses_.classes)
        layout_->defineGlyphClass(glyphClass.name, glyphClass.glyphs, glyphClass.keyGlyph);
      keptClasses_.clear();
    }
  }
  return layout_.get();
}

GlyphId FontLayout::defineGlyphClass(const std::string& name, const GlyphIdList& members,
                                     const std::string& keyGlyph) {
  if (LayoutObject* object = layout()) return object->defineGlyphClass(name, members, keyGlyph);
  return keptClasses_.define(name, members, keyGlyph);
}

void FontLayout::listGlyphClasses(std::vector<LayoutClassEntry>& out) const {
  if (layout_) {
    layout_->listGlyphClasses(out);
    return;
  }
  for (const auto& [id, glyphClass] : keptClasses_.classes)
    out.push_back(LayoutClassEntry{id, glyphClass.name, &glyphClass});
}

bool FontLayout::hasFeatureData() const { return layout_ && layout_->hasFeatureText(); }

bool FontLayout::hasFeatures() const { return layout_ && !layout_->isEmpty(); }

void FontLayout::setIncludeFolders(IncludeFolders folders) {
  includeFolders_ = std::move(folders);
  if (layout_) layout_->setIncludeFolders(includeFolders_);
}

bool FontLayout::compileFeatures(std::istream& in, const std::string& fontName, bool allowMissingGlyphs,
                                 bool recordError) {
  featureText_ = readAll(in);
  LayoutObject* object = layout();
  if (!object) return false;
  try {
    std::istringstream text(featureText_);
    if (!object->importFeatureFile(text, fontName, allowMissingGlyphs, recordError)) return false;
    if (object->glyphCount() > glyphCount) glyphCount = object->glyphCount();
    object->nameLookups();
    return true;
  } catch (const LayoutAssertException&) {
    throw;
  } catch (...) {
    return false;
  }
}

void FontLayout::importFeatureText(std::istream& in) {
  featureText_ = readAll(in);
  if (LayoutObject* object = layout()) {
    std::istringstream text(featureText_);
    object->importFeatureText(text);
  }
}

bool FontLayout::importFeatures(std::istream& in) {
  LayoutObject* object = layout();
  return object && object->loadLayoutXml(in);
}

bool FontLayout::exportFeatures(std::ostream& out, const FeatureWriteOptions& options) {
  if (layout_) return layout_->writeFeatureFile(out, options);
  if (layoutFactory()) {
    std::unique_ptr<LayoutObject> temporary = layoutFactory()(owner_);
    if (temporary) {
      temporary->setIncludeFolders(includeFolders_);
      temporary->writeFeatureFile(out, options);
      return true;
    }
  }
  // No layout library: the text as it was read.
  out << featureText_;
  return static_cast<bool>(out);
}

bool FontLayout::forwardToLayout(std::ostream& out, bool withDocumentFrame, bool spare) {
  return layout_ && layout_->writeLayoutXml(out, withDocumentFrame, spare);
}

}  // namespace vn
