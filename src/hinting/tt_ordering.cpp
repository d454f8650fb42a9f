#include "hinting/tt_ordering.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace vn {

namespace {

// Growth step of an instruction list's storage.
constexpr size_t kListGrowth = 16;
constexpr size_t kReservedRecords = 100;

struct DeltaSpan {
  int64_t first;
  int64_t last;
  int32_t value;
};

struct DeltaRun {
  int32_t value;
  int64_t first;
  int64_t last;
};

// Resolves the shift of every size covered by the spans and joins neighbouring sizes of
// equal shift. At a size covered by several spans the shift is the largest when the
// smallest is positive, else the smallest.
std::vector<DeltaRun> resolveSpans(const std::vector<DeltaSpan>& spans) {
  std::vector<std::pair<int64_t, int32_t>> starts;  // (size, span)
  std::vector<std::pair<int64_t, int32_t>> ends;    // (size after the last, span)
  std::vector<int64_t> bounds;
  for (size_t i = 0; i < spans.size(); ++i) {
    starts.emplace_back(spans[i].first, static_cast<int32_t>(i));
    ends.emplace_back(spans[i].last + 1, static_cast<int32_t>(i));
    bounds.push_back(spans[i].first);
    bounds.push_back(spans[i].last + 1);
  }
  std::sort(starts.begin(), starts.end());
  std::sort(ends.begin(), ends.end());
  std::sort(bounds.begin(), bounds.end());
  bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

  std::vector<DeltaRun> runs;
  std::multiset<int32_t> active;
  size_t s = 0;
  size_t e = 0;
  for (size_t b = 0; b + 1 < bounds.size(); ++b) {
    const int64_t size = bounds[b];
    for (; e < ends.size() && ends[e].first <= size; ++e) {
      active.erase(active.find(spans[ends[e].second].value));
    }
    for (; s < starts.size() && starts[s].first <= size; ++s) {
      active.insert(spans[starts[s].second].value);
    }
    if (active.empty()) continue;
    const int32_t smallest = *active.begin();
    const int32_t value = smallest < 0 ? smallest : *active.rbegin();
    const int64_t last = bounds[b + 1] - 1;
    if (!runs.empty() && runs.back().value == value && runs.back().last + 1 == size) {
      runs.back().last = last;
    } else {
      runs.push_back(DeltaRun{value, size, last});
    }
  }
  return runs;
}

bool isMiddleDelta(const ttCommand& command) { return command.isDelta() && !command.isFinal(); }

void numberProgram(ttProgram& program) {
  for (size_t i = 0; i < program.size(); ++i) program[i]->order = static_cast<int32_t>(i);
}

// One dependency pass: the single links, interpolations and middle deltas of one
// direction are reordered among the positions they hold.
//
// Records enter a point's list in priority order, as the program is walked. Several
// commands of one code on the same point (a point moved twice) enter by their
// parameters rather than by their program position: the equal-kind insertion rule
// would otherwise swap them on every store, so that each round trip changed which of
// them acts last.
void dependencyPass(ttProgram& program, int32_t pointCount, int32_t singleLink,
                    int32_t interpolate, int32_t middleDelta) {
  struct Entry {
    int32_t point;
    ttDependencyRecord record;
  };
  std::vector<Entry> entries;
  std::vector<int32_t> positions;
  for (size_t u = 0; u < program.size(); ++u) {
    const ttCommand& command = *program[u];
    const int32_t index = static_cast<int32_t>(u);
    if (command.code == singleLink) {
      entries.push_back({command.param(1), {index, 0, command.param(0), -1, 0}});
    } else if (command.code == interpolate) {
      entries.push_back({command.param(0), {index, 0, command.param(1), command.param(2), 0}});
    } else if (command.code == middleDelta) {
      entries.push_back({command.param(0), {index, 1, command.param(0), -1, 0}});
    } else {
      continue;
    }
    positions.push_back(index);
  }
  if (positions.empty()) return;

  std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    const ttCommand& ca = *program[a.record.command];
    const ttCommand& cb = *program[b.record.command];
    const int32_t pa = ttPriority(ca.code);
    const int32_t pb = ttPriority(cb.code);
    if (pa != pb) return pa < pb;
    if (a.point != b.point) return a.point < b.point;
    return ca.params < cb.params;
  });
  tthInstructionSorter sorter(pointCount);
  for (const Entry& entry : entries) sorter.add(entry.point, entry.record);
  sorter.run();

  // Emitted commands first, then any the sorter could not place, in program order.
  std::vector<int32_t> sequence = sorter.emitted;
  std::vector<bool> placed(program.size(), false);
  for (int32_t index : sequence) placed[index] = true;
  for (int32_t index : positions) {
    if (!placed[index]) sequence.push_back(index);
  }
  ttProgram taken(positions.size());
  for (size_t k = 0; k < positions.size(); ++k) taken[k] = std::move(program[sequence[k]]);
  for (size_t k = 0; k < positions.size(); ++k) program[positions[k]] = std::move(taken[k]);
}

}  // namespace

