// Base64 (RFC 4648 alphabet) in lines, and the line-based decoder that also
// understands MIME-style header lines and one-line data URIs.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace ufo {

// Writes the input as base64 in lines of lineLength characters (rounded down
// to whole groups of four), each ended by "\r\n"; lineLength 0 gives one line.
// A non-empty header puts a data-URI header line first. False when a write fails.
bool encodeBase64(std::istream& in, std::ostream& out, int lineLength, const std::string& header);
std::string encodeBase64(std::string_view bytes, int lineLength);

class DataUriDecoder {
 public:
  static constexpr int kModePlain = 0;    // base64 with optional header lines
  static constexpr int kModeDataUri = 1;  // every line a data URI

  DataUriDecoder();
  ~DataUriDecoder();
  DataUriDecoder(const DataUriDecoder&) = delete;
  DataUriDecoder& operator=(const DataUriDecoder&) = delete;

  // Reads all lines and writes the decoded bytes to out; nothing happens unless
  // both streams are given.
  void decode(std::istream* in, int mode, std::ostream* out);
  // The bytes decoded by the last decode().
  const std::vector<std::uint8_t>& output() const { return output_; }

 private:
  void reset();
  void handleLine(std::string_view line);
  void handleHeaderLine(std::string_view line);
  bool handleDataUriLine(std::string_view line);
  void decodeLine(std::string_view line);

  bool inBody_ = false;
  bool skipBody_ = false;
  bool inContentType_ = false;
  std::uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  std::vector<std::uint8_t> output_;
};

// Decodes base64 text of any number of lines (mode 0).
std::string decodeBase64(std::string_view text);

}  // namespace ufo
