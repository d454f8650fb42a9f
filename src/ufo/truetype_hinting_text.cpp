#include "ufo/truetype_hinting_text.h"

#include "hinting/tt_interpreter.h"
#include "hinting/ufo_hinting.h"
#include "model/font.h"
#include "model/style.h"

namespace ufo {

TrueTypeHintingText::TrueTypeHintingText(const vn::Font& font, const vn::Style& style)
    : font_(font), interpreter_(std::make_unique<vn::ttInterpreter>()) {
  vn::loadFontHinting(*interpreter_, &style.metrics, font.hinting);
}

TrueTypeHintingText::~TrueTypeHintingText() = default;

std::string TrueTypeHintingText::fontHinting() const {
  return vn::fontHintingLibText(font_.hinting, *interpreter_);
}

std::string TrueTypeHintingText::glyphProgram(const vn::Glyph& glyph, vn::Layer& body) {
  if (glyph.commandBytes.empty()) return std::string();
  return vn::glyphProgramLibText(*interpreter_, glyph.commandBytes, body);
}

}  // namespace ufo
