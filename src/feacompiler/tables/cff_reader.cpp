// CFF reader: data cursor, INDEXes, DICTs, the header and the glyph tables.
#include "feacompiler/tables/cff_reader.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <cmath>
#include <functional>
#include <map>

#include "feacompiler/tables/cff_reader_impl.h"

namespace fea {

const uint8_t* CffMemoryClient::seek(uint32_t offset, size_t& count) {
  if (offset >= data_.size()) {
    count = 0;
    return nullptr;
  }
  count = data_.size() - offset;
  return data_.data() + offset;
}

const uint8_t* CffMemoryClient::refill(size_t& count) {
  count = 0;  // seek handed out everything to the end
  return nullptr;
}

CffReader::CffReader(CffReaderClient& client) : state_(std::make_unique<CffReaderState>(client)) {}
CffReader::~CffReader() = default;

// ---- cursor

void CffReaderState::fail(const char* text) {
  ownData = nullptr;
  ownLength = 0;
  metricMode = false;
  client.message(3, text);
  // The reader's storage is released by its owner; the client's fatal leaves for good.
  client.fatal();
  std::terminate();  // a client whose fatal returns breaks its contract
}

void CffReaderState::seekTo(uint32_t offset) {
  position = offset;
  if (ownData) {
    if (offset >= ownLength) {
      data = nullptr;
      left = 0;
    } else {
      data = ownData + offset;
      left = ownLength - offset;
    }
    return;
  }
  data = client.seek(offset, left);
  if (!data) left = 0;
}

uint8_t CffReaderState::byte() {
  if (left == 0) {
    if (!ownData) data = client.refill(left);
    if (!data || left == 0) {
      left = 0;
      fail(cffmsg::kPrematureEnd);
    }
  }
  --left;
  ++position;
  return *data++;
}

uint32_t CffReaderState::bigEndian(int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = (value << 8) | byte();
  return value;
}

// ---- INDEX

void CffReaderState::readIndex(CffIndex& index) {
  index = CffIndex{};
  index.count = bigEndian(2);
  if (index.count == 0) {
    index.offsetArray = position;
    index.data = position;
    return;
  }
  index.offSize = byte();
  if (index.offSize < 1 || index.offSize > 4) fail(cffmsg::kIndexBounds);
  index.offsetArray = position;
  index.data = position + (index.count + 1) * index.offSize - 1;
  // Leave the cursor after the INDEX: the last offset gives its end.
  seekTo(index.offsetArray + index.count * index.offSize);
  const uint32_t last = bigEndian(index.offSize);
  if (last < 1) fail(cffmsg::kIndexBounds);
  seekTo(index.data + last);
}

uint32_t CffReaderState::indexElement(const CffIndex& index, uint32_t element, uint32_t& length) {
  if (element >= index.count) fail(cffmsg::kIndexBounds);
  seekTo(index.offsetArray + element * index.offSize);
  const uint32_t first = bigEndian(index.offSize);
  const uint32_t next = bigEndian(index.offSize);
  if (first < 1 || next < first) fail(cffmsg::kIndexBounds);
  length = next - first;
  return index.data + first;
}

// ---- DICT

namespace {

constexpr int kEscape = kCffEscape;
constexpr size_t kBcdLength = 64;

using DictHandler = std::function<void(int op, const std::vector<double>& operands)>;

double readReal(CffReaderState& s) {
  char text[kBcdLength + 4];
  size_t used = 0;
  auto put = [&](char c) {
    if (used >= kBcdLength) s.fail(cffmsg::kBcdOverflow);
    text[used++] = c;
  };
  for (;;) {
    const uint8_t pair = s.byte();
    for (int half = 0; half < 2; ++half) {
      const int nibble = half == 0 ? pair >> 4 : pair & 15;
      if (nibble <= 9) {
        put(static_cast<char>('0' + nibble));
      } else if (nibble == 0xa) {
        put('.');
      } else if (nibble == 0xb) {
        put('E');
      } else if (nibble == 0xc) {
        put('E');
        put('-');
      } else if (nibble == 0xd) {
        s.fail(cffmsg::kBcdNibble);
      } else if (nibble == 0xe) {
        put('-');
      } else {
        double value = 0.0;
        std::from_chars(text, text + used, value);  // a malformed number reads as 0
        return value;
      }
    }
  }
}

void parseDict(CffReaderState& s, uint32_t offset, uint32_t length, const DictHandler& handler) {
  if (length == 0) s.fail(cffmsg::kEmptyDict);
  s.seekTo(offset);
  const uint32_t end = offset + length;
  std::vector<double> operands;
  while (s.position < end) {
    const uint8_t b0 = s.byte();
    if (b0 <= 21) {
      int op = b0;
      if (b0 == 12) op = kEscape + s.byte();
      const uint32_t resume = s.position;
      handler(op, operands);
      s.seekTo(resume);
      operands.clear();
      continue;
    }
    if (operands.size() >= static_cast<size_t>(cfflimit::kStack)) s.fail(cffmsg::kOverflow);
    if (b0 == 28) {
      operands.push_back(static_cast<int16_t>(s.bigEndian(2)));
    } else if (b0 == 29) {
      operands.push_back(static_cast<int32_t>(s.bigEndian(4)));
    } else if (b0 == 30) {
      operands.push_back(readReal(s));
    } else if (b0 >= 32 && b0 <= 246) {
      operands.push_back(b0 - 139);
    } else if (b0 >= 247 && b0 <= 250) {
      operands.push_back((b0 - 247) * 256 + s.byte() + 108);
    } else if (b0 >= 251 && b0 <= 254) {
      operands.push_back(-(b0 - 251) * 256 - s.byte() - 108);
    } else {
      s.fail(cffmsg::kReservedDictOp);
    }
  }
}

double operand(CffReaderState& s, const std::vector<double>& operands, size_t i) {
  if (i >= operands.size()) s.fail(cffmsg::kUnderflow);
  return operands[i];
}

uint32_t offsetOperand(CffReaderState& s, const std::vector<double>& operands, size_t i) {
  const double v = operand(s, operands, i);
  if (!(v >= 0.0 && v < 4294967296.0)) s.fail(cffmsg::kRangeCheck);
  return static_cast<uint32_t>(v);
}

int32_t subrBias(uint32_t count) { return count < 1240 ? 107 : count < 33900 ? 1131 : 32768; }

void readPrivate(CffReaderState& s, CffFontDict& font) {
  if (font.privateSize == 0) return;
  bool hasSubrs = false;
  uint32_t subrs = 0;
  parseDict(s, font.privateOffset, font.privateSize, [&](int op, const std::vector<double>& v) {
    if (op == 19) {
      subrs = offsetOperand(s, v, 0);
      hasSubrs = true;
    } else if (op == 20) {
      font.defaultWidth = operand(s, v, 0);
    } else if (op == 21) {
      font.nominalWidth = operand(s, v, 0);
    }
  });
  if (hasSubrs) {
    s.seekTo(font.privateOffset + subrs);
    s.readIndex(font.subrs);
    font.subrBias = subrBias(font.subrs.count);
  }
}

void privateOperands(CffReaderState& s, const std::vector<double>& v, CffFontDict& font) {
  font.privateSize = offsetOperand(s, v, 0);
  font.privateOffset = offsetOperand(s, v, 1);
  font.hasPrivate = true;
}

}  // namespace

void CffReaderState::readHeader() {
  seekTo(0);
  const uint8_t major = byte();
  byte();
  const uint8_t headerSize = byte();
  if (major != 1) fail(cffmsg::kVersion);
  seekTo(headerSize);
  readIndex(names);
  if (names.count != 1) fail(cffmsg::kFontSet);
  readIndex(topDicts);
  readIndex(strings);
  readIndex(globalSubrs);
  globalBias = subrBias(globalSubrs.count);

  uint32_t length = 0;
  const uint32_t top = indexElement(topDicts, 0, length);
  CffFontDict font;
  parseDict(*this, top, length, [&](int op, const std::vector<double>& v) {
    switch (op) {
      case kEscape + 6:
        if (operand(*this, v, 0) != 2.0) fail(cffmsg::kCharstringType);
        break;
      case kEscape + 7:
        for (size_t i = 0; i < 6; ++i) matrix[i] = operand(*this, v, i);
        hasMatrix = true;
        break;
      case 15: charsetOffset = offsetOperand(*this, v, 0); break;
      case 16: encodingOffset = offsetOperand(*this, v, 0); break;
      case 17:
        charStringsOffset = offsetOperand(*this, v, 0);
        hasCharStrings = true;
        break;
      case 18: privateOperands(*this, v, font); break;
      case kEscape + 20:  // synthetic fonts
      case kEscape + 39:  // chameleon fonts
        fail(cffmsg::kFontType);
      case kEscape + 24: {
        // nMasters, user design vector, transient array size, NDV and CDV procedures
        if (v.size() < 5) fail(cffmsg::kUnderflow);
        if (!(v[0] >= 1 && v[0] <= cfflimit::kMaxMasters)) fail(cffmsg::kRangeCheck);
        masters = static_cast<int>(v[0]);
        axes = static_cast<int>(v.size()) - 4;
        if (axes > cfflimit::kMaxAxes) fail(cffmsg::kRangeCheck);
        for (int a = 0; a < axes; ++a) registry[2][a] = v[1 + a];
        const double len = v[v.size() - 3];
        if (!(len >= 0 && len <= 65535)) fail(cffmsg::kRangeCheck);
        transientSize = static_cast<int>(len);
        // A procedure outside the String INDEX's range fails when it is run.
        auto sid = [](double value) { return value >= 0 && value <= 65535 ? static_cast<int32_t>(value) : -1; };
        ndvSid = sid(v[v.size() - 2]);
        cdvSid = sid(v[v.size() - 1]);
        break;
      }
      case kEscape + 30: cid = true; break;
      case kEscape + 36:
        fdArrayOffset = offsetOperand(*this, v, 0);
        hasFDArray = true;
        break;
      case kEscape + 37:
        fdSelectOffset = offsetOperand(*this, v, 0);
        hasFDSelect = true;
        break;
      default: break;
    }
  });
  if (hasMatrix) {
    const auto& m = matrix;
    if (!std::isfinite(m[0] * m[3] - m[1] * m[2]) || m[0] * m[3] - m[1] * m[2] == 0.0)
      fail(cffmsg::kFontMatrix);
  }
  if (!hasCharStrings) fail(cffmsg::kNoCharStrings);

  if (cid) {
    if (!hasFDArray) fail(cffmsg::kNoFDArray);
    seekTo(fdArrayOffset);
    readIndex(fdArray);
    for (uint32_t i = 0; i < fdArray.count; ++i) {
      CffFontDict fd;
      const uint32_t at = indexElement(fdArray, i, length);
      parseDict(*this, at, length, [&](int op, const std::vector<double>& v) {
        if (op == 18) privateOperands(*this, v, fd);
      });
      if (!fd.hasPrivate) fail(cffmsg::kFdPrivate);
      readPrivate(*this, fd);
      fonts.push_back(fd);
    }
  } else {
    readPrivate(*this, font);
    fonts.push_back(font);
  }
  seekTo(charStringsOffset);
  readIndex(charStrings);
  transient.assign(static_cast<size_t>(transientSize), 0.0);
  headerRead = true;
}

// ---- interface

namespace {
void ensureTables(CffReaderState& s) {
  if (!s.headerRead) s.readHeader();
  if (!s.tablesRead) s.readGlyphTables();
}
}  // namespace

CffGlyphInfo cffGetGlyphInfo(CffReader& reader, uint32_t gid) {
  CffReaderState& s = reader.state();
  ensureTables(s);
  if (gid >= s.glyphs.size()) s.fail(cffmsg::kGidRange);
  CffGlyphInfo info;
  const CffGlyphRecord& record = s.glyphs[gid];
  info.id = record.id;
  info.code = record.code;
  info.supplements = record.supplements;
  s.runGlyph(gid, info);
  return info;
}

uint32_t cffGlyphCount(CffReader& reader) {
  ensureTables(reader.state());
  return static_cast<uint32_t>(reader.state().glyphs.size());
}

void cffSetDesignVector(CffReader& reader, int axisCount, const int32_t* userDesignVector) {
  CffReaderState& s = reader.state();
  if (!s.headerRead) s.readHeader();
  const int axes = std::clamp(axisCount, 0, cfflimit::kMaxAxes);
  for (int a = 0; a < axes && a < cfflimit::kMaxMasters; ++a)
    s.registry[2][a] = userDesignVector[a] / 65536.0;
  s.designVectorGiven = true;
  s.runProcedure(s.ndvSid);
  s.runProcedure(s.cdvSid);
  s.designVectorApplied = true;
}

uint32_t cffReadIndexElement(CffReader& reader, const CffIndex& index, uint32_t element,
                             uint32_t& length) {
  return reader.state().indexElement(index, element, length);
}

const CffIndex& cffStringIndex(CffReader& reader) {
  CffReaderState& s = reader.state();
  if (!s.headerRead) s.readHeader();
  return s.strings;
}

}  // namespace fea
