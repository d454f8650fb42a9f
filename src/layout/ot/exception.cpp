#include "layout/ot/exception.h"

#include <charconv>
#include <cstdio>

namespace ot {

namespace {
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
  std::string line = "Error (OT exception): " + codeText(code_) + "\n";
  // The code alone does not say what failed: the reason follows on its own line.
  if (!message_.empty()) line += message_ + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace ot
