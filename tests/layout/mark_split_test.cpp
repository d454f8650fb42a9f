// Mark attachment subtables too large for 16-bit offsets go through the table writer
// split by bases, and read back with every anchor in place.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "layout/mark_pos.h"
#include "repair_fixture.h"

namespace {

constexpr uint16_t kClasses = 4;
constexpr uint16_t kMarks = 40;       // glyphs 0..39
constexpr uint16_t kFirstBase = 100;  // bases from here on

std::string anchorText(const otl::AnchorTable* anchor) {
  if (!anchor) return "NULL";
  std::ostringstream out;
  anchor->writeFea(out);
  return out.str();
}

// Per base glyph (ligature component k as glyph * 8 + k) the anchors of every class;
// per subtable the number of marks.
struct Attachments {
  std::map<uint32_t, std::string> anchors;
  std::vector<size_t> marksPerSubtable;
};

std::string rowText(const otl::AnchorRow& row) {
  std::string text;
  for (size_t c = 0; c < kClasses; ++c) text += anchorText(c < row.size() ? row[c].get() : nullptr) + ";";
  return text;
}

Attachments attachments(const otl::LayoutTableBlock& block) {
  Attachments out;
  for (const auto& [index, lookup] : block.lookups.lookups()) {
    for (const auto& subtable : lookup->subtables) {
      const auto& mark = dynamic_cast<const otl::LpMarkTo&>(*subtable);
      out.marksPerSubtable.push_back(mark.markRecords.size());
      for (size_t i = 0; i < mark.bases.glyphCount(); ++i) {
        if (const auto* base = dynamic_cast<const otl::LpMarkToBase*>(&mark)) {
          out.anchors[mark.bases.glyphAt(i)] += rowText(base->baseRecords[i]);
        } else {
          const auto& rows = dynamic_cast<const otl::LpMarkToLigature&>(mark).ligatureRecords[i];
          for (size_t k = 0; k < rows.size(); ++k) out.anchors[mark.bases.glyphAt(i) * 8 + k] += rowText(rows[k]);
        }
      }
    }
  }
  return out;
}

// A row of distinct anchors, one class left without one, some with a contour point.
otl::AnchorRow row(int seed) {
  otl::AnchorRow r(kClasses);
  for (uint16_t c = 0; c < kClasses; ++c) {
    if ((seed + c) % 7 == 0) continue;
    r[c] = std::make_unique<otl::AnchorTable>(int16_t(seed % 3000), int16_t(c * 100 + seed % 97),
                                              seed % 5 == 0 ? uint16_t(c) : otl::AnchorTable::kNoPoint);
  }
  return r;
}

TEST(MarkSplit, OversizedSubtablesSplitByBasesKeepEveryAnchor) {
  struct Case {
    uint32_t type;     // 4 base, 5 ligature, 6 mark-to-mark
    uint16_t bases;    // base records (anchor rows of 8 offset and up to 24 anchor bytes)
    size_t minPieces;  // at least this many subtables come out
  };
  const Case cases[] = {{4, 3000, 2}, {6, 2500, 2}, {5, 1400, 2}, {4, 9000, 4}};
  const otl::GlyphIdMap glyphs = layout_test::glyphsNamed("ms", 20000);
  for (const Case& test : cases) {
    SCOPED_TRACE(test.type * 100000 + test.bases);
    vn::FeaGlyphGroups classes;
    otl::LayoutTableBlock block(2, &classes);
    otl::Lookup* lookup = layout_test::lookupInFeature(block, test.type, "mark");
    auto subtable = lookup->createSubtable();
    auto& mark = dynamic_cast<otl::LpMarkTo&>(*subtable);
    otl::GlyphList marks, bases;
    for (uint16_t m = 0; m < kMarks; ++m) {
      marks.push_back(glyphs.idOf(m));
      mark.markRecords.push_back({uint16_t(m % kClasses), otl::AnchorTable(int16_t(m), int16_t(-m))});
    }
    mark.marks.assign(marks);
    mark.classCount = kClasses;
    // Bases listed from the highest glyph down: the writer orders them itself.
    for (int b = test.bases - 1; b >= 0; --b) {
      bases.push_back(glyphs.idOf(uint16_t(kFirstBase + b)));
      if (auto* base = dynamic_cast<otl::LpMarkToBase*>(&mark)) {
        base->pushAnchorRecord(row(b));
      } else {
        std::vector<otl::AnchorRow> components;
        for (int k = 0; k < 2; ++k) components.push_back(row(2 * b + k));
        dynamic_cast<otl::LpMarkToLigature&>(mark).ligatureRecords.push_back(std::move(components));
      }
    }
    mark.bases.assign(bases);
    lookup->addSubtable(std::move(subtable));

    vn::FeaGlyphGroups classes2;
    otl::LayoutTableBlock again(2, &classes2);
    std::string bytes;
    ASSERT_TRUE(layout_test::repairRoundTrip(block, glyphs, again, bytes));
    ASSERT_EQ(again.lookups.lookups().size(), 1u);
    const Attachments before = attachments(block), after = attachments(again);
    EXPECT_GE(after.marksPerSubtable.size(), test.minPieces);
    for (size_t n : after.marksPerSubtable) EXPECT_EQ(n, kMarks);
    EXPECT_EQ(after.anchors.size(), before.anchors.size());
    // A base in two pieces would show its anchors twice here.
    EXPECT_TRUE(after.anchors == before.anchors);
  }
}

}  // namespace
