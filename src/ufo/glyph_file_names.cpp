#include "ufo/glyph_file_names.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <unordered_set>

namespace ufo {

namespace {

constexpr std::string_view kGlifExtension = ".glif";
constexpr size_t kCounterDigits = 15;
// Room for the clash counter and the extension.
constexpr size_t kMaxStemLength = kMaxFileNameLength - kCounterDigits - kGlifExtension.size();

bool isUpperAscii(char c) { return c >= 'A' && c <= 'Z'; }

char lowerAscii(char c) { return isUpperAscii(c) ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

// Bytes that some file system refuses, plus "%" (kept out so that no reader decodes
// an escape in a member name).
bool isIllegalFileNameByte(unsigned char c) {
  if (c < 0x20 || c >= 0x7F) return true;
  switch (c) {
    case '"': case '*': case '+': case '/': case ':': case '<': case '>':
    case '?': case '[': case '\\': case ']': case '|': case '%':
      return true;
    default:
      return false;
  }
}

bool isReservedDeviceName(std::string_view part) {
  static constexpr std::array<std::string_view, 5> kNames = {"con", "prn", "aux", "clock$", "nul"};
  const std::string lower = lowerAscii(part);
  if (std::find(kNames.begin(), kNames.end(), lower) != kNames.end()) return true;
  return lower.size() == 4 && (lower.compare(0, 3, "com") == 0 || lower.compare(0, 3, "lpt") == 0) &&
         lower[3] >= '1' && lower[3] <= '9';
}

std::string counterText(uint64_t counter) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, counter);
  std::string digits(buffer, result.ptr);
  if (digits.size() < kCounterDigits) digits.insert(0, kCounterDigits - digits.size(), '0');
  return digits;
}

// A name as a console line may show it: control bytes as "?".
std::string printable(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return out;
}

}  // namespace

void userNamePartToFileName(std::string& part) {
  // Pieces between underscores; a trailing "_" leaves an empty last piece.
  std::vector<std::string> pieces;
  std::string current;
  for (char c : part) {
    if (c == '_') {
      pieces.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty() || (!part.empty() && part.back() == '_')) pieces.push_back(current);

  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    std::string& piece = pieces[i];
    if (piece.empty()) {
      out += '_';
      continue;
    }
    const auto capitals = std::count_if(piece.begin(), piece.end(), isUpperAscii);
    piece.append(static_cast<size_t>(capitals), '_');
    if (i > 0) out += '_';
    out += piece;
  }
  part = std::move(out);
}

std::string userNameToFileName(const std::string& glyphName) {
  if (glyphName.empty()) return std::string();
  std::string name = glyphName;
  if (name[0] == '.') name[0] = '_';
  for (char& c : name) {
    if (isIllegalFileNameByte(static_cast<unsigned char>(c))) c = '_';
  }

  // Parts between dots; empty parts (and a trailing dot) add nothing.
  std::string stem;
  size_t start = 0;
  while (start <= name.size()) {
    size_t dot = name.find('.', start);
    if (dot == std::string::npos) dot = name.size();
    std::string part = name.substr(start, dot - start);
    if (!part.empty()) {
      userNamePartToFileName(part);
      if (isReservedDeviceName(part)) part.insert(0, 1, '_');
      if (!stem.empty()) stem += '.';
      stem += part;
    }
    start = dot + 1;
  }
  if (stem.size() > kMaxStemLength) stem.resize(kMaxStemLength);
  return stem + std::string(kGlifExtension);
}

std::string GlyphFileNames::assign(const std::string& glyphName) {
  std::string fileName = userNameToFileName(glyphName);
  if (fileName.empty()) return fileName;
  if (taken_.insert(lowerAscii(fileName)).second) return fileName;

  const std::string stem = fileName.substr(0, fileName.size() - kGlifExtension.size());
  // Counters only grow, so a run of clashes costs one try per name.
  uint64_t& next = nextCounter_[lowerAscii(stem)];
  for (;;) {
    ++next;
    std::string candidate = stem + counterText(next) + std::string(kGlifExtension);
    if (taken_.insert(lowerAscii(candidate)).second) return candidate;
  }
}

std::vector<std::string> uniqueGlyphNames(const std::vector<std::string>& names,
                                          std::vector<std::string>* renamed,
                                          const std::function<std::string(const std::string&)>& written) {
  auto identity = [&](const std::string& name) { return written ? written(name) : name; };
  std::unordered_set<std::string> all;
  for (const std::string& name : names) all.insert(identity(name));
  std::unordered_set<std::string> used;
  std::map<std::string, uint64_t> nextSuffix;
  std::vector<std::string> out;
  out.reserve(names.size());

  auto freshName = [&](const std::string& base) {
    uint64_t& n = nextSuffix[base];
    for (;;) {
      std::string candidate = base + std::to_string(++n);
      const std::string key = identity(candidate);
      if (!all.count(key) && !used.count(key)) return candidate;
    }
  };

  for (const std::string& name : names) {
    if (!name.empty() && used.insert(identity(name)).second) {
      out.push_back(name);
      continue;
    }
    std::string replacement = name.empty() ? freshName("unnamed.") : freshName(name + ".dup");
    used.insert(identity(replacement));
    if (renamed) {
      renamed->push_back(name.empty() ? "a glyph without a name is written as \"" + replacement + "\""
                                      : "a second glyph named \"" + printable(name) + "\" is written as \"" +
                                            printable(replacement) + "\"");
    }
    out.push_back(std::move(replacement));
  }
  return out;
}

}  // namespace ufo
