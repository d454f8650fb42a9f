#include "ufo/font_hints_parser.h"

#include <cstring>

#include "model/numbers.h"
#include "ufo/limits.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {



template <class Number>
void readAttribute(const char** attributes, const char* name, Number& target) {
  const char* text = xml::findAttribute(attributes, name);
  if (!text) return;
  if constexpr (std::is_same_v<Number, double>) {
    if (auto value = readReal(text)) target = *value;
  } else {
    if (auto value = readInteger(text)) target = *value;
  }
}

// One ppem -> value step; values outside 16 bits are not stored.
void addStep(vn::StepMap& steps, const char** attributes, const char* valueName) {
  std::int32_t ppem = -1, value = -1;
  readAttribute(attributes, "ppm", ppem);
  readAttribute(attributes, valueName, value);
  if (ppem < 0 || ppem > 65535 || value < -32768 || value > 65535) return;
  if (steps.size() >= kMaxFontHintSteps) return;
  steps[static_cast<std::uint16_t>(ppem)] = static_cast<std::uint16_t>(value);
}

}  // namespace

bool FontHintsXMLParser::parse(std::istream& in, vn::Font* font) {
  if (!font) return false;
  font_ = font;
  inZones_ = inStems_ = false;
  zone_ = vn::Zone{};
  zone_.kind = 1;
  stem_ = vn::Stem{};
  stemHorizontal_ = true;
  topZones_.clear();
  bottomZones_.clear();
  horizontalStems_.clear();
  verticalStems_.clear();
  try {
    return xml::XmlParser::parse(in);
  } catch (const UfoParserException&) {
    return true;
  } catch (...) {
    return false;
  }
}

void FontHintsXMLParser::startElement(const char* name, const char** attributes) {
  auto& params = font_->hinting.params4;
  if (xml::isElement(name, "tthinting")) {
    readAttribute(attributes, "stemsnaplimit", params[1]);
    readAttribute(attributes, "codeppm", params[2]);
    readAttribute(attributes, "zoneppm", params[0]);
  } else if (xml::isElement(name, "zones")) {
    inZones_ = true;
  } else if (xml::isElement(name, "stems")) {
    inStems_ = true;
  } else if (xml::isElement(name, "zone") && inZones_) {
    const char* location = xml::findAttribute(attributes, "location");
    zone_.kind = (location && xml::isElement(location, "bottom")) ? 0 : 1;
    readAttribute(attributes, "position", zone_.position);
    readAttribute(attributes, "width", zone_.width);
    if (const char* text = xml::findAttribute(attributes, "name")) zone_.name = modelText(text, nullptr);
  } else if (xml::isElement(name, "stem") && inStems_) {
    const char* orientation = xml::findAttribute(attributes, "orientation");
    stemHorizontal_ = !(orientation && xml::isElement(orientation, "vertical"));
    readAttribute(attributes, "width", stem_.width);
    if (const char* text = xml::findAttribute(attributes, "name")) stem_.name = modelText(text, nullptr);
  } else if (xml::isElement(name, "delta") && inZones_) {
    addStep(zone_.steps, attributes, "value");
  } else if (xml::isElement(name, "round") && inStems_) {
    addStep(stem_.steps, attributes, "width");
  }
}

void FontHintsXMLParser::endElement(const char* name) {
  auto& hinting = font_->hinting;
  if (xml::isElement(name, "zones") && inZones_) {
    inZones_ = false;
    hinting.zones.insert(hinting.zones.end(), topZones_.begin(), topZones_.end());
    hinting.zones.insert(hinting.zones.end(), bottomZones_.begin(), bottomZones_.end());
    topZones_.clear();
    bottomZones_.clear();
  } else if (xml::isElement(name, "stems") && inStems_) {
    inStems_ = false;
    hinting.stemsH.insert(hinting.stemsH.end(), horizontalStems_.begin(), horizontalStems_.end());
    hinting.stemsV.insert(hinting.stemsV.end(), verticalStems_.begin(), verticalStems_.end());
    horizontalStems_.clear();
    verticalStems_.clear();
  } else if (xml::isElement(name, "zone") && inZones_) {
    auto& list = zone_.kind ? topZones_ : bottomZones_;
    if (list.size() < kMaxFontHintRecords) list.push_back(zone_);
    zone_ = vn::Zone{};
    zone_.kind = 1;
  } else if (xml::isElement(name, "stem") && inStems_) {
    bool lost = false;
    stem_.steps = vn::stemStepsFromRounding(stem_.steps, lost);
    if (lost) lostRounding_.push_back(stem_.name);
    auto& list = stemHorizontal_ ? horizontalStems_ : verticalStems_;
    if (list.size() < kMaxFontHintRecords) list.push_back(stem_);
    stem_ = vn::Stem{};
    stemHorizontal_ = true;
  }
}

}  // namespace ufo
