// The stored form of a hint program: the command count, per command its code byte and
// its parameters in the stream's number coding, then three coded zeros.
#include <algorithm>

#include "hinting/tt_interpreter.h"
#include "hinting/tt_ordering.h"
#include "native/stream/stream.h"

namespace vn {

namespace {

// Largest coded size of one command: the code byte and four five-byte parameters.
constexpr uint64_t kMaxCommandBytes = 21;
// Room for the count and the three closing zeros.
constexpr uint64_t kStreamSlack = 64;
constexpr int kClosingZeros = 3;
// A coded integer never begins with a byte below this; such a byte ends the parameters.
constexpr uint8_t kFirstNumberByte = 32;

bool isInterpolation(int32_t code) {
  return code == ttCode::kInterpolateH || code == ttCode::kInterpolateV;
}

}  // namespace

void ttInterpreter::decodeCommands(std::span<const uint8_t> bytes, int32_t shift) {
  program_.clear();
  resolver_ = PointResolver{};
  if (bytes.empty()) return;
  qtf::Stream stream;
  stream.attach(bytes.data(), bytes.size());
  const int32_t count = stream.readInt();
  // Every command takes at least its code byte, so the data bounds the loop whatever
  // the count claims.
  for (int32_t k = 0; k < count && !stream.atEnd(); ++k) {
    auto command = createCommand(stream.readByte());
    if (!command) continue;
    for (size_t i = 0; i < command->params.size(); ++i) {
      if (stream.atEnd() || stream.data()[stream.position()] < kFirstNumberByte) {
        if (isInterpolation(command->code)) command->params[i] = -1;
        break;
      }
      command->params[i] = stream.readInt();
    }
    command->shiftPoints(shift);
    program_.push_back(std::move(command));
  }
  // Whatever follows (the closing zeros) carries nothing.
}

void ttInterpreter::encodeCommands(std::vector<uint8_t>& out) {
  out.clear();
  // The glyph's program is complete: the next one resolves names against its own layer.
  resolver_ = PointResolver{};
  if (program_.empty()) return;
  normalizeDeltas(program_);
  orderProgram(program_, 0);
  // A program of nothing but zero deltas is an empty program, stored as no bytes.
  if (program_.empty()) return;

  qtf::Stream stream(program_.size() * kMaxCommandBytes + kStreamSlack);
  stream.writeInt(static_cast<int32_t>(program_.size()));
  for (const auto& command : program_) {
    stream.writeByte(static_cast<uint8_t>(command->code));
    for (int32_t value : command->params) stream.writeInt(value);
  }
  for (int i = 0; i < kClosingZeros; ++i) stream.writeInt(0);
  const auto written = stream.written();
  out.assign(written.begin(), written.end());
}

}  // namespace vn
