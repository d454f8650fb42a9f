// The text forms of hinting: the "ttProgram" element of a glyph lib and the "zones" and
// "stems" entries of the font lib, written and read back.
#include <string_view>

#include "hinting/tt_interpreter.h"
#include "model/layer.h"
#include "model/numbers.h"

namespace vn {

namespace {

constexpr const char* kLeftSideBearing = "lsb";
constexpr const char* kRightSideBearing = "rsb";
// Each nesting level of the text is indented by this many blanks.
constexpr int kIndentStep = 2;

// Every node of the layer in element, contour and node order.
template <class LayerType, class NodeType>
std::vector<NodeType*> layerNodes(LayerType& layer) {
  std::vector<NodeType*> nodes;
  for (auto& element : layer.elements) {
    for (auto& contour : element.contours) {
      for (auto& node : contour.nodes) nodes.push_back(&node);
    }
  }
  return nodes;
}

std::string generatedName(const std::string& prefix, int32_t number) {
  std::string digits = formatInteger(number);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return prefix + digits;
}

class PlistText {
 public:
  explicit PlistText(std::string& out) : out_(out) {}

  void line(int indent, std::string_view text) {
    out_.append(static_cast<size_t>(std::max(indent, 0)), ' ');
    out_ += text;
    out_ += '\n';
  }
  void key(int indent, const std::string& name) { line(indent, "<key>" + unicode::escapeModelText(name) + "</key>"); }
  void boolean(int indent, bool value) { line(indent, value ? "<true/>" : "<false/>"); }
  void number(int indent, double value) { line(indent, plistNumber(value)); }
  void integerMap(int indent, const std::map<int32_t, int32_t>& map) {
    line(indent, "<dict>");
    for (const auto& [size, value] : map) {
      line(indent + kIndentStep, "<key>" + formatInteger(size) + "</key>");
      line(indent + kIndentStep, "<integer>" + formatInteger(value) + "</integer>");
    }
    line(indent, "</dict>");
  }

