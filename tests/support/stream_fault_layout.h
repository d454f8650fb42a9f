// A layout object whose feature text or layout XML document comes out as a real one's
// does when the stream's buffer cannot grow: the start of the text, then the stream in
// its failed state (or, for the document, std::bad_alloc thrown). Installed as the
// process-wide layout factory for the life of a StreamFaultScope.
#pragma once

#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "model/font.h"
#include "model/layout_object.h"

namespace testsupport {

enum class StreamFault { kNone, kFeatureText, kDocument, kDocumentThrows };

inline constexpr const char* kFaultFeatureText = "languagesystem DFLT dflt;\nfeature liga {\n";
inline constexpr const char* kFaultDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OTLayout>\n";

class StreamFaultLayout : public vn::LayoutObject {
 public:
  explicit StreamFaultLayout(StreamFault fault) : fault_(fault) {}

  bool writeFeatureFile(std::ostream& out, const vn::FeatureWriteOptions&) override {
    out << kFaultFeatureText;
    if (fault_ == StreamFault::kFeatureText) out.setstate(std::ios::badbit);
    return true;  // as a writer that never looks at its stream
  }
  bool writeLayoutXml(std::ostream& out, bool, bool) override {
    if (fault_ == StreamFault::kDocumentThrows) throw std::bad_alloc();
    out << kFaultDocument;
    if (fault_ == StreamFault::kDocument) out.setstate(std::ios::badbit);
    return !out.fail();
  }

  bool importFeatureFile(std::istream&, const std::string&, bool, bool) override { return true; }
  void importFeatureText(std::istream&) override {}
  void nameLookups() override {}
  bool isEmpty() const override { return false; }
  bool hasFeatureText() const override { return true; }
  uint32_t glyphCount() const override { return 0; }
  bool loadLayoutXml(std::istream&) override { return true; }
  vn::GlyphId defineGlyphClass(const std::string&, const vn::GlyphIdList&, const std::string&) override { return 0; }
  void listGlyphClasses(std::vector<vn::LayoutClassEntry>&) const override {}

 private:
  StreamFault fault_;
};

// Fonts made while it lives get a StreamFaultLayout; the factory is reset at its end.
struct StreamFaultScope {
  explicit StreamFaultScope(StreamFault fault) {
    vn::setLayoutFactory([fault](vn::Font*) { return std::make_unique<StreamFaultLayout>(fault); });
  }
  ~StreamFaultScope() { vn::setLayoutFactory(nullptr); }
  StreamFaultScope(const StreamFaultScope&) = delete;
  StreamFaultScope& operator=(const StreamFaultScope&) = delete;
};

}  // namespace testsupport
