// The builders' bound on the subtable section (16-bit offsets from the lookup list), and an
// emptied context after a failed compile.
#include <functional>

#include "builder_harness.h"

using namespace builder_test;
using fea::GlyphNode;

namespace {

const uint32_t kCalt = tag("calt"), kKern = tag("kern"), kMark = tag("mark"), kCurs = tag("curs");

void gsubLookup(Harness& h, uint32_t feature, uint32_t type, uint16_t label) {
  fea::GSUBSetTags(h.g, tag("DFLT"), kDflt, feature);
  fea::GSUBLookupParams(h.g, 0, type, 0, 0, label);
}

void gposLookup(Harness& h, uint32_t feature, uint32_t type, uint16_t label) {
  fea::GPOSSetTags(h.g, tag("DFLT"), kDflt, feature);
  fea::GPOSLookupBegin(h.g, type, 0, label, 0, 0);
}

std::vector<uint16_t> glyphRange(uint16_t first, uint16_t count) {
  std::vector<uint16_t> ids;
  for (uint16_t i = 0; i < count; ++i) ids.push_back(static_cast<uint16_t>(first + i));
  return ids;
}

// 5,000 one-glyph chain rules: 14 bytes of subtable each, past 64 KiB in one lookup.
void chainRules(Harness& h, bool gpos) {
  for (int i = 0; i < 5000; ++i) {
    GlyphNode* before = h.cls({1});
    before->flags |= fea::GN_BACKTRACK;
    GlyphNode* input = h.cls({2});
    if (gpos) {
      before->flags |= fea::GN_PATTERN_MARKED;
      fea::GPOSRuleAdd(h.g, h.seq({before, input}), "", 1, 0, nullptr);
    } else {
      fea::GSUBRuleAdd(h.g, h.seq({before, input}), nullptr);
    }
  }
}

// A mark class of one glyph with its anchor.
GlyphNode* markClass(Harness& h, uint16_t gid) {
  GlyphNode* c = h.cls({gid});
  c->anchor = Harness::anchor(0, 500);
  c->markClassName = "TOP";
  return c;
}

// Two lookups of about 40,000 bytes each: the first leaves the subtable section below the
// point where lookups take the Extension form, the second carries it past 64 KiB.
void twoLargeLookups(const std::function<void(uint16_t label)>& lookup) {
  lookup(1);
  lookup(2);
}

struct OverflowCase {
  const char* message;
  std::function<void(Harness&)> drive;
};

std::vector<OverflowCase> overflowCases() {
  return {
      {"Chain contextual lookup subtable in GSUB feature 'calt' causes offset overflow.",
       [](Harness& h) {
         gsubLookup(h, kCalt, 6, 1);
         chainRules(h, false);
         fea::GSUBLookupEnd(h.g, kCalt);
       }},
      {"Reverse Chain contextual lookup subtable in GSUB feature 'calt' causes offset overflow.",
       [](Harness& h) {
         gsubLookup(h, kCalt, 8, 1);
         chainRules(h, false);
         fea::GSUBLookupEnd(h.g, kCalt);
       }},
      {"Chain contextual lookup subtable in GPOS feature 'kern' causes offset overflow.",
       [](Harness& h) {
         gposLookup(h, kKern, 8, 1);
         chainRules(h, true);
         fea::GPOSLookupEnd(h.g, kKern);
       }},
      {"Cursive Attach lookup subtable in GPOS feature 'curs' causes offset overflow.",
       [](Harness& h) {
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kCurs, 3, label);
           fea::GpsAnchor entryExit[] = {Harness::anchor(0, 10), Harness::anchor(0, 10)};
           fea::GPOSRuleAdd(h.g, h.cls(glyphRange(1, 9990)), "", 1, 2, entryExit);
           fea::GPOSLookupEnd(h.g, kCurs);
         });
       }},
      {"MarkToBase lookup subtable in GPOS feature 'mark' causes offset overflow.",
       [](Harness& h) {
         GlyphNode* top = markClass(h, 30000);
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kMark, 4, label);
           fea::GpsAnchor base[] = {Harness::anchor(250, 450, top)};
           fea::GPOSRuleAdd(h.g, h.cls(glyphRange(1, 19990)), "", 1, 1, base);
           fea::GPOSLookupEnd(h.g, kMark);
         });
       }},
      {"MarkToLigature lookup subtable in GPOS feature 'mark' causes offset overflow.",
       [](Harness& h) {
         GlyphNode* top = markClass(h, 30000);
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kMark, 5, label);
           fea::GpsAnchor component[] = {Harness::anchor(250, 450, top)};
           fea::GPOSRuleAdd(h.g, h.cls(glyphRange(1, 6000)), "", 1, 1, component);
           fea::GPOSLookupEnd(h.g, kMark);
         });
       }},
      // Multiple substitution and single positioning check their section at the lookup's end.
      {"GSUB feature 'calt' causes overflow of offset to a subtable (0x",
       [](Harness& h) {
         twoLargeLookups([&](uint16_t label) {
           gsubLookup(h, kCalt, 2, label);
           GlyphNode* first = nullptr;
           GlyphNode* prev = nullptr;
           for (uint16_t gid : glyphRange(1, 19990)) {
             GlyphNode* n = h.cls({gid});
             if (prev) prev->nextSeq = n;
             if (!first) first = n;
             prev = n;
           }
           fea::GSUBRuleAdd(h.g, h.cls({1}), first);
           fea::GSUBLookupEnd(h.g, kCalt);
         });
       }},
      {"GPOS feature 'kern' causes overflow of offset to a subtable (0x",
       [](Harness& h) {
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kKern, 1, label);
           for (uint16_t gid : glyphRange(1, 5000)) {
             GlyphNode* n = h.cls({gid});
             n->valueRecord = h.value({1, 2, 3, static_cast<int16_t>(gid)});
             fea::GPOSRuleAdd(h.g, n, "", 1, 0, nullptr);
           }
           fea::GPOSLookupEnd(h.g, kKern);
         });
       }},
  };
}

