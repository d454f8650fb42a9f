#include "ufo/folder_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace ufo {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

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

bool ensureFolderOf(const std::string& path) {
  const auto separator = path.find_last_of("/\\");
  if (separator == std::string::npos) return true;
  const std::filesystem::path folder(path.substr(0, separator + 1));
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return true;
  return std::filesystem::create_directory(folder, error) && !error;
}

bool openInputFile(const std::string& path, std::ifstream& in) {
  in.open(path, std::ios::in | std::ios::binary);
  return in.good();
}

bool InputFile::open(const std::string& path) {
  close();
  // Non-blocking, so that a named pipe in place of a file cannot stall the read.
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor_ < 0) return false;
  struct stat status {};
  if (::fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    size_ = static_cast<std::uint64_t>(status.st_size);
  }
  return true;
}

void InputFile::close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  size_ = 0;
}

bool InputFile::readAll(std::string& contents) {
  contents.clear();
  if (descriptor_ < 0) return false;
  if (size_ > contents.max_size()) return false;
  contents.resize(static_cast<std::size_t>(size_));
  std::size_t done = 0;
  while (done < contents.size()) {
    const ssize_t got = ::read(descriptor_, contents.data() + done, contents.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      contents.clear();
      return false;
    }
    if (got == 0) break;  // the file became shorter
    done += static_cast<std::size_t>(got);
  }
  contents.resize(done);
  return true;
}

bool openOutputFile(const std::string& path, std::ofstream& out) {
  out.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
  return out.good();
}

PendingOutputFile::~PendingOutputFile() { discard(); }

bool PendingOutputFile::open(const std::string& path) {
  discard();
  // Unique among the files this process writes at the same time.
  static std::atomic<unsigned> counter{0};
  target_ = path;
  temporary_ = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
  open_ = openOutputFile(temporary_, stream_);
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

}  // namespace ufo
