// Table statements: GDEF attachment points and carets, name strings, the OS/2 ranges and
// vendor, and the head font revision.
#include <charconv>

#include "feacompiler/feat_layer.h"
#include "feacompiler/tables/misc_modules.h"
#include "feacompiler/tables/table_modules.h"

namespace fea {

namespace {

// Code page of each bit of the OS/2 code-page range (0 = none).
int codePageBit(uint32_t page) {
  static const struct {
    int bit;
    uint32_t page;
  } kPages[] = {{0, 1252},  {1, 1250},  {2, 1251},  {3, 1253},  {4, 1254},  {5, 1255},
                {6, 1256},  {7, 1257},  {8, 1258},  {16, 874},  {17, 932},  {18, 936},
                {19, 949},  {20, 950},  {21, 1361}, {48, 869},  {49, 866},  {50, 865},
                {51, 864},  {52, 863},  {53, 862},  {54, 861},  {55, 860},  {56, 857},
                {57, 855},  {58, 852},  {59, 775},  {60, 737},  {61, 708},  {62, 850},
                {63, 437}};
  for (const auto& p : kPages) {
    if (p.page == page) return p.bit;
  }
  return -1;
}

// The fixed-point text of a revision, three decimal places, without the locale.
std::string threePlaces(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
  return std::string(buf, r.ptr);
}

}  // namespace

void featAddAttach(coreContext* g, GlyphNode* target, int index) {
  if (target->nextSeq)
    featMsg(g, kMsgError, "Only one glyph|glyphClass may be present per AttachTable statement");
  for (GlyphNode* m = target; m; m = m->nextCl) {
    if (!GDEFAddAttachPoint(g, m->gid, static_cast<uint16_t>(index)))
      featMsg(g, kMsgWarning, "Skipping duplicate contour index %d", index);
  }
}

void featAddLigCaret(coreContext* g, GlyphNode* target, int value, int format) {
  if (target->nextSeq)
    featMsg(g, kMsgError, "Only one glyph|glyphClass may be present per LigatureCaret statement");
  for (GlyphNode* m = target; m; m = m->nextCl) {
    if (!GDEFAddLigCaret(g, m->gid, static_cast<uint16_t>(format), static_cast<int16_t>(value)))
      featMsg(g, kMsgWarning, "Skipping duplicate caret value %d", value);
  }
}

void featAddNameString(coreContext* g, int platform, int encoding, int language, int nameId) {
  if (platform == -1 || platform == 3) {
    platform = 3;
    if (encoding == -1) encoding = 1;
    if (language == -1) language = 0x409;
  } else if (platform == 1) {
    if (encoding == -1) encoding = 0;
    if (language == -1) language = 0;
  }
  std::string decoded;
  const std::string& text = g->feat->stringBuf;
  int failed = platform == 1 ? coreDecodeMacString(text, decoded) : coreDecodeWinString(text, decoded);
  if (failed) {
    featMsg(g, kMsgError, "Bad string");
    return;
  }
  nameAddRecord(*g->name, static_cast<uint16_t>(platform), static_cast<uint16_t>(encoding),
                static_cast<uint16_t>(language), static_cast<uint16_t>(nameId), decoded);
}

static uint16_t featureNameId(coreContext* g) {
  FeatContext& f = *g->feat;
  if (f.featNameId == 0) f.featNameId = g->name->nextUserId++;
  return f.featNameId;
}

void featAddSizeNameString(coreContext* g, int platform, int encoding, int language) {
  uint16_t id = featureNameId(g);
  GPOSSetSizeMenuNameId(g, id);
  featAddNameString(g, platform, encoding, language, id);
}

void featAddFeatureNameString(coreContext* g, int platform, int encoding, int language) {
  bool fresh = g->feat->featNameId == 0;
  uint16_t id = featureNameId(g);
  if (fresh) GSUBAddFeatureName(g, g->feat->curr.feature, id);
  featAddNameString(g, platform, encoding, language, id);
}

void featSetUnicodeRange(coreContext* g, const std::vector<uint32_t>& values) {
  std::array<uint32_t, 4> words{};
  for (size_t i = 0; i < values.size() && i < 128; ++i) {
    uint32_t v = values[i];
    if (v == 0xFFFF) break;
    if (v > 127) {
      featMsg(g, kMsgError,
              "OS/2 Bad Unicode block value <%u>. All values must be in [0 ...127] inclusive.",
              static_cast<unsigned>(v));
      continue;
    }
    words[v / 32] |= 1u << (v % 32);
  }
  g->os2->unicodeRange = words;
  g->os2->unicodeRangeGiven = true;
}

void featSetCodePageRange(coreContext* g, const std::vector<uint32_t>& values) {
  std::array<uint32_t, 2> words{};
  for (size_t i = 0; i < values.size() && i < 64; ++i) {
    int bit = codePageBit(values[i]);
    if (bit < 0) {
      featMsg(g, kMsgError,
              "OS/2 Code page value <%u> is not permitted according to the OpenType spec v1.4.",
              static_cast<unsigned>(values[i]));
      continue;
    }
    words[bit / 32] |= 1u << (bit % 32);
  }
  g->os2->codePageRange = words;
  g->os2->codePageRangeGiven = true;
}

void featSetVendor(coreContext* g) {
  std::string v = g->feat->stringBuf;
  if (v.size() < 4) {
    featMsg(g, kMsgWarning, "Vendor name too short. Padded automatically to 4 characters.");
    v.resize(4, ' ');
  } else if (v.size() > 4) {
    featMsg(g, kMsgError, "Vendor name too long. Max is 4 characters.");
  }
  coreSetVendor(g, v);
}

void featSetFontRevision(coreContext* g, const std::string& text) {
  size_t dot = text.find('.');
  std::string whole = text.substr(0, dot);
  long major = 0;
  auto r = std::from_chars(whole.data(), whole.data() + whole.size(), major);
  if (r.ec != std::errc() || major < 1 || major > 255)
    featMsg(g, kMsgWarning, "Major version number not in range 1 .. 255");
  double value = static_cast<double>(major);
  if (dot != std::string::npos) {
    std::string frac = text.substr(dot);
    double f = 0, scale = 0.1;
    for (size_t i = 1; i < frac.size(); ++i, scale /= 10) f += (frac[i] - '0') * scale;
    value += f;
    if (frac.size() != 4)
      featMsg(g, kMsgWarning, "head FontRevision entry <%s> should have 3 fractional decimal places. Stored as <%s>",
              text.c_str(), threePlaces(value).c_str());
  } else {
    featMsg(g, kMsgWarning,
            "head FontRevision entry <%ld> should have 3 fractional decimal places; it now has "
            "none.",
            major);
  }
  g->fontRevision = static_cast<int32_t>(value * 65536.0);
}

}  // namespace fea
