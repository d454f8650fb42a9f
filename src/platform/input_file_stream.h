// A seekable input stream over an open InputFile, for readers that take a std::istream:
// the input is opened once and checked on its descriptor, and the reader then reads what
// was checked, never the path again.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <streambuf>

#include "platform/files.h"

namespace vn {

// Reads the descriptor at its own position (pread): the descriptor's shared offset is
// neither used nor moved.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int descriptor);

 protected:
  int_type underflow() override;
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction, std::ios_base::openmode which) override;
  pos_type seekpos(pos_type where, std::ios_base::openmode which) override;

 private:
  std::int64_t position() const { return start_ + (gptr() - eback()); }

  int descriptor_;
  std::int64_t start_ = 0;  // file offset of the buffer's first byte
  std::array<char, 64 * 1024> buffer_{};
};

// Reads the file without owning it: the InputFile must stay open while the stream is used.
class InputFileStream : public std::istream {
 public:
  explicit InputFileStream(const InputFile& file);

 private:
  DescriptorBuffer buffer_;
};

}  // namespace vn
