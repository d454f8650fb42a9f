#include "app/console.h"

#include <string>

void Console::line(std::string_view text) {
  std::string piece(text);
  piece.push_back('\n');
  out_ << piece << std::flush;
}

void Console::text(std::string_view text) { out_ << text << std::flush; }

void Console::progress(std::string_view text) {
  if (!silent_) line(text);
}

void Console::error(std::string_view text) {
  std::string piece(text);
  piece.push_back('\n');
  err_ << piece << std::flush;
}
