#include "native/writer.h"

#include <algorithm>
#include <sstream>

#include "model/font.h"
#include "model/style.h"
#include "native/info_records.h"
#include "native/kerning_classes.h"
#include "native/record_framing.h"
#include "native/stream/stream.h"
#include "native/style_option_record.h"
#include "native/tags.h"
#include "native/writer_glyph.h"
#include "native/writer_kerning.h"
#include "native/writer_records.h"

namespace qtf {

namespace {

// Record 10: key 1 = 0, key 2 = 83886081, key 3 = 0, end.
bool writeFileInfoRecord(RecordWriter& out) {
  Stream& payload = out.payload();
  payload.writeByte(1);
  payload.writeInt(0);
  payload.writeByte(2);
  payload.writeInt(kFileInfoKey2Value);
  payload.writeByte(3);
  payload.writeInt(0);
  payload.writeByte(0);
  return out.payloadRecord(tag::kFileInfo);
}

bool writeNameTableBlock(RecordWriter& out, const vn::StyleTables& tables) {
  if (!out.empty(tag::kNameTableBegin)) return false;
  const std::pair<uint16_t, const std::map<uint16_t, std::string>*> maps[] = {
      {tag::kNameTableSecondMap, &tables.nameMap2}, {tag::kNameTableFirstMap, &tables.nameMap1}};
  for (const auto& [tag, map] : maps) {
    for (const auto& [key, text] : *map) {
      if (text.empty()) continue;
      std::vector<uint8_t> payload{static_cast<uint8_t>(key), static_cast<uint8_t>(key >> 8)};
      payload.insert(payload.end(), text.begin(), text.end());
      if (!out.bytes(tag, payload)) return false;
    }
  }
  return out.u16(tag::kNameTableValue, static_cast<uint16_t>(tables.nameValue)) && out.empty(tag::kNameTableEnd);
}

bool writeGlobalLayer(RecordWriter& out, const vn::Layer& layer) {
  if (!layer.guides.empty()) {
    Stream* payload = &out.payload();
    if (encodeGuidePositions(*payload, layer.guides) && !out.payloadRecord(tag::kFontGuides)) return false;
    payload = &out.payload();
    if (encodeGuideProperties(*payload, layer.guides) && !out.payloadRecord(tag::kFontGuideProperties)) return false;
  }
  for (const vn::Element& element : layer.elements) {
    if (element.contours.empty()) continue;
    vn::Element placed;
    placed.contours = element.contours;
    vn::Glyph::transformContours(placed.contours, element.matrix.multiply(layer.matrix));
    Stream& payload = out.payload();
    return encodeElementOutline(payload, placed) && out.payloadRecord(tag::kFontElement);
  }
  return true;
}

}  // namespace

class Writer::Impl {
 public:
  bool write(FontStylePair& pair, uint8_t options, std::ostream& stream);

  std::string failure;
  std::vector<std::string> warnings;

