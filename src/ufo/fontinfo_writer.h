// Writes the key/value lines of "fontinfo.plist" from a font and its style, in the
// order and with the presence rules of the key table (fontinfo_keys.h).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vn {
class Font;
class Style;
}  // namespace vn

namespace ufo {

class FontInfoWriter {
 public:
  FontInfoWriter(const vn::Font* font, const vn::Style* style) : font_(font), style_(style) {}

  // Every key line, each ended by a line feed; nothing when the font or style is null.
  void writeKeys(std::ostream& out) const;
  // With `leftOut`, each value left out as outside the range the UFO format allows is
  // given there as its key and the value.
  void appendKeys(std::string& out, std::vector<std::string>* leftOut = nullptr) const;

 private:
  const vn::Font* font_;
  const vn::Style* style_;
};

}  // namespace ufo
