// Constants of the native ".qtf" file shared by the reader and the writer: the header,
// the record framing and every record tag. Payload layouts live with their decoders.
#pragma once

#include <cstdint>

namespace qtf {

// ---- file header (44 bytes, little-endian)
inline constexpr uint32_t kMagic = 0x464C571A;  // bytes 1A 57 4C 46
inline constexpr uint8_t kMajorMark = '1';
inline constexpr uint8_t kMinorMark = '0';
inline constexpr uint8_t kFormatVersion = 3;
inline constexpr uint32_t kHeaderSize = 44;
inline constexpr int kHeaderReservedWords = 8;

// ---- record framing: u16 tag, u16 length, and a u16 high half when bit 15 is set
inline constexpr uint16_t kLongLengthFlag = 0x8000;
inline constexpr uint16_t kTagMask = 0x7FFF;
inline constexpr uint32_t kLongLengthThreshold = 65536;

namespace tag {
// stream structure
inline constexpr uint16_t kMarker = 1;
inline constexpr uint16_t kEnd = 2;
inline constexpr uint16_t kStart = 4;
inline constexpr uint16_t kFontEnd = 5;
inline constexpr uint16_t kFileInfo = 10;

// blocks and their closing tags
inline constexpr uint16_t kFontInfoBegin = 257;
inline constexpr uint16_t kFontInfoEnd = 513;
inline constexpr uint16_t kNameTableBegin = 262;
inline constexpr uint16_t kOldNameTableBegin = 268;  // skipped with its content
inline constexpr uint16_t kNameTableEnd = 518;       // closes 262 and 268
inline constexpr uint16_t kMetricsBegin = 271;
inline constexpr uint16_t kMetricsEnd = 527;
inline constexpr uint16_t kKerningBlockBegin = 272;
inline constexpr uint16_t kKerningBlockEnd = 528;
inline constexpr uint16_t kOldGlyphBegin = 1236;
inline constexpr uint16_t kSkippedGlyphBegin = 1239;  // skipped with its content
inline constexpr uint16_t kOldGlyphEnd = 1231;        // closes 1236 and 1239

// name-table block
inline constexpr uint16_t kNameTableFirstMap = 1500;
inline constexpr uint16_t kNameTableSecondMap = 1501;
inline constexpr uint16_t kNameTableValue = 1502;

// font-information block (payloads with the font-information decoders)
inline constexpr uint16_t kMasterCount = 1503;
inline constexpr uint16_t kFeatureText = 1276;
inline constexpr uint16_t kClassDefinition = 1277;
inline constexpr uint16_t kClassFlags = 2026;

// top-level records
inline constexpr uint16_t kDefaultCharacter = 1066;
inline constexpr uint16_t kUnicodes16 = 1250;
inline constexpr uint16_t kUnicodes32 = 1253;
inline constexpr uint16_t kFontGuides = 1294;
inline constexpr uint16_t kFontElement = 1295;
inline constexpr uint16_t kFontGuideProperties = 1296;
inline constexpr uint16_t kIgnored1742 = 1742;
inline constexpr uint16_t kStyleOptions = 1743;
inline constexpr uint16_t kStyleOptionsTrailer = 1744;

// glyph records
inline constexpr uint16_t kGlyph = 2001;
inline constexpr uint16_t kEmptyGlyph = 2006;
inline constexpr uint16_t kLayerIgnored = 2007;
inline constexpr uint16_t kHintLinks = 2008;
inline constexpr uint16_t kMaskElement = 2009;
inline constexpr uint16_t kGlyphFlags = 2010;
inline constexpr uint16_t kMarkColor = 2012;
inline constexpr uint16_t kGlyphIgnored = 2013;
inline constexpr uint16_t kByteBlock = 2015;
inline constexpr uint16_t kGlyphNote = 2017;
inline constexpr uint16_t kPointLinks = 2018;
inline constexpr uint16_t kPointLinkValues = 2020;
inline constexpr uint16_t kAdvanceHeight = 2023;
inline constexpr uint16_t kLayerValues = 2027;
inline constexpr uint16_t kPointLinkReferences = 2029;
inline constexpr uint16_t kLayerGuideProperties = 2031;
inline constexpr uint16_t kGlyphDict = 2034;

// inner records of the older glyph block
inline constexpr uint16_t kOldGlyphName = 1232;
inline constexpr uint16_t kOldMasterCount = 1235;
inline constexpr uint16_t kOldAdvanceWidths = 1237;
inline constexpr uint16_t kOldAdvances = 1248;
inline constexpr uint16_t kOldElement = 2002;
inline constexpr uint16_t kOldHints = 2003;
inline constexpr uint16_t kOldGuides = 2004;
inline constexpr uint16_t kOldAdvancePairs = 2005;
}  // namespace tag

// ---- glyph record (tag 2001)
inline constexpr uint8_t kGlyphSignature[4] = {1, 9, 7, 1};

namespace glyphkey {
inline constexpr uint8_t kName = 1;
inline constexpr uint8_t kAdvance = 2;
inline constexpr uint8_t kHints = 3;
inline constexpr uint8_t kGuides = 4;
inline constexpr uint8_t kComponents = 5;
inline constexpr uint8_t kKerning = 6;
inline constexpr uint8_t kStop = 7;
inline constexpr uint8_t kElement = 8;
inline constexpr uint8_t kTrueType = 9;
inline constexpr uint8_t kCommands = 10;
inline constexpr uint8_t kClose = 15;  // what the writer puts last
}  // namespace glyphkey

// ---- outline element node records: bits 0..3 kind, bit 4 node flag, bit 7 contour flag
namespace nodekind {
inline constexpr uint8_t kMove = 0;
inline constexpr uint8_t kLine = 1;
inline constexpr uint8_t kCurve = 3;
inline constexpr uint8_t kQuadratic = 4;
inline constexpr uint8_t kKindMask = 0x0F;
inline constexpr uint8_t kNodeFlag = 0x10;
inline constexpr uint8_t kContourFlag = 0x80;
}  // namespace nodekind

// hint replacement kinds as stored
inline constexpr uint8_t kReplaceHorizontal = 1;
inline constexpr uint8_t kReplaceVertical = 2;
inline constexpr uint8_t kReplacePoint = 255;

// ---- limits
inline constexpr int32_t kMaxMasters = 16;
inline constexpr int32_t kMaxListCount = 5000;     // hint and guide lists
inline constexpr uint32_t kMaxOldGlyphName = 40;   // older glyph block name record
inline constexpr uint32_t kMaxGlyphName = 255;     // glyph record key 1
inline constexpr double kGuideSlopeScale = 10000.0;

// Record 10 keys as written: key 1 = 0, key 2 = 83886081, key 3 = 0.
inline constexpr int32_t kFileInfoKey2Value = 83886081;

}  // namespace qtf
