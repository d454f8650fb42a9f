// The implementation object behind qtf::Parser, shared by the record loop, the
// master functions and the finishing steps.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "model/font_info.h"
#include "model/font_style_pair.h"
#include "model/layer.h"
#include "native/info_records.h"
#include "native/parser.h"
#include "native/read_context.h"
#include "native/record_framing.h"
#include "native/stream/stream.h"

namespace vn {
class Glyph;
}

namespace qtf {

// A kerning pair by glyph names, before it goes to the font's kerning.
struct NamedKerning {
  std::string first;
  std::string second;
  double value = 0.0;
};

class Parser::Impl {
 public:
  // Per-read state of the record loop.
  struct ReadLocals {
    uint32_t master = 0;
    // Master count of the per-master values of the current glyph's records.
    int32_t readMasters = 1;
    int32_t fileInfoKey1 = 0;
    vn::Glyph* glyph = nullptr;  // owned by the font once appended
    vn::Layer* layer = nullptr;
    std::vector<PendingKerning> pending;
    // Points of the layer that hint links name, taken once per layer: a glyph's
    // outline is complete before its 2008 records.
    const vn::Layer* linkPointsOf = nullptr;
    std::vector<vn::Point> linkPoints;
  };

  Impl(FontStylePair* pair, std::istream* input);

  int32_t masterCount();
  [[nodiscard]] bool read(uint32_t master);
  void applyMaster(vn::Style* style, int32_t master);
  bool isValidFile();

  // Members and the key flag of a class text (cut at , ; blank tab CR LF; a piece
  // ending in an apostrophe is the key member and goes first).
  static int32_t splitClassMembers(const std::string& text, std::vector<std::string>& members,
                                   bool& hasKey);
  // "A.12" -> "A"; "A." -> "A"; otherwise the name itself.
  static std::string nameBase(const std::string& name);

  InfoReadState state;
  vn::ImportOptions options;
  FontStylePair* pair = nullptr;
  vn::Font* font = nullptr;
  vn::Style* style = nullptr;
  RecordInput input;
  Stream payload;

 private:
  // The record loop and its pieces (record_loop.cpp).
  enum class Step { kContinue, kFail };
  Step handleRecord(ReadLocals& locals, uint16_t tag, uint32_t length);
  [[nodiscard]] bool readNameTableBlock();
  [[nodiscard]] bool readOldGlyphBlock(ReadLocals& locals);
  [[nodiscard]] bool readFileInfoRecord(ReadLocals& locals);
  [[nodiscard]] bool readUnicodes(ReadLocals& locals, uint32_t length, uint32_t width);

  // The finishing steps after the loop (reader_finish.cpp).
  void finish(std::vector<PendingKerning>& pending);
};

}  // namespace qtf
