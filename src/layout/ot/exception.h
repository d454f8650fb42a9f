// The one exception type of the layout library, plus the 16-bit offset overflow marker
// that the table writer recovers from.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ot {

class Exception : public std::exception {
 public:
  // The codes in use; no other code is ever thrown.
  enum Code : int32_t {
    kReadFailed = 2,     // binary data could not be read as the format requires
    kWriteFailed = 6,    // the output could not be written
    kUnresolved = 21,    // a count, index or reference the writer cannot place
    kUnsupported = 26,   // unsupported subtable format or lookup type
    kInconsistent = 27,  // counts that do not fit the Coverage or each other
  };

  explicit Exception(int32_t code, std::string message = {});

  int32_t code() const noexcept { return code_; }
  // Where and why, e.g. "GPOS lookup 12 subtable 3: coverage offset past the end".
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return text_.c_str(); }

  // The same failure with a location put in front of its message.
  Exception within(const std::string& where) const;

  // "Error (OT exception): <code>" and a newline on the standard error stream, then the
  // message, when there is one, on a line of its own.
  void print() const;

 private:
  int32_t code_;
  std::string message_;
  std::string text_;
};

}  // namespace ot

namespace otl::ot_bin_layout {

// A 16-bit offset that cannot hold the distance it must express. Not an ot::Exception:
// the table writer catches it by type and recovers (Extension lookups, splitting).
class SubtableOffsetException : public std::exception {
 public:
  explicit SubtableOffsetException(int32_t code = 1) : code_(code) {}
  int32_t code() const noexcept { return code_; }
  const char* what() const noexcept override { return "16-bit offset overflow"; }

 private:
  int32_t code_;
};

}  // namespace otl::ot_bin_layout
