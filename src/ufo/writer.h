// Writer of a UFO 2 folder from a font/style pair: "metainfo.plist",
// "fontinfo.plist", "groups.plist", "kerning.plist", "lib.plist", "features.fea"
// (with the layout XML document on request), "glyphs/contents.plist" and one glyph
// file per glyph, in this order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/font_style_pair.h"
#include "ufo/plist_node.h"

namespace ufo {

struct WriterOptions {
  int32_t formatVersion = 2;
  uint8_t ttx = 0;     // also write the layout XML document
  uint8_t base64 = 0;  // glyph-lib data in base64
  uint8_t spare = 0;   // not read
};

class Writer {
 public:
  Writer();
  virtual ~Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Puts the font-level and glyph-level lib entries into the lib tree. Does nothing
  // unless the pair holds a font and a style and a lib root is given.
  void prepareLib(FontStylePair& pair, const WriterOptions* options, PListNode* libRoot);
  // Appends "public.glyphOrder" to the lib tree.
  void addGlyphOrder(FontStylePair& pair, PListNode* libRoot);
  // Writes the UFO folder at `folder` (an existing folder, the path ending with "/").
  // False when a file could not be written; the driver then discards the folder.
  // Glyphs without a name or with a name used before are written under fresh names,
  // with a warning line on the standard output.
  bool write(FontStylePair& pair, const std::string& folder, const WriterOptions* options,
             PListNode* libRoot);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ufo
