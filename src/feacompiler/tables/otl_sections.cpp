// Coverage and class-definition sections of a layout table: format choice, sharing of
// identical blocks and their offsets within the section.
#include <algorithm>

#include "feacompiler/tables/otl_table.h"

namespace fea {

namespace {

uint32_t coverageRanges(const std::vector<uint16_t>& glyphs) {
  uint32_t ranges = 1;  // an empty list counts as one range
  for (size_t i = 1; i < glyphs.size(); ++i) {
    if (glyphs[i] != glyphs[i - 1] + 1) ++ranges;
  }
  return ranges;
}

uint32_t classRanges(const std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
  uint32_t ranges = 0;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i == 0 || pairs[i].first != pairs[i - 1].first + 1 ||
        pairs[i].second != pairs[i - 1].second) {
      ++ranges;
    }
  }
  return ranges;
}

uint32_t coverageFormatSize(const OtlCoverage& c) {
  return c.format == 1 ? 4 + 2 * static_cast<uint32_t>(c.glyphs.size())
                       : 4 + 6 * coverageRanges(c.glyphs);
}

uint32_t classFormatSize(const OtlClassDef& c) {
  if (c.format == 2) return 4 + 6 * classRanges(c.pairs);
  if (c.pairs.empty()) return 6;
  return 6 + 2 * (static_cast<uint32_t>(c.pairs.back().first - c.pairs.front().first) + 1);
}

}  // namespace

void otlSectionsCheck(coreContext* g, const OtlTable* t) {
  if (t->coverageSize > ot::limits::kMaxCompilerOffset16) {
    coreMsg(g, kMsgFatal, "coverage section too large (%0lx)", static_cast<unsigned long>(t->coverageSize));
  }
  if (t->classSize > ot::limits::kMaxCompilerOffset16) {
    coreMsg(g, kMsgFatal, "class section too large (%0lx)", static_cast<unsigned long>(t->classSize));
  }
}

namespace {

// The record at `offset` of a section whose records lie in offset order.
template <class Record>
const Record& recordAt(coreContext* g, const std::vector<Record>& records, uint32_t offset) {
  auto found = std::lower_bound(records.begin(), records.end(), offset,
                                [](const Record& r, uint32_t value) { return r.offset < value; });
  if (found == records.end() || found->offset != offset) {
    coreMsg(g, kMsgFatal, "[internal] no section record at offset 0x%lx", static_cast<unsigned long>(offset));
  }
  return *found;
}

}  // namespace

const std::vector<uint16_t>& otlCoverageAt(coreContext* g, const OtlTable* t, uint32_t offset) {
  return recordAt(g, t->coverages, offset).glyphs;
}

const std::vector<std::pair<uint16_t, uint16_t>>& otlClassAt(coreContext* g, const OtlTable* t, uint32_t offset) {
  return recordAt(g, t->classes, offset).pairs;
}

void otlSectionsCut(OtlTable* t, uint32_t coverageSize, uint32_t classSize) {
  while (!t->coverages.empty() && t->coverages.back().offset >= coverageSize) {
    t->coverageIndex.erase(t->coverages.back().glyphs);
    t->coverages.pop_back();
  }
  t->coverageSize = std::min(t->coverageSize, coverageSize);
  while (!t->classes.empty() && t->classes.back().offset >= classSize) {
    t->classIndex.erase(t->classes.back().pairs);
    t->classes.pop_back();
  }
  t->classSize = std::min(t->classSize, classSize);
}

void otlCoverageBegin(coreContext*, OtlTable* t) { t->currentCoverage.clear(); }

void otlCoverageAddGlyph(coreContext*, OtlTable* t, uint16_t gid) {
  t->currentCoverage.push_back(gid);
}

uint32_t otlCoverageEnd(coreContext* g, OtlTable* t) {
  std::vector<uint16_t> glyphs = std::move(t->currentCoverage);
  t->currentCoverage.clear();
  std::sort(glyphs.begin(), glyphs.end());
  // A glyph listed twice would make the coverage indices disagree with the subtable.
  glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
  auto found = t->coverageIndex.find(glyphs);
  if (found != t->coverageIndex.end()) return found->second;

  OtlCoverage c;
  c.glyphs = glyphs;
  uint32_t size1 = 4 + 2 * static_cast<uint32_t>(glyphs.size());
  uint32_t size2 = 4 + 6 * coverageRanges(glyphs);
  c.format = size1 < size2 ? 1 : 2;
  c.offset = t->coverageSize;
  t->coverageSize += coverageFormatSize(c);
  if (t->checksAtOnce) otlSectionsCheck(g, t);
  t->coverageIndex.emplace(std::move(glyphs), c.offset);
  t->coverages.push_back(std::move(c));
  return t->coverages.back().offset;
}