 private:
  bool writeGlyphs(RecordWriter& out, vn::Font& font, const KerningPreparation& kerning);
};

bool Writer::Impl::write(FontStylePair& pair, uint8_t options, std::ostream& stream) {
  vn::Font& font = *pair.font;
  vn::Style& style = *pair.style;
  RecordWriter out(stream);

  const std::vector<uint8_t> header = encodeFileHeader();
  stream.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  if (!out.good() || !out.empty(tag::kMarker) || !out.empty(tag::kStart)) return false;
  if (!writeFileInfoRecord(out)) return false;
  if (options != 0 && !writeNameTableBlock(out, style.tables)) return false;

  KerningPreparation kerning;
  // Kerning too large for the file fails the write rather than leaving it out silently.
  if (!prepareKerning(font, kerning, kerningLayoutRoutes())) {
    failure = kerning.refusal;
    return false;
  }
  warnings = std::move(kerning.warnings);

  FontInfoExtras extras;
  extras.kerningClassBlock = kerning.kerningClassBlock;
  for (const auto* texts : {&kerning.kerningClassTexts, &kerning.featureClassTexts}) {
    for (const auto& [name, text] : *texts) extras.classDefinitions.emplace_back(name, text);
  }
  if (font.layout.hasFeatures() || font.layout.hasFeatureData() || !font.layout.featureText().empty()) {
    std::ostringstream text;
    const bool exported = font.layout.exportFeatures(text, vn::FeatureWriteOptions{});
    // The stream fails when its buffer cannot grow: the text is then cut off, and the
    // file is not written with it (nor silently without it).
    if (text.fail()) return false;
    if (exported) {
      extras.hasFeatureText = true;
      extras.featureText = text.str();
    }
  }
  if (!writeFontInfoBlock(out, font, style, extras)) return false;
  if (!writeMetricsBlock(out, font, style)) return false;
  if (!writeGlobalLayer(out, font.globalLayer)) return false;
  const std::string defaultCharacter = style.names.stringValue(info::kDefaultCharacterKey);
  if (!defaultCharacter.empty() && !out.text(tag::kDefaultCharacter, defaultCharacter)) return false;
  if (!writeGlyphs(out, font, kerning)) return false;

  Stream& payload = out.payload();
  if (encodeStyleOptions(payload, style.options)) {
    if (!out.payloadRecord(tag::kStyleOptions) || !out.u16(tag::kStyleOptionsTrailer, 0)) return false;
  }
  return out.empty(tag::kFontEnd) && out.empty(tag::kEnd) && out.good();
}

bool Writer::Impl::writeGlyphs(RecordWriter& out, vn::Font& font, const KerningPreparation& kerning) {
  // Component flattening looks glyphs up by name.
  font.rebuildGlyphIndex();
  // The glyphs with their registry ids, in font order, empty slots left out.
  std::vector<std::pair<const vn::Glyph*, vn::GlyphId>> glyphs;
  glyphs.reserve(font.glyphs.size());
  size_t slot = 0;
  for (const vn::Glyph* glyph : font.glyphs) {
    const vn::GlyphId id = slot < kerning.glyphIds.size() ? kerning.glyphIds[slot] : 0;
    ++slot;
    if (glyph) glyphs.emplace_back(glyph, id);
  }
  GlyphWriteContext context;
  context.kerning = kerning.glyphKerning;
  vn::GlyphId largestId = 0;
  for (const auto& [glyph, id] : glyphs) largestId = std::max(largestId, id);
  context.glyphIndexById.assign(size_t{largestId} + 1, -1);
  context.glyphIndexByName.reserve(glyphs.size());
  // Empty slots are not written, so they take no position either.
  int32_t position = 0;
  for (const auto& [glyph, id] : glyphs) {
    if (id != 0) context.glyphIndexById[id] = position;
    context.glyphIndexByName[glyph->name] = position++;
  }
  for (const auto& [glyph, id] : glyphs) {
    if (glyph->components.empty()) {
      if (!writeGlyphRecords(out, *glyph, id, context)) return false;
      continue;
    }
    // Components are written flattened (transformed ones decomposed) from a copy.
    auto copy = vn::Ref<vn::Glyph>::adopt(new vn::Glyph());
    copy->assign(*glyph, true);
    copy->convertOutline(font, true);
    if (!writeGlyphRecords(out, *copy, id, context)) return false;
  }
  return true;
}

Writer::Writer() : impl_(std::make_unique<Impl>()) {}
Writer::~Writer() = default;

bool Writer::write(FontStylePair& pair, const uint8_t* options, std::ostream* out) {
  impl_->failure.clear();
  impl_->warnings.clear();
  if (!pair.font || !pair.style || !out || !out->good()) return false;
  return impl_->write(pair, options ? *options : 1, *out);
}

const std::string& Writer::failure() const { return impl_->failure; }

const std::vector<std::string>& Writer::warnings() const { return impl_->warnings; }

}  // namespace qtf
