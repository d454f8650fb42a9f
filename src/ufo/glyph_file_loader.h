// The glyph files of "glyphs/contents.plist", read and parsed a little ahead of their
// use: a few helper threads open and read the files batch by batch and run expat over
// them into event recordings, so that the file system's latency and most of the
// parsing cost run beside the caller. Only bytes and XML events are produced there;
// every decision and message, and the limit on the bytes read, stay with the caller,
// in list order.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "ufo/limits.h"
#include "xml/xml_recording.h"

namespace ufo {

class GlyphFileLoader {
 public:
  // Opens a member of the UFO folder; called from helper threads, so it must not touch
  // shared state.
  using Opener = std::function<bool(const std::string& member, vn::InputFile& file)>;

  enum class Outcome {
    kRead,        // text holds the file
    kUnsafeName,  // the name (or its %-decoded form) leaves the glyphs folder
    kMissing,     // no file under the name nor its %-decoded form
    kOverLimit,   // reading it would pass the limit on glyph bytes
    kUnreadable,  // opened, but reading it failed
    kUnopenable,  // something is there (a looping or dangling link) that does not open
    kNotRegular,  // a folder, FIFO or device
    kTooLarge,    // larger than the limit on one file
  };
  struct Result {
    Outcome outcome = Outcome::kMissing;
    int error = 0;  // kUnopenable, kUnreadable: the system's error number
    std::string text;
    // When true, `recording` holds the file's XML events (replayed instead of parsing
    // `text`); otherwise the caller parses the text itself.
    bool recorded = false;
    xml::XmlRecording recording;
  };

  // Files go to the helpers in batches, so that threads meet once per batch rather
  // than once per file (each meeting can cost a system call).
  static constexpr std::size_t kBatch = 16;
  // Batches read ahead of the caller at most; bounds the memory held.
  static constexpr std::size_t kWindowBatches = 4;
  // Larger files are read and parsed by the caller: a recording costs several times
  // the bytes of a file made of tiny elements, and real glyph files are a few kilobytes.
  static constexpr std::size_t kMaxRecordedBytes = 256 * 1024;
  // Most helper threads.
  static constexpr unsigned kMaxHelpers = 4;

  // fileNames as listed; byteLimit bounds the bytes of all files read (a file that
  // would pass it is left out, later smaller ones are still read), fileLimit those of
  // one file.
  GlyphFileLoader(Opener open, std::vector<std::string> fileNames, std::uint64_t byteLimit,
                  std::uint64_t fileLimit = kMaxOneGlyphFileBytes);
  ~GlyphFileLoader();
  GlyphFileLoader(const GlyphFileLoader&) = delete;
  GlyphFileLoader& operator=(const GlyphFileLoader&) = delete;

  // The result for the next file of the list; call once per file name, in order.
  Result next();
  const std::string& fileName(std::size_t index) const { return fileNames_[index]; }

 private:
  // A helper's reading of one file.
  struct Prefetched {
    Result result;
    std::uint64_t size = 0;  // bytes read
    // Left to the caller: large, past the byte budget, or holding more than its size
    // said (a file that grew, a procfs file).
    bool deferred = false;
  };
  struct Slot {
    bool ready = false;
    std::vector<Prefetched> files;
  };

  // Opens file `index` under its literal or %-decoded name; the outcome when it cannot.
  bool openFile(std::size_t index, vn::InputFile& file, Result& failure) const;
  // Loads file `index` on the caller's side, counting its bytes against the limit.
  Result load(std::size_t index);
  Prefetched prefetch(std::size_t index, vn::InputFile& file, xml::XmlRecorder& recorder);
  // Takes `size` bytes from the helpers' budget; false when they would pass the limit.
  bool reserveBytes(std::uint64_t size);
  void help();
  void stop();

  Opener open_;
  std::vector<std::string> fileNames_;
  std::uint64_t byteLimit_;
  std::uint64_t fileLimit_;
  std::uint64_t bytesRead_ = 0;  // the caller's count, in list order
  std::atomic<std::uint64_t> bytesPrefetched_{0};
  vn::InputFile file_;

  std::mutex mutex_;
  std::condition_variable windowOpen_;  // the helpers: a batch was taken
  std::condition_variable slotReady_;   // the caller: a batch became ready
  // Batch `b` waits in slot b % kWindowBatches until the caller takes it.
  std::array<Slot, kWindowBatches> slots_;
  std::size_t batchCount_ = 0;
  std::size_t nextBatch_ = 0;  // the next batch a helper takes
  std::size_t batchesTaken_ = 0;
  std::exception_ptr failure_;
  bool stopping_ = false;
  // The caller's side: the batch taken last and the next file in it.
  std::vector<Prefetched> taken_;
  std::size_t takenAt_ = 0;
  std::size_t handedOut_ = 0;  // files
  std::vector<std::thread> helpers_;  // none: next() loads the files itself
};

}  // namespace ufo
