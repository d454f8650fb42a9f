// File-system helpers: existence tests, folder creation and removal, absolute paths,
// folder listings and file streams. Paths are UTF-8 and handed to the system as they are.
#pragma once

#include <fstream>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vn {

// Thrown by makeFolder in place of ending the process; what() is the perror-style line
// "<path>: <system error text>", and the driver ends the run with exit code 1.
class FolderCreationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What stands at a path, symbolic links followed.
enum class PathKind {
  kAbsent,       // nothing: no entry of that name, or a folder on the way is missing
  kFile,         // a regular file
  kFolder,
  kSpecial,      // a FIFO, socket or device: opening or reading it may block or never end
  kUnreachable,  // an entry that cannot be followed or examined (dangling or looping link)
};
PathKind pathKind(const std::string& path);

// True when the path names a regular file that opens for reading; a folder, FIFO or
// device does not count (opening a FIFO would block).
bool fileExists(const std::string& path);
// True when the path names a folder (a symbolic link to a folder counts).
bool isDirectory(const std::string& path);
// True when anything, a dangling symbolic link included, exists at the path.
bool pathExists(const std::string& path);

// Creates one folder: 0 on success, -1 on failure with errno set.
int makeDirectory(const std::string& path);
// Creates one folder; an existing one is accepted. Any other failure throws FolderCreationError.
void makeFolder(const std::string& path);

// The current folder, or nullopt when it cannot be read.
std::optional<std::string> currentFolder();
// The full path of an existing folder, or nullopt when it cannot be entered.
std::optional<std::string> folderFullPath(const std::string& folder);
// The path made absolute against its resolved folder; nullopt when the folder cannot be resolved.
std::optional<std::string> absolutePath(const std::string& path);

struct FolderEntry {
  std::string name;
  bool isFolder = false;  // a real folder, never a symbolic link
};

// The entries of a folder other than "." and "..", sorted by name; nullopt when unreadable.
std::optional<std::vector<FolderEntry>> listFolder(const std::string& path);

// Removes a file or a folder tree, printing "<path> directory" and "<path> file" for every
// removed child to `out`. Symbolic links are removed, never followed. Always returns false.
bool removeFolder(const std::string& path, std::ostream& out);
bool removeFolder(const std::string& path);
// removeFolder on a tree that was moved aside from `shown`: the lines name the children
// below `shown`.
bool removeFolderShownAs(const std::string& path, const std::string& shown, std::ostream& out);

// Removes a file or folder tree (a half-written output) without printing anything.
void removeQuietly(const std::string& path);

// Moves a finished file or folder onto its target name (replacing a file of that name).
bool movePath(const std::string& from, const std::string& to);

// True when the folder part of the path (up to its last separator) exists;
// otherwise creates that one folder (not recursively) and says whether that
// worked. A path without a folder part gives true.
bool ensureFolderOf(const std::string& path);

// The stream openers (binary unless told otherwise); true when the stream is good, a
// failure leaves it in its failed state.
void openFileStream(std::fstream& stream, const std::string& path, std::ios::openmode mode);
bool openInputFile(std::ifstream& stream, const std::string& path,
                   std::ios::openmode mode = std::ios::binary);
bool openOutputFile(std::ofstream& stream, const std::string& path,
                    std::ios::openmode mode = std::ios::binary);

// A path in `folder` whose file name is a fresh six-character name followed by `suffix`,
// redrawn while anything exists at it.
std::string uniqueTemporaryPath(const std::string& folder, const std::string& suffix);
// A fresh six-character name of letters and digits.
std::string temporaryName();

}  // namespace vn
