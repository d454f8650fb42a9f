// The document handle: one style and one font, each with a reference held by the pair,
// and a serial number from the process-wide counter.
#pragma once

#include <cstdint>

#include "model/font.h"
#include "model/style.h"

class FontStylePair {
 public:
  // Adds a reference to each object that is not null and takes the next serial.
  FontStylePair(vn::Style* style, vn::Font* font);
  FontStylePair(const FontStylePair& other);
  FontStylePair& operator=(const FontStylePair& other);
  ~FontStylePair();

  // Takes the counter's value and advances the counter.
  void assignSerial();

  vn::Style* style = nullptr;
  vn::Font* font = nullptr;
  uint32_t serial = 0;
};
