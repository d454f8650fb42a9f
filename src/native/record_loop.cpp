// The record loop of the native reader: one pass over the records from the start
// record to the end tag, each tag dispatched to its decoder (handleRecord is the one
// dispatch table), then the finishing steps.
#include <string>
#include <vector>

#include "model/font.h"
#include "model/glyph.h"
#include "model/glyph_data.h"
#include "model/style.h"
#include "native/glyph_records.h"
#include "native/info_records.h"
#include "native/parser_impl.h"
#include "native/style_option_record.h"
#include "native/tags.h"

namespace qtf {

namespace {

// Element styles of a mask outline (record 2009).
void styleMaskElement(vn::Element& element) {
  element.strokeStyle = vn::ElementStyle{1, 0.5, 0.5, {0.0, 0.0, 0.6, 0.6}};
  element.fillStyle = vn::ElementStyle{0, 1.0, 0.0, {0.0, 0.0, 0.0, 0.0}};
}

// Releases a glyph that never reached the font.
struct GlyphHolder {
  vn::Glyph* glyph = new vn::Glyph();
  ~GlyphHolder() {
    if (glyph) glyph->release();
  }
  vn::Glyph* take() {
    vn::Glyph* g = glyph;
    glyph = nullptr;
    return g;
  }
};

}  // namespace

bool Parser::Impl::read(uint32_t master) {
  std::istream* in = input.stream();
  if (!in) return false;
  // The driver hands every master the same stream; a failed earlier master must not
  // fail this one.
  in->clear();
  if (!input.good() || !input.checkHeader()) return false;
  uint32_t startLength = 0;
  if (!input.skipPast(tag::kStart, &startLength) || !input.good() || startLength != 0) return false;

  ReadLocals locals;
  locals.master = master;
  locals.readMasters = state.masterCount;

  uint16_t tag = 0;
  do {
    uint32_t length = 0;
    if (!input.readRecordHeader(tag, length)) return false;
    if (handleRecord(locals, tag, length) == Step::kFail) return false;
  } while (input.good() && tag != tag::kEnd && tag != tag::kFontEnd);

  finish(locals.pending);
  return input.good();
}

bool Parser::Impl::readFileInfoRecord(ReadLocals& locals) {
  while (!payload.atEnd()) {
    const uint8_t key = payload.readByte();
    if (key == 0) break;
    const int32_t value = payload.readInt();
    if (payload.overrun()) break;
    if (key == 1) locals.fileInfoKey1 = value;
  }
  return true;
}

bool Parser::Impl::readUnicodes(ReadLocals& locals, uint32_t length, uint32_t width) {
  if (length % width != 0) return false;
  std::vector<uint8_t> bytes;
  if (!input.readBytes(length, bytes)) return false;
  for (size_t i = 0; i + width <= bytes.size(); i += width) {
    uint32_t value = 0;
    for (uint32_t b = 0; b < width; ++b) value |= static_cast<uint32_t>(bytes[i + b]) << (8 * b);
    locals.glyph->unicodes.push_back(value);
  }
  return true;
}

bool Parser::Impl::readNameTableBlock() {
  vn::StyleTables& tables = style->tables;
  while (input.good()) {
    uint16_t tag = 0;
    uint32_t length = 0;
    if (!input.readRecordHeader(tag, length) || !input.good()) return false;
    if (tag == tag::kNameTableEnd) return input.skipPayload(length);
    if (tag == tag::kNameTableFirstMap || tag == tag::kNameTableSecondMap) {
      if (length < 2) return false;
      const uint16_t key = input.readU16();
      std::string text;
      if (!input.readRecordString(length - 2, text)) return false;
      auto& map = tag == tag::kNameTableFirstMap ? tables.nameMap1 : tables.nameMap2;
      map[key] = std::move(text);
    } else if (tag == tag::kNameTableValue) {
      if (length != 2) return false;
      tables.nameValue = input.readU16();
    } else if (!input.skipPayload(length)) {
      return false;
    }
  }
  return false;
}

bool Parser::Impl::readOldGlyphBlock(ReadLocals& locals) {
  GlyphHolder holder;
  vn::Glyph& glyph = *holder.glyph;
  glyph.index = static_cast<int32_t>(font->glyphCount());
  int32_t blockMasters = 1;

  auto readElement = [&](uint32_t length) {
    if (!input.loadPayload(payload, length)) return false;
    vn::Element element;
    int32_t stated = 0;
    if (!decodeOutlineElement(payload, locals.master, element, stated) || stated < 1) return false;
    blockMasters = stated;
    glyph.varnelData().addBodyItem(element);
    return true;
  };

  uint16_t tag = 0;
  uint32_t length = 0;
  if (!input.readRecordHeader(tag, length) || !input.good()) return false;
  if (tag == tag::kOldMasterCount) {
    if (length != 2) return false;
    blockMasters = input.readU16();
    if (blockMasters != state.masterCount || !input.good()) return false;
  } else if (tag == tag::kOldElement) {
    if (!readElement(length)) return false;
  } else {
    return false;
  }

  bool closed = false;
  while (input.good() && !closed) {
    if (!input.readRecordHeader(tag, length) || !input.good()) return false;
    const MasterSelection masters{blockMasters, locals.master};
    switch (tag) {
      case tag::kOldGlyphEnd:
        closed = input.skipPayload(length);
        break;
      case tag::kOldGlyphName: {
        if (length > kMaxOldGlyphName) return false;
        std::string name;
        if (!input.readRecordString(length, name)) return false;
        glyph.setName(name);
        break;
      }
      case tag::kOldAdvanceWidths:
      case tag::kOldAdvances: {
        const bool pairs = tag == tag::kOldAdvances;
        std::vector<uint8_t> bytes;
        if (!input.readBytes(length, bytes)) return false;
        const size_t step = pairs ? 4 : 2;
        const size_t at = static_cast<size_t>(locals.master) * step;
        if (at + step <= bytes.size()) {
          glyph.advanceWidth = static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
          if (pairs) glyph.advanceHeight = static_cast<int16_t>(bytes[at + 2] | (bytes[at + 3] << 8));
        }
        break;
      }
      case tag::kOldElement:
        if (!readElement(length)) return false;
        break;
      case tag::kOldHints:
        if (!input.loadPayload(payload, length) || !decodeHints(payload, glyph.varnelData().bodyLayer(), masters))
          return false;
        break;
      case tag::kOldGuides:
        if (!input.loadPayload(payload, length) ||
            !decodeGuidePositions(payload, glyph.varnelData().bodyLayer().guides, masters))
          return false;
        break;
      case tag::kOldAdvancePairs:
        if (!input.loadPayload(payload, length) || !decodeAdvances(payload, glyph, masters)) return false;
        break;
      default:  // 2007 included: nothing is taken from it
        if (!input.skipPayload(length)) return false;
        break;
    }
  }
  if (!closed || !input.good()) return false;
  vn::Glyph* added = holder.take();
  font->appendGlyph(added);
  locals.glyph = added;
  locals.layer = &added->varnelData().bodyLayer();
  return true;
}

Parser::Impl::Step Parser::Impl::handleRecord(ReadLocals& locals, uint16_t tag, uint32_t length) {
  const Step fail = Step::kFail;
  const Step next = Step::kContinue;
  auto load = [&]() { return input.loadPayload(payload, length); };
  const bool hasGlyph = locals.glyph != nullptr;
  const bool hasLayer = hasGlyph && locals.layer != nullptr;
  const MasterSelection fileMasters{locals.readMasters, locals.master};

  switch (tag) {
    case tag::kFileInfo:
      return load() && readFileInfoRecord(locals) ? next : fail;

    // ---- blocks read by the font-information and metrics readers
    case tag::kFontInfoBegin:
      if (!input.skipPayload(length) || !readFontInfoBlock(input, payload, state, *font, *style)) return fail;
      return next;
    case tag::kMetricsBegin:
      if (!input.skipPayload(length) ||
          !readMetricsBlock(input, payload, state, *font, *style, locals.master))
        return fail;
      return next;
    case tag::kKerningBlockBegin:
      if (!input.skipPayload(length) || !readKerningBlock272(input, state, locals.master, locals.pending))
        return fail;
      return next;

    case tag::kNameTableBegin:
      return input.skipPayload(length) && readNameTableBlock() ? next : fail;
    case tag::kOldNameTableBegin:
      return input.skipPayload(length) && input.skipPast(tag::kNameTableEnd) ? next : fail;
    case tag::kOldGlyphBegin:
      return input.skipPayload(length) && readOldGlyphBlock(locals) ? next : fail;
    case tag::kSkippedGlyphBegin:
      return input.skipPayload(length) && input.skipPast(tag::kOldGlyphEnd) ? next : fail;

    case tag::kDefaultCharacter: {
      std::string text;
      if (!input.readRecordString(length, text)) return fail;
      style->names.namedStrings[info::kDefaultCharacterKey] = std::move(text);
      return next;
    }

    // ---- font-wide guides and outline
    case tag::kFontGuides:
      return load() && decodeGuidePositions(payload, font->globalLayer.guides, fileMasters) ? next : fail;
    case tag::kFontElement: {
      if (!load()) return fail;
      vn::Element element;
      int32_t stated = 0;
      if (!decodeOutlineElement(payload, locals.master, element, stated) || stated < 1) return fail;
      state.masterCount = stated;
      locals.readMasters = stated;
      font->globalLayer.elements.push_back(std::move(element));
      return next;
    }
    case tag::kFontGuideProperties:
      return load() && decodeGuideProperties(payload, font->globalLayer.guides) ? next : fail;

    case tag::kIgnored1742:
      return load() ? next : fail;
    case tag::kStyleOptions:
      return load() && decodeStyleOptions(payload, style->options) ? next : fail;
    case tag::kStyleOptionsTrailer:
      if (length != 2) return fail;
      input.readU16();
      return input.good() ? next : fail;

    // ---- glyphs
    case tag::kGlyph: {
      if (!load()) return fail;
      GlyphHolder holder;
      holder.glyph->index = static_cast<int32_t>(font->glyphCount());
      // Per-master values follow the file's master count as known now (the
      // font-information block may have set it after the read began).
      locals.readMasters = state.masterCount;
      if (!decodeGlyphRecord(payload, *holder.glyph, locals.readMasters, locals.master, locals.pending))
        return fail;
      if (locals.readMasters != state.masterCount) return fail;
      vn::Glyph* glyph = holder.take();
      font->appendGlyph(glyph);
      locals.glyph = glyph;
      locals.layer = &glyph->varnelData().bodyLayer();
      return next;
    }
    case tag::kEmptyGlyph:
      locals.glyph = nullptr;
      locals.layer = nullptr;
      return input.skipPayload(length) ? next : fail;
    case tag::kUnicodes16:
    case tag::kUnicodes32:
      if (!hasGlyph) return fail;
      return readUnicodes(locals, length, tag == tag::kUnicodes16 ? 2 : 4) ? next : fail;
    case tag::kLayerIgnored:
      return hasLayer && load() ? next : fail;
    case tag::kHintLinks:
      if (!hasLayer || !load()) return fail;
      if (locals.linkPointsOf != locals.layer) {
        locals.linkPoints = hintLinkPoints(*locals.layer);
        locals.linkPointsOf = locals.layer;
      }
      return decodeHintLinks(payload, *locals.layer, locals.linkPoints) ? next : fail;
    case tag::kMaskElement: {
      if (!hasGlyph || !load()) return fail;
      // A mask element that does not decode fails the read as a body element does,
      // instead of entering the mask half read.
      std::vector<double> weights;
      if (!decodeMasterWeights(payload, weights)) return fail;
      vn::Element element;
      int32_t stated = 0;
      if (!decodeOutlineElement(payload, locals.master, element, stated)) return fail;
      if (stated >= 1 && stated <= kMaxMasters) locals.readMasters = stated;
      styleMaskElement(element);
      locals.glyph->varnelData().maskLayer(true)->elements.push_back(std::move(element));
      return next;
    }
    case tag::kMarkColor:
      if (!hasGlyph || length != 2) return fail;
      locals.glyph->markColor = input.readU16();
      return input.good() ? next : fail;
    case tag::kGlyphIgnored:
      return hasGlyph && load() ? next : fail;
    case tag::kByteBlock:
      if (!hasGlyph) return fail;
      if (length == 0) return next;
      return input.readBytes(length, locals.glyph->byteBlock) ? next : fail;
    case tag::kGlyphNote:
    case tag::kGlyphDict: {
      if (!hasGlyph) return fail;
      std::string text;
      if (!input.readRecordString(length, text)) return fail;
      locals.glyph->namedStrings[tag == tag::kGlyphNote ? info::kNoteKey : info::kDictKey] = std::move(text);
      return next;
    }
    case tag::kPointLinks:
      return hasLayer && load() && decodePointLinks(payload, *locals.glyph, *locals.layer) ? next : fail;
    case tag::kPointLinkValues:
      return hasLayer && load() && decodePointLinkValues(payload, *locals.layer) ? next : fail;
    case tag::kAdvanceHeight: {
      if (!hasGlyph || !load()) return fail;
      for (int32_t j = 0; j < locals.readMasters; ++j) {
        const int32_t value = payload.readInt();
        if (static_cast<uint32_t>(j) == locals.master) locals.glyph->advanceHeight = value;
      }
      return payload.overrun() ? fail : next;
    }
    case tag::kLayerValues:
      if (!hasLayer || length != 4) return fail;
      locals.layer->value1 = input.readI16();
      locals.layer->value2 = input.readI16();
      return input.good() ? next : fail;
    case tag::kPointLinkReferences:
      return hasLayer && load() && decodePointLinkReferences(payload, *locals.layer, locals.master) ? next
                                                                                                    : fail;
    case tag::kLayerGuideProperties:
      return hasLayer && load() && decodeGuideProperties(payload, locals.layer->guides) ? next : fail;

    default:  // 1, 4, 2010, closing tags met on their own, unknown tags
      return input.skipPayload(length) ? next : fail;
  }
}

}  // namespace qtf
