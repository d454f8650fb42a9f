#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace vn {

bool InputFile::open(const std::string& path) {
  close();
  // Non-blocking, so that a named pipe in place of a file cannot stall the read.
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor_ < 0) {
    openError_ = errno;
    // A dangling or looping link fails as a missing file does, yet something is there.
    absent_ = pathKind(path) == PathKind::kAbsent;
    return false;
  }
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0) {
    kind_ = PathKind::kUnreachable;
  } else if (S_ISREG(status.st_mode)) {
    kind_ = PathKind::kFile;
    if (status.st_size > 0) size_ = static_cast<std::uint64_t>(status.st_size);
  } else {
    kind_ = S_ISDIR(status.st_mode) ? PathKind::kFolder : PathKind::kSpecial;
  }
  return true;
}

void InputFile::close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  size_ = 0;
  kind_ = PathKind::kAbsent;
  absent_ = false;
  openError_ = 0;
  readError_ = 0;
}

InputFile::ReadOutcome InputFile::readAll(std::string& contents, std::uint64_t limit) {
  contents.clear();
  readError_ = 0;
  if (descriptor_ < 0 || kind_ != PathKind::kFile) return ReadOutcome::kRead;
  // One byte past the limit tells that the file passes it. The size given at the open is
  // the first guess, so that a file that stays as it was takes one buffer.
  const std::uint64_t cap = std::min<std::uint64_t>(limit, contents.max_size() - 1) + 1;
  constexpr std::uint64_t kFirstGrowth = 64 * 1024;
  contents.resize(static_cast<std::size_t>(std::min(size_ + 1, cap)));
  std::size_t done = 0;
  for (;;) {
    if (done == contents.size()) {
      if (done >= cap) {
        contents.clear();
        return ReadOutcome::kTooLarge;
      }
      const std::uint64_t grown = std::max<std::uint64_t>(std::uint64_t{done} * 2, kFirstGrowth);
      contents.resize(static_cast<std::size_t>(std::min(grown, cap)));
    }
    const ssize_t got = ::pread(descriptor_, contents.data() + done, contents.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      readError_ = errno;
      contents.clear();
      return ReadOutcome::kFailed;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  contents.resize(done);
  return ReadOutcome::kRead;
}

PendingOutputFile::~PendingOutputFile() { discard(); }

bool PendingOutputFile::open(const std::string& path) {
  discard();
  // Moved onto a FIFO or device, the finished file would replace it (as root, /dev/null).
  if (pathKind(path) == PathKind::kSpecial) return false;
  // Unique among the files this process writes at the same time.
  static std::atomic<unsigned> counter{0};
  target_ = path;
  temporary_ = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  open_ = openOutputFile(stream_, temporary_);
  if (!open_) {
    stream_.close();
    std::remove(temporary_.c_str());
  }
  return open_;
}

bool PendingOutputFile::commit() {
  if (!open_) return false;
  stream_.flush();
  const bool written = stream_.good();
  stream_.close();
  open_ = false;
  std::error_code error;
  if (written && !stream_.fail()) {
    std::filesystem::rename(temporary_, target_, error);
    if (!error) return true;
  }
  std::filesystem::remove(temporary_, error);
  return false;
}

void PendingOutputFile::discard() {
  if (!open_) return;
  stream_.close();
  open_ = false;
  std::error_code error;
  std::filesystem::remove(temporary_, error);
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  PendingOutputFile file;
  if (!file.open(path)) return false;
  file.stream().write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file.commit();
}

}  // namespace vn
