// Ordering of a hint program before it is stored: delta normalisation (one command per
// run of sizes with the same shift), then a priority order of the kinds, then, per
// direction, a dependency order so that every point is handled after the points it
// depends on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "hinting/tt_command.h"

namespace vn {

// Point parameters at or above this bound (no glyph has that many points plus the two
// side-bearing points) take no part in the dependency order.
constexpr int32_t kTtMaxPointCount = 65536 + 2;

// Priority of a command code (lower first); 0 for unused codes.
int32_t ttPriority(int32_t code);

// Drops zero deltas, resolves deltas of one code and point that meet at a size (the
// larger shift when the smallest is positive, else the smallest) and joins neighbouring
// sizes with the same shift into one range. Works on ranges, so a wide size range costs
// no more than a narrow one.
void normalizeDeltas(ttProgram& program);

// Priority sort, then the horizontal and the vertical dependency passes.
void orderProgram(ttProgram& program, int32_t originalPointCount);

struct ttDependencyRecord {
  int32_t command = 0;  // index in the program
  int32_t kind = 0;     // 0 link or interpolation, 1 delta
  int32_t ref1 = -1;
  int32_t ref2 = -1;
  int32_t state = 0;  // 0 pending, 1 being followed, 2 emitted
};

// A vector of indices kept sorted by compare().
class SortedArray {
 public:
  virtual ~SortedArray() = default;
  virtual int32_t compare(int32_t a, int32_t b) const = 0;
  // Binary insertion: an equal probe takes the new index just before it.
  virtual void insert(int32_t index);

  std::vector<int32_t> items;
  bool visited = false;
};

// Record indices of one point, sorted by the records' kind.
class InstructionList : public SortedArray {
 public:
  explicit InstructionList(const std::vector<ttDependencyRecord>* records) : records_(records) {}
  int32_t compare(int32_t a, int32_t b) const override;

 private:
  const std::vector<ttDependencyRecord>* records_;
};

class ttInstructionSorter {
 public:
  explicit ttInstructionSorter(int32_t pointCount);
  virtual ~ttInstructionSorter() = default;

  virtual void onRevisit(int32_t) {}
  virtual void emit(const ttDependencyRecord&) {}

  // Adds the record to the list of the point; false (nothing added) for a point outside
  // the sorter's range.
  bool add(int32_t point, const ttDependencyRecord& record);
  // Visits every point from 0 upward, emitting each record after those of the points it
  // refers to. Iterative, so a long chain of references cannot exhaust the stack.
  void run();

  int32_t pointCount() const { return pointCount_; }
  const std::vector<ttDependencyRecord>& records() const { return records_; }

 protected:
  // The first record in the point's list; null when the list is empty.
  const ttDependencyRecord* firstRecordOf(int32_t point) const;

 private:
  void visit(int32_t start);
  bool validPoint(int32_t point) const { return point >= 0 && point < pointCount_; }

  int32_t pointCount_;
  std::vector<ttDependencyRecord> records_;
  std::vector<InstructionList> lists_;
};

// Collects the emitted command indices in emission order.
class tthInstructionSorter : public ttInstructionSorter {
 public:
  using ttInstructionSorter::ttInstructionSorter;

  void emit(const ttDependencyRecord& record) override { emitted.push_back(record.command); }
  void onRevisit(int32_t point) override;

  std::vector<int32_t> emitted;
  std::vector<ttDependencyRecord> revisits;
};

}  // namespace vn
