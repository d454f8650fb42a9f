#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <iostream>
#include <limits.h>
#include <random>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/path_parts.h"

namespace vn {
namespace {

bool statPath(const std::string& path, struct stat& info) {
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool lstatPath(const std::string& path, struct stat& info) {
  return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

// Removes one file or folder tree; `out` receives a line per removed child, named below
// `shown` (the path the user knows, when the tree was moved aside first).
void removeTree(const std::string& path, const std::string& shown, std::ostream& out) {
  struct stat info {};
  const bool isRealFolder = lstatPath(path, info) && S_ISDIR(info.st_mode);
  std::optional<std::vector<FolderEntry>> entries;
  if (isRealFolder) entries = listFolder(path);
  if (!entries) {
    if (!isRealFolder) errno = ENOTDIR;
    std::perror("Couldn't open the directory");
  } else {
    for (const FolderEntry& entry : *entries) {
      const std::string child = path + "/" + entry.name;
      const std::string shownChild = shown + "/" + entry.name;
      if (entry.isFolder) {
        out << shownChild << " directory\n" << std::flush;
        removeTree(child, shownChild, out);
      } else {
        out << shownChild << " file\n" << std::flush;
        ::unlink(child.c_str());
      }
    }
  }
  if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
}

}  // namespace

PathKind pathKind(const std::string& path) {
  struct stat info {};
  if (statPath(path, info)) {
    if (S_ISREG(info.st_mode)) return PathKind::kFile;
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kSpecial;
  }
  if (path.empty()) return PathKind::kAbsent;
  const int statError = errno;
  if (lstatPath(path, info)) return PathKind::kUnreachable;
  const int lstatError = errno;
  const bool nothing = (statError == ENOENT || statError == ENOTDIR) &&
                       (lstatError == ENOENT || lstatError == ENOTDIR);
  return nothing ? PathKind::kAbsent : PathKind::kUnreachable;
}

bool fileExists(const std::string& path) {
  // Opened without blocking and checked on the descriptor: a FIFO put in the file's place
  // after a check by path would make a blocking open wait for a writer.
  InputFile file;
  return file.open(path) && file.isRegular();
}

bool isDirectory(const std::string& path) {
  struct stat info {};
  return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat info {};
  return lstatPath(path, info);
}

int makeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : -1;
}

void makeFolder(const std::string& path) {
  if (makeDirectory(path) == 0 || errno == EEXIST) return;
  throw FolderCreationError(path + ": " + std::strerror(errno));
}

std::optional<std::string> currentFolder() {
  std::vector<char> buffer(512);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

std::optional<std::string> folderFullPath(const std::string& folder) {
  // Resolving in place gives what entering the folder and reading the current folder gives,
  // without changing the process's current folder.
  char* resolved = ::realpath(folder.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result(resolved);
  std::free(resolved);
  if (!isDirectory(result) || ::access(result.c_str(), X_OK) != 0) return std::nullopt;
  return result;
}

std::optional<std::string> absolutePath(const std::string& path) {
  const SplitPath parts = splitPath(path);
  std::optional<std::string> folder =
      parts.folder.empty() ? currentFolder() : folderFullPath(parts.folder);
  if (!folder) return std::nullopt;
  if (folder->empty() || (folder->back() != '/' && folder->back() != '\\')) folder->push_back('/');
  return *folder + parts.file;
}

std::optional<std::vector<FolderEntry>> listFolder(const std::string& path) {
  DIR* listing = ::opendir(path.c_str());
  if (listing == nullptr) return std::nullopt;
  std::vector<FolderEntry> entries;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    const bool isFolder = lstatPath(path + "/" + name, info) && S_ISDIR(info.st_mode);
    entries.push_back({name, isFolder});
  }
  ::closedir(listing);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

bool removeFolder(const std::string& path, std::ostream& out) {
  removeTree(path, path, out);
  return false;
}

bool removeFolderShownAs(const std::string& path, const std::string& shown, std::ostream& out) {
  removeTree(path, shown, out);
  return false;
}

bool removeFolder(const std::string& path) { return removeFolder(path, std::cout); }

void removeQuietly(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool movePath(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void openFileStream(std::fstream& stream, const std::string& path, std::ios::openmode mode) {
  stream.open(path, mode);
}

bool ensureFolderOf(const std::string& path) {
  const auto separator = lastSeparator(path);
  if (separator == std::string::npos) return true;
  const std::string folder = path.substr(0, separator + 1);
  return isDirectory(folder) || makeDirectory(folder) == 0;
}

bool openInputFile(std::ifstream& stream, const std::string& path, std::ios::openmode mode) {
  stream.open(path, mode | std::ios::in);
  return stream.good();
}

bool openOutputFile(std::ofstream& stream, const std::string& path, std::ios::openmode mode) {
  stream.open(path, mode | std::ios::out);
  return stream.good();
}

std::string temporaryName() {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
  std::string name(6, ' ');
  for (char& c : name) c = kAlphabet[pick(engine)];
  return name;
}

std::string uniqueTemporaryPath(const std::string& folder, const std::string& suffix) {
  // A taken name is redrawn; after many draws the last one is used and its creation fails.
  std::string candidate;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    candidate = folder + temporaryName() + suffix;
    if (!pathExists(candidate)) break;
  }
  return candidate;
}

}  // namespace vn
