#include "feacompiler/tables/misc_modules.h"

#include <algorithm>

#include "feacompiler/tables/cff_reader.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

void OS_2New(coreContext* g) { g->os2 = new OS2Context(); }
void OS_2Free(coreContext* g) {
  delete g->os2;
  g->os2 = nullptr;
}
void nameNew(coreContext* g) { g->name = new NameContext(); }
void nameFree(coreContext* g) {
  delete g->name;
  g->name = nullptr;
}
void MMFXNew(coreContext* g) {
  g->mmfx = new MMFXContext();
  g->mmfx->metrics.bind(&g->arrays, 1000, 2000);
  g->mmfx->charstrings.bind(&g->arrays, 5000, 10000);
}
void MMFXFree(coreContext* g) {
  if (!g->mmfx) return;
  g->mmfx->metrics.release();
  g->mmfx->charstrings.release();
  delete g->mmfx;
  g->mmfx = nullptr;
}
void BASENew(coreContext* g) { g->base = new BASEContext(); }
void BASEFree(coreContext* g) {
  delete g->base;
  g->base = nullptr;
}
void hheaNew(coreContext* g) { g->hhea = new HheaContext(); }
void hheaFree(coreContext* g) {
  delete g->hhea;
  g->hhea = nullptr;
}

void OS_2RaiseMaxContext(coreContext* g, int context) {
  g->os2->maxContext = std::max(g->os2->maxContext, context);
}

void MMFXAddMetric(coreContext* g, uint32_t id, const uint8_t* charstring, size_t length) {
  MMFXContext& m = *g->mmfx;
  *m.metrics.next() = {id, static_cast<uint32_t>(m.charstrings.count)};
  m.charstrings.reserve(m.charstrings.count + static_cast<long>(length));
  std::copy(charstring, charstring + length, m.charstrings.array + m.charstrings.count);
  m.charstrings.count += static_cast<long>(length);
}

int32_t MMFXGetMetric(coreContext* g, uint32_t id) {
  const MMFXContext& m = *g->mmfx;
  for (long i = 0; i < m.metrics.count; ++i) {
    if (m.metrics.array[i].id != id) continue;
    const uint32_t begin = m.metrics.array[i].offset;
    const auto end = i + 1 < m.metrics.count ? m.metrics.array[i + 1].offset
                                             : static_cast<uint32_t>(m.charstrings.count);
    int32_t value = 0;  // a charstring that leaves nothing on the stack gives 0
    cffExecMetric(coreCffReader(g), m.charstrings.array + begin, end - begin, &value, 1);
    // 16.16 to the nearest whole unit, halves upward.
    return static_cast<int32_t>((static_cast<int64_t>(value) + 0x8000) >> 16);
  }
  coreMsg(g, kMsgFatal, "Metric id <%u> not found", static_cast<unsigned>(id));
  return 0;  // not reached: level 3 ends the compile
}

int nameFindRecord(const NameContext& n, size_t start, uint32_t platform, int encoding,
                   int language, int nameId) {
  for (size_t i = start; i < n.records.size(); ++i) {
    const NameRecord& r = n.records[i];
    if ((platform >= 0xFFFF || r.platform == platform) &&
        (encoding == -1 || r.encoding == encoding) && (language == -1 || r.language == language) &&
        (nameId == -1 || r.nameId == nameId))
      return static_cast<int>(i);
  }
  return -1;
}

void nameAddRecord(NameContext& n, uint16_t platform, uint16_t encoding, uint16_t language,
                   uint16_t nameId, const std::string& text) {
  if (nameFindRecord(n, 0, platform, encoding, language, nameId) >= 0) return;
  n.records.push_back({platform, encoding, language, nameId, static_cast<uint32_t>(n.pool.size())});
  n.pool += text;
  n.pool += '\0';
}

int nameMissingDefaults(coreContext* g, uint16_t nameId) {
  int missing = 0;
  if (nameFindRecord(*g->name, 0, 3, 1, 0x409, nameId) < 0) missing |= 1;
  if (nameFindRecord(*g->name, 0, 1, 0, 0, nameId) < 0) missing |= 2;
  return missing;
}

void nameDefaultsCheck(coreContext* g, uint16_t nameId, const NameDefaultsTexts& texts) {
  int missing = nameMissingDefaults(g, nameId);
  if (missing == 3) {
    coreMsg(g, kMsgFatal, texts.both, nameId);
  } else if (missing == 1) {
    coreMsg(g, kMsgFatal, texts.windows, nameId);
  } else if (missing == 2) {
    // Macintosh names are optional in a font: a warning, not the end of the compile.
    coreMsg(g, kMsgWarning, texts.mac, nameId);
  }
}

namespace {

const char* axisName(bool vertical) { return vertical ? "vertical" : "horizontal"; }

uint16_t internCoord(BASEContext& b, int16_t value) {
  for (size_t i = 0; i < b.coordPool.size(); ++i) {
    if (b.coordPool[i] == value) return static_cast<uint16_t>(i);
  }
  b.coordPool.push_back(value);
  return static_cast<uint16_t>(b.coordPool.size() - 1);
}

uint16_t addValueSet(BASEContext& b, uint16_t defaultIndex, const std::vector<int16_t>& coords) {
  for (size_t i = 0; i < b.valueSets.size(); ++i) {
    const BASEValueSet& v = b.valueSets[i];
    if (v.defaultIndex != defaultIndex || v.coords.size() != coords.size()) continue;
    bool same = true;
    for (size_t k = 0; k < coords.size() && same; ++k) same = b.coordPool[v.coords[k]] == coords[k];
    if (same) return static_cast<uint16_t>(i);
  }
  BASEValueSet set{defaultIndex, {}};
  for (int16_t c : coords) set.coords.push_back(internCoord(b, c));
  b.valueSets.push_back(std::move(set));
  return static_cast<uint16_t>(b.valueSets.size() - 1);
}

}  // namespace

void BASESetTagList(coreContext* g, bool vertical, const std::vector<uint32_t>& tags) {
  for (size_t i = 1; i < tags.size(); ++i) {
    if (tags[i] < tags[i - 1])
      coreMsg(g, kMsgFatal, "baseline tag list not sorted for %s axis", axisName(vertical));
  }
  (vertical ? g->base->vert : g->base->horiz).tags = tags;
}

uint16_t BASEAddScript(coreContext* g, bool vertical, uint32_t script, uint32_t baseline,
                       const std::vector<int16_t>& coords) {
  BASEContext& b = *g->base;
  BASEAxis& axis = vertical ? b.vert : b.horiz;
  axis.scripts.push_back({script, 0});
  if (axis.tags.empty())
    coreMsg(g, kMsgFatal, "baseline tags not specified for %s axis", axisName(vertical));
  int found = -1;
  for (size_t i = 0; i < axis.tags.size(); ++i) {
    if (axis.tags[i] == baseline) found = static_cast<int>(i);
  }
  if (found < 0)
    coreMsg(g, kMsgFatal, "baseline %c%c%c%c not specified for %s axis", static_cast<char>(baseline >> 24),
            static_cast<char>(baseline >> 16), static_cast<char>(baseline >> 8),
            static_cast<char>(baseline), axisName(vertical));
  uint16_t set = addValueSet(b, static_cast<uint16_t>(found), coords);
  axis.scripts.back().valueSet = set;
  return set;
}

}  // namespace fea
