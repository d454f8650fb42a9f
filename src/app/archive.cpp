#include "app/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <string_view>
#include <unordered_map>

#include "app/limits.h"
#include "app/zip_library.h"
#include "model/numbers.h"
#include "platform/file_system.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "ufo/limits.h"

namespace {

constexpr std::size_t kChunkSize = 512;

std::string compressingFailed(int code) {
  return "While compressing we got following error: " + vn::formatInteger(code);
}
std::string finalizingFailed(int code) {
  return "While finalizing the compression we got following error: " + vn::formatInteger(code);
}
std::string cannotOpenArchive(const std::string& displayName) {
  return "Source font file \"" + displayName + "\" cannot be decompressed.";
}
std::string cannotOpenEntry(const std::string& entry) {
  return "Cannot decompress file \"" + entry + "\".";
}
std::string cannotCreateFile(const std::string& entry) {
  return "Cannot create decompressed file file \"" + entry + "\".";
}
std::string cannotReadEntry(const std::string& entry) {
  return "Cannot read from compressed file \"" + entry + "\".";
}
std::string entryTooLarge(const std::string& entry, std::uint64_t limit) {
  return "Cannot read from compressed file \"" + entry + "\": it unpacks to more than the " +
         vn::formatUnsigned(limit) + " bytes the reader accepts.";
}
// Printed on a line of its own after cannotReadEntry.
std::string archiveUnpacksTooMuch(const std::string& displayName, std::uint64_t archiveBytes) {
  return "The archive \"" + displayName + "\" unpacks to more than it may: " +
         vn::formatUnsigned(vn::kMaxUnpackRatio) + " times its size of " + vn::formatUnsigned(archiveBytes) +
         " bytes (at least " + vn::formatUnsigned(vn::kMinUnpackBudget) + " bytes, at most " +
         vn::formatUnsigned(vn::kMaxUnpackedBytes) + ").";
}
// Printed on a line of its own after cannotOpenEntry.
std::string memberTwice(const std::string& displayName, const std::string& path) {
  return "The archive \"" + displayName + "\" holds two members that unpack to \"" + path +
         "\": which of them is the font's cannot be told.";
}
std::string linkLeftOut(const std::string& entry) {
  return "Warning: the archive member \"" + entry +
         "\" is a symbolic link, which is not followed: it is left out, as if missing.";
}
constexpr const char* kCannotReadInfo = "Cannot read compressed file info.";
constexpr const char* kCannotFinalize = "Cannot finalize file decompression.";

enum UnpackExit {
  kArchiveUnreadable = 3,
  kEntryUnreadable = 101,
  kFileNotCreated = 102,
  kEntryReadFailed = 103,
  kEntryInfoUnreadable = 104,
  kArchiveNotClosed = 105,
};

vn::ArchiveStatus failure(int code, std::string message) { return {code, std::move(message), {}}; }

// An entry name stays inside the unpack folder: relative, "/"-separated, no ".." segment.
bool isSafeEntryName(std::string_view name) {
  if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos)
    return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

// The path a safe entry name unpacks to, below the unpack folder: empty and "." segments
// dropped, so that "a//b" and "a/./b" are both "a/b".
std::string unpackedPath(std::string_view name) {
  std::string path;
  std::size_t start = 0;
  while (start < name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view segment = name.substr(start, end - start);
    if (!segment.empty() && segment != ".") {
      if (!path.empty()) path.push_back('/');
      path.append(segment);
    }
    start = end + 1;
  }
  return path;
}

// True when the entry was stored with the mode of a symbolic link.
bool isSymbolicLink(const vn::ZipLibrary& zip, zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip.fileGetExternalAttributes(archive, index, 0, &system, &attributes) != 0) return false;
  return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// The path of an entry inside the UFO folder: without the archive's top folder.
std::string_view memberOfUfo(std::string_view entry) {
  const std::size_t slash = entry.find('/');
  return slash == std::string_view::npos ? entry : entry.substr(slash + 1);
}

// Creates destination + every folder of the relative path `folders` ("a/b/").
void makeFolders(const std::string& destination, std::string_view folders) {
  std::size_t cut = 0;
  while ((cut = folders.find('/', cut)) != std::string_view::npos) {
    if (cut > 0 && folders[cut - 1] != '/')
      vn::makeFolder(destination + std::string(folders.substr(0, cut)));
    ++cut;
  }
}

bool writeAll(int file, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(file, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Copies one file entry to `path`; 0 or the exit code of the failure.
int unpackFile(const vn::ZipLibrary& zip, zip_t* archive, zip_uint64_t index, zip_uint64_t size,
               const std::string& path) {
  zip_file_t* entry = zip.fopenIndex(archive, index, 0);
  if (entry == nullptr) return kEntryUnreadable;
  const int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (file < 0) {
    zip.fclose(entry);
    return kFileNotCreated;
  }
  int result = 0;
  char chunk[kChunkSize];
  zip_uint64_t done = 0;
  while (result == 0 && done < size) {
    const zip_int64_t read = zip.fread(entry, chunk, sizeof chunk);
    if (read <= 0) {
      result = kEntryReadFailed;  // an error, or the data ends before the stated size
    } else if (static_cast<zip_uint64_t>(read) > size - done) {
      result = kEntryReadFailed;  // more data than the stated size
    } else if (!writeAll(file, chunk, static_cast<std::size_t>(read))) {
      result = kFileNotCreated;
    } else {
      done += static_cast<zip_uint64_t>(read);
    }
  }
  // Reading on to the end lets the library compare the checksum.
  if (result == 0 && zip.fread(entry, chunk, sizeof chunk) != 0) result = kEntryReadFailed;
  if (::close(file) != 0 && result == 0) result = kFileNotCreated;
  zip.fclose(entry);
  return result;
}

// Opens the archive on a copy of `descriptor`, which the library closes with the archive.
zip_t* openArchive(const vn::ZipLibrary& zip, int descriptor) {
  const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  int error = 0;
  zip_t* archive = zip.fdopen(copy, 0, &error);
  // After a failure the copy may or may not have been closed by the library.
  if (archive == nullptr && ::fcntl(copy, F_GETFD) != -1) ::close(copy);
  return archive;
}

}  // namespace

bool addFolderToZip(zip_t* archive, const std::string& path, const std::string& entryName) {
  const vn::ZipLibrary* library = vn::zipLibrary();
  if (library == nullptr) return false;
  const vn::ZipLibrary& zip = *library;
  if (!vn::isDirectory(path)) {
    zip_source_t* source = zip.sourceFile(archive, path.c_str(), 0, -1);
    if (source == nullptr) return false;
    if (zip.fileAdd(archive, entryName.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
      zip.sourceFree(source);
      return false;
    }
    return true;
  }
  const auto entries = vn::listFolder(path);
  if (!entries) return false;
  if (zip.dirAdd(archive, (entryName + "/").c_str(), ZIP_FL_ENC_UTF_8) < 0) return false;
  for (const vn::FolderEntry& entry : *entries) {
    const std::string child = path + "/" + entry.name;
    if (!entry.isFolder && vn::isDirectory(child)) continue;  // a symbolic link to a folder
    if (!entry.isFolder && !vn::fileExists(child)) continue;  // dangling link or unreadable
    if (!addFolderToZip(archive, child, entryName + "/" + entry.name)) return false;
  }
  return true;
}

namespace vn {

ArchiveStatus packFolder(const std::string& archivePath, const std::string& folder,
                         const std::string& rootName) {
  const ZipLibrary* library = zipLibrary();
  if (library == nullptr) return failure(-1, zipLibraryMissing());
  const ZipLibrary& zip = *library;
  int error = 0;
  zip_t* archive = zip.open(archivePath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return failure(error != 0 ? error : -1, compressingFailed(error));
  if (!addFolderToZip(archive, folder, rootName)) {
    const int code = zip.errorCodeZip(zip.getError(archive));
    zip.discard(archive);
    return failure(code != 0 ? code : -1, compressingFailed(code));
  }
  const int closed = zip.close(archive);
  if (closed != 0) {
    zip.discard(archive);
    return failure(closed, finalizingFailed(closed));
  }
  return {};
}

ArchiveStatus unpackArchive(const std::string& archivePath, const std::string& destination,
                            const std::string& displayName) {
  InputFile source;
  if (!source.open(archivePath)) return failure(kArchiveUnreadable, cannotOpenArchive(displayName));
  return unpackArchive(source, destination, displayName);
}

ArchiveStatus unpackArchive(const InputFile& source, const std::string& destination,
                            const std::string& displayName) {
  const ZipLibrary* library = zipLibrary();
  if (library == nullptr) return failure(kArchiveUnreadable, zipLibraryMissing());
  const ZipLibrary& zip = *library;
  zip_t* archive = source.isRegular() ? openArchive(zip, source.descriptor()) : nullptr;
  if (archive == nullptr) return failure(kArchiveUnreadable, cannotOpenArchive(displayName));
  const std::uint64_t budget = unpackBudget(source.size());

  std::string folder = destination;
  if (folder.empty() || folder.back() != '/') folder.push_back('/');

  ArchiveStatus status;
  std::uint64_t total = 0;
  // Unpacked paths of the entries so far: true for a folder member.
  std::unordered_map<std::string, bool> members;
  const zip_int64_t count = zip.getNumEntries(archive, 0);
  for (zip_int64_t i = 0; status.ok() && i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t info;
    zip.statInit(&info);
    if (zip.statIndex(archive, index, 0, &info) != 0 || (info.valid & ZIP_STAT_NAME) == 0 ||
        (info.valid & ZIP_STAT_SIZE) == 0) {
      status = failure(kEntryInfoUnreadable, kCannotReadInfo);
      break;
    }
    const std::string name = info.name;
    if (!isSafeEntryName(name)) {
      status = failure(kEntryUnreadable, cannotOpenEntry(name));
      break;
    }
    // A folder member may repeat a folder; any other member sharing a path with one before
    // would replace it or be refused by it (a file where a folder is, or the reverse).
    const bool isFolder = name.back() == '/';
    const std::string path = unpackedPath(name);
    const auto [member, fresh] = members.try_emplace(path, isFolder);
    if (!fresh && !(isFolder && member->second)) {
      status = failure(kEntryUnreadable, cannotOpenEntry(name) + "\n" + memberTwice(displayName, path));
      break;
    }
    try {
      makeFolders(folder, name);
    } catch (...) {
      zip.discard(archive);
      throw;
    }
    if (isFolder) continue;
    if (isSymbolicLink(zip, archive, index)) {
      status.warnings.push_back(linkLeftOut(name));
      continue;
    }
    // Refused before unpacking: the reader would refuse the unpacked file anyway.
    const std::uint64_t limit = ufo::memberByteLimit(memberOfUfo(name));
    if (info.size > limit) {
      status = failure(kEntryReadFailed, entryTooLarge(name, limit));
      break;
    }
    // Stated sizes are checked before anything is unpacked; unpackFile holds each entry
    // to its stated size.
    total += info.size;
    if (total > budget) {
      status = failure(kEntryReadFailed,
                       cannotReadEntry(name) + "\n" + archiveUnpacksTooMuch(displayName, source.size()));
      break;
    }
    const int code = unpackFile(zip, archive, index, info.size, folder + name);
    if (code == kEntryUnreadable) status = failure(code, cannotOpenEntry(name));
    if (code == kFileNotCreated) status = failure(code, cannotCreateFile(name));
    if (code == kEntryReadFailed) status = failure(code, cannotReadEntry(name));
  }
  if (!status.ok()) {
    zip.discard(archive);
    return status;
  }
  if (zip.close(archive) != 0) {
    zip.discard(archive);
    return failure(kArchiveNotClosed, kCannotFinalize);
  }
  return status;
}

}  // namespace vn
