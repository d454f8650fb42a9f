#include "layout/ot/exception.h"

#include <charconv>
#include <cstdio>

namespace ot {

namespace {
constexpr const char* kOffsetOverflowText = "16-bit offset overflow";
constexpr const char* kPrintPrefix = "Error (OT exception): ";

std::string codeText(int32_t code) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, code);
  return std::string(buffer, result.ptr);
}
}  // namespace

Exception::Exception(int32_t code, std::string message)
    : code_(code), message_(std::move(message)) {
  text_ = "OT exception " + codeText(code_);
  if (!message_.empty()) text_ += ": " + message_;
}

Exception Exception::within(const std::string& where) const {
  return Exception(code_, message_.empty() ? where : where + ": " + message_);
}

void Exception::print() const {
  const std::string line = kPrintPrefix + codeText(code_) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

Exception Exception::offsetOverflow() { return Exception(kOffsetOverflow, kOffsetOverflowText); }

}  // namespace ot
