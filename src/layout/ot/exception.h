// The one exception type of the layout library. A 16-bit offset that overflows is one of
// its codes: the table writer recovers from that failure alone (Extension lookups,
// splitting) and tells it apart by code.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ot {

class Exception : public std::exception {
 public:
  // The codes in use; no other code is ever thrown.
  enum Code : int32_t {
    kOffsetOverflow = 1,  // a 16-bit offset cannot hold the distance it must express
    kReadFailed = 2,      // binary data could not be read as the format requires
    kWriteFailed = 6,     // the output could not be written
    kUnresolved = 21,     // a count, index or reference the writer cannot place
    kUnsupported = 26,    // unsupported subtable format or lookup type
    kInconsistent = 27,   // counts that do not fit the Coverage or each other
  };

  explicit Exception(int32_t code, std::string message = {});
  static Exception offsetOverflow();

  int32_t code() const noexcept { return code_; }
  bool isOffsetOverflow() const noexcept { return code_ == kOffsetOverflow; }
  // Where and why, e.g. "GPOS lookup 12 subtable 3: coverage offset past the end".
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return text_.c_str(); }

  // The same failure with a location put in front of its message.
  Exception within(const std::string& where) const;

  // "Error (OT exception): <code>" and a line end on the standard error stream, flushed:
  // what the layout XML document's reader and writer print for a failure they catch.
  void print() const;

 private:
  int32_t code_;
  std::string message_;
  std::string text_;
};

// Runs `write`: true when it completes, false when a 16-bit offset in it overflowed.
// Every other failure passes through.
template <class Write>
bool writesWithinOffsets(Write&& write) {
  try {
    write();
    return true;
  } catch (const Exception& e) {
    if (!e.isOffsetOverflow()) throw;
  }
  return false;
}

}  // namespace ot