 private:
  std::string& out_;
};

}  // namespace

void ttInterpreter::PointResolver::enter(const std::string& name, int32_t index) {
  if (name.empty()) return;
  indices.emplace(name, index);
  const size_t comma = name.find(',');
  if (comma != std::string::npos && comma > 0) indices.emplace(name.substr(0, comma), index);
}

void ttInterpreter::PointResolver::build(const Layer& source) {
  layer = &source;
  indices.clear();
  const auto nodes = layerNodes<const Layer, const Node>(source);
  pointCount = static_cast<int32_t>(nodes.size());
  for (size_t i = 0; i < nodes.size(); ++i) enter(nodes[i]->name, static_cast<int32_t>(i));
}

int32_t ttInterpreter::PointResolver::find(const std::string& name) const {
  if (name.empty()) return -1;
  if (name == kLeftSideBearing) return pointCount;
  if (name == kRightSideBearing) return pointCount + 1;
  auto it = indices.find(name);
  return it == indices.end() ? -1 : it->second;
}

const ttInterpreter::PointResolver& ttInterpreter::resolverFor(const Layer& layer) {
  if (resolver_.layer != &layer || resolver_.pointCount != layer.pointCount()) resolver_.build(layer);
  return resolver_;
}

void ttInterpreter::namePoints(Layer& layer) {
  auto nodes = layerNodes<Layer, Node>(layer);
  PointResolver names;
  names.build(layer);
  const int64_t pointCount = names.pointCount;
  for (auto& command : program_) {
    const size_t count = std::min(command->params.size(), static_cast<size_t>(command->pointCount()));
    for (size_t i = 0; i < count; ++i) {
      if (!command->paramNames[i].empty()) continue;
      const int64_t index = command->params[i];
      std::string name;
      if (index == pointCount) {
        name = kLeftSideBearing;
      } else if (index == pointCount + 1) {
        name = kRightSideBearing;
      } else if (index >= 0 && index < pointCount) {
        Node& node = *nodes[index];
        if (node.name.empty()) {
          const std::string& prefix = ttPrefix(command->code);
          int32_t number = 1;
          while (names.find(generatedName(prefix, number)) >= 0) ++number;
          node.name = generatedName(prefix, number);
          names.enter(node.name, static_cast<int32_t>(index));
        }
        name = node.name;
      }
      // A name that would read back as another point (a duplicate, or "lsb" on an
      // outline node) cannot carry the reference; the command is then left unwritten.
      if (!name.empty() && names.find(name) == index) command->paramNames[i] = name;
    }
  }
  // A later reader of this layer must see the new names.
  resolver_ = PointResolver{};
}

void ttInterpreter::writeProgramXml(std::string& out, int indent) const {
  std::vector<const ttCommand*> writable;
  for (const auto& command : program_) {
    // A command whose point has no outline node cannot be written: it would read back
    // as another point.
    if (command->hasPointNames() && !ttKeyword(command->code).empty()) writable.push_back(command.get());
  }
  if (writable.empty()) return;
  PlistText text(out);
  text.line(indent, "<ttProgram>");
  const std::string pad(static_cast<size_t>(std::max(indent + kIndentStep, 0)), ' ');
  for (const ttCommand* command : writable) {
    out += pad;
    out += "<ttc";
    xml::appendAttribute(out, "code", ttKeyword(command->code));
    command->writeAttributes(out, *this);
  }
  text.line(indent, "</ttProgram>");
}

void ttInterpreter::writeFontHintingXml(std::string& out, int indent) const {
  PlistText text(out);
  const int entry = indent + kIndentStep;
  const int field = entry + kIndentStep;
  if (!topZones_.empty() || !bottomZones_.empty()) {
    text.key(indent, "zones");
    text.line(indent, "<dict>");
    for (const auto* list : {&topZones_, &bottomZones_}) {
      for (const ttZone& zone : *list) {
        text.key(entry, zone.name);
        text.line(entry, "<dict>");
        text.key(field, "position");
        text.number(field, zone.position);
        text.key(field, "width");
        text.number(field, zone.width);
        text.key(field, "top");
        text.boolean(field, zone.top != 0);
        if (!zone.extras.empty()) {
          text.key(field, "delta");
          text.integerMap(field, zone.extras);
        }
        text.line(entry, "</dict>");
      }
    }
    text.line(indent, "</dict>");
  }
  if (!stemsH_.empty() || !stemsV_.empty()) {
    text.key(indent, "stems");
    text.line(indent, "<dict>");
    for (const auto* list : {&stemsH_, &stemsV_}) {
      for (const ttStem& stem : *list) {
        text.key(entry, stem.name);
        text.line(entry, "<dict>");
        text.key(field, "width");
        text.number(field, stem.width);
        text.key(field, "horizontal");
        text.boolean(field, list == &stemsH_);
        if (!stem.extras.empty()) {
          text.key(field, "round");
          text.integerMap(field, stem.extras);
        }
        text.line(entry, "</dict>");
      }
    }
    text.line(indent, "</dict>");
  }
}

bool ttInterpreter::addCommandFromXml(const AttributeLookup& attribute, const Layer& layer) {
  auto text = [&](const char* name) {
    const std::string* value = attribute(name);
    return value ? *value : std::string();
  };
  auto command = createCommand(ttCodeForKeyword(text("code")));
  if (!command) return false;

  const PointResolver& points = resolverFor(layer);
  // An empty or unknown name is a missing point (-1), never the first unnamed node.
  auto point = [&](const char* name) { return points.find(text(name)); };
  auto stemOrRound = [&](const std::vector<ttStem>& stems) {
    const std::string stem = text("stem");
    if (!stem.empty()) return findStem(stem, stems);
    return text("round") == "true" ? kTtStemRound : kTtNone;
  };

  auto& p = command->params;
  switch (command->code) {
    case ttCode::kAlignTop:
      p[0] = point("point");
      p[1] = findZone(text("zone"), topZones_);
      break;
    case ttCode::kAlignBottom:
      p[0] = point("point");
      p[1] = findZone(text("zone"), bottomZones_);
      break;
    case ttCode::kAlignH:
    case ttCode::kAlignV:
      p[0] = point("point");
      p[1] = ttAlignFromText(text("align"));
      break;
    case ttCode::kSingleLinkH:
    case ttCode::kSingleLinkV:
    case ttCode::kDoubleLinkH:
    case ttCode::kDoubleLinkV:
      p[0] = point("point1");
      p[1] = point("point2");
      p[2] = stemOrRound(command->isHorizontal() ? stemsV_ : stemsH_);
      if (command->code == ttCode::kSingleLinkH || command->code == ttCode::kSingleLinkV) {
        p[3] = ttAlignFromText(text("align"));
      }
      break;
    case ttCode::kInterpolateH:
    case ttCode::kInterpolateV:
      p[0] = point("point");
      p[1] = point("point1");
      p[2] = point("point2");
      p[3] = ttAlignFromText(text("align"));
      break;
    default:  // the four deltas
      p[0] = point("point");
      p[1] = leadingInt32(text("delta"));
      p[2] = leadingInt32(text("ppm1"));
      p[3] = leadingInt32(text("ppm2"));
      break;
  }
  for (int32_t i = 0; i < command->pointCount(); ++i) {
    if (p[i] < 0) return false;
  }
  program_.push_back(std::move(command));
  return true;
}

bool ttInterpreter::addCommandFromXml(const std::map<std::string, std::string>& attributes,
                                      const Layer& layer) {
  return addCommandFromXml(
      [&](const std::string& name) -> const std::string* {
        auto it = attributes.find(name);
        return it == attributes.end() ? nullptr : &it->second;
      },
      layer);
}

bool ttInterpreter::addCommandFromXml(const char* const* attributes, const Layer& layer) {
  std::map<std::string, std::string> map;
  for (size_t i = 0; attributes && attributes[i] && attributes[i + 1]; i += 2) {
    map.emplace(attributes[i], attributes[i + 1]);
  }
  return addCommandFromXml(map, layer);
}

}  // namespace vn
