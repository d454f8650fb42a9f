// A style and font with every field the information blocks carry set to a value
// other than its default.
#pragma once

#include "native/info_truetype.h"
#include "test_writer_support.h"

namespace writertest {

inline vn::Zone zone(double position, double width, uint8_t kind, std::string name = {}, vn::StepMap steps = {}) {
  vn::Zone z;
  z.position = position;
  z.width = width;
  z.kind = kind;
  z.name = std::move(name);
  z.steps = std::move(steps);
  return z;
}

inline vn::Stem stem(std::string name, double width, vn::StepMap steps) {
  vn::Stem s;
  s.name = std::move(name);
  s.width = width;
  s.steps = std::move(steps);
  return s;
}

inline void fillStyle(vn::Style& style) {
  vn::FontNames& n = style.names;
  n.familyName = "Tarn Sans";
  n.styleName = "Bold Italic";
  n.styleMapFamilyName = "Tarn Sans";
  n.styleMapStyleName = "Bold Italic";
  n.fullName = "Tarn Sans Bold Italic";
  n.fontName = "TarnSans-BoldItalic";
  n.macName = "TarnSansMac";
  n.compatibleFullName = "Tarn Sans Compatible";
  n.weightName = "Bold";
  n.widthName = "Expanded";
  n.version = "2.5";
  n.namedStrings = {{"copyright", "(c) Tarn"},      {"description", "A test face"}, {"source", "built in code"},
                    {"trademark", "Tarn is a mark"}, {"designer", "A. Designer"},   {"url_designer", "http://d"},
                    {"url_vendor", "http://v"},      {"license", "Free"},            {"url_license", "http://l"},
                    {"pcl_char_set", "8U"},          {"pcl_id", "12"},               {"vp_id", "13"},
                    {"ms_id", "14"},                 {"panose", "2 11 5 3 4 5 6 7 8 9"},
                    {"vendor_code", "TARN"},         {"tt_version", "Version 2.5"},  {"uid", "uid-1"},
                    {"sample_text", "Sample"},       {"note", "A note"},             {"dict", "/Dict"}};
  style.namedIntegers = {{"postscriptUniqueID", 4000123},
                         {"postscriptWindowsCharacterSet", 1},
                         {"year", 2020},
                         {qtf::kLowestRecPpemKey, 9},
                         {"head_units_per_em", 1000},
                         {"head_font_direction_hint", 2},
                         {"ibm_family_class", 0x0805}};
  vn::FontMetrics& m = style.metrics;
  m.unitsPerEm = 1000;
  m.ascender = 760;
  m.descender = -240;
  m.typoLineGap = 90;
  m.winAscent = 900;
  m.winDescent = 300;
  m.capHeight = 700;
  m.xHeight = 520;
  m.widthValue = 7;
  m.weightValue = 700;
  m.italicAngle = -11.5;
  m.underlinePosition = -75;
  m.underlineThickness = 50;
  m.spareValue = 3;
  m.matrix = vn::Matrix{1, 0, 0.25, 1, 0, 0};
  m.namedNumbers = {{"hhea_line_gap", 90},        {"hhea_ascender", 800},       {"hhea_descender", -200},
                    {"subscript_x_size", 650},    {"subscript_y_size", 600},    {"subscript_x_offset", 0},
                    {"subscript_y_offset", 75},   {"superscript_x_size", 650},  {"superscript_y_size", 600},
                    {"superscript_x_offset", 0},  {"superscript_y_offset", 350}, {"strikeout_size", 50},
                    {"strikeout_position", 300},  {"average_width", 480},       {"max_width", 1200},
                    {"default_width", 500}};
  vn::StyleFlags& f = style.flags;
  f.isBold = 1;
  f.isItalic = 1;
  f.isFixedPitch = 1;
  f.headFlags.fromMask(0x0B);
  f.selectionFlags.fromMask(0x021 | 0x080);
  f.embedding = vn::Embedding{2, 1, 0};
  f.numberList = {7, 0, 9};
  vn::StyleTables& t = style.tables;
  t.unicodeRanges[0] = t.unicodeRanges[33] = t.unicodeRanges[127] = true;
  t.codePageRanges[0] = t.codePageRanges[63] = true;
  t.nameRecords = {vn::NameRecord{3, 1, 0x409, 0, 1, 77, "Tarn"}, vn::NameRecord{1, 0, 0, 0, 2, -5, "Bold"}};
  t.nameMap1 = {{1, "first map"}, {7, "seven"}};
  t.nameMap2 = {{2, "second map"}};
  t.nameValue = 3;
  style.extraRecord.absent = 0;
  style.extraRecord.value = 123456;
  style.extraRecord.shorts = {1, 2, 3, 4, 5, 65535};
  style.extraRecord.block16.fill(0xA5);
  style.extraRecord.block8.fill(0x5A);
  style.extraRecord.block6 = {1, 2, 3, 4, 5, 6};
  style.extraRecord.bytes = {7, 8, 9};
  style.opaqueBytes = {1, 2, 3, 250};
  style.options.integers[3] = 1234;
  style.options.ratios[1] = 1.5;
  style.options.offsets = {-10, 20, -30, 40};
  style.options.moreIntegers = {1, 2, 3, 4};
  style.options.packedFlags20 = {false, true, false, true, true, false};
  style.options.byteOptions[5] = 0;
  style.options.byteOptions[20] = 1;
  style.options.keyedIntegers = {5, 6, 7, 8};
  style.options.packedFlags48 = {true, false, true, false, false, true, true};
  style.options.nativeFlag = 1;
}

inline void fillFont(vn::Font& font) {
  font.fileInfo.fondId = 321;
  font.masterValues = {vn::MasterValue{12.5, 0.0}};
  vn::FontHinting& h = font.hinting;
  h.forceBold = 1;
  h.stemsH = {stem("h01", 80, {{1, 9}, {2, 10}, {3, 11}, {4, 12}, {5, 13}, {6, 14}})};
  h.stemsV = {stem("v01", 90, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}),
              stem("v02", 95, {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 7}})};
  h.stemsH2 = {stem("", 88, {}), stem("", 90, {})};
  h.stemsV2 = {stem("", 92, {})};
  h.zones = {zone(700, 12, 1, "top00"), zone(0, 15, 0, "bottom00", {{12, 1}, {20, 2}}),
             zone(500, 10, 1, "top01", {{9, 3}})};
  h.zones2 = {zone(0, 15, 0), zone(500, 10, 1), zone(700, 12, 1), zone(-200, 10, 0)};
  h.zones3 = {zone(0, 16, 0), zone(510, 10, 1), zone(-210, 12, 0)};
  h.blueFuzz = 2;
  h.blueShift = 9;
  h.blueScale = 0.05;
  h.flag1093 = 1;
  h.hintValue1 = 3;
  h.hintValue2 = 4;
  h.params4 = {40, 60, 1, 200};
  h.tripletList = {vn::TripletRecord{1, -2, 3}, vn::TripletRecord{65535, 32767, -32768}};
  h.codeBytes = {1, 2, 255};
  vn::GaspRange range;
  range.ppem = 8;
  range.flags = {false, true, false, false};
  vn::GaspRange range2;
  range2.ppem = 65535;
  range2.flags = {true, true, true, true};
  h.gaspRanges = {range, range2};
  h.ttParams = {1, 2, 3, 4, 5, 6};
  font.tables["cvt "] = {0, 10, 0, 20};
  font.tables["prep"] = {0xB0, 1};
  font.tables["fpgm"] = {0xB0, 2};
}

}  // namespace writertest
