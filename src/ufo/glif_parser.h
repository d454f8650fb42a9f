// Reader of one ".glif" glyph file: advance, Unicode values, components, the contours
// of the "Body" layer and the glyph lib, whose known entries go to the sub-parsers of
// glyph_lib_parsers.h afterwards.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/font.h"
#include "model/layer.h"
#include "model/style.h"
#include "ufo/plist_parser.h"
#include "xml/xml_parser.h"
#include "xml/xml_recording.h"

namespace ufo {

class ReadWarnings;

class UfoGlyphParser : public xml::XmlParser {
 public:
  UfoGlyphParser();

  // Fills the glyph. False when the glyph is null or the XML is malformed; a file of
  // the wrong structure keeps what was read before the fault and gives true.
  [[nodiscard]] bool parse(std::istream& in, vn::Glyph* glyph);
  // The same for a whole file already in memory.
  [[nodiscard]] bool parse(std::string_view text, vn::Glyph* glyph);
  // The same for a file parsed ahead into a recording.
  [[nodiscard]] bool parse(const xml::XmlRecording& recording, vn::Glyph* glyph);

  void setTarget(vn::Font* font, vn::Style* style) {
    font_ = font;
    style_ = style;
    fractionalAnchors_.clear();
    usedImages_.clear();
    clampedAnchors_.clear();
  }
  void setWarnings(ReadWarnings* warnings) { warnings_ = warnings; }
  // The budget of property-list nodes that glyph libs are parsed against (PListParser).
  void setNodeBudget(PListNodeBudget* budget) { plistNodesLeft_ = budget; }
  // Whether an anchor of the named glyph (a point link) lost a fraction of its position
  // since the last setTarget: the links hold whole units.
  bool hasFractionalAnchors(const std::string& glyph) const { return fractionalAnchors_.count(glyph) != 0; }
  // The file names that glyph images gave since the last setTarget (as in the file).
  const std::unordered_set<std::string>& usedImages() const { return usedImages_; }
  // The same for an anchor beyond the 16 bits the links hold, which is clamped.
  bool hasClampedAnchors(const std::string& glyph) const { return clampedAnchors_.count(glyph) != 0; }

  void startElement(const char* name, const char** attributes) override;
  void endElement(const char* name) override;
  void characterData(const char* text, int length) override;

  // The contour finishing rules on a node list in file order (exposed for tests):
  // implicit start point, midpoints of all-off-curve contours, cubic runs.
  static void finishNodes(std::vector<vn::Node>& nodes, bool open);

 private:
  // Resets the state, runs the parse and the glyph-lib interpreters.
  template <class Parse>
  bool run(vn::Glyph* glyph, Parse&& parseDocument);
  void readPoint(const char** attributes);
  void readComponent(const char** attributes);
  void readUnicode(const char** attributes);
  void readAdvance(const char** attributes);
  // A number attribute; one that does not parse leaves the target and is reported.
  void readGlyphNumber(const char* text, double& target);
  void readAnchor(const char** attributes);
  void readGuideline(const char** attributes);
  // A UFO 3 "color" that the element's kept form has no place for: the glyph is named on
  // the line of `kind`.
  void noteColour(const char** attributes, const char* kind, const std::string& line);
  void finishContour();
  // The glyph's "Body" layer (kept for the rest of the parse: its place does not change).
  vn::Layer& bodyLayer();
  void addPointLink(double x, double y, const std::string& name);
  void readLibText();

  vn::Glyph* glyph_ = nullptr;
  vn::Layer* bodyLayer_ = nullptr;
  bool inGlyph_ = false;
  bool inOutline_ = false;
  bool inLib_ = false;
  bool inContour_ = false;
  bool contourOpen_ = false;
  int nestedLibs_ = 0;  // "lib" elements open inside the glyph's lib
  std::vector<vn::Node> nodes_;
  std::string libText_;
  vn::Font* font_ = nullptr;
  vn::Style* style_ = nullptr;
  ReadWarnings* warnings_ = nullptr;
  PListNodeBudget* plistNodesLeft_ = nullptr;
  std::unordered_set<std::string> fractionalAnchors_;
  std::unordered_set<std::string> usedImages_;
  std::unordered_set<std::string> clampedAnchors_;
};

}  // namespace ufo
