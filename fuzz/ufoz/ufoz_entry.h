// Entry of the ".ufoz" unpacking fuzz target, shared with the regression replay test:
// unpacks the bytes as an archive into a fresh folder and removes everything again.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/archive.h"
#include "app/file_system.h"

// True when the unpacking ended in order (success or a reported failure) and left nothing
// outside its folder.
inline bool fuzzUfozEntry(const std::uint8_t* data, std::size_t size) {
  std::string work = (std::filesystem::temp_directory_path() / "tarnwick-ufoz-XXXXXX").string();
  if (::mkdtemp(work.data()) == nullptr) return false;
  const std::string archive = work + "/input.ufoz";
  const std::string destination = work + "/out";
  {
    std::ofstream file(archive, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  bool inOrder = true;
  try {
    vn::makeFolder(destination);
    const vn::ArchiveStatus status = vn::unpackArchive(archive, destination, "input.ufoz");
    inOrder = status.ok() || !status.message.empty();
  } catch (const vn::FolderCreationError&) {
    // A folder entry clashing with a file is a reported failure.
  }
  // Only the archive and the unpack folder may exist in the work folder.
  for (const auto& entry : std::filesystem::directory_iterator(work)) {
    const std::string name = entry.path().filename().string();
    if (name != "input.ufoz" && name != "out") inOrder = false;
  }
  std::error_code ignored;
  std::filesystem::remove_all(work, ignored);
  return inOrder;
}
