// Reader of the older TrueType hinting XML of the font lib ("com.quorvel.tthinting"):
// the three font values, zones with their deltas and stems with their roundings.
#pragma once

#include <istream>
#include <vector>

#include "model/font.h"
#include "xml/xml_parser.h"

namespace ufo {

class FontHintsXMLParser : public xml::XmlParser {
 public:
  // False for a null font; a structure fault counts as success.
  [[nodiscard]] bool parse(std::istream& in, vn::Font* font);
  void startElement(const char* name, const char** attributes) override;
  void endElement(const char* name) override;
  // Names of the stems whose rounding entries do not all fit the stem record.
  const std::vector<std::string>& lostRounding() const { return lostRounding_; }

 private:
  vn::Font* font_ = nullptr;
  bool inZones_ = false;
  bool inStems_ = false;
  vn::Zone zone_;
  vn::Stem stem_;
  bool stemHorizontal_ = true;
  std::vector<vn::Zone> topZones_, bottomZones_;
  std::vector<vn::Stem> horizontalStems_, verticalStems_;
  std::vector<std::string> lostRounding_;
};

}  // namespace ufo
