// Warning lines of one UFO read: each kind of problem is reported once, on the
// standard output, so a font with thousands of affected glyphs gives one line.
#pragma once

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace ufo {

class ReadWarnings {
 public:
  // Prints to `out` (null: collects only).
  explicit ReadWarnings(std::ostream* out) : out_(out) {}

  // Reports "Warning: <line>" the first time the kind is seen; later lines of the same
  // kind are counted but not printed.
  void report(const std::string& kind, const std::string& line);
  // Adds `item` (a key or a glyph name) to the list of the kind; at flush the kind gets
  // one line "Warning: <line>: item, item, ..." naming each item once, in the order first
  // seen: the first few, then how many more ("and 594 more").
  void list(const std::string& kind, const std::string& line, const std::string& item);
  // As list(), but the line names every item: for kinds whose items are few by nature
  // (one per fontinfo key), where each must be named.
  void listEvery(const std::string& kind, const std::string& line, const std::string& item);
  // Prints the listed kinds (in the order first seen) and forgets them.
  void flush();
  bool seen(const std::string& kind) const { return kinds_.count(kind) != 0; }
  const std::set<std::string>& kinds() const { return kinds_; }

 private:
  struct Listed {
    std::string kind;
    std::string line;
    std::vector<std::string> items;
    std::set<std::string> known;
    bool every = false;
  };

  void add(const std::string& kind, const std::string& line, const std::string& item, bool every);

  std::ostream* out_;
  std::set<std::string> kinds_;
  std::vector<Listed> listed_;
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
inline constexpr const char* kFontLib = "font lib";
inline constexpr const char* kGlyphLib = "glyph lib";
inline constexpr const char* kSharedMetric = "shared metric";
inline constexpr const char* kMissingGroup = "missing group";
inline constexpr const char* kMissingGlyphFile = "missing glyph file";
inline constexpr const char* kUnreadableLibEntry = "unreadable lib entry";
inline constexpr const char* kMissingComponent = "missing component";
inline constexpr const char* kStemRounding = "stem rounding";
inline constexpr const char* kRoundedCoordinates = "rounded coordinates";
inline constexpr const char* kTruncatedValues = "truncated values";
inline constexpr const char* kClampedValues = "clamped values";
inline constexpr const char* kLongGlyphNames = "long glyph names";
inline constexpr const char* kUnicodeBeyondRange = "unicode beyond range";
inline constexpr const char* kMovedGuides = "moved guides";
inline constexpr const char* kFontInfoChanges = "fontinfo changes";
inline constexpr const char* kClampedKerning = "clamped kerning";
inline constexpr const char* kTruncatedKerning = "truncated kerning";
inline constexpr const char* kRepointedComponents = "re-pointed components";
inline constexpr const char* kDecomposedComponents = "decomposed components";
inline constexpr const char* kDerivedMetrics = "derived metrics";
inline constexpr const char* kMarkColoursChanged = "mark colours changed";
inline constexpr const char* kMarkColoursLost = "mark colours lost";
inline constexpr const char* kDataFiles = "data files";
inline constexpr const char* kSupplementaryFirst = "supplementary first";
inline constexpr const char* kGuidelineColours = "guideline colours";
inline constexpr const char* kAnchorColours = "anchor colours";
inline constexpr const char* kDefaultLayerInfo = "default layer info";
inline constexpr const char* kPointNames = "point names";
inline constexpr const char* kImageFiles = "image files";
inline constexpr const char* kEmptyGroups = "empty groups";
inline constexpr const char* kMissingKernedGlyph = "missing kerned glyph";
// Followed by the file's name: one line per property list.
inline constexpr const char* kUnreadList = "unread list:";
inline constexpr const char* kLayerList = "layer list";

std::string notCarried(const std::string& what);
// Glyph names longer than the native format holds.
std::string longGlyphNames();
// A property list whose content is not a dict (read as an empty one).
std::string listNotRead(const std::string& member);
// The list of layers, that cannot be read for `why`.
std::string layerListNotRead(const std::string& member, const std::string& why);
// The keys of the default layer's information, which the native file does not carry.
std::string defaultLayerInfoKeys(const std::string& member);
// The default layer's information, that cannot be read for `why`.
std::string defaultLayerInfoNotRead(const std::string& member, const std::string& why);
inline constexpr const char* kUnreadableLibEntryLine = "lib entries that are not well-formed are left out";
inline constexpr const char* kRoundedCoordinatesLine =
    "contour points that are not whole numbers are rounded to the nearest unit, as the native format holds "
    "whole units";
inline constexpr const char* kTruncatedValuesLine =
    "advances, anchors, component offsets and stem hints that are not whole numbers are truncated toward zero, "
    "as the native format holds whole units";
inline constexpr const char* kClampedValuesLine =
    "advances, anchors, component offsets, contour points and stem hints beyond the range the native format "
    "holds are clamped to it";
inline constexpr const char* kMovedGuidesLine =
    "guides that cross their axis between whole units are moved to the whole unit toward zero, as the native "
    "format holds whole units";
inline constexpr const char* kUnicodeBeyondRangeLine =
    "Unicode values beyond U+10FFFF, the last code point, are left out";
inline constexpr const char* kFontInfoChangesLine =
    "fontinfo.plist values that the native format holds in another form are changed";
inline constexpr const char* kClampedKerningLine =
    "kerning values beyond the 32-bit range of the native format are clamped to it";
inline constexpr const char* kTruncatedKerningLine =
    "kerning values that are not whole numbers are truncated toward zero, as the native format holds whole units";
inline constexpr const char* kMarkColoursChangedLine =
    "mark colours come back as the nearest of the 254 hues the native format holds, with saturation 1, "
    "lightness 0.8 and alpha 1";
inline constexpr const char* kMarkColoursLostLine =
    "mark colours without a hue (greys, white, black) are not held by the native format and come back with no "
    "colour";
inline constexpr const char* kRepointedComponentsLine =
    "components of composite glyphs are re-pointed at the glyphs with the outlines, as the native format holds "
    "one level of components";
inline constexpr const char* kDecomposedComponentsLine =
    "components beside contours, transformed or too deep are decomposed into contours, as the native format "
    "cannot hold them as components";
inline constexpr const char* kDataFilesWhat = "files of the \"data\" folder";
// Glyphs of other layers are not read: their images go with their layer.
inline constexpr const char* kImageFilesWhat = "files of the \"images\" folder that no glyph of the default layer uses";
// The way back names the points that hint sets and programs refer to, and no others.
inline constexpr const char* kPointNamesLine =
    "point names are not carried by the native format and are left out; the points that hint sets and TrueType "
    "programs use come back under names of their own";
inline constexpr const char* kEmptyGroupsLine =
    "groups without members, and the kerning pairs naming them, are left out";
inline constexpr const char* kMissingGroupLine = "kerning pairs naming a group that does not exist are left out";
inline constexpr const char* kMissingKernedGlyphLine = "kerning pairs naming a glyph the font lacks are left out";
inline constexpr const char* kAnchorColoursWhat = "colours of UFO 3 anchors";
// A native guide could hold a colour, but the UFO it goes back to has no place for one.
inline constexpr const char* kGuidelineColoursLine =
    "colours of UFO 3 guidelines are left out; the guides themselves are kept";
// Items of the guide lines (kGuidelineColours, kMovedGuides) that are not a glyph.
inline constexpr const char* kFontGuidelines = "font";
inline constexpr const char* kSupplementaryFirstLine =
    "Unicode values from U+10000 up come back after the glyph's other values, as the native format holds them "
    "in a list of their own";
}  // namespace warning

}  // namespace ufo
