// CFF reader: the glyph tables (charset, Encoding with supplements, FDSelect).
#include <algorithm>
#include <map>
#include <span>

#include "feacompiler/tables/cff_reader_impl.h"

namespace fea {

void CffReaderState::readGlyphTables() {
  const uint32_t glyphCount = std::min<uint32_t>(charStrings.count, 65536);
  glyphs.assign(glyphCount, CffGlyphRecord{});
  if (charsetOffset <= 2 && !cid) {
    const std::span<const uint16_t> table = charsetOffset == 1 ? cffExpertCharset()
                                            : charsetOffset == 2 ? cffExpertSubsetCharset()
                                                                 : std::span<const uint16_t>();
    for (uint32_t g = 0; g < glyphCount; ++g)
      glyphs[g].id = charsetOffset == 0 ? static_cast<uint16_t>(g) : g < table.size() ? table[g] : 0;
  } else if (glyphCount > 0) {
    seekTo(charsetOffset);
    const uint8_t format = byte();
    uint32_t g = 1;
    if (format == 0) {
      for (; g < glyphCount; ++g) glyphs[g].id = static_cast<uint16_t>(bigEndian(2));
    } else if (format == 1 || format == 2) {
      while (g < glyphCount) {
        uint32_t first = bigEndian(2);
        uint32_t more = bigEndian(format == 1 ? 1 : 2);
        for (uint32_t i = 0; i <= more && g < glyphCount; ++i) glyphs[g++].id = static_cast<uint16_t>(first + i);
      }
    } else {
      fail(cffmsg::kCharsetFormat);
    }
  }

  if (cid) {
    if (!hasFDSelect) fail(cffmsg::kNoFDSelect);
    seekTo(fdSelectOffset);
    const uint8_t format = byte();
    if (format == 0) {
      for (uint32_t g = 0; g < glyphCount; ++g) glyphs[g].fd = byte();
    } else if (format == 3) {
      const uint32_t ranges = bigEndian(2);
      uint32_t first = bigEndian(2);
      for (uint32_t r = 0; r < ranges; ++r) {
        const uint8_t fd = byte();
        const uint32_t next = bigEndian(2);
        for (uint32_t g = first; g < next && g < glyphCount; ++g) glyphs[g].fd = fd;
        first = next;
      }
    } else {
      fail(cffmsg::kFDSelectFormat);
    }
    for (auto& glyph : glyphs)
      if (glyph.fd >= fonts.size()) fail(cffmsg::kRangeCheck);
  } else if (encodingOffset <= 1) {
    std::map<uint16_t, uint16_t> codeOfSid;
    for (int code = 255; code >= 0; --code) {
      const uint16_t sid = encodingOffset == 0 ? cffStandardEncodingSid(static_cast<uint8_t>(code))
                                               : cffExpertEncodingSid(static_cast<uint8_t>(code));
      if (sid != 0) codeOfSid[sid] = static_cast<uint16_t>(code);
    }
    for (auto& glyph : glyphs) {
      const auto found = codeOfSid.find(glyph.id);
      if (found != codeOfSid.end()) glyph.code = found->second;
    }
  } else {
    seekTo(encodingOffset);
    const uint8_t format = byte();
    uint32_t g = 1;
    if ((format & 0x7f) == 0) {
      const uint8_t codes = byte();
      for (uint32_t i = 0; i < codes; ++i, ++g) {
        const uint8_t code = byte();
        if (g < glyphCount) glyphs[g].code = code;
      }
    } else if ((format & 0x7f) == 1) {
      const uint8_t ranges = byte();
      for (uint32_t r = 0; r < ranges; ++r) {
        const uint32_t first = byte();
        const uint32_t more = byte();
        for (uint32_t i = 0; i <= more; ++i, ++g)
          if (g < glyphCount) glyphs[g].code = static_cast<uint16_t>((first + i) & 0xff);
      }
    } else {
      fail(cffmsg::kEncodingFormat);
    }
    if (format & 0x80) {
      const uint8_t supplements = byte();
      for (uint32_t i = 0; i < supplements; ++i) {
        const uint8_t code = byte();
        const uint16_t sid = static_cast<uint16_t>(bigEndian(2));
        auto glyph = std::find_if(glyphs.begin(), glyphs.end(),
                                  [sid](const CffGlyphRecord& r) { return r.id == sid; });
        if (glyph == glyphs.end()) fail(cffmsg::kSupplement);
        glyph->supplements.push_back(code);
      }
    }
  }
  tablesRead = true;
}

}  // namespace fea
