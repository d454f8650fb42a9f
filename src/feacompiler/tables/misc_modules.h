// The table modules that the table blocks of the feature text fill but nothing writes:
// OS/2, name, MMFX, BASE and hhea.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "feacompiler/core_context.h"

namespace fea {

struct OS2Context {
  uint16_t weightClass = 0, widthClass = 0, fsType = 0;
  std::array<uint8_t, 10> panose{};
  uint8_t weightGiven = 0, widthGiven = 0, fsTypeGiven = 0, panoseGiven = 0;
  std::array<uint32_t, 4> unicodeRange{};
  bool unicodeRangeGiven = true;
  std::array<uint32_t, 2> codePageRange{};
  bool codePageRangeGiven = false;
  int maxContext = 0;
};

struct NameRecord {
  uint16_t platform, encoding, language, nameId;
  uint32_t offset;  // of the zero-terminated text in the pool
};

struct NameContext {
  uint16_t nextUserId = 256;
  std::string pool;
  std::vector<NameRecord> records;
};

// A named metric of a multiple-master font: its id and where its charstring starts.
struct MMFXMetric {
  uint32_t id;
  uint32_t offset;  // into MMFXContext::charstrings
};

struct MMFXContext {
  int predefined = 8;             // metrics every such font has, before the named ones
  GrowArray<MMFXMetric> metrics;  // in the order they were added
  GrowArray<uint8_t> charstrings; // each metric's Type 2 charstring, one after another
};

struct BASEScript {
  uint32_t script;
  uint16_t valueSet;
};

struct BASEValueSet {
  uint16_t defaultIndex;
  std::vector<uint16_t> coords;  // indices into the pool
};

struct BASEAxis {
  std::vector<uint32_t> tags;
  std::vector<BASEScript> scripts;
};

struct BASEContext {
  BASEAxis horiz, vert;
  std::vector<BASEValueSet> valueSets;
  std::vector<int16_t> coordPool;
};

struct HheaContext {
  int16_t caretOffset = static_cast<int16_t>(kUnsetMetric);
};

// name
int nameFindRecord(const NameContext& n, size_t start, uint32_t platform, int encoding,
                   int language, int nameId);
void nameAddRecord(NameContext& n, uint16_t platform, uint16_t encoding, uint16_t language,
                   uint16_t nameId, const std::string& text);
// Bit 0: no (3, 1, 0x409) record of the id; bit 1: no (1, 0, 0) record.
int nameMissingDefaults(coreContext* g, uint16_t nameId);
// The messages (formats taking the id) for a name id that a feature parameter points at
// when the font lacks both default names, the Windows one, or the Macintosh one.
struct NameDefaultsTexts {
  const char* both;
  const char* windows;
  const char* mac;
};
// Fatal when the Windows default name is missing; a warning when only the Macintosh one is.
void nameDefaultsCheck(coreContext* g, uint16_t nameId, const NameDefaultsTexts& texts);

// MMFX: a named metric and its charstring; the value of a metric at the font's design
// vector (fatal when the id was never added).
void MMFXAddMetric(coreContext* g, uint32_t id, const uint8_t* charstring, size_t length);
int32_t MMFXGetMetric(coreContext* g, uint32_t id);

// BASE
void BASESetTagList(coreContext* g, bool vertical, const std::vector<uint32_t>& tags);
uint16_t BASEAddScript(coreContext* g, bool vertical, uint32_t script, uint32_t baseline,
                       const std::vector<int16_t>& coords);

}  // namespace fea
