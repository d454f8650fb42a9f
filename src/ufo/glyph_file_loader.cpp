#include "ufo/glyph_file_loader.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "ufo/reader_font.h"
#include "xml/uri.h"

namespace ufo {
namespace {
constexpr const char* kGlyphFolder = "glyphs/";
}  // namespace

GlyphFileLoader::GlyphFileLoader(Opener open, std::vector<std::string> fileNames, std::uint64_t byteLimit,
                                 std::uint64_t fileLimit)
    : open_(std::move(open)), fileNames_(std::move(fileNames)), byteLimit_(byteLimit), fileLimit_(fileLimit) {
  const unsigned cores = std::thread::hardware_concurrency();
  batchCount_ = (fileNames_.size() + kBatch - 1) / kBatch;
  // A single batch gains nothing from helpers.
  if (batchCount_ < 2 || cores < 2) return;
  const unsigned helpers = std::min(kMaxHelpers, std::max(1u, cores - 1));
  try {
    for (unsigned i = 0; i < helpers; ++i) helpers_.emplace_back([this] { help(); });
  } catch (const std::system_error&) {
    // Too few threads to be had: next() reads (and the caller parses) the files itself.
    stop();
  }
}

GlyphFileLoader::~GlyphFileLoader() { stop(); }

void GlyphFileLoader::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  windowOpen_.notify_all();
  slotReady_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
  helpers_.clear();
}

bool GlyphFileLoader::openFile(std::size_t index, vn::InputFile& file, Result& failure) const {
  // The literal name first; older files %-encode some characters. A name under which
  // something stands that does not open is not tried otherwise: that file is not missing.
  const auto unopenable = [&] {
    failure.outcome = Outcome::kUnopenable;
    failure.error = file.openError();
    return false;
  };
  const std::string& fileName = fileNames_[index];
  if (isSafeGlyphFileName(fileName)) {
    if (open_(kGlyphFolder + fileName, file)) return true;
    if (!file.absent()) return unopenable();
  }
  const std::string decoded = xml::Uri::decodePercent(fileName);
  if (!isSafeGlyphFileName(fileName) || !isSafeGlyphFileName(decoded)) {
    failure.outcome = Outcome::kUnsafeName;
    return false;
  }
  failure.outcome = Outcome::kMissing;
  if (decoded == fileName) return false;
  if (open_(kGlyphFolder + decoded, file)) return true;
  return file.absent() ? false : unopenable();
}

GlyphFileLoader::Result GlyphFileLoader::load(std::size_t index) {
  Result result;
  if (!openFile(index, file_, result)) return result;
  const std::uint64_t size = file_.size();
  const std::uint64_t left = byteLimit_ - bytesRead_;
  if (!file_.isRegular()) {
    result.outcome = Outcome::kNotRegular;
  } else if (size > fileLimit_) {
    result.outcome = Outcome::kTooLarge;
  } else if (size > left) {
    result.outcome = Outcome::kOverLimit;
  } else {
    // The size given is read past when the file holds more (it grew, or is a procfs
    // file whose size reads as 0): the bounds hold for what is read.
    const bool withinFileLimit = fileLimit_ <= left;
    switch (file_.readAll(result.text, std::min(fileLimit_, left))) {
      case vn::InputFile::ReadOutcome::kRead:
        bytesRead_ += result.text.size();
        result.outcome = Outcome::kRead;
        break;
      case vn::InputFile::ReadOutcome::kTooLarge:
        // What was read counts, so that a list naming such a file again reads no more.
        bytesRead_ = withinFileLimit ? bytesRead_ + fileLimit_ : byteLimit_;
        result.outcome = withinFileLimit ? Outcome::kTooLarge : Outcome::kOverLimit;
        break;
      case vn::InputFile::ReadOutcome::kFailed:
        result.outcome = Outcome::kUnreadable;
        result.error = file_.readError();
        break;
    }
  }
  file_.close();
  return result;
}