uint32_t otlCoverageOf(coreContext* g, OtlTable* t, const std::vector<uint16_t>& glyphs) {
  otlCoverageBegin(g, t);
  for (uint16_t gid : glyphs) otlCoverageAddGlyph(g, t, gid);
  return otlCoverageEnd(g, t);
}

void otlClassBegin(coreContext*, OtlTable* t) { t->currentClass.clear(); }

void otlClassAddMapping(coreContext*, OtlTable* t, uint16_t gid, uint16_t cls) {
  t->currentClass.emplace_back(gid, cls);
}

uint32_t otlClassEnd(coreContext* g, OtlTable* t) {
  auto pairs = std::move(t->currentClass);
  t->currentClass.clear();
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  // One class per glyph: the first given wins.
  pairs.erase(std::unique(pairs.begin(), pairs.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              pairs.end());
  auto found = t->classIndex.find(pairs);
  if (found != t->classIndex.end()) return found->second;

  OtlClassDef c;
  c.pairs = pairs;
  uint32_t size1 =
      pairs.empty() ? 6
                    : 6 + 2 * (static_cast<uint32_t>(pairs.back().first - pairs.front().first) + 1);
  uint32_t size2 = 4 + 6 * classRanges(pairs);
  c.format = size1 < size2 ? 1 : 2;
  c.offset = t->classSize;
  t->classSize += classFormatSize(c);
  if (t->checksAtOnce) otlSectionsCheck(g, t);
  t->classIndex.emplace(std::move(pairs), c.offset);
  t->classes.push_back(std::move(c));
  return t->classes.back().offset;
}

namespace {

// Coverage format 2 and class-definition format 2: ranges of (start, end, value).
void otlRangesWrite(Bytes& out, uint16_t format,
                    const std::vector<std::pair<uint16_t, uint16_t>>& runs, bool coverage) {
  // runs: (glyph, class) for a class definition; (glyph, coverage index) for a coverage.
  std::vector<size_t> starts;
  for (size_t i = 0; i < runs.size(); ++i) {
    bool cont = i > 0 && runs[i].first == runs[i - 1].first + 1 &&
                (coverage || runs[i].second == runs[i - 1].second);
    if (!cont) starts.push_back(i);
  }
  put16(out, format);
  put16(out, static_cast<uint32_t>(starts.size()));
  for (size_t r = 0; r < starts.size(); ++r) {
    size_t first = starts[r];
    size_t last = (r + 1 < starts.size() ? starts[r + 1] : runs.size()) - 1;
    put16(out, runs[first].first);
    put16(out, runs[last].first);
    put16(out, runs[first].second);
  }
}

void otlCoverageWriteFormat1(Bytes& out, const std::vector<uint16_t>& glyphs) {
  put16(out, 1);
  put16(out, static_cast<uint32_t>(glyphs.size()));
  for (uint16_t gid : glyphs) put16(out, gid);
}

void otlClassWriteFormat1(Bytes& out, const std::vector<std::pair<uint16_t, uint16_t>>& pairs) {
  put16(out, 1);
  if (pairs.empty()) {
    put16(out, 0);
    put16(out, 0);
    return;
  }
  uint16_t first = pairs.front().first;
  uint32_t count = static_cast<uint32_t>(pairs.back().first - first) + 1;
  put16(out, first);
  put16(out, count);
  size_t next = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t gid = first + i;
    if (next < pairs.size() && pairs[next].first == gid) {
      put16(out, pairs[next++].second);
    } else {
      put16(out, 0);
    }
  }
}

}  // namespace

void otlCoverageWrite(coreContext*, OtlTable* t, Bytes& out) {
  for (const OtlCoverage& c : t->coverages) {
    if (c.format == 1) {
      otlCoverageWriteFormat1(out, c.glyphs);
    } else {
      std::vector<std::pair<uint16_t, uint16_t>> runs;
      runs.reserve(c.glyphs.size());
      for (size_t i = 0; i < c.glyphs.size(); ++i) {
        runs.emplace_back(c.glyphs[i], static_cast<uint16_t>(i));
      }
      otlRangesWrite(out, 2, runs, true);
    }
  }
}

void otlClassWrite(coreContext*, OtlTable* t, Bytes& out) {
  for (const OtlClassDef& c : t->classes) {
    if (c.format == 1) {
      otlClassWriteFormat1(out, c.pairs);
    } else {
      otlRangesWrite(out, 2, c.pairs, false);
    }
  }
}

void otlCoverageReuse(coreContext*, OtlTable* t) {
  t->coverages.clear();
  t->coverageIndex.clear();
  t->currentCoverage.clear();
  t->coverageSize = 0;
}

void otlClassReuse(coreContext*, OtlTable* t) {
  t->classes.clear();
  t->classIndex.clear();
  t->currentClass.clear();
  t->classSize = 0;
}

}  // namespace fea
