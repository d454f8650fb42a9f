// Packing a UFO folder into a ".ufoz" zip archive and unpacking one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct zip;

// Adds the file or folder tree at `path` to the archive under the entry name `entryName`
// (a folder entry gets a trailing "/"; children are named entryName + "/" + child name).
// False as soon as an entry cannot be added; symbolic links are left out.
bool addFolderToZip(struct zip* archive, const std::string& path, const std::string& entryName);

namespace vn {

class InputFile;

// Outcome of an archive step: exit code 0 on success, otherwise the run's exit code (or, for
// packing, the failure) with the message to print.
struct ArchiveStatus {
  int exitCode = 0;
  std::string message;
  // Warning lines of an unpacking that succeeded: what was left out, each on a line.
  std::vector<std::string> warnings;
  bool ok() const { return exitCode == 0; }
};

// Writes the folder at `folder` as the archive `archivePath`, the folder's entry named
// rootName + "/". The archive appears only when complete; on failure nothing is left at
// `archivePath` besides what was there before.
ArchiveStatus packFolder(const std::string& archivePath, const std::string& folder,
                         const std::string& rootName);

// Unpacks every entry of the open archive `source` below `destination` (an existing
// folder), creating missing folders on the way. The archive is read from the open file,
// never reopened by its path; what is not a regular file is refused. Entry names that
// would leave the folder are refused, and so are two members that unpack to one path
// (which of them is the font's cannot be told) and an archive that unpacks to more than
// its budget (unpackBudget in app/limits.h). A member stored as a symbolic link is left
// out, with a warning: its text is no file's content, and following it could read outside
// the folder. `displayName` is the archive's own name for the messages. Throws
// FolderCreationError when a folder cannot be created.
ArchiveStatus unpackArchive(const InputFile& source, const std::string& destination,
                            const std::string& displayName);
// The same for the archive at `archivePath`, opened without blocking.
ArchiveStatus unpackArchive(const std::string& archivePath, const std::string& destination,
                            const std::string& displayName);

}  // namespace vn
