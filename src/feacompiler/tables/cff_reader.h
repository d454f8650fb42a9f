// Reader of Compact Font Format (version 1) font data with a Type 2 charstring
// interpreter: glyph metrics and bounds, String INDEX elements, the multiple-master
// weight vector and stand-alone metric charstrings. Data arrives through the client's
// seek and refill; every error is reported at level 3 and ends in the client's fatal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace fea {

class CffReaderClient {
 public:
  virtual ~CffReaderClient() = default;
  // Ends the read; never returns (throws).
  [[noreturn]] virtual void fatal() = 0;
  virtual void message(int level, const std::string& text) = 0;
  // The data at a position from the start of the CFF data and how many bytes are there;
  // count 0 when there are none.
  virtual const uint8_t* seek(uint32_t offset, size_t& count) = 0;
  // The data that follows the last block handed out; count 0 at the end.
  virtual const uint8_t* refill(size_t& count) = 0;
};

// A client over bytes held in memory; fatal and message stay the caller's.
class CffMemoryClient : public CffReaderClient {
 public:
  explicit CffMemoryClient(std::span<const uint8_t> data) : data_(data) {}
  const uint8_t* seek(uint32_t offset, size_t& count) override;
  const uint8_t* refill(size_t& count) override;

 private:
  std::span<const uint8_t> data_;
};

struct CffIndex {
  uint32_t count = 0;
  uint8_t offSize = 0;
  uint32_t offsetArray = 0;  // position of the offset array
  uint32_t data = 0;         // position of the data, minus 1 (offsets start at 1)
};

struct CffGlyphInfo {
  uint16_t id = 0;         // SID, or CID of a CID-keyed font
  uint16_t code = 65535;   // 65535: no code
  int16_t hAdv = 0;
  int16_t vAdv = 0;
  int16_t xMin = 0;
  int16_t yMin = 0;
  int16_t xMax = 0;
  int16_t yMax = 0;
  std::vector<uint16_t> supplements;  // further codes from the Encoding
};

struct CffReaderState;

class CffReader {
 public:
  explicit CffReader(CffReaderClient& client);
  ~CffReader();
  CffReader(const CffReader&) = delete;
  CffReader& operator=(const CffReader&) = delete;

  CffReaderState& state() { return *state_; }

 private:
  std::unique_ptr<CffReaderState> state_;
};

// The glyph's ids, codes, advance and bounds; the first call reads the header and tables.
CffGlyphInfo cffGetGlyphInfo(CffReader& reader, uint32_t gid);
// Number of glyphs (reads the header and tables when not done yet).
uint32_t cffGlyphCount(CffReader& reader);
// Runs the font's NDV and CDV procedures over at most 15 axes of the user design vector
// (16.16 values), which set the weight vector of the blend operator.
void cffSetDesignVector(CffReader& reader, int axisCount, const int32_t* userDesignVector);
// Runs a stand-alone charstring and stores what is left on the stack as 16.16 values
// (at most `capacity`); returns how many values were left.
int cffExecMetric(CffReader& reader, const uint8_t* charstring, size_t length, int32_t* results,
                  int capacity);
// Position and length of an INDEX element.
uint32_t cffReadIndexElement(CffReader& reader, const CffIndex& index, uint32_t element,
                             uint32_t& length);
// The String INDEX (SIDs from 391 on are its elements).
const CffIndex& cffStringIndex(CffReader& reader);

}  // namespace fea
