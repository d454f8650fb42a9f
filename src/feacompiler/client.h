// The compiler's view of its client: file access, glyph lookup, messages and the table
// output. Everything the compiler reaches outside its own records goes through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fea {

// Message levels. Notes and warnings are recorded, not shown; errors and fatal messages
// are shown with their level; a line is shown as it stands (the parser's syntax errors
// and the compiler's own guards, whose texts carry their form).
enum MessageLevel : int { kMsgNote = 0, kMsgWarning = 1, kMsgError = 2, kMsgFatal = 3, kMsgLine = 4 };

class FeaClient {
 public:
  virtual ~FeaClient() = default;

  // Ends the compile; never returns (throws FeaCompilerException).
  [[noreturn]] virtual void fatal() = 0;
  // One message at a level (MessageLevel): the one way the compiler says anything.
  virtual void message(int level, const std::string& text) = 0;
  virtual const char* clientName() const { return "FEA_compiler"; }

  // Table output: one byte, a run of bytes, the write position and seeking.
  virtual void outPut1(uint8_t byte) = 0;
  virtual void outWriteN(size_t count, const uint8_t* data) = 0;
  virtual uint32_t outTell() = 0;
  virtual void outSeek(uint32_t position) = 0;

  // Feature text. open: null name = the caller's text; returns the opened file's name, or
  // false when there is nothing to open. A nonzero offset reopens a file at the name open
  // returned for it earlier (already resolved). refill: the next buffer, count 0 at the end.
  virtual bool featOpen(const char* name, long offset, std::string& openedName) = 0;
  virtual const char* featRefill(size_t& count) = 0;
  virtual void featClose() = 0;

  // What 'aalt' got, once the text is read, when the text has an 'aalt' feature block: the
  // features it lists that gave it no rule (in the order listed), and whether it got any
  // rule at all (without one no 'aalt' is built).
  virtual void aaltOutcome(const std::vector<uint32_t>& /*listedWithoutRule*/, bool /*built*/) {}

  // Text of an anonymous block; the front end keeps none.
  virtual void anonBlock(const std::string& /*text*/, uint32_t /*tag*/) {}

  // Glyph id for a name the font lacks; 65535 or more when it has none.
  virtual uint32_t glyphLookup(const char* name) = 0;
  // Alias of a glyph name before it is looked up.
  virtual const char* nameAlias(const char* name) { return name; }
};

}  // namespace fea
