#include "feacompiler/core_context.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "feacompiler/feat_context.h"
#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/cff_context.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {
// The longest text the reporter holds, and the cut of the note buffer passed to it.
constexpr size_t kMaxMessage = 2047;
constexpr size_t kNoteLimit = 1024;
constexpr size_t kNoteCut = 1020;
// No block may grow by resizing beyond this.
constexpr size_t kMaxResize = 0x100000;
}  // namespace

std::string formatText(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(n));
  return text;
}

std::string formatf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatText(format, args);
  va_end(args);
  return text;
}

void coreFatal(coreContext* g) {
  g->client->fatal();
  std::terminate();  // the client's fatal throws
}

void* coreMemManage(const ArrayAllocator* record, void* block, size_t size) {
  auto* g = static_cast<coreContext*>(record->owner);
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  if (block && size > kMaxResize) coreMsg(g, kMsgFatal, "memory limit reached");
  void* result = block ? std::realloc(block, size) : std::malloc(size);
  if (!result) coreMsg(g, kMsgFatal, "out of memory");
  return result;
}

void* coreAlloc(coreContext* g, size_t size) { return coreMemManage(&g->arrays, nullptr, size ? size : 1); }
void coreRelease(coreContext* g, void* block) { coreMemManage(&g->arrays, block, 0); }

coreContext* coreNew(FeaClient* client) {
  auto* g = new coreContext();
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, &g->creationTime);
  g->client = client;
  g->arrays = {g, coreMemManage};
  g->cffCompiler = cffCompilerNewForCore(g);
  sfntNew(g);
  mapNew(g);
  featNew(g);
  return g;
}

void coreReuse(coreContext* g) {
  g->errorFlag = 0;
  g->optionFlags = 0;
  g->metrics = FontMetrics();
  sfntReuse(g);
  mapReuse(g);
  featReuse(g);
}

void coreFree(coreContext* g) {
  if (!g) return;
  cffCompilerFree(g->cffCompiler);
  g->cffCompiler = nullptr;
  coreCffReaderFree(g);
  sfntFree(g);
  mapFree(g);
  featFree(g);
  delete g;
}

void coreMsg(coreContext* g, int level, const char* format, ...) {
  g->lastLine = g->line;
  g->lastMsg.clear();
  // A message from outside the feature layer names the file being parsed (after the
  // parse: the main text).
  if (!g->msgFileGiven && g->feat) g->msgFileName = featCurrentFile(g);
  g->msgFileGiven = false;
  std::string prefix;
  if (!g->fontName.empty()) prefix = "<" + g->fontName + "> ";
  if (format) {
    if (g->note.size() > kNoteLimit) {
      // Callers pass the note buffer as an argument: shrinking keeps its storage.
      g->note.resize(kNoteCut);
      g->note += "...";
    }
    va_list args;
    va_start(args, format);
    std::string text = prefix + formatText(format, args);
    va_end(args);
    if (text.size() > kMaxMessage) text.resize(kMaxMessage);
    g->client->message(level, text);
    g->lastMsg = text;
  } else {
    std::string text = prefix + g->note;
    if (text.size() > kMaxMessage) text.resize(kMaxMessage);
    g->client->message(level, text);
  }
  g->note.clear();
  if (level == kMsgError || level == kMsgFatal) coreNoteErrorPlace(g);
  if (level == kMsgError) g->errorFlag = 1;
  if (level == kMsgFatal) coreFatal(g);
}

void coreNoteErrorPlace(coreContext* g) {
  if (g->errorPlaced) return;
  g->errorPlaced = true;
  if (g->feat) g->errorPlace = featErrorPlace(g);
}

const char* coreGlyphName(const coreContext* g, uint32_t gid) {
  if (gid < g->glyphs.size()) return g->glyphs[gid].name;
  size_t index = gid - g->glyphs.size();
  if (index < g->missingNames.size()) return g->missingNames[index].c_str();
  return "";
}

void coreSetVendor(coreContext* g, const std::string& text) { g->vendor = text; }

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// A backslash takes exactly `digits` hex digits; the code must not be 0.
int decodeEscapes(const std::string& in, std::string& out, int digits, bool utf8) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out += in[i];
      continue;
    }
    uint32_t code = 0;
    for (int k = 1; k <= digits; ++k) {
      if (i + k >= in.size()) return 1;
      int v = hexValue(in[i + k]);
      if (v < 0) return 1;
      code = code * 16 + static_cast<uint32_t>(v);
    }
    if (code == 0) return 1;
    if (utf8) appendUtf8(out, code); else out += static_cast<char>(code);
    i += static_cast<size_t>(digits);
  }
  return 0;
}

}  // namespace

int coreDecodeWinString(const std::string& in, std::string& out) {
  return decodeEscapes(in, out, 4, true);
}

int coreDecodeMacString(const std::string& in, std::string& out) {
  return decodeEscapes(in, out, 2, false);
}

void coreSetVertOrigin(coreContext* g, uint16_t gid, int16_t value, const std::string& file) {
  g->optionFlags |= kOptVerticalMetrics;
  if (gid >= g->glyphs.size()) return;  // a glyph the font lacks has no record
  GlyphRecord& r = g->glyphs[gid];
  if (r.vOrigin == static_cast<int16_t>(kUnsetMetric)) {
    r.vOrigin = value;
  } else if (r.vOrigin == value) {
    coreMsg(g, kMsgNote, "Ignoring duplicate VertOriginY entry for glyph %s [%s %d]", r.name,
            file.c_str(), g->line);
  } else {
    coreMsg(g, kMsgFatal, "VertOriginY redefined for glyph %s [%s %d]", r.name, file.c_str(), g->line);
  }
}

void coreSetVertAdvance(coreContext* g, uint16_t gid, int16_t value, const std::string& file) {
  g->optionFlags |= kOptVerticalMetrics;
  if (gid >= g->glyphs.size()) return;  // a glyph the font lacks has no record
  GlyphRecord& r = g->glyphs[gid];
  int16_t stored = static_cast<int16_t>(-value);
  if (r.vAdvance == static_cast<int16_t>(kUnsetMetric)) {
    r.vAdvance = stored;
  } else if (r.vAdvance == stored) {
    coreMsg(g, kMsgNote, "Ignoring duplicate VertAdvanceY entry for glyph %s [%s %d]", r.name,
            file.c_str(), g->line);
  } else {
    coreMsg(g, kMsgFatal, "VertAdvanceY redefined for glyph %s [%s %d]", r.name, file.c_str(), g->line);
  }
}

}  // namespace fea
