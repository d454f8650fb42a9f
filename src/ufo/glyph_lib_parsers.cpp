#include "ufo/glyph_lib_parsers.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "hinting/tt_interpreter.h"
#include "hinting/ufo_hinting.h"
#include "model/glyph_data.h"
#include "model/numbers.h"
#include "ufo/base64.h"
#include "ufo/lib_writer.h"
#include "ufo/limits.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_text.h"

namespace ufo {
namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kGuideLength = 100.0;
constexpr int kStem3Count = 6;



// Runs an event parser over the text; the structure exception counts as success.
template <class Parser>
bool runParser(Parser& parser, std::istream& in) {
  try {
    return parser.xml::XmlParser::parse(in);
  } catch (const UfoParserException&) {
    return true;
  } catch (...) {
    return false;
  }
}

// "public.markColor": the stored entry is "<string>r,g,b,a</string>" (alpha 1 when left
// out). Returns the colour read.
std::optional<MarkColour> readPublicMarkColor(const std::string& stored, vn::Glyph& glyph) {
  const auto open = stored.find("<string>");
  const auto close = stored.rfind("</string>");
  if (open == std::string::npos || close == std::string::npos || close < open + 8) return std::nullopt;
  std::string_view text(stored.data() + open + 8, close - open - 8);
  std::vector<double> values;
  while (values.size() < 4) {
    const auto comma = text.find(',');
    std::optional<double> value = readReal(text.substr(0, comma));
    if (!value) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (values.size() < 3) return std::nullopt;
  const std::int32_t mark = GlyphMarkColorXMLParser::markForColor(values[0], values[1], values[2]);
  if (mark >= 0) glyph.markColor = mark;
  return MarkColour{values[0], values[1], values[2], values.size() > 3 ? values[3] : 1.0};
}

template <class Parser>
[[nodiscard]] bool parseText(Parser& parser, const std::string& text, vn::Glyph& glyph) {
  std::istringstream in(text);
  return parser.parse(in, &glyph);
}

}  // namespace

std::string libDataText(const std::string& stored) {
  const auto open = stored.find("<data>");
  const auto close = stored.rfind("</data>");
  if (open == std::string::npos || close == std::string::npos || close < open + 6) return {};
  std::string text = stored.substr(open + 6, close - open - 6);
  std::size_t start = 0;
  while (start < text.size()) {
    const auto byte = static_cast<unsigned char>(text[start]);
    if (byte > 32 && byte < 128) break;
    ++start;
  }
  text.erase(0, start);
  if (!text.empty() && text.front() != '<') return decodeBase64(text);
  return text;
}

GlyphLibRead dispatchGlyphLib(vn::Glyph& glyph) {
  GlyphLibRead read;
  std::vector<std::string>& unreadable = read.unreadable;
  auto& lib = glyph.lib;
  if (auto found = lib.find(libkey::kHintSets); found != lib.end()) {
    GlyphHintsXMLParser parser;
    if (!parseText(parser, libDataText(found->second), glyph)) unreadable.push_back(libkey::kHintSets);
    lib.erase(libkey::kHintSets);
  }
  if (auto found = lib.find(libkey::kTrueTypeProgram); found != lib.end()) {
    GlyphHintsInstrXMLParser parser;
    if (!parseText(parser, libDataText(found->second), glyph)) unreadable.push_back(libkey::kTrueTypeProgram);
    lib.erase(libkey::kTrueTypeProgram);
  }
  if (auto found = lib.find(libkey::kGuides); found != lib.end()) {
    readGlyphGuidelines(found->second, glyph);
    lib.erase(libkey::kGuides);
  }
  // The UFO 3 mark colour, a string "r,g,b,a"; the older array below wins when both are
  // there.
  if (auto found = lib.find(libkey::kPublicMark); found != lib.end()) {
    read.markColour = readPublicMarkColor(found->second, glyph);
    lib.erase(libkey::kPublicMark);
  }
  if (auto found = lib.find(libkey::kMark); found != lib.end()) {
    GlyphMarkColorXMLParser parser;
    if (!parseText(parser, found->second, glyph)) unreadable.push_back(libkey::kMark);
    if (parser.colour()) read.markColour = parser.colour();
    lib.erase(libkey::kMark);
  }
  return read;
}

// ---- guides

void readGuidelineList(const PListNode& array, vn::Layer& target) {
  for (const PListNode* entry = array.firstChild(); entry; entry = entry->next()) {
    if (entry->type() != plist::kDict) continue;
    double angle = 0.0, x = 0.0, y = 0.0;
    std::string name;
    for (const PListNode* field = entry->firstChild(); field; field = field->next()) {
      const std::string& key = field->key();
      double* number = key == "angle" ? &angle : key == "x" ? &x : key == "y" ? &y : nullptr;
      if (number) {
        if (auto value = readReal(field->value())) *number = *value;
      } else if (key == "name") {
        name = modelText(field->value(), nullptr);
      }
    }
    vn::Guide guide;
    ufo3Guide(&x, &y, &angle, std::move(name), guide);
    target.guides.push_back(std::move(guide));
  }
}

bool ufo3Guide(const double* x, const double* y, const double* angle, std::string name, vn::Guide& out) {
  double degrees = 0.0;
  if (angle) {
    if (!x || !y) return false;
    degrees = *angle;
  } else if (x && y) {
    return false;
  } else if (x) {
    degrees = 90.0;
  } else if (!y) {
    return false;
  }
  const double px = x ? *x : 0.0;
  const double py = y ? *y : 0.0;
  const double radians = degrees * kRadiansPerDegree;
  out = vn::Guide{};
  out.x1 = px;
  out.y1 = py;
  out.x2 = px + kGuideLength * std::cos(radians);
  out.y2 = py + kGuideLength * std::sin(radians);
  out.name = std::move(name);
  return true;
}

bool readUfo3GuidelineList(const PListNode& array, vn::Layer& target) {
  bool colourGiven = false;
  for (const PListNode* entry = array.firstChild(); entry; entry = entry->next()) {
    if (entry->type() != plist::kDict) continue;
    std::optional<double> x, y, angle;
    std::string name;
    for (const PListNode* field = entry->firstChild(); field; field = field->next()) {
      const std::string& key = field->key();
      if (key == "x") x = readReal(field->value());
      if (key == "y") y = readReal(field->value());
      if (key == "angle") angle = readReal(field->value());
      if (key == "name") name = modelText(field->value(), nullptr);
      if (key == "color" && !field->value().empty()) colourGiven = true;
    }
    vn::Guide guide;
    if (ufo3Guide(x ? &*x : nullptr, y ? &*y : nullptr, angle ? &*angle : nullptr, std::move(name), guide)) {
      target.guides.push_back(std::move(guide));
    }
  }
  return colourGiven;
}

void readGlyphGuidelines(const std::string& text, vn::Glyph& glyph) {
  PListParser parser;
  PListDocument document;
  std::istringstream in(text);
  if (!parser.parse(in, document)) return;
  const auto* array = document.firstNode();
  if (!array || std::string_view(array->name(), array->name_size()) != "array") return;
  PListNode tree(plist::kArray, array->first_node());
  // A glyph without an outline (a space, a component-only glyph) still keeps its guides:
  // its body layer is made only when there is a guide to put in it.
  vn::Layer guides(vn::Layer::kBody);
  readGuidelineList(tree, guides);
  if (guides.guides.empty()) return;
  vn::Layer& body = glyph.varnelData().bodyLayer();
  for (auto& guide : guides.guides) body.guides.push_back(std::move(guide));
}

// ---- hint sets

bool GlyphHintsXMLParser::parse(std::istream& in, vn::Glyph* glyph) {
  if (!glyph || !glyph->bodyLayer()) return false;
  glyph_ = glyph;
  layer_ = glyph->bodyLayer();
  inList_ = inSet_ = false;
  pointName_.clear();
  return runParser(*this, in);
}

void GlyphHintsXMLParser::addStem(double position, double width, bool horizontal) {
  vn::Hint hint;
  hint.position = position;
  hint.width = width;
  hint.horizontal = horizontal ? 1 : 0;
  auto& hints = layer_->hints;
  std::size_t index = 0;
  while (index < hints.size() && !(hints[index] == hint)) ++index;
  if (index == hints.size()) {
    if (hints.size() >= kMaxHintsPerLayer) return;
    hints.push_back(hint);
  }
  layer_->replacements.push_back(
      vn::ReplacementRecord{horizontal ? 1 : 2, static_cast<std::int32_t>(index), -1, std::string()});
}

void GlyphHintsXMLParser::startElement(const char* name, const char** attributes) {
  if (xml::isElement(name, "hintSetList")) {
    inList_ = true;
    return;
  }
  if (xml::isElement(name, "hintset") && inList_) {
    inSet_ = true;
    if (attributes && attributes[0] && attributes[1] && xml::isElement(attributes[0], "pointTag")) {
      pointName_ = modelText(attributes[1], nullptr);
      const std::int32_t index = layer_->pointIndex(pointName_);
      if (!(index == 0 && layer_->replacements.empty())) {
        layer_->replacements.push_back(vn::ReplacementRecord{3, index, -1, std::string()});
      }
    }
    return;
  }
  if (!inSet_) return;
  const bool horizontal = xml::isElement(name, "hstem") || xml::isElement(name, "hstem3");
  if (xml::isElement(name, "hstem") || xml::isElement(name, "vstem")) {
    double position = 0.0, width = 0.0;
    if (const char* text = xml::findAttribute(attributes, "pos")) {
      if (auto value = readReal(text)) position = *value;
    }
    if (const char* text = xml::findAttribute(attributes, "width")) {
      if (auto value = readReal(text)) width = *value;
    }
    addStem(position, width, horizontal);
  } else if (xml::isElement(name, "hstem3") || xml::isElement(name, "vstem3")) {
    if (!attributes || !attributes[0] || !attributes[1] || !xml::isElement(attributes[0], "stem3List")) return;
    std::vector<double> numbers;
    std::string_view list = attributes[1];
    while (numbers.size() <= kStem3Count) {
      const auto comma = list.find(',');
      const auto value = readReal(list.substr(0, comma));
      if (!value) return;
      numbers.push_back(*value);
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
    }
    if (numbers.size() != kStem3Count) return;
    for (int i = 0; i < kStem3Count; i += 2) addStem(numbers[i], numbers[i + 1], horizontal);
  }
}

void GlyphHintsXMLParser::endElement(const char* name) {
  if (xml::isElement(name, "hintSetList")) {
    inList_ = false;
    bool hasSet = false;
    for (const auto& record : layer_->replacements) hasSet = hasSet || record.kind == 3;
    if (!hasSet) layer_->replacements.clear();
  } else if (xml::isElement(name, "hintset")) {
    inSet_ = false;
    pointName_.clear();
  }
}

// ---- TrueType program

bool GlyphHintsInstrXMLParser::parse(std::istream& in, vn::Glyph* glyph) {
  if (!glyph || !glyph->bodyLayer()) return false;
  glyph_ = glyph;
  layer_ = glyph->bodyLayer();
  inProgram_ = false;
  vn::sharedTtInterpreter().clearProgram();
  return runParser(*this, in);
}

void GlyphHintsInstrXMLParser::startElement(const char* name, const char** attributes) {
  if (xml::isElement(name, "ttProgram")) {
    inProgram_ = true;
  } else if (xml::isElement(name, "ttc") && inProgram_) {
    // Point names in the model's text form, as the outline's node names are.
    std::vector<std::string> texts;
    for (int i = 0; attributes && attributes[i]; ++i) texts.push_back(modelText(attributes[i], nullptr));
    std::vector<const char*> converted;
    for (const std::string& text : texts) converted.push_back(text.c_str());
    converted.push_back(nullptr);
    vn::sharedTtInterpreter().addCommandFromXml(converted.data(), *layer_);
  }
}

void GlyphHintsInstrXMLParser::endElement(const char* name) {
  if (!xml::isElement(name, "ttProgram") || !inProgram_) return;
  inProgram_ = false;
  vn::sharedTtInterpreter().encodeCommands(glyph_->commandBytes);
}

// ---- mark colour

bool GlyphMarkColorXMLParser::parse(std::istream& in, vn::Glyph* glyph) {
  if (!glyph) return false;
  glyph_ = glyph;
  colour_.reset();
  index_ = 0;
  inReal_ = false;
  return runParser(*this, in);
}

void GlyphMarkColorXMLParser::startElement(const char* name, const char**) {
  if (xml::isElement(name, "array")) {
    index_ = 0;
    for (double& value : values_) value = 0.0;
    inReal_ = false;
  } else if (xml::isElement(name, "real") || xml::isElement(name, "integer")) {
    inReal_ = true;
    text_.clear();
  }
}

void GlyphMarkColorXMLParser::characterData(const char* text, int length) {
  // Bounded: a number needs no more than this.
  if (inReal_ && text_.size() < 64 && length > 0) text_.append(text, static_cast<std::size_t>(length));
}

void GlyphMarkColorXMLParser::endElement(const char* name) {
  if ((xml::isElement(name, "real") || xml::isElement(name, "integer")) && inReal_) {
    if (index_ < 4) {
      // Single precision, as the colour was stored.
      if (auto value = readReal(text_)) values_[index_] = static_cast<float>(*value);
    }
    ++index_;
    inReal_ = false;
  } else if (xml::isElement(name, "array") && index_ >= 4) {
    colour_ = MarkColour{values_[0], values_[1], values_[2], values_[3]};
    const std::int32_t mark = markForColor(values_[0], values_[1], values_[2]);
    if (mark >= 0) glyph_->markColor = mark;
  }
}

std::int32_t GlyphMarkColorXMLParser::markForColor(double red, double green, double blue) {
  if (!std::isfinite(red) || !std::isfinite(green) || !std::isfinite(blue)) return -1;
  // A grey has no hue; black is "no mark".
  if (red == green && green == blue && red != 0.0) return -1;
  const double hue = vn::Color{red, green, blue}.hue();
  if (!std::isfinite(hue)) return -1;
  if (hue < 0.0) return 0;
  // Rounded, not truncated: the three decimals of a written colour land a hair on
  // either side of the hue, and a full turn is hue 0 again.
  const std::int32_t step = vn::saturateInt32(std::floor(hue * kMarkHueSteps + 0.5));
  return step % kMarkHueSteps + 1;
}

void storeTtHinting(vn::Style* style, vn::Font* font) {
  vn::storeFontHinting(vn::sharedTtInterpreter(), style ? &style->metrics : nullptr,
                       font ? &font->hinting : nullptr);
}

}  // namespace ufo
