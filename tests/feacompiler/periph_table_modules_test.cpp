// The ten table modules a compile never writes: their contexts from creation to release,
// and what their Fill and Write would produce.
#include <functional>
#include <sstream>

#include "builder_harness.h"
#include "feacompiler/fea_compiler.h"
#include "feacompiler/feat_context.h"
#include "feacompiler/glyph_map.h"
#include "feacompiler/tables/cff_context.h"
#include "feacompiler/tables/unwritten_modules.h"
#include "model/glyph.h"
#include "model/object.h"

using builder_test::Harness;
using builder_test::tag;

namespace {

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(PeriphModules, ContextsFromCreationToRelease) {
  Harness h({"a"});
  fea::coreContext* g = h.g;
  // Every context points back to the core; no array holds storage.
  EXPECT_EQ(g->cff->g, g);
  EXPECT_EQ(g->head->g, g);
  EXPECT_EQ(g->maxp->g, g);
  EXPECT_EQ(g->post->g, g);
  EXPECT_EQ(g->vhea->g, g);
  EXPECT_EQ(g->mmsd->g, g);
  EXPECT_EQ(g->mmsd->axes, nullptr);
  struct Arr {
    const char* name;
    long capacity, initial, increment;
  };
  const Arr arrays[] = {
      {"VORG", g->vorg->records.capacity, g->vorg->records.initial, g->vorg->records.increment},
      {"vmtx", g->vmtx->vMetrics.capacity, g->vmtx->vMetrics.initial, g->vmtx->vMetrics.increment},
      {"hmtx", g->hmtx->hMetrics.capacity, g->hmtx->hMetrics.initial, g->hmtx->hMetrics.increment},
      {"fvar axes", g->fvar->axes.capacity, g->fvar->axes.initial, g->fvar->axes.increment},
      {"fvar instances", g->fvar->instances.capacity, g->fvar->instances.initial,
       g->fvar->instances.increment}};
  const long want[][2] = {{300, 600}, {14000, 14000}, {315, 14000}, {4, 11}, {12, 12}};
  for (size_t i = 0; i < std::size(arrays); ++i) {
    EXPECT_EQ(arrays[i].capacity, 0) << arrays[i].name;
    EXPECT_EQ(arrays[i].initial, want[i][0]) << arrays[i].name;
    EXPECT_EQ(arrays[i].increment, want[i][1]) << arrays[i].name;
  }
  // An fvar instance made by growth gets its coordinate array; release frees it (sanitizer).
  fea::FvarInstance* inst = g->fvar->instances.next();
  EXPECT_EQ(inst->coords.initial, 3);
  *inst->coords.next() = 0x10000;
  fea::sfntFree(g);
  EXPECT_EQ(g->cff, nullptr);
  EXPECT_EQ(g->fvar, nullptr);
  EXPECT_EQ(g->vorg, nullptr);
  EXPECT_EQ(g->head, nullptr);
}

struct FillCase {
  const char* name;
  std::function<void(fea::coreContext*)> setup;
  int (*fill)(fea::coreContext*);
  void (*write)(fea::coreContext*);
  int applies;
  std::string bytes;  // hex of what Write emits, when it applies
};

TEST(PeriphModules, FillAndWrite) {
  auto vertical = [](fea::coreContext* g) {
    g->optionFlags |= fea::kOptVerticalMetrics;
    g->defaultVertOrigin = 880;
    g->glyphs[2].vOrigin = 900;
    for (auto& r : g->glyphs) r.yMax = 700;
    g->glyphs[1].vAdvance = -1200;
  };
  const FillCase cases[] = {
      {"maxp", nullptr, fea::maxpFill, fea::maxpWrite, 1, "000050000004"},
      {"post",
       [](fea::coreContext* g) {
         g->underlinePosition = -100;
         g->underlineThickness = 50;
         g->fontFlags = fea::kFontFixedPitch;
       },
       fea::postFill, fea::postWrite, 1,
       "0003000000000000FFB5003200000001" + std::string(32, '0')},
      {"hmtx: trailing equal advances keep only bearings",
       [](fea::coreContext* g) {
         const uint16_t adv[] = {500, 600, 600, 600};
         for (size_t i = 0; i < 4; ++i) {
           g->glyphs[i].hAdvance = adv[i];
           g->glyphs[i].xMin = static_cast<int16_t>(10 * (i + 1));
         }
       },
       fea::hmtxFill, fea::hmtxWrite, 1, "01F4000A02580014001E0028"},
      {"vmtx without vertical data", nullptr, fea::vmtxFill, nullptr, 0, ""},
      {"vmtx", vertical, fea::vmtxFill, fea::vmtxWrite, 1,
       // advances: unset = units per em (1000); bearings: origin - yMax
       "03E800B404B000B403E800C800B4"},
      {"VORG", vertical, fea::VORGFill, fea::VORGWrite, 1, "000100000370000100020384"},
      {"fvar of a plain font", nullptr, fea::fvarFill, nullptr, 0, ""},
      {"MMSD of a plain font", nullptr, fea::MMSDFill, nullptr, 0, ""},
      {"fvar of a multiple master", [](fea::coreContext* g) { g->fontFlags = fea::kFontMultipleMaster; },
       fea::fvarFill, fea::fvarWrite, 1, "00010000" "0010" "0002" "0000" "0014" "0000" "0004"},
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.name);
    Harness h({"a", "b", "c"});
    if (c.setup) c.setup(h.g);
    ASSERT_EQ(c.fill(h.g), c.applies);
    if (!c.applies) continue;
    c.write(h.g);
    EXPECT_EQ(hex(h.client.out), c.bytes);
  }
}

