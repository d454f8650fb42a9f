// Splitting a path into folder, name and extension, building output names from the
// parts, and checking names read from a file before they become paths.
#pragma once

#include <string>
#include <string_view>

// A path cut into folder (up to and including the last separator), name (the last
// component without its extension) and extension (from the last dot, dot included).
struct PathParts {
  std::string name;
  std::string folder;
  std::string extension;

  // Output kinds understood by withKindExtension.
  enum Kind { kTrueType = 0, kNative = 1, kTrueType2 = 2, kNone = 3, kUfo = 4, kUfoz = 5 };

  PathParts() = default;
  explicit PathParts(const std::string& path) { split(path); }

  void split(const std::string& path);
  // True when the extension equals either text, ignoring case.
  bool hasExtension(const std::string& first, const std::string& second) const;
  std::string fullPath() const { return folder + name + extension; }
  std::string withExtension(const std::string& ext) const { return folder + name + ext; }
  std::string prefixed(const std::string& prefix) const { return prefix + name + extension; }
  // folder + name + the kind's extension; empty for a kind without one.
  std::string withKindExtension(int kind) const;
};

namespace vn {

struct SplitPath {
  std::string folder;  // up to and including the last separator; empty without one
  std::string file;
};

SplitPath splitPath(const std::string& path);

// True for "/" and "\\".
inline bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Position of the last "/" or "\\", or npos.
std::string::size_type lastSeparator(const std::string& path);

// Removes trailing "/" and "\\" characters, keeping a lone root separator.
std::string stripTrailingSeparators(std::string path);

// True for a relative name that stays inside its folder: not empty, no NUL,
// not absolute (no leading separator or drive letter), no ".." component.
bool isSafeMemberName(std::string_view member);

}  // namespace vn
