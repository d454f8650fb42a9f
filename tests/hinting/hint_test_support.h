// Helpers for the hinting tests: layers with named points, command builders, a compact
// text form of a program, and a small reader for the XML the hinting code writes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hinting/tt_interpreter.h"
#include "hinting/ufo_hinting.h"
#include "model/layer.h"

namespace hinttest {

// One element, one contour of on-curve nodes at (i * 10, i * 10), named as given
// ("" for an unnamed node).
vn::Layer makeLayer(const std::vector<std::string>& names);

std::unique_ptr<vn::ttCommand> command(int32_t code, const std::vector<int32_t>& params);

// "keyword(p0,p1,...)" joined by blanks.
std::string describe(const vn::ttProgram& program);

struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<XmlElement> children;
  std::string text;
};

// Parses a sequence of elements with the XML reader (references decoded, character
// references to UTF-8). Fails the current test on malformed input.
std::vector<XmlElement> parseXml(const std::string& text);

// A parsed plist value element (<dict>, <integer>, ...) as a HintLibNode with the key.
vn::HintLibNode toLibNode(const XmlElement& element, const std::string& key);

// Feeds every "ttc" element of a "ttProgram" text to the interpreter; returns how many
// were added.
int readProgramText(vn::ttInterpreter& interpreter, const std::string& text, const vn::Layer& layer);

}  // namespace hinttest
