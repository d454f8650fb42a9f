#include "ufo/base64.h"

#include <new>
#include <sstream>

namespace ufo {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr const char* kLineEnd = "\r\n";
constexpr const char* kDataUriHeader = "data:image/png;charset=US-ASCII;base64,";
constexpr std::string_view kDataUriPrefix = "data:image/png";
constexpr std::string_view kTransferEncodingHeader = "Content-transfer-encoding";
constexpr std::string_view kContentTypeHeader = "Content-Type";
constexpr std::string_view kBase64Token = "base64";

// 0..63 for a character of the alphabet, -1 otherwise.
int sextet(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool isTokenChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '/' || c == '.' || c == '~' || c == '_' || c == '\\';
}

std::vector<std::string_view> tokens(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && !isTokenChar(static_cast<unsigned char>(line[i]))) ++i;
    const std::size_t start = i;
    while (i < line.size() && isTokenChar(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

// Letters, digits, "+", "/" and "=" only; blanks and tabs only at the end.
bool isBase64Line(std::string_view line) {
  line = withoutLineEnd(line);
  if (line.empty()) return false;
  std::size_t i = 0;
  while (i < line.size() && (sextet(static_cast<unsigned char>(line[i])) >= 0 || line[i] == '='))
    ++i;
  if (i == 0) return false;
  for (; i < line.size(); ++i) {
    if (line[i] != ' ' && line[i] != '\t') return false;
  }
  return true;
}

}  // namespace

bool encodeBase64(std::istream& in, std::ostream& out, int lineLength, const std::string& header) {
  if (!header.empty()) {
    out << kDataUriHeader;
    if (lineLength > 0) out << kLineEnd;
  }
  if (!in.good() || in.peek() == std::istream::traits_type::eof()) return true;
  const int groupsPerLine = lineLength > 0 ? lineLength / 4 : 0;
  int groups = 0;
  bool atEnd = false;
  while (!atEnd) {
    unsigned char bytes[3] = {0, 0, 0};
    int count = 0;
    for (; count < 3; ++count) {
      const auto c = in.get();
      if (c == std::istream::traits_type::eof()) break;
      bytes[count] = static_cast<unsigned char>(c);
    }
    atEnd = in.peek() == std::istream::traits_type::eof();
    if (count > 0) {
      const char group[4] = {
          kAlphabet[bytes[0] >> 2],
          kAlphabet[((bytes[0] & 0x03) << 4) | (bytes[1] >> 4)],
          count >= 2 ? kAlphabet[((bytes[1] & 0x0F) << 2) | (bytes[2] >> 6)] : '=',
          count == 3 ? kAlphabet[bytes[2] & 0x3F] : '=',
      };
      if (!out.write(group, 4)) return false;
      ++groups;
    }
    if ((lineLength > 0 && groups >= groupsPerLine) || atEnd) {
      if (groups > 0 && !(out << kLineEnd)) return false;
      groups = 0;
    }
  }
  return static_cast<bool>(out);
}

std::string encodeBase64(std::string_view bytes, int lineLength) {
  std::istringstream in{std::string(bytes)};
  std::ostringstream out;
  // The string stream fails only when its buffer cannot grow: never a cut-off text.
  if (!encodeBase64(in, out, lineLength, std::string())) throw std::bad_alloc();
  return out.str();
}

DataUriDecoder::DataUriDecoder() = default;
DataUriDecoder::~DataUriDecoder() = default;

void DataUriDecoder::reset() {
  inBody_ = false;
  skipBody_ = false;
  inContentType_ = false;
  bitBuffer_ = 0;
  bitCount_ = 0;
  output_.clear();
}

void DataUriDecoder::decode(std::istream* in, int mode, std::ostream* out) {
  if (in == nullptr || out == nullptr) return;
  reset();
  std::string line;
  while (std::getline(*in, line)) {
    std::string_view rest = line;
    while (!rest.empty() && static_cast<unsigned char>(rest.front()) < '!') rest.remove_prefix(1);
    if (mode == kModeDataUri) {
      if (!handleDataUriLine(rest)) {
        output_.clear();
        return;
      }
      continue;
    }
    handleLine(rest);
  }
  out->write(reinterpret_cast<const char*>(output_.data()),
             static_cast<std::streamsize>(output_.size()));
}

void DataUriDecoder::handleLine(std::string_view line) {
  if (!inBody_) {
    if (!isBase64Line(line)) {
      handleHeaderLine(line);
      return;
    }
    inBody_ = true;
  } else if (line.empty() || static_cast<unsigned char>(line.front()) < '+') {
    return;
  }
  if (!skipBody_) decodeLine(line);
}

void DataUriDecoder::handleHeaderLine(std::string_view line) {
  const auto words = tokens(line);
  if (words.empty()) return;
  if (equalsNoCase(words.front(), kTransferEncodingHeader)) {
    skipBody_ = true;
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (equalsNoCase(words[i], kBase64Token)) skipBody_ = false;
    }
    inContentType_ = false;
    return;
  }
  if (inContentType_ || equalsNoCase(words.front(), kContentTypeHeader)) {
    // The parameters ("name" and its value) are read past; nothing uses them.
    const std::string_view content = withoutLineEnd(line);
    inContentType_ = !content.empty() && content.back() == ';';
  }
}

bool DataUriDecoder::handleDataUriLine(std::string_view line) {
  if (line.size() < kDataUriPrefix.size() ||
      !equalsNoCase(line.substr(0, kDataUriPrefix.size()), kDataUriPrefix)) {
    return false;
  }
  line.remove_prefix(kDataUriPrefix.size());
  if (!line.empty() && line.front() != ' ' && line.front() != '\t' && line.front() != ';' &&
      line.front() != ',') {
    return false;
  }
  std::string text;
  for (char c : line) {
    if (c != ' ') text += c;
  }
  const auto comma = text.find(',');
  if (comma == std::string::npos) return false;
  bool base64 = false;
  std::string_view parameters = std::string_view(text).substr(0, comma);
  while (!parameters.empty()) {
    const auto semicolon = parameters.find(';');
    if (equalsNoCase(parameters.substr(0, semicolon), kBase64Token)) base64 = true;
    if (semicolon == std::string_view::npos) break;
    parameters.remove_prefix(semicolon + 1);
  }
  if (!base64) return false;
  handleHeaderLine("Content-Type: image/png; charset=US-ASCII");
  handleHeaderLine("Content-transfer-encoding: base64");
  inBody_ = true;
  decodeLine(std::string_view(text).substr(comma + 1));
  return true;
}

void DataUriDecoder::decodeLine(std::string_view line) {
  for (const char c : line) {
    const int value = sextet(static_cast<unsigned char>(c));
    if (value < 0) {
      // Padding closes a group: its spare bits are not carried to the next line.
      if (c == '=') {
        bitBuffer_ = 0;
        bitCount_ = 0;
      }
      return;
    }
    bitBuffer_ = (bitBuffer_ << 6) | static_cast<std::uint32_t>(value);
    bitCount_ += 6;
    if (bitCount_ >= 8) {
      bitCount_ -= 8;
      output_.push_back(static_cast<std::uint8_t>(bitBuffer_ >> bitCount_));
      bitBuffer_ &= (1u << bitCount_) - 1u;
    }
  }
}

std::string decodeBase64(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::ostringstream out;
  DataUriDecoder decoder;
  decoder.decode(&in, DataUriDecoder::kModePlain, &out);
  if (out.fail()) throw std::bad_alloc();  // as above
  return out.str();
}

}  // namespace ufo
