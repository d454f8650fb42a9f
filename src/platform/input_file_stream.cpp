#include "platform/input_file_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vn {

DescriptorBuffer::DescriptorBuffer(int descriptor) : descriptor_(descriptor) {
  setg(buffer_.data(), buffer_.data(), buffer_.data());
}

DescriptorBuffer::int_type DescriptorBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const std::int64_t next = position();
  ssize_t got = 0;
  do {
    got = ::pread(descriptor_, buffer_.data(), buffer_.size(), static_cast<off_t>(next));
  } while (got < 0 && errno == EINTR);
  // A read error ends the input as the end of the file does; the reader sees it short.
  if (got <= 0) return traits_type::eof();
  start_ = next;
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}

DescriptorBuffer::pos_type DescriptorBuffer::seekoff(off_type offset, std::ios_base::seekdir direction,
                                                     std::ios_base::openmode which) {
  const pos_type failed(off_type(-1));
  if ((which & std::ios_base::in) == 0) return failed;
  std::int64_t base = 0;
  if (direction == std::ios_base::cur) {
    base = position();
  } else if (direction == std::ios_base::end) {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) return failed;
    base = status.st_size;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, static_cast<std::int64_t>(offset), &target)) return failed;
  return seekpos(pos_type(off_type(target)), which);
}

DescriptorBuffer::pos_type DescriptorBuffer::seekpos(pos_type where, std::ios_base::openmode which) {
  const auto target = static_cast<std::int64_t>(off_type(where));
  if ((which & std::ios_base::in) == 0 || target < 0) return pos_type(off_type(-1));
  // Inside the bytes at hand only the read position moves; elsewhere the next read fetches.
  if (target >= start_ && target <= start_ + (egptr() - eback())) {
    setg(eback(), eback() + (target - start_), egptr());
  } else {
    start_ = target;
    setg(buffer_.data(), buffer_.data(), buffer_.data());
  }
  return where;
}

InputFileStream::InputFileStream(const InputFile& file) : std::istream(nullptr), buffer_(file.descriptor()) {
  rdbuf(&buffer_);
}

}  // namespace vn
