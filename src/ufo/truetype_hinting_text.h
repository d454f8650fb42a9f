// The TrueType hinting texts of the lib: the body of the font-lib dict
// "com.quorvel.v2.tth" and the glyph program of "com.quorvel.ttprogram". This is the
// one place where the UFO writer asks the hinting subsystem for them.
#pragma once

#include <memory>
#include <string>

namespace vn {
class Font;
class Glyph;
class Layer;
class Style;
class ttInterpreter;
}  // namespace vn

namespace ufo {

class TrueTypeHintingText {
 public:
  // Made once per lib preparation: its interpreter takes the font's units per em,
  // zones and stems, and names the unnamed ones.
  TrueTypeHintingText(const vn::Font& font, const vn::Style& style);
  ~TrueTypeHintingText();
  TrueTypeHintingText(const TrueTypeHintingText&) = delete;
  TrueTypeHintingText& operator=(const TrueTypeHintingText&) = delete;

  // The dict body: "stemsnaplimit", "codeppm" and "zoneppm" when they differ from a
  // fresh hinting block, then the zones and stems; empty when there is nothing.
  std::string fontHinting() const;

  // The program text of a glyph with command bytes (names the outline points the
  // program uses); empty when there is none.
  std::string glyphProgram(const vn::Glyph& glyph, vn::Layer& body);

 private:
  const vn::Font& font_;
  std::unique_ptr<vn::ttInterpreter> interpreter_;
};

}  // namespace ufo
