#include "ufo/lib_writer.h"

#include "model/font.h"
#include "model/geometry.h"
#include "model/layer.h"
#include "model/numbers.h"
#include "model/style.h"
#include "ufo/base64.h"
#include "ufo/hint_sets.h"
#include "ufo/text_encoding.h"
#include "ufo/truetype_hinting_text.h"
#include "ufo/written_glyphs.h"

namespace ufo {

namespace {

constexpr int kBase64LineLength = 40;
constexpr double kDegreesPerRadian = 57.29577951308232;

// formatNumber with a fixed precision; non-finite values print as 0.
std::string fixedText(double value, int precision) {
  return vn::formatNumber(vn::finiteOrZero(value), precision);
}

}  // namespace

std::string encodeLibData(const std::string& text, bool base64) {
  if (!base64) return text;
  return encodeBase64(text, kBase64LineLength);
}

std::unique_ptr<PListNode> guideArray(const vn::Layer& layer, bool isGlobal) {
  if (layer.guides.empty()) return nullptr;
  auto array = std::make_unique<PListNode>(plist::kArray, libkey::kGuides, libkey::kGuides);
  for (const vn::Guide& guide : layer.guides) {
    PListNode* dict = array->addChild(plist::kDict, std::string(), std::string());
    const double angle = vn::vectorAngle(guide.x1, guide.y1, guide.x2, guide.y2) * kDegreesPerRadian;
    dict->addChild(plist::kReal, fixedText(angle, 2), "angle");
    dict->addChild(isGlobal ? plist::kTrue : plist::kFalse, std::string(), "isGlobal");
    dict->addChild(plist::kInteger, "5", "magnetic");
    dict->addChild(plist::kReal, fixedText(guide.x1, 2), "x");
    dict->addChild(plist::kReal, fixedText(guide.y1, 2), "y");
    if (!guide.name.empty()) dict->addChild(plist::kString, modelTextToUtf8(guide.name), "name");
  }
  return array;
}

std::unique_ptr<PListNode> markColorArray(int32_t mark) {
  vn::Color color;
  if (mark < 360) {
    color = vn::Color::fromHsl((mark - 1) / static_cast<double>(kMarkHueSteps), 1.0, 0.8);
  } else {
    const double grey = (mark - 1000) / 255.0;
    color = vn::Color{grey, grey, grey};
  }
  auto array = std::make_unique<PListNode>(plist::kArray, libkey::kMark, libkey::kMark);
  for (double channel : {color.red, color.green, color.blue, 1.0}) {
    const std::string text = fixedText(channel, 3);
    array->addChild(plist::kReal, text, text);
  }
  return array;
}

void buildLib(const vn::Font& font, const vn::Style& style, bool base64, PListNode& root) {
  TrueTypeHintingText trueType(font, style);

  const std::string hinting = trueType.fontHinting();
  if (!hinting.empty()) root.addChild(plist::kDictText, hinting, libkey::kTrueTypeHinting);

  if (const vn::Layer* guides = font.guideLayer(); guides && !guides->guides.empty()) {
    root.append(guideArray(*guides, true));
  }

  auto branch = std::make_unique<PListNode>(plist::kDict, libkey::kGlyphBranch, libkey::kGlyphBranch);
  for (const WrittenGlyph& written : writtenGlyphs(font, nullptr)) {
    vn::Layer* body = written.glyph->bodyLayer();
    if (!body) continue;
    std::unique_ptr<PListNode> dict;
    auto glyphDict = [&]() -> PListNode& {
      if (!dict) dict = std::make_unique<PListNode>(plist::kDict, written.name, written.name);
      return *dict;
    };

    if (written.glyph->markColor != 0) glyphDict().append(markColorArray(written.glyph->markColor));
    if (auto guides = guideArray(*body, false)) glyphDict().append(std::move(guides));

    const std::string program = trueType.glyphProgram(*written.glyph, *body);
    if (!program.empty()) {
      glyphDict().addChild(plist::kData, encodeLibData(program, base64), libkey::kTrueTypeProgram);
    }

    const std::string hintSets = hintSetListText(*body);
    if (!hintSets.empty()) {
      glyphDict().addChild(plist::kData, encodeLibData(hintSets, base64), libkey::kHintSets);
    }

    if (dict) branch->append(std::move(dict));
  }
  root.append(std::move(branch));
}

void appendGlyphOrder(const vn::Font& font, PListNode& root) {
  auto order = std::make_unique<PListNode>(plist::kArray, libkey::kGlyphOrder, libkey::kGlyphOrder);
  for (const WrittenGlyph& written : writtenGlyphs(font, nullptr)) {
    std::string name = modelTextToUtf8(written.name);
    order->addChild(plist::kString, name, name);
  }
  root.append(std::move(order));
}

}  // namespace ufo
