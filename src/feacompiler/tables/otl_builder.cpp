// Subtable records, the Extension form and the whole-table write of GSUB and GPOS.
#include "feacompiler/tables/otl_builder.h"

#include <algorithm>

namespace fea {

namespace {

// Past this many bytes of subtables, coverages and classes in the shared sections, a new
// lookup takes the Extension form: its subtable then lies in the extension region with its
// own sections, and the 16-bit offsets of the shared sections stop growing but for its
// 8-byte Extension record. A plain lookup that goes on past it moves to that form whole.
constexpr uint64_t kAutoExtensionFrom = 0xC000;

uint64_t sharedSize(const OtlBuilder& b) {
  return uint64_t{b.mainSize} + b.table->coverageSize + b.table->classSize;
}

// The Extension form is a lookup's: every subtable of a lookup takes the form of its first,
// and a plain lookup going on past the limit moves to the Extension form first.
bool takesExtensionForm(coreContext* g, OtlBuilder& b, const LookupParams& p) {
  if (p.useExtension) return true;
  if (!b.subtables.empty() && b.subtables.back().p.label == p.label) {
    if (b.subtables.back().ext) return true;
    if (sharedSize(b) <= kAutoExtensionFrom) return false;
    otlBuilderPromote(g, b, {p.label});
    return true;
  }
  return sharedSize(b) > kAutoExtensionFrom;
}

}  // namespace

size_t otlBuilderStart(coreContext* g, OtlBuilder& b, const LookupParams& p, bool featureParam) {
  if (!b.table) {
    b.table = otlNew(g);
    b.table->checksAtOnce = false;
  }
  BuilderSubtable s;
  s.p = p;
  s.featureParam = featureParam;
  if (!otlIsReference(p.label) && !featureParam && takesExtensionForm(g, b, p)) {
    s.ext = otlNew(g);
    s.extOffset = b.extSize;
    s.offset = b.mainSize;
    b.mainSize += 8;
  } else {
    s.offset = b.mainSize;
    s.coverageMark = b.table->coverageSize;
    s.classMark = b.table->classSize;
  }
  b.subtables.push_back(std::move(s));
  return b.subtables.size() - 1;
}

OtlTable* otlBuilderSections(coreContext*, OtlBuilder& b, size_t index) {
  BuilderSubtable& s = b.subtables[index];
  return s.ext ? s.ext.get() : b.table.get();
}

namespace {

bool sectionOverflows(const OtlBuilder& b) { return b.minMainSize > ot::limits::kMaxCompilerOffset16; }

}  // namespace

void otlBuilderFinish(coreContext* g, OtlBuilder& b, size_t index, BuiltSubtable built,
                      const char* overflow) {
  BuilderSubtable& s = b.subtables[index];
  uint32_t size = static_cast<uint32_t>(built.bytes.size());
  s.built = std::move(built);
  if (s.ext) {
    b.extSize += size + s.ext->coverageSize + s.ext->classSize;
    b.minMainSize += 8;
  } else {
    b.mainSize += size;
    b.minMainSize += s.featureParam ? size : std::min<uint32_t>(size, 8);
    // Past this, an offset from a plain subtable to its coverages or classes may overflow.
    if (sharedSize(b) > ot::limits::kMaxCompilerOffset16 && !s.featureParam) otlBuilderPromote(g, b, {s.p.label});
    otlSectionsCheck(g, b.table.get());
  }
  if (overflow != nullptr && sectionOverflows(b)) coreMsg(g, kMsgFatal, overflow, OTL_TAG_ARGS(s.p.feature));
}

void otlBuilderSectionCheck(coreContext* g, const OtlBuilder& b, uint32_t feature) {
  if (sectionOverflows(b)) {
    coreMsg(g, kMsgFatal, b.sectionOverflow, OTL_TAG_ARGS(feature), static_cast<unsigned long>(b.minMainSize));
  }
}

void otlBuilderRaiseContext(OtlBuilder& b, size_t context) {
  b.maxContext = std::max(b.maxContext, static_cast<int>(context));
}

namespace {

void addRecords(coreContext* g, OtlBuilder& b) {
  for (const BuilderSubtable& s : b.subtables) {
    bool ref = otlIsReference(s.p.label);
    bool ext = s.ext != nullptr;
    otlSubtableAdd(g, b.table.get(), s.p.script, s.p.language, s.p.feature,
                   ext ? b.extensionType : s.p.type, s.p.flag, s.p.markSetIndex,
                   ext ? s.p.type : 0, ref ? 0 : s.offset, s.p.label, s.featureParam);
  }
}

}  // namespace

void otlBuilderFill(coreContext* g, OtlBuilder& b) {
  if (!b.table) b.table = otlNew(g);
  // Extension records piled up behind plain subtables can carry the offsets from the Lookup
  // tables, or from the plain subtables to the shared sections, past 16 bits: earlier
  // lookups move to the Extension form until the whole table fits.
  for (;;) {
    addRecords(g, b);
    uint64_t reach = std::max(otlLookupReach(b.table.get()), otlBuilderSectionReach(b));
    if (reach <= ot::limits::kMaxCompilerOffset16) break;
    if (!otlBuilderShrink(g, b, reach - ot::limits::kMaxCompilerOffset16)) break;
    otlListsReuse(g, b.table.get());
  }
  otlSectionsCheck(g, b.table.get());
  otlTableFill(g, b.table.get());
  b.extStart = b.mainSize + b.table->coverageSize + b.table->classSize;
  for (BuilderSubtable& s : b.subtables) {
    for (OtlFixup& f : s.built.fixups) {
      if (f.kind == OtlFixup::kLookup) {
        set16(s.built.bytes, f.pos, otlLabelLookupIndex(g, b.table.get(), static_cast<uint16_t>(f.value)));
      }
    }
  }
  otlLookupCheck(g, b.table.get());
}

namespace {

// Emits a subtable with its section offsets resolved against where the sections lie.
void writeBuilt(coreContext* g, const OtlBuilder& b, const BuiltSubtable& built,
                uint64_t coverageBase, uint64_t classBase, Bytes& out) {
  size_t start = out.size();
  out.insert(out.end(), built.bytes.begin(), built.bytes.end());
  for (const OtlFixup& f : built.fixups) {
    if (f.kind == OtlFixup::kLookup) continue;
    uint64_t base = f.kind == OtlFixup::kCoverage ? coverageBase : classBase;
    set16(out, start + f.pos, otlOffset16(g, base + f.value, f.what, f.where, b.kind));
  }
}

}  // namespace

void otlBuilderWrite(coreContext* g, OtlBuilder& b) {
  Bytes out;
  otlTableWrite(g, b.table.get(), out);
  for (const BuilderSubtable& s : b.subtables) {
    if (otlIsReference(s.p.label)) continue;
    if (s.ext) {
      put16(out, 1);
      put16(out, s.p.type);
      put32(out, s.extOffset + b.extStart - s.offset);
      continue;
    }
    uint64_t toSections = uint64_t{b.mainSize} - s.offset;
    writeBuilt(g, b, s.built, toSections, toSections + b.table->coverageSize, out);
  }
  otlCoverageWrite(g, b.table.get(), out);
  otlClassWrite(g, b.table.get(), out);
  for (const BuilderSubtable& s : b.subtables) {
    if (!s.ext || otlIsReference(s.p.label)) continue;
    uint64_t size = s.built.bytes.size();
    writeBuilt(g, b, s.built, size, size + s.ext->coverageSize, out);
    otlCoverageWrite(g, s.ext.get(), out);
    otlClassWrite(g, s.ext.get(), out);
  }
  otlEmit(g, out);
}

void otlBuilderReuse(coreContext* g, OtlBuilder& b) {
  b.subtables.clear();
  b.mainSize = b.minMainSize = b.extSize = b.extStart = 0;
  b.maxContext = 0;
  if (b.table) {
    otlListsReuse(g, b.table.get());
    otlCoverageReuse(g, b.table.get());
    otlClassReuse(g, b.table.get());
  }
}

void otlEmit(coreContext* g, const Bytes& out) {
  if (!out.empty()) g->client->outWriteN(out.size(), out.data());
}

}  // namespace fea
