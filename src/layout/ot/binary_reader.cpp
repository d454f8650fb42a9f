#include "layout/ot/binary_reader.h"

#include <utility>

#include "layout/ot/exception.h"
#include "layout/ot/limits.h"

namespace ot {

namespace {
const std::string& keptTooMuch() {
  static const std::string text = "the records read would take more than " +
                                  std::to_string(ot::limits::kKeptBytesPerByte) +
                                  " times the table's size in memory";
  return text;
}
}  // namespace

BinaryReader::BinaryReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

BinaryReader::BinaryReader(std::string_view bytes)
    : bytes_(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}

void BinaryReader::startBudget(uint64_t recordsLeft) {
  budget_ = std::make_shared<ReadBudget>();
  budget_->records.restore(recordsLeft);
  budget_->left = ot::limits::operationsBudget(bytes_.size());
  budget_->keptLeft = ot::limits::keptBytesBudget(bytes_.size());
  notes_ = std::make_shared<std::vector<ReadNote>>();
}

void BinaryReader::note(const std::string& message) const {
  // One note per place and message: a table repeating a defect says it once per subtable.
  if (!notes_ || notes_->size() >= ot::limits::kMaxReadNotes ||
      (!notes_->empty() && notes_->back().where == context_ && notes_->back().message == message)) return;
  notes_->push_back(ReadNote{context_, message});
}

std::vector<ReadNote> BinaryReader::takeNotes() const {
  if (!notes_) return {};
  return std::exchange(*notes_, {});
}

void BinaryReader::fail(const std::string& why) const {
  throw Exception(Exception::kReadFailed, context_.empty() ? why : context_ + ": " + why);
}

uint8_t BinaryReader::readUInt8() {
  if (remaining() < 1) fail("read past the end");
  return bytes_[pos_++];
}

uint16_t BinaryReader::readUInt16() {
  if (remaining() < 2) fail("read past the end");
  const uint16_t value = static_cast<uint16_t>((bytes_[pos_] << 8) | bytes_[pos_ + 1]);
  pos_ += 2;
  return value;
}

std::vector<uint16_t> BinaryReader::readUInt16Array(uint64_t count) {
  requireRecords(count, 2);
  std::vector<uint16_t> values(count);
  for (auto& v : values) v = readUInt16();
  return values;
}

uint32_t BinaryReader::readUInt32() {
  if (remaining() < 4) fail("read past the end");
  const uint32_t value = (uint32_t{bytes_[pos_]} << 24) | (uint32_t{bytes_[pos_ + 1]} << 16) |
                         (uint32_t{bytes_[pos_ + 2]} << 8) | uint32_t{bytes_[pos_ + 3]};
  pos_ += 4;
  return value;
}

std::span<const uint8_t> BinaryReader::readBytes(size_t count) {
  if (remaining() < count) fail("read past the end");
  auto piece = bytes_.subspan(pos_, count);
  pos_ += count;
  return piece;
}

void BinaryReader::seek(size_t position) {
  if (position > bytes_.size()) fail("position past the end");
  pos_ = position;
}

void BinaryReader::skip(size_t count) {
  if (remaining() < count) fail("skip past the end");
  pos_ += count;
}

BinaryReader BinaryReader::window(size_t offset) const {
  if (offset > bytes_.size()) fail("offset past the end");
  return window(offset, bytes_.size() - offset);
}

BinaryReader BinaryReader::window(size_t offset, size_t length) const {
  if (offset > bytes_.size() || length > bytes_.size() - offset) fail("offset past the end");
  if (depth_ + 1 > ot::limits::kMaxNesting) fail("nesting too deep");
  charge();
  BinaryReader child(bytes_.subspan(offset, length));
  child.depth_ = depth_ + 1;
  child.budget_ = budget_;
  child.notes_ = notes_;
  child.context_ = context_;
  return child;
}

void BinaryReader::requireRecords(uint64_t count, uint64_t recordSize) const {
  if (recordSize != 0 && count > remaining() / recordSize) fail("count larger than the data");
}

void BinaryReader::charge(uint64_t steps) const {
  if (!budget_) return;
  if (budget_->left < steps) {
    budget_->left = 0;
    fail("operations budget exhausted");
  }
  budget_->left -= steps;
}

void BinaryReader::keep(uint64_t bytes) const {
  if (!budget_) return;
  if (budget_->keptLeft < bytes) {
    budget_->keptLeft = 0;
    fail(keptTooMuch());
  }
  budget_->keptLeft -= bytes;
}

void BinaryReader::keepRecords(uint64_t records) const {
  if (!budget_) return;
  if (!budget_->records.take(records)) {
    budget_->recordsPassed = true;
    fail(modelBudgetPassed());
  }
}

void BinaryReader::restoreRecords(uint64_t left) const {
  if (!budget_) return;
  budget_->records.restore(left);
  budget_->recordsPassed = false;
}

}  // namespace ot
