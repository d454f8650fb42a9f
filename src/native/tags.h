// Constants of the native ".qtf" file shared by the reader and the writer: the header,
// the record framing, every record tag (those inside the font-information and metrics
// blocks included) and the keys the information blocks fill. Payload layouts live
// with their decoders; the bounds against hostile input in native/limits.h.
#pragma once

#include <cstdint>

#include "native/limits.h"

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

// font-information block: records the record loop also meets
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

// ---- font-information block (257 ... 513)
inline constexpr uint16_t kFamilyName = 1024;          // held text A
inline constexpr uint16_t kFullName = 1025;
inline constexpr uint16_t kFontName = 1026;            // held text B
inline constexpr uint16_t kMenuName = 1027;            // held text C
inline constexpr uint16_t kWeightName = 1028;
inline constexpr uint16_t kItalicAngle = 1029;
inline constexpr uint16_t kUnderlinePosition = 1030;
inline constexpr uint16_t kUnderlineThickness = 1031;
inline constexpr uint16_t kFixedPitch = 1034;
inline constexpr uint16_t kCopyright = 1037;
inline constexpr uint16_t kDescription = 1038;
inline constexpr uint16_t kSource = 1039;
inline constexpr uint16_t kAscender = 1040;
inline constexpr uint16_t kDescender = 1041;
inline constexpr uint16_t kCapHeight = 1042;
inline constexpr uint16_t kXHeight = 1043;
inline constexpr uint16_t kUniqueId = 1044;
inline constexpr uint16_t kVersionText = 1046;
inline constexpr uint16_t kSlantAngle = 1047;
inline constexpr uint16_t kWeightValue = 1048;
inline constexpr uint16_t kWindowsCharacterSet = 1054;
inline constexpr uint16_t kMsIdOld = 1055;
inline constexpr uint16_t kLinkingFamily = 1056;       // held text D
inline constexpr uint16_t kPclId = 1057;
inline constexpr uint16_t kVpId = 1058;
inline constexpr uint16_t kPclCharSet = 1059;
inline constexpr uint16_t kMsId = 1060;
inline constexpr uint16_t kTrademark = 1061;
inline constexpr uint16_t kDesigner = 1062;
inline constexpr uint16_t kDesignerUrl = 1063;
inline constexpr uint16_t kVendorUrl = 1064;
inline constexpr uint16_t kWidthName = 1065;
inline constexpr uint16_t kDroppedNumbers = 1068;
inline constexpr uint16_t kLicense = 1069;
inline constexpr uint16_t kLicenseUrl = 1070;
inline constexpr uint16_t kFondId = 1090;
inline constexpr uint16_t kMacName = 1092;
inline constexpr uint16_t kFlag1093 = 1093;
inline constexpr uint16_t kPanose = 1118;
inline constexpr uint16_t kVendorCode = 1121;
inline constexpr uint16_t kLinkingStyle = 1127;        // held text E
inline constexpr uint16_t kTrueTypeVersion = 1128;
inline constexpr uint16_t kUniqueIdText = 1129;
inline constexpr uint16_t kVersionMajor = 1130;
inline constexpr uint16_t kVersionMinor = 1131;
inline constexpr uint16_t kYear = 1132;
inline constexpr uint16_t kNumberList = 1133;
inline constexpr uint16_t kNumberCount = 1134;
inline constexpr uint16_t kUnitsPerEm = 1135;
inline constexpr uint16_t kStyleRecord = 1136;
inline constexpr uint16_t kStyleName = 1137;           // held text F
inline constexpr uint16_t kDiscardedTable = 1138;
inline constexpr uint16_t kCompatibleFullName = 1139;
inline constexpr uint16_t kSampleText = 1140;
inline constexpr uint16_t kNameRecords = 1141;
inline constexpr uint16_t kZones = 1255;
inline constexpr uint16_t kTableCvt = 1261;
inline constexpr uint16_t kTablePrep = 1262;
inline constexpr uint16_t kTableFpgm = 1263;
inline constexpr uint16_t kTrueTypeInfo = 1264;
inline constexpr uint16_t kGasp = 1265;
inline constexpr uint16_t kStemPairSteps = 1266;
inline constexpr uint16_t kSelection = 1267;
inline constexpr uint16_t kStemSteps = 1268;
inline constexpr uint16_t kStemNames = 1269;
inline constexpr uint16_t kHheaLineGap = 1270;
inline constexpr uint16_t kTriplets = 1271;
inline constexpr uint16_t kParamSecond = 1272;
inline constexpr uint16_t kZoneSteps = 1273;
inline constexpr uint16_t kParamFirst = 1274;
inline constexpr uint16_t kParamThird = 1275;
inline constexpr uint16_t kHheaAscender = 1278;
inline constexpr uint16_t kHheaDescender = 1279;
inline constexpr uint16_t kMasterValues = 1517;
inline constexpr uint16_t kStemFirstStep = 1524;
inline constexpr uint16_t kBlueValuesCount = 1530;
inline constexpr uint16_t kOtherBluesCount = 1531;
inline constexpr uint16_t kFamilyBluesCount = 1532;
inline constexpr uint16_t kFamilyOtherBluesCount = 1533;
inline constexpr uint16_t kStemSnapHCount = 1534;
inline constexpr uint16_t kStemSnapVCount = 1535;
inline constexpr uint16_t kParamFourth = 1604;
inline constexpr uint16_t kBinaryTable = 2014;
inline constexpr uint16_t kOpaqueBytes = 2016;
inline constexpr uint16_t kUnicodeRanges = 2021;
inline constexpr uint16_t kNativeFlag = 2022;
inline constexpr uint16_t kNote = 2025;
inline constexpr uint16_t kSpareValue = 2032;
inline constexpr uint16_t kDict = 2033;