int32_t ttPriority(int32_t code) {
  switch (code) {
    case ttCode::kAlignH: return 10;
    case ttCode::kDoubleLinkH: return 11;
    case ttCode::kMiddleDeltaH: return 12;
    case ttCode::kSingleLinkH: return 13;
    case ttCode::kInterpolateH: return 14;
    case ttCode::kAlignV: return 15;
    case ttCode::kAlignTop: return 16;
    case ttCode::kAlignBottom: return 17;
    case ttCode::kDoubleLinkV: return 18;
    case ttCode::kMiddleDeltaV: return 19;
    case ttCode::kSingleLinkV: return 20;
    case ttCode::kInterpolateV: return 21;
    case ttCode::kFinalDeltaH: return 22;
    case ttCode::kFinalDeltaV: return 23;
    default: return 0;
  }
}

void normalizeDeltas(ttProgram& program) {
  ttProgram result;
  // (code, point) -> spans, in key order, which is the order the deltas are stored in.
  std::map<std::pair<int32_t, int32_t>, std::vector<DeltaSpan>> groups;
  for (auto& command : program) {
    if (!command->isDelta()) {
      result.push_back(std::move(command));
      continue;
    }
    const int32_t value = command->param(1);
    if (value == 0) continue;
    const int64_t first = command->param(2);
    // A reversed range shrinks to its first size.
    const int64_t last = std::max<int64_t>(first, command->param(3));
    groups[{command->code, command->param(0)}].push_back(DeltaSpan{first, last, value});
  }
  for (const auto& [key, spans] : groups) {
    std::vector<DeltaRun> runs = resolveSpans(spans);
    std::stable_sort(runs.begin(), runs.end(), [](const DeltaRun& a, const DeltaRun& b) {
      return std::tie(a.value, a.first) < std::tie(b.value, b.first);
    });
    for (const DeltaRun& run : runs) {
      auto command = makeTtCommand(key.first);
      command->params[0] = key.second;
      command->params[1] = run.value;
      command->params[2] = static_cast<int32_t>(run.first);
      command->params[3] = static_cast<int32_t>(run.last);
      result.push_back(std::move(command));
    }
  }
  program = std::move(result);
}

void orderProgram(ttProgram& program, int32_t originalPointCount) {
  numberProgram(program);
  std::stable_sort(program.begin(), program.end(), [](const auto& a, const auto& b) {
    const int32_t pa = ttPriority(a->code);
    const int32_t pb = ttPriority(b->code);
    if (pa != pb) return pa < pb;
    if (isMiddleDelta(*a) && isMiddleDelta(*b) && a->code == b->code) {
      if (a->param(0) != b->param(0)) return a->param(0) < b->param(0);
      if (a->param(1) != b->param(1)) return a->param(1) < b->param(1);
    }
    return a->order < b->order;
  });

  int64_t pointCount = std::max(originalPointCount, 0);
  for (const auto& command : program) {
    const size_t points = std::min(command->params.size(), static_cast<size_t>(command->pointCount()));
    for (size_t i = 0; i < points; ++i) {
      pointCount = std::max<int64_t>(pointCount, int64_t{command->params[i]} + 1);
    }
  }
  pointCount = std::min<int64_t>(pointCount, kTtMaxPointCount);

  dependencyPass(program, static_cast<int32_t>(pointCount), ttCode::kSingleLinkH,
                 ttCode::kInterpolateH, ttCode::kMiddleDeltaH);
  dependencyPass(program, static_cast<int32_t>(pointCount), ttCode::kSingleLinkV,
                 ttCode::kInterpolateV, ttCode::kMiddleDeltaV);
}

