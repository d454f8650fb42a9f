#include "model/font_style_pair.h"

FontStylePair::FontStylePair(vn::Style* style_, vn::Font* font_) : style(style_), font(font_) {
  if (style) style->addRef();
  if (font) font->addRef();
  assignSerial();
}

FontStylePair::FontStylePair(const FontStylePair& other)
    : style(other.style), font(other.font), serial(other.serial) {
  if (style) style->addRef();
  if (font) font->addRef();
}

FontStylePair& FontStylePair::operator=(const FontStylePair& other) {
  if (this == &other) return *this;
  if (other.style) other.style->addRef();
  if (other.font) other.font->addRef();
  if (style) style->release();
  if (font) font->release();
  style = other.style;
  font = other.font;
  serial = other.serial;
  return *this;
}

FontStylePair::~FontStylePair() {
  if (style) style->release();
  if (font) font->release();
}

void FontStylePair::assignSerial() { serial = vn::takeSerial(); }
