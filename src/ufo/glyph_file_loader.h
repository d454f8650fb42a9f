// The glyph files of "glyphs/contents.plist", read in list order a little ahead of
// their parsing: one helper thread opens and reads while the caller parses, so that
// the file system's latency hides behind the parse. Only bytes are read there; every
// decision and message stays with the caller, in list order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ufo/folder_access.h"

namespace ufo {

class GlyphFileLoader {
 public:
  // Opens a member of the UFO folder; called from the helper thread, so it must not
  // touch shared state.
  using Opener = std::function<bool(const std::string& member, InputFile& file)>;

  enum class Outcome {
    kRead,        // text holds the file
    kUnsafeName,  // the name (or its %-decoded form) leaves the glyphs folder
    kMissing,     // no file under the name nor its %-decoded form
    kOverLimit,   // reading it would pass the limit on glyph bytes
  };
  struct Result {
    Outcome outcome = Outcome::kMissing;
    std::string text;
  };

  // Files read ahead of the caller at most; bounds the memory held.
  static constexpr std::size_t kWindow = 64;

  // fileNames as listed; byteLimit bounds the bytes of all files read (a file that
  // would pass it is left out, later smaller ones are still read).
  GlyphFileLoader(Opener open, std::vector<std::string> fileNames, std::uint64_t byteLimit);
  ~GlyphFileLoader();
  GlyphFileLoader(const GlyphFileLoader&) = delete;
  GlyphFileLoader& operator=(const GlyphFileLoader&) = delete;

  // The result for the next file of the list; call once per file name, in order.
  Result next();
  const std::string& fileName(std::size_t index) const { return fileNames_[index]; }

 private:
  // Loads file `index` (in order: the byte count depends on the files before it).
  Result load(std::size_t index);
  void run();

  Opener open_;
  std::vector<std::string> fileNames_;
  std::uint64_t byteLimit_;
  std::uint64_t bytesRead_ = 0;
  InputFile file_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Result> ready_;
  std::exception_ptr failure_;
  std::size_t handedOut_ = 0;
  bool stopping_ = false;
  std::thread helper_;  // not started: next() loads the files itself
};

}  // namespace ufo
