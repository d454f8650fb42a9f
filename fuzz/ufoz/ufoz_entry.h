// Entry of the ".ufoz" unpacking fuzz target, shared with the regression replay tests:
// unpacks the bytes as an archive into a fresh folder and removes everything again.
//
// Two kinds of input. Bytes that begin with "ENTRIES\n" describe the entries of an
// archive that is built first, so the entry names (the hostile part) get past the
// archive's checksums: one entry per line, the name, a tab and the content; a name
// that ends with "/" is a folder entry, a name that begins with "@" is stored as a
// symbolic link (mode bits) named by the rest. Any other bytes are the archive itself.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "app/archive.h"
#include "platform/file_system.h"

namespace ufoz_fuzz {

inline constexpr std::string_view kEntriesMark = "ENTRIES\n";

// Builds the archive described after the mark; false when libzip refuses it (such an
// input tells nothing about unpacking).
inline bool buildArchive(std::string_view text, const std::string& path) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  bool any = false;
  while (!text.empty()) {
    const std::size_t lineEnd = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, lineEnd);
    text.remove_prefix(std::min(lineEnd + 1, text.size()));
    const std::size_t tab = line.find('\t');
    std::string name(line.substr(0, tab));
    const std::string_view content = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    const bool link = !name.empty() && name.front() == '@';
    if (link) name.erase(0, 1);
    if (name.empty()) continue;
    zip_int64_t index = -1;
    if (name.back() == '/') {
      index = zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_RAW);
    } else if (zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0)) {
      index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE);
      if (index < 0) zip_source_free(source);
    }
    if (index < 0) continue;  // a name libzip refuses (a repeated folder, say) is left out
    any = true;
    if (link) {
      const zip_uint32_t mode = (S_IFLNK | 0777u) << 16;
      zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX, mode);
    }
  }
  if (!any) {
    zip_discard(archive);
    return false;
  }
  return zip_close(archive) == 0;
}

// Every path below `folder` with its size (-1 for folders).
inline std::map<std::string, std::uintmax_t> treeOf(const std::filesystem::path& folder) {
  std::map<std::string, std::uintmax_t> tree;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    tree[it->path().string()] = it->is_regular_file() ? it->file_size() : static_cast<std::uintmax_t>(-1);
  }
  return tree;
}

}  // namespace ufoz_fuzz

// True when the unpacking ended in order (success or a reported failure) and left nothing
// outside its folder. The unpack folder lies four levels down in the work folder, so
// entry names that climb out of it land where the check sees them.
inline bool fuzzUfozEntry(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  std::string work = (fs::temp_directory_path() / "tarnwick-ufoz-XXXXXX").string();
  if (::mkdtemp(work.data()) == nullptr) return false;
  const std::string archive = work + "/input.ufoz";
  const std::string destination = work + "/a/b/c/out";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bool inOrder = true;
  if (bytes.substr(0, ufoz_fuzz::kEntriesMark.size()) == ufoz_fuzz::kEntriesMark) {
    if (!ufoz_fuzz::buildArchive(bytes.substr(ufoz_fuzz::kEntriesMark.size()), archive)) {
      std::error_code ignored;
      fs::remove_all(work, ignored);
      return true;
    }
  } else {
    std::ofstream file(archive, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  fs::create_directories(destination);
  const auto before = ufoz_fuzz::treeOf(work);
  try {
    const vn::ArchiveStatus status = vn::unpackArchive(archive, destination, "input.ufoz");
    inOrder = status.ok() || !status.message.empty();
  } catch (const vn::FolderCreationError&) {
    // A folder entry clashing with a file is a reported failure.
  }
  // Outside the unpack folder nothing may have changed.
  for (const auto& [path, entrySize] : ufoz_fuzz::treeOf(work)) {
    if (path.rfind(destination + "/", 0) == 0) continue;
    const auto found = before.find(path);
    if (found == before.end() || found->second != entrySize) inOrder = false;
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return inOrder;
}
