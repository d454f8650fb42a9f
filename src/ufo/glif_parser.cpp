#include "ufo/glif_parser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "model/glyph_data.h"
#include "model/numbers.h"
#include "text/xml_text.h"
#include "ufo/glyph_lib_parsers.h"
#include "ufo/limits.h"
#include "ufo/mark_colour_fate.h"
#include "ufo/plist_node.h"
#include "ufo/plist_parser.h"
#include "ufo/reader_errors.h"
#include "ufo/reader_text.h"
#include "ufo/reader_warnings.h"
#include "ufo/text_encoding.h"

namespace ufo {
namespace {

constexpr std::uint32_t kMaxUnicodeValue = 0x10FFFF;
constexpr int kLibIndentation = 4;

// The elements this reader tells apart; kOther for every other name.
enum class Tag {
  kOther, kGlyph, kAdvance, kUnicode, kOutline, kLib, kAnchor, kGuideline, kComponent, kContour, kPoint, kImage, kNote
};

// One look at the first letter, then one comparison: this runs for every element.
Tag tagOf(const char* name) {
  auto is = [name](const char* wanted) { return std::strcmp(name, wanted) == 0; };
  switch (name[0]) {
    case 'p': return is("point") ? Tag::kPoint : Tag::kOther;
    case 'c': return is("contour") ? Tag::kContour : is("component") ? Tag::kComponent : Tag::kOther;
    case 'a': return is("advance") ? Tag::kAdvance : is("anchor") ? Tag::kAnchor : Tag::kOther;
    case 'g': return is("glyph") ? Tag::kGlyph : is("guideline") ? Tag::kGuideline : Tag::kOther;
    case 'u': return is("unicode") ? Tag::kUnicode : Tag::kOther;
    case 'o': return is("outline") ? Tag::kOutline : Tag::kOther;
    case 'l': return is("lib") ? Tag::kLib : Tag::kOther;
    case 'i': return is("image") ? Tag::kImage : Tag::kOther;
    case 'n': return is("note") ? Tag::kNote : Tag::kOther;
    default: return Tag::kOther;
  }
}

// "type" attribute of a point -> node type; anything else ("offcurve" too) is an
// off-curve point.
std::int32_t pointType(std::string_view type) {
  if (type == "line" || type == "qcurve") return vn::Node::kOnCurve;
  if (type == "curve") return vn::Node::kCubic;
  if (type == "move") return vn::Node::kMove;
  return vn::Node::kQuadratic;
}

void noteIdentifiers(ReadWarnings* warnings) {
  if (warnings) warnings->report(warning::kIdentifiers, warning::notCarried("UFO 3 identifiers"));
}

// Reports the UFO 3 items an element brings that the native format does not carry.
void noteUfo3(ReadWarnings* warnings, const std::string& glyph, Tag tag, const char** attributes) {
  if (!warnings) return;
  if (tag == Tag::kImage) warnings->list(warning::kImages, warning::notCarried("glyph images"), glyph);
  if (tag == Tag::kNote) warnings->list(warning::kNotes, warning::notCarried("glyph notes"), glyph);
  if (xml::findAttribute(attributes, "identifier")) noteIdentifiers(warnings);
}


}  // namespace

UfoGlyphParser::UfoGlyphParser() = default;

void UfoGlyphParser::readGlyphNumber(const char* text, double& target) {
  if (!text) return;
  if (auto value = readReal(text)) {
    target = *value;
  } else if (warnings_) {
    warnings_->list(warning::kBadNumber, "numbers in glyph files that do not parse keep their defaults",
                    glyph_->name + " \"" + text + "\"");
  }
}

bool UfoGlyphParser::parse(std::istream& in, vn::Glyph* glyph) {
  return run(glyph, [&] { return xml::XmlParser::parse(in); });
}

bool UfoGlyphParser::parse(std::string_view text, vn::Glyph* glyph) {
  return run(glyph, [&] { return parseBuffer(text); });
}

bool UfoGlyphParser::parse(const xml::XmlRecording& recording, vn::Glyph* glyph) {
  return run(glyph, [&] { return replay(recording); });
}

template <class Parse>
bool UfoGlyphParser::run(vn::Glyph* glyph, Parse&& parseDocument) {
  if (!glyph) return false;
  glyph_ = glyph;
  inGlyph_ = inOutline_ = inLib_ = inContour_ = false;
  nestedLibs_ = 0;
  contourOpen_ = false;
  nodes_.clear();
  libText_.clear();
  bodyLayer_ = nullptr;
  bool parsed = false;
  try {
    parsed = parseDocument();
  } catch (const UfoParserException&) {
    glyph_ = nullptr;
    return true;  // the glyph keeps what was read before the fault
  } catch (...) {
    glyph_ = nullptr;
    return false;
  }
  glyph_ = nullptr;
  if (!parsed) return false;
  const GlyphLibRead read = glyph->lib.empty() ? GlyphLibRead() : dispatchGlyphLib(*glyph);
  if (warnings_) {
    if (read.markColour) noteMarkColour(*warnings_, glyph->name, markColourFate(*read.markColour, glyph->markColor));
    for (const std::string& key : read.unreadable) {
      warnings_->list(warning::kUnreadableLibEntry, warning::kUnreadableLibEntryLine,
                      glyph->name + " (" + key + ")");
    }
    for (const auto& entry : glyph->lib) {
      warnings_->list(warning::kGlyphLib, warning::notCarried("glyph lib entries"), entry.first);
    }
  }
  return true;
}

void UfoGlyphParser::startElement(const char* name, const char** attributes) {
  const Tag tag = tagOf(name);
  if (tag == Tag::kGlyph && !inLib_) {
    inGlyph_ = true;
    return;
  }
  if (!inGlyph_) throw UfoParserException{UfoParserException::kGlyphFile};
  if (inLib_) {
    // Raw XML inside a lib value may hold elements named "lib" too.
    if (tag == Tag::kLib) ++nestedLibs_;
    xml::appendOpeningTag(libText_, name, attributes);
    return;
  }
  if (tag == Tag::kPoint && inContour_) {
    readPoint(attributes);  // notes identifiers itself, in its one pass over the attributes
    return;
  }
  noteUfo3(warnings_, glyph_->name, tag, attributes);
  switch (tag) {
    case Tag::kAdvance: readAdvance(attributes); break;
    case Tag::kUnicode: readUnicode(attributes); break;
    case Tag::kOutline: inOutline_ = true; break;
    case Tag::kImage:
      if (const char* file = xml::findAttribute(attributes, "fileName")) usedImages_.insert(file);
      break;
    case Tag::kLib:
      inLib_ = true;
      libText_.clear();
      break;
    case Tag::kAnchor:
      if (!inOutline_) readAnchor(attributes);
      break;
    case Tag::kGuideline:
      if (!inOutline_) readGuideline(attributes);
      break;
    case Tag::kComponent:
      if (inOutline_) readComponent(attributes);
      break;
    case Tag::kContour:
      if (inOutline_) {
        inContour_ = true;
        contourOpen_ = false;
        nodes_.clear();
      }
      break;
    default: break;
  }
}

void UfoGlyphParser::endElement(const char* name) {
  const Tag tag = tagOf(name);
  if (inLib_) {
    if (tag == Tag::kLib && nestedLibs_ == 0) {
      inLib_ = false;
      readLibText();
      return;
    }
    if (tag == Tag::kLib) --nestedLibs_;
    xml::appendClosingTag(libText_, name);
    return;
  }
  switch (tag) {
    case Tag::kGlyph: inGlyph_ = false; break;
    case Tag::kContour:
      if (inContour_) {
        inContour_ = false;
        finishContour();
      }
      break;
    case Tag::kOutline: inOutline_ = false; break;
    default: break;
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
  readGlyphNumber(xml::findAttribute(attributes, "width"), glyph_->advanceWidth);
  readGlyphNumber(xml::findAttribute(attributes, "height"), glyph_->advanceHeight);
}

void UfoGlyphParser::readUnicode(const char** attributes) {
  if (!attributes || !attributes[0] || !xml::isElement(attributes[0], "hex")) {
    throw UfoParserException{UfoParserException::kGlyphFile};
  }
  const auto value = readHex(attributes[1] ? attributes[1] : "", UINT32_MAX);
  if (!value) return;
  if (*value > kMaxUnicodeValue) {
    if (warnings_) warnings_->list(warning::kUnicodeBeyondRange, warning::kUnicodeBeyondRangeLine, glyph_->name);
    return;
  }
  auto& unicodes = glyph_->unicodes;
  if (unicodes.size() >= kMaxUnicodesPerGlyph) return;
  if (std::find(unicodes.begin(), unicodes.end(), *value) == unicodes.end()) unicodes.push_back(*value);
}

void UfoGlyphParser::readComponent(const char** attributes) {
  if (!attributes || !attributes[0]) return;
  vn::Component component;
  vn::Matrix& m = component.matrix;
  // One pass over the attributes, as for points (names are unique within an element).
  for (int i = 0; attributes[i] && attributes[i + 1]; i += 2) {
    const std::string_view key = attributes[i];
    const char* value = attributes[i + 1];
    double* target = key == "xScale"    ? &m.a
                     : key == "xyScale" ? &m.b
                     : key == "yxScale" ? &m.c
                     : key == "yScale"  ? &m.d
                     : key == "xOffset" ? &m.e
                     : key == "yOffset" ? &m.f
                                        : nullptr;
    if (target) {
      readGlyphNumber(value, *target);
    } else if (key == "base") {
      component.baseName = modelText(value, warnings_);
    }
  }
  glyph_->components.push_back(std::move(component));
}

void UfoGlyphParser::readPoint(const char** attributes) {
  // One pass over the attributes: points are most of the elements of a font. expat
  // refuses repeated attributes, so each name is met at most once.
  const char* x = nullptr;
  const char* y = nullptr;
  const char* type = nullptr;
  const char* smooth = nullptr;
  const char* name = nullptr;
  bool identifier = false;
  for (int i = 0; attributes && attributes[i] && attributes[i + 1]; i += 2) {
    const char* key = attributes[i];
    const char* value = attributes[i + 1];
    auto is = [key](const char* wanted) { return std::strcmp(key, wanted) == 0; };
    switch (key[0]) {
      case 'x': if (key[1] == '\0') x = value; break;
      case 'y': if (key[1] == '\0') y = value; break;
      case 't': if (is("type")) type = value; break;
      case 's': if (is("smooth")) smooth = value; break;
      case 'n': if (is("name")) name = value; break;
      case 'i': if (is("identifier")) identifier = true; break;
      default: break;
    }
  }
  if (identifier) noteIdentifiers(warnings_);
  vn::Node& node = nodes_.emplace_back();
  node.type = type ? pointType(type) : vn::Node::kQuadratic;
  readGlyphNumber(x, node.x);
  readGlyphNumber(y, node.y);
  if (smooth && xml::isElement(smooth, "yes")) node.flags |= vn::Node::kFlagSmooth;
  if (name) node.name = modelText(name, warnings_);
  if (node.type == vn::Node::kMove) contourOpen_ = true;
}

vn::Layer& UfoGlyphParser::bodyLayer() {
  // Made on first use: a glyph without outline, links or guides gets no layer.
  if (bodyLayer_ == nullptr) bodyLayer_ = &glyph_->varnelData().bodyLayer();
  return *bodyLayer_;
}

void UfoGlyphParser::finishNodes(std::vector<vn::Node>& nodes, bool open) {
  if (nodes.empty()) return;
  using vn::Node;
  // A closed contour that starts with off-curve points lists the end of its last
  // segment first: start it at its first on-curve point instead, so that the leading
  // off-curve points close the contour and keep the type of the segment they belong
  // to (a "curve" stays cubic).
  if (!open && nodes.front().type == Node::kQuadratic) {
    const auto onCurve = std::find_if(nodes.begin(), nodes.end(),
                                      [](const Node& node) { return node.type != Node::kQuadratic; });
    if (onCurve != nodes.end()) std::rotate(nodes.begin(), onCurve, nodes.end());
  }
  // A closed contour whose own last on-curve point stands on its first ends with a
  // zero-length segment; that point is kept by a closing node added below. (Every
  // off-curve point is still of the quadratic type here; "curve" points are cubic.)
  const bool endsOnStart = !open && nodes.size() > 1 && nodes.front().type != Node::kQuadratic &&
                           nodes.back().type != Node::kQuadratic && nodes.back().x == nodes.front().x &&
                           nodes.back().y == nodes.front().y;
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
  // The glyph writer leaves out a closed contour's last node when it stands on the
  // first; this one is the node it leaves out, so the file's own last point comes back.
  if (endsOnStart) {
    Node closing;
    closing.x = nodes.front().x;
    closing.y = nodes.front().y;
    closing.flags = nodes.front().flags & Node::kFlagSmooth;
    nodes.push_back(std::move(closing));
  }
}

void UfoGlyphParser::finishContour() {
  if (nodes_.empty()) return;
  finishNodes(nodes_, contourOpen_);
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
  bodyLayer().addContour(vn::Contour{}) = std::move(contour);
}

void UfoGlyphParser::addPointLink(double x, double y, const std::string& name) {
  if (!vn::isIntegral(x) || !vn::isIntegral(y)) fractionalAnchors_.insert(glyph_->name);
  if (vn::saturateInt16(x) != std::trunc(x) || vn::saturateInt16(y) != std::trunc(y)) {
    clampedAnchors_.insert(glyph_->name);
  }
  vn::PointLink link;
  link.first.index = vn::saturateInt16(x);
  link.first.secondIndex = -1;
  link.second.index = vn::saturateInt16(y);
  link.second.secondIndex = -1;
  link.name = name;
  bodyLayer().links.push_back(std::move(link));
}

void UfoGlyphParser::readGuideline(const char** attributes) {
  // A UFO 3 guideline: a guide of the "Body" layer, as the older lib entry gives them.
  std::optional<double> values[3];
  const char* names[3] = {"x", "y", "angle"};
  for (int i = 0; i < 3; ++i) {
    if (const char* text = xml::findAttribute(attributes, names[i])) values[i] = readReal(text);
  }
  const char* name = xml::findAttribute(attributes, "name");
  noteColour(attributes, warning::kGuidelineColours, warning::kGuidelineColoursLine);
  vn::Guide guide;
  auto pointer = [](std::optional<double>& value) { return value ? &*value : nullptr; };
  if (!ufo3Guide(pointer(values[0]), pointer(values[1]), pointer(values[2]),
                 name ? modelText(name, warnings_) : std::string(), guide)) {
    return;
  }
  bodyLayer().guides.push_back(std::move(guide));
}

void UfoGlyphParser::readAnchor(const char** attributes) {
  // A UFO 3 anchor is what a named one-point contour is in UFO 2: a point link, written
  // back as that contour. Without a name it has no such form.
  const char* name = xml::findAttribute(attributes, "name");
  if (!name || !*name) {
    if (warnings_) warnings_->report(warning::kAnchors, warning::notCarried("UFO 3 anchors without a name"));
    return;
  }
  noteColour(attributes, warning::kAnchorColours, warning::notCarried(warning::kAnchorColoursWhat));
  double x = 0.0, y = 0.0;
  readGlyphNumber(xml::findAttribute(attributes, "x"), x);
  readGlyphNumber(xml::findAttribute(attributes, "y"), y);
  addPointLink(x, y, modelText(name, warnings_));
}

void UfoGlyphParser::noteColour(const char** attributes, const char* kind, const std::string& line) {
  const char* colour = xml::findAttribute(attributes, "color");
  if (warnings_ && colour && *colour) warnings_->list(kind, line, glyph_->name);
}

void UfoGlyphParser::readLibText() {
  PListParser plistParser;
  plistParser.setNodeBudget(plistNodesLeft_);
  PListDocument document;
  document.setTreeBuilt(true);
  const bool parsed = plistParser.parse(std::move(libText_), document);
  libText_.clear();
  if (!parsed) return;
  const auto* dict = document.firstNode();
  if (!dict || std::string_view(dict->name(), dict->name_size()) != "dict") return;
  PListNode tree(plist::kDict, dict->first_node());
  for (const PListNode* entry = tree.firstChild(); entry; entry = entry->next()) {
    std::string text;
    entry->appendXml(text, kLibIndentation, false, false);
    glyph_->lib[modelText(entry->key(), warnings_)] = std::move(text);
  }
}

}  // namespace ufo