bool GlyphFileLoader::reserveBytes(std::uint64_t size) {
  std::uint64_t taken = bytesPrefetched_.load();
  do {
    if (size > byteLimit_ - std::min(taken, byteLimit_)) return false;
  } while (!bytesPrefetched_.compare_exchange_weak(taken, taken + size));
  return true;
}

GlyphFileLoader::Prefetched GlyphFileLoader::prefetch(std::size_t index, vn::InputFile& file,
                                                       xml::XmlRecorder& recorder) {
  Prefetched prefetched;
  if (!openFile(index, file, prefetched.result)) return prefetched;
  const std::uint64_t size = file.size();
  // The helpers read no more in all than the limit allows, so that a list naming one
  // file many times costs no more reading than it does in order. What is no regular
  // file is judged by the caller.
  if (!file.isRegular() || size > kMaxRecordedBytes || size > fileLimit_ || !reserveBytes(size)) {
    file.close();
    prefetched.deferred = true;
    return prefetched;
  }
  // Read no further than the bytes taken: a file holding more is read by the caller.
  const auto read = file.readAll(prefetched.result.text, size);
  const int error = file.readError();
  file.close();
  if (read == vn::InputFile::ReadOutcome::kTooLarge) {
    bytesPrefetched_ -= size;
    prefetched.deferred = true;
    return prefetched;
  }
  if (read == vn::InputFile::ReadOutcome::kFailed) {
    prefetched.result.outcome = Outcome::kUnreadable;
    prefetched.result.error = error;
    return prefetched;
  }
  prefetched.size = prefetched.result.text.size();
  prefetched.result.outcome = Outcome::kRead;
  recorder.record(prefetched.result.text, prefetched.result.recording);
  prefetched.result.recorded = true;
  return prefetched;
}

void GlyphFileLoader::help() {
  vn::InputFile file;
  xml::XmlRecorder recorder;
  for (;;) {
    std::size_t batch = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      windowOpen_.wait(lock, [&] {
        return stopping_ || failure_ || nextBatch_ == batchCount_ || nextBatch_ - batchesTaken_ < kWindowBatches;
      });
      if (stopping_ || failure_ || nextBatch_ == batchCount_) return;
      batch = nextBatch_++;
    }
    std::vector<Prefetched> files;
    try {
      const std::size_t first = batch * kBatch;
      const std::size_t end = std::min(fileNames_.size(), first + kBatch);
      files.reserve(end - first);
      for (std::size_t index = first; index < end; ++index) files.push_back(prefetch(index, file, recorder));
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      slotReady_.notify_all();
      windowOpen_.notify_all();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Slot& slot = slots_[batch % kWindowBatches];
      slot.files = std::move(files);
      slot.ready = true;
    }
    slotReady_.notify_one();
  }
}

GlyphFileLoader::Result GlyphFileLoader::next() {
  if (helpers_.empty()) return load(handedOut_++);
  if (takenAt_ == taken_.size()) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      Slot& slot = slots_[batchesTaken_ % kWindowBatches];
      slotReady_.wait(lock, [&] { return slot.ready || failure_; });
      if (!slot.ready) std::rethrow_exception(failure_);
      taken_ = std::move(slot.files);
      slot = Slot{};
      takenAt_ = 0;
      ++batchesTaken_;
    }
    windowOpen_.notify_one();
  }
  const std::size_t index = handedOut_++;
  Prefetched& prefetched = taken_[takenAt_++];
  if (prefetched.deferred) return load(index);
  // The limit, counted in list order as load() counts it.
  if (prefetched.result.outcome == Outcome::kRead) {
    if (prefetched.size > byteLimit_ - bytesRead_) return Result{Outcome::kOverLimit, 0, {}, false, {}};
    bytesRead_ += prefetched.size;
  }
  return std::move(prefetched.result);
}

}  // namespace ufo
