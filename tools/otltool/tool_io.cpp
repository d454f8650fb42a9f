#include "otltool/tool_io.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace otltool {
namespace {

// Largest input file the tool reads: far above any real layout table or feature file.
constexpr std::uintmax_t kMaxInputBytes = 256u * 1024u * 1024u;

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

const std::vector<std::string>& tableNames() {
  static const std::vector<std::string> names = {"GSUB", "GPOS", "GDEF"};
  return names;
}

std::string readWholeFile(const std::string& path) {
  if (!isRegularFile(path)) throw ToolError("cannot read \"" + path + "\": not a regular file");
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw ToolError("cannot read \"" + path + "\": " + error.message());
  if (size > kMaxInputBytes) throw ToolError("cannot read \"" + path + "\": file too large");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError("cannot open \"" + path + "\"");
  std::string bytes(static_cast<size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) throw ToolError("cannot read \"" + path + "\"");
  return bytes;
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
  // A FIFO or device (/dev/null) is written in place: a file moved onto it would replace it.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw ToolError("cannot write \"" + path + "\"");
    return;
  }
  const std::string temporary = path + ".otltool-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw ToolError("cannot write \"" + path + "\"");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      throw ToolError("cannot write \"" + path + "\"");
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw ToolError("cannot write \"" + path + "\"");
  }
}

std::vector<std::string> readGlyphOrder(const std::string& path) {
  const std::string text = readWholeFile(path);
  std::vector<std::string> names;
  size_t start = 0;
  size_t lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    while (!name.empty() && name.back() == '\r') name.pop_back();
    ++lineNumber;
    if (name.empty()) {
      throw ToolError("glyph order \"" + path + "\": line " + std::to_string(lineNumber) + " is empty");
    }
    names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

TableSet readTableFolder(const std::string& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    throw ToolError("table folder \"" + folder + "\" is not a folder");
  }
  TableSet tables;
  for (const std::string& name : tableNames()) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!std::filesystem::exists(path, error)) continue;
    tables[name] = readWholeFile(path);
  }
  return tables;
}

void writeTableFolder(const std::string& folder, const TableSet& tables) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) {
    throw ToolError("cannot make the output folder \"" + folder + "\"");
  }
  for (const std::string& name : tableNames()) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    auto found = tables.find(name);
    if (found == tables.end() || found->second.empty()) {
      std::filesystem::remove(path, error);
      continue;
    }
    writeWholeFile(path, found->second);
  }
}

}  // namespace otltool
