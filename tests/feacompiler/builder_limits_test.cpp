// The builders' bound on the subtable section (16-bit offsets from the lookup list): lookups
// that pass it take the Extension form, and only a section of Extension records too large
// for it is fatal; and an emptied context after a failed compile.
#include <functional>

#include "builder_harness.h"

using namespace builder_test;
using fea::GlyphNode;

namespace {

const uint32_t kCalt = tag("calt"), kKern = tag("kern"), kMark = tag("mark"), kCurs = tag("curs");

// Whether the lookups below ask for the Extension form themselves.
bool askExtension = false;

void gsubLookup(Harness& h, uint32_t feature, uint32_t type, uint16_t label) {
  fea::GSUBSetTags(h.g, tag("DFLT"), kDflt, feature);
  fea::GSUBLookupParams(h.g, askExtension, type, 0, 0, label);
}

void gposLookup(Harness& h, uint32_t feature, uint32_t type, uint16_t label) {
  fea::GPOSSetTags(h.g, tag("DFLT"), kDflt, feature);
  fea::GPOSLookupBegin(h.g, type, 0, label, askExtension, 0);
}

std::vector<uint16_t> glyphRange(uint16_t first, uint16_t count) {
  std::vector<uint16_t> ids;
  for (uint16_t i = 0; i < count; ++i) ids.push_back(static_cast<uint16_t>(first + i));
  return ids;
}

// One-glyph chain rules: 14 bytes of subtable each, 5,000 of them past 64 KiB in one
// lookup; as Extension subtables 8 bytes each, past 64 KiB from 8,192 on.
void chainRules(Harness& h, bool gpos, int count = 5000) {
  for (int i = 0; i < count; ++i) {
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
  bool gpos;
};

// Cases of lookups that pass the offsets of the subtable section between them; each names
// the message it gives when the section of Extension records is full as well.
std::vector<OverflowCase> largeCases() {
  return {
      {"Chain contextual lookup subtable in GSUB feature 'calt' causes offset overflow.",
       [](Harness& h) {
         gsubLookup(h, kCalt, 6, 1);
         chainRules(h, false);
         fea::GSUBLookupEnd(h.g, kCalt);
       },
       false},
      {"Reverse Chain contextual lookup subtable in GSUB feature 'calt' causes offset overflow.",
       [](Harness& h) {
         gsubLookup(h, kCalt, 8, 1);
         chainRules(h, false);
         fea::GSUBLookupEnd(h.g, kCalt);
       },
       false},
      {"Chain contextual lookup subtable in GPOS feature 'kern' causes offset overflow.",
       [](Harness& h) {
         gposLookup(h, kKern, 8, 1);
         chainRules(h, true);
         fea::GPOSLookupEnd(h.g, kKern);
       },
       true},
      {"Cursive Attach lookup subtable in GPOS feature 'curs' causes offset overflow.",
       [](Harness& h) {
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kCurs, 3, label);
           fea::GpsAnchor entryExit[] = {Harness::anchor(0, 10), Harness::anchor(0, 10)};
           fea::GPOSRuleAdd(h.g, h.cls(glyphRange(1, 9990)), "", 1, 2, entryExit);
           fea::GPOSLookupEnd(h.g, kCurs);
         });
       },
       true},
      {"MarkToBase lookup subtable in GPOS feature 'mark' causes offset overflow.",
       [](Harness& h) {
         GlyphNode* top = markClass(h, 30000);
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kMark, 4, label);
           fea::GpsAnchor base[] = {Harness::anchor(250, 450, top)};
           fea::GPOSRuleAdd(h.g, h.cls(glyphRange(1, 19990)), "", 1, 1, base);
           fea::GPOSLookupEnd(h.g, kMark);
         });
       },
       true},
      {"MarkToLigature lookup subtable in GPOS feature 'mark' causes offset overflow.",
       [](Harness& h) {
         GlyphNode* top = markClass(h, 30000);
         twoLargeLookups([&](uint16_t label) {
           gposLookup(h, kMark, 5, label);
           fea::GpsAnchor component[] = {Harness::anchor(250, 450, top)};
           fea::GPOSRuleAdd(h.g, h.cls(glyphRange(1, 6000)), "", 1, 1, component);
           fea::GPOSLookupEnd(h.g, kMark);
         });
       },
       true},
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
       },
       false},
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
       },
       true},
  };
}

// A lookup of 8,191 chain rules before the case fills the subtable section with Extension
// records to 8 bytes below 64 KiB, so the case's own subtables overflow it.
std::vector<OverflowCase> overflowCases() {
  std::vector<OverflowCase> cases = largeCases();
  for (OverflowCase& row : cases) {
    row.drive = [drive = row.drive, gpos = row.gpos](Harness& h) {
      const uint32_t feature = tag("ccmp");
      if (gpos) gposLookup(h, feature, 8, 9);
      else gsubLookup(h, feature, 6, 9);
      chainRules(h, gpos, 8191);
      if (gpos) fea::GPOSLookupEnd(h.g, feature);
      else fea::GSUBLookupEnd(h.g, feature);
      drive(h);
    };
  }
  return cases;
}

// Lookups that pass the offsets of the subtable section between them compile: a lookup
// that goes on past them moves to the Extension form whole, with the rules it had, and
// reads back as the same lookups asked for in that form (the tables are sound for
// ots-sanitize: one case per table).
TEST(BuilderLimits, LargeLookupsTakeTheExtensionForm) {
  if (!judgesPresent()) GTEST_SKIP() << "fontTools absent";
  bool sanitized[2] = {false, false};
  for (const OverflowCase& row : largeCases()) {
    SCOPED_TRACE(row.message);
    Harness plain({}, 30001), asked({}, 30001);
    std::string dirs[2];
    try {
      row.drive(plain);
      dirs[0] = plain.writeTables();
      askExtension = true;
      row.drive(asked);
      askExtension = false;
      dirs[1] = asked.writeTables();
    } catch (const Fatal& f) {
      askExtension = false;
      ADD_FAILURE() << f.text;
      continue;
    }
    bool ok = false;
    std::string out = plain.judge("same " + dirs[0] + "/glyphs.txt " + dirs[0] + " " + dirs[1], &ok);
    EXPECT_TRUE(ok) << out.substr(0, 2000);
    if (sanitized[row.gpos]) continue;
    sanitized[row.gpos] = true;
    out = plain.judge("ots " + dirs[0] + "/glyphs.txt " + dirs[0], &ok);
    EXPECT_TRUE(ok) << out;
  }
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
