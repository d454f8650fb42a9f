// Interpreters of the known glyph-lib entries (PostScript hint sets, the TrueType
// program, guides, the mark colour) and of the font guides of "lib.plist".
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

#include "model/font.h"
#include "model/style.h"
#include "ufo/mark_colour_fate.h"
#include "ufo/plist_node.h"
#include "xml/xml_parser.h"

#include <string>
#include <vector>

namespace ufo {

// What the glyph lib's known entries gave beyond the glyph itself.
struct GlyphLibRead {
  std::vector<std::string> unreadable;     // keys whose text did not parse
  std::optional<MarkColour> markColour;    // the mark colour read, as given
};

// Runs the sub-parsers over the glyph's kept lib entries and removes the entries they
// handle ("com.adobe.type.autohint", "com.quorvel.ttprogram",
// "com.typemytype.robofont.guides", "com.typemytype.robofont.mark", "public.markColor"),
// parsed or not.
[[nodiscard]] GlyphLibRead dispatchGlyphLib(vn::Glyph& glyph);

// The text between the first "<data>" and the last "</data>" of a stored entry, without
// leading blanks and bytes of 128 and above; decoded from base64 unless it is markup.
std::string libDataText(const std::string& stored);

// Guides from a "com.typemytype.robofont.guides" array: each dict gives the line through
// (x, y) in the direction of "angle" (degrees), 100 units long.
void readGuidelineList(const PListNode& array, vn::Layer& target);
// The same from the stored text of a glyph entry, into the glyph's "Body" layer.
void readGlyphGuidelines(const std::string& text, vn::Glyph& glyph);
// A UFO 3 guideline (x, y, angle in degrees, any of them absent): a line through the
// point, 100 units long; only x gives a vertical line, only y a horizontal one. False
// when the values do not make a line (nothing given, or a point without an angle).
bool ufo3Guide(const double* x, const double* y, const double* angle, std::string name, vn::Guide& out);
// The UFO 3 "guidelines" array of fontinfo.plist (a dict per guideline) into the layer.
// True when a guideline gave a colour, which the guide does not keep.
[[nodiscard]] bool readUfo3GuidelineList(const PListNode& array, vn::Layer& target);

// "hintSetList" text: stems into the layer's hints, hint sets into its replacement
// records.
class GlyphHintsXMLParser : public xml::XmlParser {
 public:
  [[nodiscard]] bool parse(std::istream& in, vn::Glyph* glyph);
  void startElement(const char* name, const char** attributes) override;
  void endElement(const char* name) override;

 private:
  void addStem(double position, double width, bool horizontal);

  bool inList_ = false;
  bool inSet_ = false;
  std::string pointName_;
  vn::Glyph* glyph_ = nullptr;
  vn::Layer* layer_ = nullptr;
};

// "ttProgram" text through the shared TrueType interpreter into the glyph's command bytes.
class GlyphHintsInstrXMLParser : public xml::XmlParser {
 public:
  [[nodiscard]] bool parse(std::istream& in, vn::Glyph* glyph);
  void startElement(const char* name, const char** attributes) override;
  void endElement(const char* name) override;

 private:
  bool inProgram_ = false;
  vn::Glyph* glyph_ = nullptr;
  vn::Layer* layer_ = nullptr;
};

// The mark colour array: four reals red, green, blue, alpha -> the glyph's mark value.
class GlyphMarkColorXMLParser : public xml::XmlParser {
 public:
  [[nodiscard]] bool parse(std::istream& in, vn::Glyph* glyph);
  void startElement(const char* name, const char** attributes) override;
  void endElement(const char* name) override;
  void characterData(const char* text, int length) override;

  // The mark of a colour: hue (a fraction of a turn) in kMarkHueSteps steps, rounded,
  // plus 1; 0 for black; -1 for a grey other than black or values that are not finite.
  static std::int32_t markForColor(double red, double green, double blue);
  // The colour of the last complete array (alpha as given).
  const std::optional<MarkColour>& colour() const { return colour_; }

 private:
  vn::Glyph* glyph_ = nullptr;
  int index_ = 0;
  double values_[4] = {0, 0, 0, 0};
  std::optional<MarkColour> colour_;
  bool inReal_ = false;
  std::string text_;
};

// Hands the font's TrueType zones and stems to the shared interpreter before the first
// glyph program is read.
void storeTtHinting(vn::Style* style, vn::Font* font);

}  // namespace ufo
