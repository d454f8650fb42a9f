#include "ufo/glif_writer.h"

#include <vector>

#include "model/glyph.h"
#include "model/layer.h"
#include "ufo/plist_node.h"
#include "ufo/text_encoding.h"
#include "ufo/writer_numbers.h"

namespace ufo {

namespace {

using xml::appendAttribute;

void appendNumberAttribute(std::string& out, const char* name, double value) {
  appendAttribute(out, name, glifNumber(value));
}

bool isKnownNodeType(int32_t type) { return type >= vn::Node::kMove && type <= vn::Node::kCubic; }

// One point line. `state` carries the type of the previous point: an on-curve point
// after cubic off-curve points is a curve point, after quadratic ones a qcurve point.
void writePoint(std::string& out, const vn::Node& node, int32_t& state) {
  out += "      <point";
  appendNumberAttribute(out, "x", node.x);
  appendNumberAttribute(out, "y", node.y);
  if (node.type == vn::Node::kQuadratic || node.type == vn::Node::kCubic) {
    state = node.type;
  } else {
    const char* type = state == vn::Node::kMove        ? "move"
                       : state == vn::Node::kQuadratic ? "qcurve"
                       : state == vn::Node::kCubic     ? "curve"
                                                       : "line";
    appendAttribute(out, "type", type);
    state = vn::Node::kOnCurve;
    if (node.flags & vn::Node::kFlagSmooth) appendAttribute(out, "smooth", "yes");
  }
  if (!node.name.empty()) appendAttribute(out, "name", modelTextToUtf8(node.name));
  out += "/>\n";
}

void writeContour(std::string& out, const vn::Contour& contour, const vn::Matrix& matrix) {
  std::vector<vn::Node> nodes;
  nodes.reserve(contour.nodes.size());
  for (const vn::Node& node : contour.nodes) {
    if (!isKnownNodeType(node.type)) continue;
    nodes.push_back(node);
    if (!matrix.isIdentity()) {
      const vn::Point mapped = matrix.map(node.x, node.y);
      nodes.back().x = mapped.x;
      nodes.back().y = mapped.y;
    }
  }
  if (nodes.empty()) return;
  const bool open = contour.flag != 0;

  vn::Node first = nodes.front();
  size_t count = nodes.size();
  int32_t state = vn::Node::kMove;
  if (open) {
    // An open contour starts with its move point, whatever the first node's type.
    first.type = vn::Node::kMove;
  } else {
    const vn::Node& last = nodes.back();
    if (count > 1 && last.x == first.x && last.y == first.y) {
      first.flags = static_cast<uint8_t>((first.flags & ~vn::Node::kFlagSmooth) |
                                         (last.flags & vn::Node::kFlagSmooth));
      // The name of the dropped node (a hint-replacement or program point) lives on
      // in the first, where the same point now stands.
      if (first.name.empty()) first.name = last.name;
      --count;
    }
    state = nodes[count - 1].type;
    // A closed contour has no move point: one whose only written node is its first
    // (a contour of one point) writes it as a line point, so that it stays closed.
    if (state == vn::Node::kMove) state = vn::Node::kOnCurve;
  }

  out += "    <contour>\n";
  writePoint(out, first, state);
  for (size_t i = 1; i < count; ++i) writePoint(out, nodes[i], state);
  out += "    </contour>\n";
}

}  // namespace

void GlifWriter::writeOutline(std::string& out, const vn::Layer& layer) const {
  for (const vn::Element& element : layer.elements) {
    const vn::Matrix matrix = element.matrix.multiply(layer.matrix);
    for (const vn::Contour& contour : element.contours) writeContour(out, contour, matrix);
  }
  // Point links (and the anchors they carry) as named one-point contours.
  for (const vn::PointLink& link : layer.links) {
    vn::Node node;
    node.type = vn::Node::kMove;
    node.x = link.first.index;
    node.y = link.second.index;
    node.name = link.name;
    int32_t state = vn::Node::kMove;
    out += "    <contour>\n";
    writePoint(out, node, state);
    out += "    </contour>\n";
  }
}

void GlifWriter::writeComponents(std::string& out, const vn::Glyph& glyph) const {
  for (const vn::Component& component : glyph.components) {
    if (component.baseName.empty()) continue;
    const vn::Matrix& m = component.matrix;
    out += "    <component";
    appendAttribute(out, "base", modelTextToUtf8(component.baseName));
    if (m.a != 1.0) appendNumberAttribute(out, "xScale", m.a);
    if (m.b != 0.0) appendNumberAttribute(out, "xyScale", m.b);
    if (m.c != 0.0) appendNumberAttribute(out, "yxScale", m.c);
    if (m.d != 1.0) appendNumberAttribute(out, "yScale", m.d);
    if (m.e != 0.0) appendNumberAttribute(out, "xOffset", m.e);
    if (m.f != 0.0) appendNumberAttribute(out, "yOffset", m.f);
    out += "/>\n";
  }
}

void GlifWriter::writeGlyphLib(std::string& out, const vn::Glyph& glyph, const PListNode* libEntries) const {
  if (!libEntries && glyph.lib.empty()) return;
  out += "  <lib>\n  <dict>\n";
  for (const auto& [key, text] : glyph.lib) {
    out += "    <key>" + escapeXmlText(key) + "</key>\n";
    out += text;
    if (!text.empty() && text.back() != '\n') out += '\n';
  }
  if (libEntries && libEntries->firstChild()) libEntries->firstChild()->appendXml(out, 2, true, true);
  out += "  </dict>\n  </lib>\n";
}

std::string GlifWriter::glifText(const vn::Glyph& glyph, const std::string& name,
                                 const PListNode* libEntries) const {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glyph";
  if (!name.empty()) appendAttribute(out, "name", modelTextToUtf8(name));
  appendAttribute(out, "format", "1");
  out += ">\n  <advance";
  appendNumberAttribute(out, "width", glyph.advanceWidth);
  if (glyph.advanceHeight != 0.0) appendNumberAttribute(out, "height", glyph.advanceHeight);
  out += "/>\n";
  for (uint32_t unicode : glyph.unicodes) {
    out += "  <unicode";
    appendAttribute(out, "hex", formatUnicodeHex(unicode));
    out += "/>\n";
  }
  out += "  <outline>\n";
  if (const vn::Layer* body = glyph.bodyLayer()) writeOutline(out, *body);
  writeComponents(out, glyph);
  out += "  </outline>\n";
  writeGlyphLib(out, glyph, libEntries);
  out += "</glyph>\n";
  return out;
}

}  // namespace ufo
