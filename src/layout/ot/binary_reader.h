// Bounds-checked big-endian cursor over a byte span. A read past the end, a window
// outside its parent, a nesting too deep or an exhausted operations budget throws
// ot::Exception code 2; memory beyond the span is never touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "layout/ot/model_budget.h"

namespace ot {

// Steps left for one table read; shared by every window opened on that table.
struct ReadBudget {
  uint64_t left = 0;
  uint64_t keptLeft = 0;  // bytes the model may still keep (see layout/ot/limits.h)
  ModelBudget records;  // what the model of the table may still hold
  bool recordsPassed = false;
};

// Something read past with a choice made (a glyph covered twice, its first entry used):
// where, and what. One list per table read, shared like the budget.
struct ReadNote {
  std::string where;
  std::string message;
};

class BinaryReader {
 public:
  BinaryReader() = default;
  explicit BinaryReader(std::span<const uint8_t> bytes);
  explicit BinaryReader(std::string_view bytes);
  // The reader does not own its bytes: keep them alive while it is used.

  // Gives this reader (and every window opened from it) a fresh operations budget and
  // kept-bytes budget sized for its length, the budget of records the model may hold (see
  // layout/ot/limits.h), of which `recordsLeft` are still free (the other tables of the
  // layout hold the rest), and an empty list of notes.
  void startBudget(uint64_t recordsLeft = limits::kMaxModelRecords);
  // True once the operations or kept-bytes budget has run out: every further step fails.
  bool budgetExhausted() const { return budget_ && (budget_->left == 0 || budget_->keptLeft == 0); }
  // True once a kept record did not fit the model's budget; restoreRecords clears it.
  bool recordsPassed() const { return budget_ && budget_->recordsPassed; }
  // The records the model may still hold, and their return when what took them is dropped.
  uint64_t recordsLeft() const { return budget_ ? budget_->records.left() : 0; }
  void restoreRecords(uint64_t left) const;

  uint8_t readUInt8();
  int8_t readInt8() { return static_cast<int8_t>(readUInt8()); }
  uint16_t readUInt16();
  int16_t readInt16() { return static_cast<int16_t>(readUInt16()); }
  uint32_t readUInt32();
  int32_t readInt32() { return static_cast<int32_t>(readUInt32()); }
  // Count bytes as they stand.
  std::span<const uint8_t> readBytes(size_t count);
  // Count 16-bit values (offsets, glyph indices), checked to fit before allocating.
  std::vector<uint16_t> readUInt16Array(uint64_t count);

  // Position relative to the start of this reader's span.
  uint32_t position() const { return static_cast<uint32_t>(pos_); }
  size_t size() const { return bytes_.size(); }
  size_t remaining() const { return bytes_.size() - pos_; }
  std::span<const uint8_t> bytes() const { return bytes_; }

  // Absolute position inside this span; past the end throws code 2.
  void seek(size_t position);
  void skip(size_t count);

  // A reader over [offset, end) of this span, one nesting level deeper, sharing the
  // budget. Offset past the end (or, with `length`, a range past it) throws code 2.
  BinaryReader window(size_t offset) const;
  BinaryReader window(size_t offset, size_t length) const;

  // Throws code 2 unless `count` records of `recordSize` bytes fit in what is left.
  // Call before allocating for a count read from input.
  void requireRecords(uint64_t count, uint64_t recordSize) const;

  // One step per record visited; throws code 2 when the budget runs out.
  void charge(uint64_t steps = 1) const;
  // The bytes of memory the model takes for a record it keeps, counted before it is made;
  // throws code 2 when the table's kept records would pass their bound.
  void keep(uint64_t bytes) const;
  // The same for `count` glyphs of a list the model keeps (a coverage, a class definition,
  // a context position, a sequence), and for `count` glyph pairs, against the budget of
  // records the model may hold.
  void keepGlyphs(uint64_t count) const { keepRecords(count); }
  void keepPairs(uint64_t count) const { keepRecords(limits::pairRecords(count)); }

  // The text put in front of every failure of this reader ("GSUB lookup 3 subtable 1").
  void setContext(std::string context) { context_ = std::move(context); }
  const std::string& context() const { return context_; }

  [[noreturn]] void fail(const std::string& why) const;
  // Records a note under this reader's context (nothing without startBudget).
  void note(const std::string& message) const;
  // The notes recorded since startBudget, emptied.
  std::vector<ReadNote> takeNotes() const;

 private:
  void keepRecords(uint64_t records) const;

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  uint32_t depth_ = 0;
  std::shared_ptr<ReadBudget> budget_;
  std::shared_ptr<std::vector<ReadNote>> notes_;
  std::string context_;
};

}  // namespace ot