// Each table and subtable kind names itself when the subtable section outgrows its offsets.
TEST(BuilderLimits, SectionOverflowNamesTheSubtable) {
  for (const OverflowCase& row : overflowCases()) {
    Harness h({}, 30001);
    try {
      row.drive(h);
      ADD_FAILURE() << "no fatal: " << row.message;
    } catch (const Fatal& f) {
      EXPECT_NE(f.text.find(row.message), std::string::npos) << f.text;
    }
  }
}

// A compile that failed half-way leaves rules, lookups and sections behind; after Reuse the
// next compile writes what a fresh core writes.
TEST(BuilderLimits, ReuseAfterFailureWritesAsFresh) {
  auto small = [](Harness& h) {
    gsubLookup(h, kCalt, 1, 1);
    fea::GSUBRuleAdd(h.g, h.cls({3}), h.cls({4}));
    fea::GSUBLookupEnd(h.g, kCalt);
    gposLookup(h, kKern, 1, 1);
    GlyphNode* n = h.cls({5});
    n->valueRecord = h.value({-20});
    fea::GPOSRuleAdd(h.g, n, "", 1, 0, nullptr);
    fea::GPOSLookupEnd(h.g, kKern);
  };
  Harness fresh({}, 30001);
  small(fresh);
  fresh.writeTables();

  for (const OverflowCase& row : overflowCases()) {
    Harness h({}, 30001);
    EXPECT_THROW(row.drive(h), Fatal) << row.message;
    fea::GSUBReuse(h.g);
    fea::GPOSReuse(h.g);
    small(h);
    h.writeTables();
    EXPECT_EQ(h.tables, fresh.tables) << row.message;
    EXPECT_EQ(fea::GSUBMaxContext(h.g), fea::GSUBMaxContext(fresh.g)) << row.message;
  }
}

}  // namespace
