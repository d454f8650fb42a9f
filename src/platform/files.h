// Files read whole and files written under a temporary name, for every reader and
// writer (UFO members, the driver's outputs).
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vn {

// A file read whole without a stream: a font has thousands of small glyph files, and
// opening a stream per file costs more than reading it. Closed on destruction.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // True when the file could be opened for reading (the one opened before is closed).
  bool open(const std::string& path);
  // After a failed open: true when nothing stands at the path (it is missing, not
  // unopenable), and the system's error number of the failure.
  bool absent() const { return absent_; }
  int openError() const { return openError_; }
  void close();
  bool isOpen() const { return descriptor_ >= 0; }
  // Bytes of a regular file as its status gave them when opened; 0 for anything else. A
  // file may hold more than this (procfs files give 0, a file may grow): readAll() reads
  // to the end.
  std::uint64_t size() const { return size_; }
  // True when what was opened is a regular file (not a FIFO, device or folder).
  bool isRegular() const { return kind_ == PathKind::kFile; }
  // What the open descriptor is: a file, a folder or something special; kAbsent when
  // nothing is open. Checked on the descriptor, so the path cannot change under it.
  PathKind kind() const { return kind_; }
  // The open descriptor, or -1; it stays owned by this object.
  int descriptor() const { return descriptor_; }
  enum class ReadOutcome {
    kRead,      // contents holds the whole file
    kTooLarge,  // the file holds more than the limit (contents is empty)
    kFailed,    // a read failed (contents is empty); readError() tells why
  };
  // Replaces `contents` (its memory is reused) by the bytes of the file from its start to
  // its end, read until the end is met, whatever size() says; at most `limit` + 1 bytes
  // are ever read. What is not a regular file gives no bytes.
  [[nodiscard]] ReadOutcome readAll(std::string& contents, std::uint64_t limit);
  // The system's error number of the last failed read.
  int readError() const { return readError_; }

 private:
  int descriptor_ = -1;
  std::uint64_t size_ = 0;
  PathKind kind_ = PathKind::kAbsent;
  bool absent_ = false;
  int openError_ = 0;
  int readError_ = 0;
};

// An output file written under a temporary name beside its target and moved
// into place by commit(); dropped without commit(), the temporary file is removed.
class PendingOutputFile {
 public:
  PendingOutputFile() = default;
  ~PendingOutputFile();
  PendingOutputFile(const PendingOutputFile&) = delete;
  PendingOutputFile& operator=(const PendingOutputFile&) = delete;

  // Opens the temporary file for binary output; false when it cannot be opened or a
  // FIFO or device stands at the target.
  bool open(const std::string& path);
  std::ofstream& stream() { return stream_; }
  // Flushes, closes and renames onto the target; false (temporary removed)
  // when any write failed or the rename did not work.
  bool commit();
  void discard();

 private:
  std::string target_;
  std::string temporary_;
  std::ofstream stream_;
  bool open_ = false;
};

// Writes the bytes to path through a PendingOutputFile.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace vn
