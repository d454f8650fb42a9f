#include "ufo/glyph_file_loader.h"

#include <system_error>
#include <utility>

#include "ufo/reader_font.h"
#include "xml/uri.h"

namespace ufo {
namespace {
constexpr const char* kGlyphFolder = "glyphs/";
}  // namespace

GlyphFileLoader::GlyphFileLoader(Opener open, std::vector<std::string> fileNames, std::uint64_t byteLimit)
    : open_(std::move(open)), fileNames_(std::move(fileNames)), byteLimit_(byteLimit) {
  // A single file gains nothing from a helper.
  if (fileNames_.size() < 2 || std::thread::hardware_concurrency() < 2) return;
  try {
    helper_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    // No thread to be had: next() reads the files itself.
  }
}

GlyphFileLoader::~GlyphFileLoader() {
  if (!helper_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  helper_.join();
}

GlyphFileLoader::Result GlyphFileLoader::load(std::size_t index) {
  // The literal name first; older files %-encode some characters.
  const std::string& fileName = fileNames_[index];
  Result result;
  bool opened = isSafeGlyphFileName(fileName) && open_(kGlyphFolder + fileName, file_);
  if (!opened) {
    const std::string decoded = xml::Uri::decodePercent(fileName);
    if (!isSafeGlyphFileName(fileName) || !isSafeGlyphFileName(decoded)) {
      result.outcome = Outcome::kUnsafeName;
      return result;
    }
    opened = decoded != fileName && open_(kGlyphFolder + decoded, file_);
  }
  if (!opened) return result;  // kMissing
  const std::uint64_t size = file_.size();
  if (size > byteLimit_ - bytesRead_) {
    result.outcome = Outcome::kOverLimit;
  } else {
    bytesRead_ += size;
    result.outcome = Outcome::kRead;
    file_.readAll(result.text);
  }
  file_.close();
  return result;
}

void GlyphFileLoader::run() {
  for (std::size_t index = 0; index < fileNames_.size(); ++index) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || index - handedOut_ < kWindow; });
      if (stopping_) return;
    }
    Result result;
    try {
      result = load(index);
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      failure_ = std::current_exception();
      changed_.notify_all();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ready_.push_back(std::move(result));
    }
    changed_.notify_all();
  }
}

GlyphFileLoader::Result GlyphFileLoader::next() {
  if (!helper_.joinable()) return load(handedOut_++);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return !ready_.empty() || failure_; });
  if (ready_.empty()) std::rethrow_exception(failure_);
  Result result = std::move(ready_.front());
  ready_.pop_front();
  ++handedOut_;
  lock.unlock();
  changed_.notify_all();
  return result;
}

}  // namespace ufo
