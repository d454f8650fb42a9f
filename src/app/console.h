// The driver's console: every line goes out in one piece and is flushed at once.
#pragma once

#include <ostream>
#include <string_view>

class Console {
 public:
  Console(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  void setSilent(bool silent) { silent_ = silent; }
  // A line that is always printed (errors, lists).
  void line(std::string_view text);
  // A text without a line end.
  void text(std::string_view text);
  // The banner and progress lines, which "-s" hides.
  void progress(std::string_view text);
  // A line on the error stream.
  void error(std::string_view text);

  std::ostream& out() { return out_; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool silent_ = false;
};
