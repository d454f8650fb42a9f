#include "ufo/glif_parser.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "model/glyph_data.h"
#include "model/numbers.h"
#include "ufo/glyph_lib_parsers.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_text.h"
#include "ufo/reader_warnings.h"
#include "ufo/text_encoding.h"
#include "xml/text_escape.h"

namespace ufo {
namespace {

constexpr std::uint32_t kMaxUnicodeValue = 0x10FFFF;
constexpr int kLibIndentation = 4;

// "type" attribute of a point -> node type; anything else is an off-curve point.
const std::map<std::string, std::int32_t, std::less<>>& pointTypes() {
  static const std::map<std::string, std::int32_t, std::less<>> types = {
      {"move", vn::Node::kMove},   {"line", vn::Node::kOnCurve},     {"qcurve", vn::Node::kOnCurve},
      {"curve", vn::Node::kCubic}, {"offcurve", vn::Node::kQuadratic},
  };
  return types;
}



void readNumber(const char* text, double& target) {
  if (!text) return;
  if (auto value = readReal(text)) target = *value;
}

}  // namespace

UfoGlyphParser::UfoGlyphParser() { pointTypes(); }

bool UfoGlyphParser::parse(std::istream& in, vn::Glyph* glyph) {
  if (!glyph) return false;
  glyph_ = glyph;
  inGlyph_ = inOutline_ = inLib_ = inContour_ = false;
  nestedLibs_ = 0;
  contourOpen_ = false;
  nodes_.clear();
  libText_.clear();
  bool parsed = false;
  try {
    parsed = xml::XmlParser::parse(in);
  } catch (const UfoParserException&) {
    glyph_ = nullptr;
    return true;  // the glyph keeps what was read before the fault
  } catch (...) {
    glyph_ = nullptr;
    return false;
  }
  glyph_ = nullptr;
  if (!parsed) return false;
  if (!glyph->lib.empty()) dispatchGlyphLib(*glyph);
  return true;
}

void UfoGlyphParser::noteUfo3(const char* name, const char** attributes) {
  if (!warnings_) return;
  if (xml::isElement(name, "image")) warnings_->report(warning::kImages, warning::notCarried("glyph images"));
  if (xml::isElement(name, "note")) warnings_->report(warning::kNotes, warning::notCarried("glyph notes"));
  if (xml::findAttribute(attributes, "identifier")) {
    warnings_->report(warning::kIdentifiers, warning::notCarried("UFO 3 identifiers"));
  }
}

void UfoGlyphParser::startElement(const char* name, const char** attributes) {
  if (xml::isElement(name, "glyph") && !inLib_) {
    inGlyph_ = true;
    return;
  }
  if (!inGlyph_) throw UfoParserException{UfoParserException::kGlyphFile};
  if (inLib_) {
    // Raw XML inside a lib value may hold elements named "lib" too.
    if (xml::isElement(name, "lib")) ++nestedLibs_;
    std::ostringstream tag;
    openingTagText(name, attributes, tag);
    libText_ += tag.str();
    return;
  }
  noteUfo3(name, attributes);
  if (xml::isElement(name, "advance")) {
    readAdvance(attributes);
  } else if (xml::isElement(name, "unicode")) {
    readUnicode(attributes);
  } else if (xml::isElement(name, "outline")) {
    inOutline_ = true;
  } else if (xml::isElement(name, "lib")) {
    inLib_ = true;
    libText_.clear();
  } else if (xml::isElement(name, "anchor") && !inOutline_) {
    readAnchor(attributes);
  } else if (xml::isElement(name, "guideline") && !inOutline_) {
    readGuideline(attributes);
  } else if (xml::isElement(name, "component") && inOutline_) {
    readComponent(attributes);
  } else if (xml::isElement(name, "contour") && inOutline_) {
    inContour_ = true;
    contourOpen_ = false;
    nodes_.clear();
  } else if (xml::isElement(name, "point") && inContour_) {
    readPoint(attributes);
  }
}

void UfoGlyphParser::endElement(const char* name) {
  if (xml::isElement(name, "glyph") && !inLib_) {
    inGlyph_ = false;
  } else if (xml::isElement(name, "lib") && inLib_ && nestedLibs_ == 0) {
    inLib_ = false;
    readLibText();
  } else if (inLib_) {
    if (xml::isElement(name, "lib")) --nestedLibs_;
    std::ostringstream tag;
    closingTagText(name, tag);
    libText_ += tag.str();
  } else if (xml::isElement(name, "contour") && inContour_) {
    inContour_ = false;
    finishContour();
  } else if (xml::isElement(name, "outline")) {
    inOutline_ = false;
  }
}

void UfoGlyphParser::characterData(const char* text, int length) {
  // expat resolves references: escape again, so that "&" and "<" in a lib string
  // stay well-formed when the text is parsed as a property list.
  if (inGlyph_ && inLib_ && length > 0) {
    xml::appendEscapedMarkup(libText_, std::string_view(text, static_cast<std::size_t>(length)));
  }
}

void UfoGlyphParser::readAdvance(const char** attributes) {
  readNumber(xml::findAttribute(attributes, "width"), glyph_->advanceWidth);
  readNumber(xml::findAttribute(attributes, "height"), glyph_->advanceHeight);
}

void UfoGlyphParser::readUnicode(const char** attributes) {
  if (!attributes || !attributes[0] || !xml::isElement(attributes[0], "hex")) {
    throw UfoParserException{UfoParserException::kGlyphFile};
  }
  const auto value = readHex(attributes[1] ? attributes[1] : "", kMaxUnicodeValue);
  if (!value) return;
  auto& unicodes = glyph_->unicodes;
  if (unicodes.size() >= kMaxUnicodes) return;
  if (std::find(unicodes.begin(), unicodes.end(), *value) == unicodes.end()) unicodes.push_back(*value);
}

void UfoGlyphParser::readComponent(const char** attributes) {
  if (!attributes || !attributes[0]) return;
  vn::Component component;
  if (const char* base = xml::findAttribute(attributes, "base")) component.baseName = modelText(base, warnings_);
  vn::Matrix& m = component.matrix;
  readNumber(xml::findAttribute(attributes, "xScale"), m.a);
  readNumber(xml::findAttribute(attributes, "xyScale"), m.b);
  readNumber(xml::findAttribute(attributes, "yxScale"), m.c);
  readNumber(xml::findAttribute(attributes, "yScale"), m.d);
  readNumber(xml::findAttribute(attributes, "xOffset"), m.e);
  readNumber(xml::findAttribute(attributes, "yOffset"), m.f);
  glyph_->components.push_back(std::move(component));
}

void UfoGlyphParser::readPoint(const char** attributes) {
  vn::Node node;
  node.type = vn::Node::kQuadratic;
  readNumber(xml::findAttribute(attributes, "x"), node.x);
  readNumber(xml::findAttribute(attributes, "y"), node.y);
  if (const char* type = xml::findAttribute(attributes, "type")) {
    const auto found = pointTypes().find(std::string_view(type));
    if (found != pointTypes().end()) node.type = found->second;
  }
  if (const char* smooth = xml::findAttribute(attributes, "smooth"); smooth && xml::isElement(smooth, "yes")) {
    node.flags |= vn::Node::kFlagSmooth;
  }
  if (const char* name = xml::findAttribute(attributes, "name")) node.name = modelText(name, warnings_);
  if (node.type == vn::Node::kMove) contourOpen_ = true;
  nodes_.push_back(std::move(node));
}

void UfoGlyphParser::finishNodes(std::vector<vn::Node>& nodes) {
  if (nodes.empty()) return;
  using vn::Node;
  if (nodes.front().type == Node::kQuadratic) {
    if (nodes.back().type != Node::kQuadratic) {
      Node start = nodes.back();
      start.type = Node::kMove;
      nodes.insert(nodes.begin(), std::move(start));
    } else {
      Node middle;
      middle.x = (nodes.back().x + nodes.front().x) * 0.5;
      middle.y = (nodes.back().y + nodes.front().y) * 0.5;
      middle.flags = Node::kFlagSmooth;
      middle.type = Node::kOnCurve;
      nodes.push_back(middle);
      middle.type = Node::kMove;
      nodes.insert(nodes.begin(), std::move(middle));
    }
  }
  if (nodes.back().type == Node::kQuadratic) nodes.push_back(nodes.front());
  nodes.front().type = Node::kMove;

  // Runs of two or more off-curve points before a "curve" point are cubic.
  std::size_t i = nodes.size();
  while (i > 0) {
    --i;
    if (nodes[i].type != Node::kCubic) continue;
    std::size_t run = 0;
    while (run < i && nodes[i - 1 - run].type == Node::kQuadratic) ++run;
    const std::uint8_t smooth = nodes[i].flags & Node::kFlagSmooth;
    if (run >= 2) {
      for (std::size_t k = 1; k <= run; ++k) {
        Node& offCurve = nodes[i - k];
        offCurve.type = Node::kCubic;
        offCurve.flags = static_cast<std::uint8_t>((offCurve.flags & ~Node::kFlagSmooth) | smooth);
      }
    }
    nodes[i].type = Node::kOnCurve;
    if (run >= 2) i -= run;
  }
}

void UfoGlyphParser::finishContour() {
  if (nodes_.empty()) return;
  finishNodes(nodes_);
  vn::Contour contour;
  contour.flag = contourOpen_ ? 1 : 0;
  contour.nodes.assign(std::make_move_iterator(nodes_.begin()), std::make_move_iterator(nodes_.end()));
  nodes_.clear();
  contourOpen_ = false;
  if (contour.nodes.size() > 1) contour.markHVSmooth();
  const vn::Node& first = contour.nodes.front();
  if (contour.nodes.size() == 1 && !first.name.empty()) {
    addPointLink(first.x, first.y, first.name);
    return;
  }
  // Moved into place: copying would allocate every node a second time.
  glyph_->varnelData().bodyLayer().addContour(vn::Contour{}) = std::move(contour);
}

void UfoGlyphParser::addPointLink(double x, double y, const std::string& name) {
  vn::PointLink link;
  link.first.index = vn::saturateInt16(x);
  link.first.secondIndex = -1;
  link.second.index = vn::saturateInt16(y);
  link.second.secondIndex = -1;
  link.name = name;
  glyph_->varnelData().bodyLayer().links.push_back(std::move(link));
}

void UfoGlyphParser::readGuideline(const char** attributes) {
  // A UFO 3 guideline: a guide of the "Body" layer, as the older lib entry gives them.
  std::optional<double> values[3];
  const char* names[3] = {"x", "y", "angle"};
  for (int i = 0; i < 3; ++i) {
    if (const char* text = xml::findAttribute(attributes, names[i])) values[i] = readReal(text);
  }
  const char* name = xml::findAttribute(attributes, "name");
  vn::Guide guide;
  auto pointer = [](std::optional<double>& value) { return value ? &*value : nullptr; };
  if (!ufo3Guide(pointer(values[0]), pointer(values[1]), pointer(values[2]),
                 name ? modelText(name, warnings_) : std::string(), guide)) {
    return;
  }
  glyph_->varnelData().bodyLayer().guides.push_back(std::move(guide));
}

void UfoGlyphParser::readAnchor(const char** attributes) {
  // A UFO 3 anchor is what a named one-point contour is in UFO 2: a point link, written
  // back as that contour. Without a name it has no such form.
  const char* name = xml::findAttribute(attributes, "name");
  if (!name || !*name) {
    if (warnings_) warnings_->report(warning::kAnchors, warning::notCarried("UFO 3 anchors without a name"));
    return;
  }
  double x = 0.0, y = 0.0;
  readNumber(xml::findAttribute(attributes, "x"), x);
  readNumber(xml::findAttribute(attributes, "y"), y);
  addPointLink(x, y, modelText(name, warnings_));
}

void UfoGlyphParser::readLibText() {
  PListParser plistParser;
  PListDocument document;
  std::istringstream in(libText_);
  libText_.clear();
  if (!plistParser.parse(in, document)) return;
  const auto* dict = document.firstNode();
  if (!dict || std::string_view(dict->name(), dict->name_size()) != "dict") return;
  PListNode tree(plist::kDict, dict->first_node());
  for (const PListNode* entry = tree.firstChild(); entry; entry = entry->next()) {
    std::ostringstream text;
    entry->writeXml(text, kLibIndentation, false, false);
    glyph_->lib[modelText(entry->key(), warnings_)] = text.str();
  }
}

}  // namespace ufo
