// What the UFO writer and reader call to carry TrueType hinting: the font lib entry
// "com.quorvel.v2.tth" (zones, stems and three font values) and the glyph lib entry
// "com.quorvel.ttprogram" (the glyph's program as "ttProgram" text).
//
// Writer, per font:
//   ttInterpreter interpreter;                       // one per lib preparation
//   loadFontHinting(interpreter, &style.metrics, font.hinting);
//   std::string body = fontHintingLibText(font.hinting, interpreter);
//   if (!body.empty()) -> dict "com.quorvel.v2.tth" whose body (between <dict> and
//                         </dict>, printed at indentation 2) is `body`
//   per glyph with a "Body" layer and command bytes:
//     std::string program = glyphProgramLibText(interpreter, glyph.commandBytes, body);
//     if (!program.empty()) -> data "com.quorvel.ttprogram" = program (or its base64)
//   glyphProgramLibText names unnamed outline nodes that the program refers to, so it
//   must run before the glyph file is written.
//
// Reader, per font:
//   the parsed "com.quorvel.v2.tth" dict, copied into a HintLibNode tree:
//     readFontHintingDict(dict, font.hinting);
//   before the first glyph: storeFontHinting(sharedTtInterpreter(), &style.metrics, &font.hinting);
//   per "com.quorvel.ttprogram" text: sharedTtInterpreter().clearProgram(); for each
//     "ttc" element inside "ttProgram": addCommandFromXml(attributes, bodyLayer);
//     at the end of "ttProgram": encodeCommands(glyph.commandBytes).
//
// Names are escaped as the glyph files escape them (text/xml_text.h), so that point
// names in the glyph file and in the program text stay identical.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hinting/tt_interpreter.h"
#include "model/font_info.h"
#include "text/model_text.h"

namespace vn {

constexpr const char* kTtHintingLibKey = "com.quorvel.v2.tth";
constexpr const char* kTtProgramLibKey = "com.quorvel.ttprogram";
// Indentation of the dict body in "lib.plist" and of the program text in a glyph file.
constexpr int kTtHintingIndent = 4;
constexpr int kTtProgramIndent = 2;

// A parsed property-list node; type codes as in the UFO property-list tree.
struct HintLibNode {
  enum Type : int32_t {
    kString = 1, kInteger = 2, kReal = 3, kTrue = 4, kFalse = 5,
    kDate = 6, kData = 7, kArray = 8, kDict = 9
  };

  int32_t type = kDict;
  std::string key;
  std::string value;
  std::vector<HintLibNode> children;

  // The first child with the key; null when none.
  const HintLibNode* child(std::string_view childKey) const;
};

// Empties the interpreter's zones and stems, then streams in the units per em and the
// font's TrueType zones and stems (either may be null).
void storeFontHinting(ttInterpreter& interpreter, const FontMetrics* metrics,
                      const FontHinting* hinting);

// storeFontHinting, then names the unnamed zones and stems (the writer's preparation).
void loadFontHinting(ttInterpreter& interpreter, const FontMetrics* metrics,
                     const FontHinting& hinting);

// The body of the "com.quorvel.v2.tth" dict: "stemsnaplimit", "codeppm" and "zoneppm"
// when they differ from a fresh hinting block, then the zones and stems of the
// interpreter. Empty when there is nothing to write.
std::string fontHintingLibText(const FontHinting& hinting, const ttInterpreter& interpreter);

// Decodes the glyph's command bytes, names the points they use in the layer and returns
// the "ttProgram" text; empty when there is no writable command.
std::string glyphProgramLibText(ttInterpreter& interpreter, std::span<const uint8_t> commandBytes,
                                Layer& body);

// Reads a "com.quorvel.v2.tth" dict into the hinting block: the three font values, the
// zones (top zones, then bottom zones, appended to `zones`; "top" false makes a bottom
// zone) and the stems (appended to stemsH and stemsV). Malformed entries read as 0.
// Returns the names of the stems whose "round" entries do not all fit the stem record.
std::vector<std::string> readFontHintingDict(const HintLibNode& dict, FontHinting& hinting);

}  // namespace vn