// ---- metrics block (271 ... 527)
inline constexpr uint16_t kMetricsRecord = 1536;
inline constexpr uint16_t kAxisCount = 1513;
inline constexpr uint16_t kAxisName = 1514;
inline constexpr uint16_t kMappingCounts = 1515;
inline constexpr uint16_t kMappingPoints = 1516;
inline constexpr uint16_t kMappingStream = 1523;
inline constexpr uint16_t kMasterName = 1504;
inline constexpr uint16_t kMasterPosition = 1505;
inline constexpr uint16_t kDesignRecords = 1247;
inline constexpr uint16_t kDesignRecordStream = 1254;
// ---- block 272
inline constexpr uint16_t kMasterKerning = 1410;
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

inline constexpr double kGuideSlopeScale = 10000.0;

// Record 10 keys as written: key 1 = 0, key 2 = 83886081, key 3 = 0.
inline constexpr int32_t kFileInfoKey2Value = 83886081;

// ---- font-information and metrics blocks: keys, flags and sizes
namespace info {
inline constexpr uint32_t kMetricsRecordSize = 400;

// ---- keys of the named maps (a glyph's "note" and "dict", records 2017 and 2034, too)
inline constexpr const char* kCopyrightKey = "copyright";
inline constexpr const char* kDescriptionKey = "description";
inline constexpr const char* kSourceKey = "source";
inline constexpr const char* kTrademarkKey = "trademark";
inline constexpr const char* kDesignerKey = "designer";
inline constexpr const char* kDesignerUrlKey = "url_designer";
inline constexpr const char* kVendorUrlKey = "url_vendor";
inline constexpr const char* kLicenseKey = "license";
inline constexpr const char* kLicenseUrlKey = "url_license";
inline constexpr const char* kPclCharSetKey = "pcl_char_set";
inline constexpr const char* kPclIdKey = "pcl_id";
inline constexpr const char* kVpIdKey = "vp_id";
inline constexpr const char* kMsIdKey = "ms_id";
inline constexpr const char* kPanoseKey = "panose";
inline constexpr const char* kVendorCodeKey = "vendor_code";
inline constexpr const char* kTrueTypeVersionKey = "tt_version";
inline constexpr const char* kUidKey = "uid";
inline constexpr const char* kSampleTextKey = "sample_text";
inline constexpr const char* kNoteKey = "note";
inline constexpr const char* kDictKey = "dict";
// Style named string of record 1066.
inline constexpr const char* kDefaultCharacterKey = "postscriptDefaultCharacter";
inline constexpr const char* kUniqueIdKey = "postscriptUniqueID";
inline constexpr const char* kWindowsCharacterSetKey = "postscriptWindowsCharacterSet";
inline constexpr const char* kYearKey = "year";
inline constexpr const char* kHheaLineGapKey = "hhea_line_gap";
inline constexpr const char* kHheaAscenderKey = "hhea_ascender";
inline constexpr const char* kHheaDescenderKey = "hhea_descender";
inline constexpr const char* kAverageWidthKey = "average_width";
inline constexpr const char* kMaxWidthKey = "max_width";
inline constexpr const char* kDefaultWidthKey = "default_width";
inline constexpr const char* kBlueValuesCountKey = "bvn";
inline constexpr const char* kOtherBluesCountKey = "obn";
inline constexpr const char* kFamilyBluesCountKey = "fbn";
inline constexpr const char* kFamilyOtherBluesCountKey = "fobn";

// Binary tables carried by the block.
inline constexpr const char* kCvtTable = "cvt ";
inline constexpr const char* kPrepTable = "prep";
inline constexpr const char* kFpgmTable = "fpgm";

// Class-flag bits of record 2026.
inline constexpr int32_t kFirstSideFlag = 0x400;
inline constexpr int32_t kSecondSideFlag = 0x800;

// Selection bits of record 1267.
inline constexpr int32_t kSelectionItalic = 0x001;
inline constexpr int32_t kSelectionBold = 0x020;
inline constexpr int32_t kSelectionRegular = 0x040;
inline constexpr int32_t kSelectionOblique = 0x200;

// Sizes of the four blue arrays of the metrics record, in values.
inline constexpr int32_t kBlueValuesSize = 14;
inline constexpr int32_t kOtherBluesSize = 10;
inline constexpr int32_t kStemSnapSize = 12;
}  // namespace info

}  // namespace qtf
