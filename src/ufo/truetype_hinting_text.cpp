#include "ufo/truetype_hinting_text.h"

#include "hinting/tt_interpreter.h"
#include "hinting/ufo_hinting.h"
#include "model/font.h"
#include "model/style.h"
#include "ufo/text_encoding.h"

namespace ufo {

namespace {

// Names in the hint texts are escaped as the glyph files escape them, so point names
// agree between the outline and the program.
std::string escapeName(std::string_view text) { return escapeXmlText(std::string(text)); }

}  // namespace

TrueTypeHintingText::TrueTypeHintingText(const vn::Font& font, const vn::Style& style)
    : font_(font), interpreter_(std::make_unique<vn::ttInterpreter>()) {
  vn::loadFontHinting(*interpreter_, &style.metrics, font.hinting);
}

TrueTypeHintingText::~TrueTypeHintingText() = default;

std::string TrueTypeHintingText::fontHinting() const {
  return vn::fontHintingLibText(font_.hinting, *interpreter_, escapeName);
}

std::string TrueTypeHintingText::glyphProgram(const vn::Glyph& glyph, vn::Layer& body) {
  if (glyph.commandBytes.empty()) return std::string();
  return vn::glyphProgramLibText(*interpreter_, glyph.commandBytes, body, escapeName);
}

}  // namespace ufo