TEST(PeriphModules, HeadVheaAndCff) {
  Harness h({"a"});
  fea::coreContext* g = h.g;
  g->fontRevision = 0x00011000;
  g->unitsPerEm = 2048;
  g->fontFlags = 3;
  g->timeStamp = 0;  // 1970-01-01: 2082844800 s after 1904-01-01
  ASSERT_EQ(fea::headFill(g), 1);
  fea::headWrite(g);
  std::string head = hex(h.client.out);
  ASSERT_EQ(head.size(), 108u);
  EXPECT_EQ(head.substr(0, 32), "0001000000011000000000005F0F3CF5");
  EXPECT_EQ(head.substr(32, 8), "00030800");                 // flags, units per em
  EXPECT_EQ(head.substr(40, 32), std::string(16, '0') + "000000007C25B080");  // dates
  EXPECT_EQ(head.substr(88, 20), "00030003000200000000");  // macStyle .. glyphDataFormat

  h.client.out.clear();
  g->optionFlags |= fea::kOptVerticalMetrics;
  g->metrics.vertTypoAscender = 500;
  ASSERT_EQ(fea::vmtxFill(g), 1);
  ASSERT_EQ(fea::vheaFill(g), 1);
  fea::vheaWrite(g);
  std::string vhea = hex(h.client.out);
  ASSERT_EQ(vhea.size(), 72u);
  EXPECT_EQ(vhea.substr(0, 12), "0001100001F4");
  EXPECT_EQ(vhea.substr(68, 4), "0001");  // one long vertical metric

  // The client hands no CFF data over, so the CFF module writes nothing.
  h.client.out.clear();
  const fea::TableModule& cff = fea::tableRegistry()[10];
  EXPECT_EQ(cff.fill(g), 1);
  cff.write(g);
  EXPECT_TRUE(h.client.out.empty());

  // A filled MMSD releases its records with the context even without a Reuse (sanitizer).
  g->fontFlags = fea::kFontMultipleMaster;
  ASSERT_EQ(fea::MMSDFill(g), 1);
  EXPECT_NE(g->mmsd->axes, nullptr);
}

// The head, vhea and vmtx blocks land in the core, and the compile still yields only the
// layout tables.
TEST(PeriphModules, TableBlocksCompileToLayoutTablesOnly) {
  std::vector<vn::Ref<vn::Glyph>> owned;
  std::vector<vn::Glyph*> glyphs;
  for (const char* n : {".notdef", "a", "b"}) {
    owned.push_back(vn::Ref<vn::Glyph>::adopt(new vn::Glyph()));
    owned.back()->name = n;
    glyphs.push_back(owned.back().get());
  }
  fea::FeaCompiler compiler("Test Font");
  std::istringstream in(
      "table head { FontRevision 1.1; } head;\n"
      "table vhea { VertTypoAscender 800; VertTypoDescender -200; VertTypoLineGap 0; } vhea;\n"
      "table vmtx { VertOriginY a 880; VertAdvanceY a 1000; } vmtx;\n"
      "feature liga { sub a by b; } liga;\n");
  ASSERT_EQ(compiler.compile(0, &glyphs, &in), 0);
  EXPECT_FALSE(compiler.gsubData().empty());
  EXPECT_TRUE(compiler.gposData().empty());
  EXPECT_TRUE(compiler.gdefData().empty());
}

}  // namespace

namespace {

// The blocks store their values in the core and its glyph records; no context of the
// unwritten modules or of the CFF compiler changes.
TEST(PeriphModules, TableBlocksLeaveTheContextsAlone) {
  builder_test::FeedClient client(
      "table head { FontRevision 1.5; } head;\n"
      "table vhea { VertTypoAscender 800; } vhea;\n"
      "table vmtx { VertOriginY a 880; VertAdvanceY a 1000; } vmtx;\n");
  fea::coreContext* g = fea::coreNew(&client);
  std::vector<std::string> names = {".notdef", "a"};
  g->glyphs.resize(names.size());
  for (size_t i = 0; i < names.size(); ++i) g->glyphs[i].name = names[i].c_str();
  fea::mapSetup(g);
  fea::mapCheck(g);
  fea::featFill(g);
  EXPECT_EQ(g->fontRevision, 0x00018000);
  EXPECT_EQ(g->metrics.vertTypoAscender, 800);
  EXPECT_EQ(g->glyphs[1].vOrigin, 880);
  EXPECT_EQ(g->head->fontRevision, 0);
  EXPECT_EQ(g->vhea->vertTypoAscender, 0);
  EXPECT_EQ(g->vmtx->vMetrics.capacity + g->vorg->records.capacity, 0);
  EXPECT_EQ(g->cffCompiler->charsets->items.count, 3);
  EXPECT_EQ(g->cffCompiler->strings->custom.capacity, 0);
  EXPECT_EQ(g->cffCompiler->holder->records.count, 0);
  fea::coreFree(g);
}

}  // namespace
