// Fuzz entry over the glyph-file reader, shared by the libFuzzer target and the
// regression replay test. Returns false when an invariant breaks: every contour starts
// with a move node and holds only known node types, and every kept lib entry is
// well-formed property-list text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "model/glyph.h"
#include "model/glyph_data.h"
#include "ufo/glif_parser.h"
#include "ufo/plist_parser.h"

namespace fuzz {

inline bool contoursAreSound(const vn::Glyph& glyph) {
  const vn::Layer* body = glyph.bodyLayer();
  if (!body) return true;
  for (const vn::Element& element : body->elements) {
    for (const vn::Contour& contour : element.contours) {
      if (contour.nodes.empty() || contour.nodes.front().type != vn::Node::kMove) return false;
      for (const vn::Node& node : contour.nodes) {
        if (node.type < vn::Node::kMove || node.type > vn::Node::kCubic) return false;
      }
    }
  }
  return true;
}

inline bool libIsWellFormed(const vn::Glyph& glyph) {
  ufo::PListParser parser;
  for (const auto& [key, text] : glyph.lib) {
    ufo::PListDocument document;
    if (!parser.parseText("<dict><key>k</key>\n" + text + "</dict>", document)) return false;
  }
  return true;
}

inline bool glifEntry(const std::uint8_t* data, std::size_t size) {
  vn::Glyph* glyph = new vn::Glyph;
  glyph->setName("fuzz");
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  ufo::UfoGlyphParser parser;
  // Parsed or not, what the glyph holds must be sound.
  static_cast<void>(parser.parse(in, glyph));
  const bool sound = contoursAreSound(*glyph) && libIsWellFormed(*glyph);
  glyph->release();
  return sound;
}

}  // namespace fuzz
