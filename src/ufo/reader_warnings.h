// Warning lines of one UFO read: each kind of problem is reported once, on the
// standard output, so a font with thousands of affected glyphs gives one line.
#pragma once

#include <ostream>
#include <set>
#include <string>

namespace ufo {

class ReadWarnings {
 public:
  // Prints to `out` (null: collects only).
  explicit ReadWarnings(std::ostream* out) : out_(out) {}

  // Reports "Warning: <line>" the first time the kind is seen; later lines of the same
  // kind are counted but not printed.
  void report(const std::string& kind, const std::string& line);
  bool seen(const std::string& kind) const { return kinds_.count(kind) != 0; }
  const std::set<std::string>& kinds() const { return kinds_; }

 private:
  std::ostream* out_;
  std::set<std::string> kinds_;
};

// Kinds of warnings, one place for their texts.
namespace warning {
inline constexpr const char* kLayers = "layers";
inline constexpr const char* kAnchors = "anchors";
inline constexpr const char* kImages = "images";
inline constexpr const char* kNotes = "notes";
inline constexpr const char* kIdentifiers = "identifiers";
inline constexpr const char* kTextEncoding = "text encoding";
inline constexpr const char* kUnsafeGlyphFile = "unsafe glyph file";
inline constexpr const char* kBadGlyphFile = "bad glyph file";
inline constexpr const char* kBadNumber = "bad number";
inline constexpr const char* kFontInfoKeys = "fontinfo keys";
inline constexpr const char* kGlyphBytes = "glyph bytes";

std::string notCarried(const std::string& what);
}  // namespace warning

}  // namespace ufo
