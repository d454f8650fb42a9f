#include "ufo/truetype_hinting_text.h"

#include "model/font.h"
#include "model/numbers.h"

namespace ufo {

namespace {

void appendIntegerEntry(std::string& out, const char* key, int32_t value) {
  out += "    <key>";
  out += key;
  out += "</key>\n    <integer>";
  out += vn::formatInteger(value);
  out += "</integer>\n";
}

}  // namespace

TrueTypeHintingText::TrueTypeHintingText(const vn::Font& font, const vn::Style&) : font_(font) {}

std::string TrueTypeHintingText::fontHinting() const {
  // A fresh hinting block is the reference for what to leave out.
  static const vn::FontHinting kDefaults;
  const auto& params = font_.hinting.params4;
  std::string out;
  if (params[1] != kDefaults.params4[1]) appendIntegerEntry(out, "stemsnaplimit", params[1]);
  if (params[2] != kDefaults.params4[2]) appendIntegerEntry(out, "codeppm", params[2]);
  if (params[0] != kDefaults.params4[0]) appendIntegerEntry(out, "zoneppm", params[0]);
  // Zones and stems come from the TrueType interpreter (indentation 4) once the
  // hinting subsystem provides it.
  return out;
}

std::string TrueTypeHintingText::glyphProgram(const vn::Glyph& glyph, const vn::Layer&) {
  if (glyph.commandBytes.empty()) return std::string();
  // The program text comes from the TrueType interpreter (decode the command bytes,
  // name the points of the body layer, write the program at indentation 2) once the
  // hinting subsystem provides it.
  return std::string();
}

}  // namespace ufo
