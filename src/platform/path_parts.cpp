#include "platform/path_parts.h"

#include "model/numbers.h"

namespace vn {

std::string::size_type lastSeparator(const std::string& path) {
  return path.find_last_of("/\\");
}

SplitPath splitPath(const std::string& path) {
  const auto cut = lastSeparator(path);
  if (cut == std::string::npos) return {std::string(), path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

std::string stripTrailingSeparators(std::string path) {
  while (path.size() > 1 && isSeparator(path.back())) path.pop_back();
  return path;
}

bool isSafeMemberName(std::string_view member) {
  if (member.empty() || member.find('\0') != std::string_view::npos) return false;
  if (isSeparator(member.front())) return false;
  if (member.size() >= 2 && member[1] == ':') return false;  // a drive letter
  std::size_t start = 0;
  while (start <= member.size()) {
    std::size_t end = start;
    while (end < member.size() && !isSeparator(member[end])) ++end;
    if (member.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace vn

void PathParts::split(const std::string& path) {
  const vn::SplitPath parts = vn::splitPath(path);
  folder = parts.folder;
  name = parts.file;
  extension.clear();
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) {
    extension = name.substr(dot);
    name.erase(dot);
  }
}

bool PathParts::hasExtension(const std::string& first, const std::string& second) const {
  return vn::equalsNoCase(extension, first) || vn::equalsNoCase(extension, second);
}

std::string PathParts::withKindExtension(int kind) const {
  switch (kind) {
    case kTrueType:
    case kTrueType2:
      return withExtension(".ttf");
    case kNative:
      return withExtension(".qtf");
    case kUfo:
      return withExtension(".ufo");
    case kUfoz:
      return withExtension(".ufoz");
    default:
      return std::string();
  }
}
