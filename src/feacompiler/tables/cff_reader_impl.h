// The CFF reader's own state, shared by its header, table and charstring parts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "feacompiler/tables/cff_reader.h"

namespace fea {

// Message texts of the reader (those ending in a newline carry it).
namespace cffmsg {
inline constexpr const char* kPrematureEnd = "premature end of data";
inline constexpr const char* kVersion = "unknown CFF version";
inline constexpr const char* kFontSet = "multiple-font FontSet";
inline constexpr const char* kBcdNibble = "reserved nibble code (BCD op)";
inline constexpr const char* kBcdOverflow = "BCD buffer overflow";
inline constexpr const char* kEmptyDict = "empty DICT";
inline constexpr const char* kReservedDictOp = "reserved DICT op";
inline constexpr const char* kFontType = "unsupported font type";
inline constexpr const char* kCharstringType = "unsupported charstring type";
inline constexpr const char* kNoFDArray = "missing FDArray operator";
inline constexpr const char* kFdPrivate = "FD missing Private operator";
inline constexpr const char* kNoCharStrings = "no CharStrings!";
inline constexpr const char* kCharsetFormat = "reserved charset format";
inline constexpr const char* kEncodingFormat = "reserved Encoding format";
inline constexpr const char* kSupplement = "supplement SID not found";
inline constexpr const char* kNoFDSelect = "missing FDSelect operator";
inline constexpr const char* kFDSelectFormat = "reserved FDSelect format";
inline constexpr const char* kGidRange = "gid out-of-range";
inline constexpr const char* kProc = "bad NDV/CDV proc";
inline constexpr const char* kIndexBounds = "INDEX bounds";
inline constexpr const char* kBlend = "bounds check (blend)\n";
inline constexpr const char* kDivide = "divide by zero (div)";
inline constexpr const char* kPut = "bounds check (put)\n";
inline constexpr const char* kGet = "bounds check (get)\n";
inline constexpr const char* kLoad = "bounds check (load)\n";
inline constexpr const char* kStore = "bounds check (store)\n";
inline constexpr const char* kRegistry = "unknown registry item\n";
inline constexpr const char* kSeac = "bad seac\n";
inline constexpr const char* kReservedOp = "reserved charstring op";
inline constexpr const char* kFontMatrix = "bad FontMatrix";
inline constexpr const char* kOverflow = "stack overflow";
inline constexpr const char* kUnderflow = "stack underflow";
inline constexpr const char* kStackCheck = "stack check";
inline constexpr const char* kRangeCheck = "range check\n";
inline constexpr const char* kOpsLimit = "charstring runs too long";
}  // namespace cffmsg

// Escaped operators (DICT and charstring) are numbered 1200 + their second byte.
inline constexpr int kCffEscape = 1200;

// Bounds against hostile data.
namespace cfflimit {
inline constexpr int kStack = 48;          // Type 2 argument stack
inline constexpr int kSubrDepth = 10;      // nested subroutine calls
inline constexpr int kTransient = 32;      // transient array without a multiple-master size
inline constexpr int kMaxAxes = 15;
inline constexpr int kMaxMasters = 16;
inline constexpr uint32_t kOpsPerGlyph = 1u << 20;  // operators and operands per glyph run
}  // namespace cfflimit

struct CffFontDict {
  uint32_t privateOffset = 0;
  uint32_t privateSize = 0;
  bool hasPrivate = false;
  CffIndex subrs;
  int32_t subrBias = 0;
  double defaultWidth = 0.0;
  double nominalWidth = 0.0;
};

struct CffGlyphRecord {
  uint16_t id = 0;
  uint16_t code = 65535;
  uint16_t fd = 0;
  std::vector<uint16_t> supplements;
};

struct CffReaderState {
  explicit CffReaderState(CffReaderClient& c) : client(c) {}

  CffReaderClient& client;

  // State flags.
  bool headerRead = false;
  bool tablesRead = false;
  bool cid = false;
  bool designVectorGiven = false;
  bool designVectorApplied = false;
  bool widthOnly = false;
  // Metric mode: the data source ends at metricEnd.
  bool metricMode = false;
  uint32_t metricEnd = 0;

  // Data cursor.
  const uint8_t* data = nullptr;
  size_t left = 0;
  uint32_t position = 0;
  // A stand-alone charstring replaces the client's data while it runs.
  const uint8_t* ownData = nullptr;
  size_t ownLength = 0;

  CffIndex names, topDicts, strings, globalSubrs, charStrings, fdArray;
  int32_t globalBias = 0;

  // Top DICT values.
  uint32_t charsetOffset = 0;
  uint32_t encodingOffset = 0;
  uint32_t charStringsOffset = 0;
  bool hasCharStrings = false;
  uint32_t fdArrayOffset = 0;
  bool hasFDArray = false;
  uint32_t fdSelectOffset = 0;
  bool hasFDSelect = false;
  bool hasMatrix = false;
  std::array<double, 6> matrix{0.001, 0, 0, 0.001, 0, 0};
  int32_t ndvSid = -1;
  int32_t cdvSid = -1;
  int masters = 0;
  int axes = 0;
  int transientSize = cfflimit::kTransient;

  std::vector<CffFontDict> fonts;  // one for a name-keyed font
  std::vector<CffGlyphRecord> glyphs;

  // Registry items: 0 weight vector, 1 normalised design vector, 2 user design vector.
  std::array<std::array<double, cfflimit::kMaxMasters>, 3> registry{};

  // Operand stack and the glyph being run.
  std::array<double, cfflimit::kStack + 2> stack{};
  int count = 0;
  std::vector<double> transient;

  // ---- shared helpers (cff_reader.cpp)
  [[noreturn]] void fail(const char* text);
  void seekTo(uint32_t offset);
  uint8_t byte();
  uint32_t bigEndian(int size);
  void readIndex(CffIndex& index);
  uint32_t indexElement(const CffIndex& index, uint32_t element, uint32_t& length);
  void readHeader();
  void readGlyphTables();
  // Runs a charstring; metric mode ends at its data's end.
  void runGlyph(uint32_t gid, CffGlyphInfo& info);
  void runProcedure(int32_t sid);
};

// Charset and Encoding tables of the format's predefined forms (cff_predefined.cpp).
uint16_t cffStandardEncodingSid(uint8_t code);
uint16_t cffExpertEncodingSid(uint8_t code);
std::span<const uint16_t> cffExpertCharset();
std::span<const uint16_t> cffExpertSubsetCharset();

}  // namespace fea