void SortedArray::insert(int32_t index) {
  if (items.capacity() - items.size() < kListGrowth) items.reserve(items.size() + kListGrowth);
  if (items.empty()) {
    items.push_back(index);
    return;
  }
  int64_t low = 0;
  int64_t high = static_cast<int64_t>(items.size()) - 1;
  int64_t probe = 0;
  while (low <= high) {
    probe = (low + high) / 2;
    const int32_t c = compare(index, items[probe]);
    if (c == 0) {
      items.insert(items.begin() + probe, index);
      return;
    }
    if (c < 0) {
      high = probe - 1;
    } else {
      low = probe + 1;
    }
  }
  const bool probeSmaller = compare(items[probe], index) < 0;
  items.insert(items.begin() + probe + (probeSmaller ? 1 : 0), index);
}

int32_t InstructionList::compare(int32_t a, int32_t b) const {
  return (*records_)[a].kind - (*records_)[b].kind;
}

ttInstructionSorter::ttInstructionSorter(int32_t pointCount)
    : pointCount_(std::clamp(pointCount, 0, kTtMaxPointCount)) {
  records_.reserve(kReservedRecords);
  lists_.assign(pointCount_, InstructionList(&records_));
}

bool ttInstructionSorter::add(int32_t point, const ttDependencyRecord& record) {
  if (!validPoint(point)) return false;
  records_.push_back(record);
  lists_[point].insert(static_cast<int32_t>(records_.size() - 1));
  return true;
}

const ttDependencyRecord* ttInstructionSorter::firstRecordOf(int32_t point) const {
  if (!validPoint(point) || lists_[point].items.empty()) return nullptr;
  return &records_[lists_[point].items.front()];
}

void ttInstructionSorter::run() {
  for (int32_t p = 0; p < pointCount_; ++p) visit(p);
}

void ttInstructionSorter::visit(int32_t start) {
  struct Frame {
    int32_t point;
    size_t item;
    int32_t ref;        // 0 ref1, 1 ref2
    int32_t following;  // record whose reference is being visited, -1 none
  };
  std::vector<Frame> stack;
  auto enter = [&](int32_t p) {
    InstructionList& list = lists_[p];
    if (list.items.empty()) return;
    if (list.visited) {
      onRevisit(p);
      return;
    }
    list.visited = true;
    stack.push_back(Frame{p, 0, 0, -1});
  };
  auto advance = [](Frame& f) {
    if (f.ref == 0) {
      f.ref = 1;
    } else {
      f.ref = 0;
      ++f.item;
    }
  };

  enter(start);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.following >= 0) {
      records_[frame.following].state = 0;
      frame.following = -1;
      advance(frame);
    }
    InstructionList& list = lists_[frame.point];
    if (frame.item < list.items.size()) {
      const int32_t r = list.items[frame.item];
      ttDependencyRecord& record = records_[r];
      const int32_t ref = frame.ref == 0 ? record.ref1 : record.ref2;
      if (validPoint(ref) && ref != frame.point && record.state == 0) {
        record.state = 1;
        frame.following = r;
        enter(ref);  // may grow the stack: `frame` is not used past this point
      } else {
        advance(frame);
      }
      continue;
    }
    for (int32_t r : list.items) {
      if (records_[r].state != 0) continue;
      records_[r].state = 2;
      emit(records_[r]);
    }
    list.items.clear();
    stack.pop_back();
  }
}

void tthInstructionSorter::onRevisit(int32_t point) {
  if (const ttDependencyRecord* first = firstRecordOf(point)) revisits.push_back(*first);
}

}  // namespace vn
