// The stream over an opened input: reads and seeks as a file stream over the same file
// does, across its buffer's edges, and keeps reading the file it opened when the path is
// replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/input_file_stream.h"
#include "platform_helpers.h"

namespace {

using testing_platform::TempFolder;
using testing_platform::writeFile;

// One step of a reader: a seek (from the start, the current place or the end), then a read.
struct Step {
  long offset;
  std::ios::seekdir from;
  std::size_t read;
};

// What a stream gives for the steps: the place after each seek, the bytes read (their
// count and ends), the state.
std::string walk(std::istream& in, const Step* steps, std::size_t count) {
  std::string trace;
  for (std::size_t i = 0; i < count; ++i) {
    in.clear();
    in.seekg(steps[i].offset, steps[i].from);
    trace += "@" + std::to_string(static_cast<long long>(in.tellg()));
    std::string bytes(steps[i].read, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t n = bytes.size();
    trace += "[" + std::to_string(n) + ":" + bytes.substr(0, 8) + ".." + bytes.substr(n - std::min<std::size_t>(n, 8)) +
             "]" + (in.eof() ? "eof" : "") + (in.fail() ? "fail" : "") + "\n";
  }
  return trace;
}

TEST(InputFileStream, ReadsAndSeeksAsAFileStream) {
  std::string bytes;
  for (int i = 0; bytes.size() < 200000; ++i) bytes += std::to_string(i) + ",";
  const long size = static_cast<long>(bytes.size());
  const Step steps[] = {
      {0, std::ios::beg, 10},          {65530, std::ios::beg, 12},  // across the first buffer's end
      {-6, std::ios::cur, 4},          {100, std::ios::cur, 0},     {0, std::ios::cur, 70000},
      {-5, std::ios::end, 10},         {0, std::ios::end, 1},       {size + 5, std::ios::beg, 3},
      {-(size + 1), std::ios::end, 2}, {131070, std::ios::beg, 5},  {-131072, std::ios::cur, 3},
  };
  TempFolder folder;
  writeFile(folder / "font.qtf", bytes);
  vn::InputFile file;
  ASSERT_TRUE(file.open(folder / "font.qtf"));
  vn::InputFileStream stream(file);
  std::ifstream expected(folder / "font.qtf", std::ios::binary);
  EXPECT_EQ(walk(stream, steps, std::size(steps)), walk(expected, steps, std::size(steps)));

  // Another file, or a FIFO, put in its place is not what the stream reads.
  std::remove((folder / "font.qtf").c_str());
  ASSERT_EQ(::mkfifo((folder / "font.qtf").c_str(), 0600), 0);
  stream.clear();
  stream.seekg(0);
  std::string first(10, '\0');
  stream.read(first.data(), 10);
  EXPECT_EQ(first, bytes.substr(0, 10));
}

}  // namespace
