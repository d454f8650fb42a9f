#include "hinting/tt_command.h"

#include <algorithm>

#include "hinting/tt_interpreter.h"
#include "model/numbers.h"

namespace vn {

namespace {

using xml::appendAttribute;

void appendNumber(std::string& out, const char* name, int32_t value) {
  appendAttribute(out, name, formatInteger(value));
}

void appendPoint(std::string& out, const char* name, const ttCommand& command, size_t i) {
  if (i < command.paramNames.size()) {
    appendAttribute(out, name, unicode::modelTextToUtf8(command.paramNames[i]));
  } else {
    appendAttribute(out, name, "");
  }
}

void appendAlign(std::string& out, int32_t align) {
  const std::string text = ttAlignText(align);
  if (!text.empty()) appendAttribute(out, "align", text);
}

template <class Record>
bool validIndex(int32_t index, const std::vector<Record>& list) {
  return index >= 0 && static_cast<size_t>(index) < list.size();
}

// Stem list of a link: vertical stems for the H kinds, horizontal stems for the V kinds.
const std::vector<ttStem>& stemsFor(const ttCommand& command, const ttInterpreter& interpreter) {
  return command.isHorizontal() ? interpreter.verticalStems() : interpreter.horizontalStems();
}

void appendStemAndRound(std::string& out, const ttCommand& command,
                        const ttInterpreter& interpreter) {
  const int32_t stem = command.param(2);
  const auto& stems = stemsFor(command, interpreter);
  if (validIndex(stem, stems)) {
    appendAttribute(out, "stem", unicode::modelTextToUtf8(stems[stem].name));
  }
  if (stem == kTtStemRound) appendAttribute(out, "round", "true");
}

void endElement(std::string& out) { out += "/>\n"; }

}  // namespace

void ttCommand::set(int32_t newCode, int32_t n) {
  code = newCode;
  const size_t size = n > 0 ? static_cast<size_t>(n) : 0;
  params.resize(size, 0);
  paramNames.resize(size);
}

void ttCommand::shiftPoints(int32_t n) {
  const size_t count = std::min(params.size(), static_cast<size_t>(pointCount()));
  for (size_t i = 0; i < count; ++i) {
    params[i] = clampToInt32(int64_t{params[i]} + n);
  }
}

bool ttCommand::hasPointNames() const {
  const size_t count = static_cast<size_t>(pointCount());
  if (paramNames.size() < count) return false;
  for (size_t i = 0; i < count; ++i) {
    if (paramNames[i].empty()) return false;
  }
  return true;
}

void ttCommandBasic::fitStemX(const ttInterpreter& interpreter) { fitStemAlong(interpreter, true); }
void ttCommandBasic::fitStemY(const ttInterpreter& interpreter) { fitStemAlong(interpreter, false); }

void ttCommandBasic::fitStemAlong(const ttInterpreter& interpreter, bool alongX) {
  const int32_t slot = stemIndex();
  if (slot < 0 || static_cast<size_t>(slot) >= params.size()) return;
  const auto& points = interpreter.outlinePoints();
  const int32_t first = param(0);
  const int32_t second = param(1);
  if (!validIndex(first, points) || !validIndex(second, points)) return;
  const ttPoint& a = points[first];
  const ttPoint& b = points[second];
  const int64_t measured = alongX ? int64_t{b.x} - a.x : int64_t{b.y} - a.y;
  params[slot] = interpreter.fitStem(params[slot], clampToInt32(measured), alongX);
}

void ttCommandAlignZone::writeAttributes(std::string& out, const ttInterpreter& interpreter) const {
  appendPoint(out, "point", *this, 0);
  const auto& zones =
      code == ttCode::kAlignTop ? interpreter.topZones() : interpreter.bottomZones();
  const int32_t zone = param(1);
  if (validIndex(zone, zones)) {
    appendAttribute(out, "zone", unicode::modelTextToUtf8(zones[zone].name));
  }
  endElement(out);
}

void ttCommandAlign::writeAttributes(std::string& out, const ttInterpreter&) const {
  appendPoint(out, "point", *this, 0);
  appendAlign(out, param(1));
  endElement(out);
}

void ttCommandSingleLink::writeAttributes(std::string& out, const ttInterpreter& interpreter) const {
  appendPoint(out, "point1", *this, 0);
  appendPoint(out, "point2", *this, 1);
  appendStemAndRound(out, *this, interpreter);
  appendAlign(out, param(3));
  endElement(out);
}

void ttCommandDoubleLink::writeAttributes(std::string& out, const ttInterpreter& interpreter) const {
  appendPoint(out, "point1", *this, 0);
  appendPoint(out, "point2", *this, 1);
  appendStemAndRound(out, *this, interpreter);
  endElement(out);
}

void ttCommandInterpolate::writeAttributes(std::string& out, const ttInterpreter&) const {
  appendPoint(out, "point", *this, 0);
  appendPoint(out, "point1", *this, 1);
  appendPoint(out, "point2", *this, 2);
  appendAlign(out, param(3));
  endElement(out);
}

void ttCommandDelta::writeAttributes(std::string& out, const ttInterpreter&) const {
  appendPoint(out, "point", *this, 0);
  appendNumber(out, "delta", param(1));
  appendNumber(out, "ppm1", param(2));
  appendNumber(out, "ppm2", param(3));
  endElement(out);
}

std::unique_ptr<ttCommand> makeTtCommand(int32_t code) {
  switch (code) {
    case ttCode::kAlignTop: return std::make_unique<ttCommandAlignTop>();
    case ttCode::kAlignBottom: return std::make_unique<ttCommandAlignBottom>();
    case ttCode::kSingleLinkH: return std::make_unique<ttCommandSingleLinkH>();
    case ttCode::kSingleLinkV: return std::make_unique<ttCommandSingleLinkV>();
    case ttCode::kDoubleLinkH: return std::make_unique<ttCommandDoubleLinkH>();
    case ttCode::kDoubleLinkV: return std::make_unique<ttCommandDoubleLinkV>();
    case ttCode::kAlignH: return std::make_unique<ttCommandAlignH>();
    case ttCode::kAlignV: return std::make_unique<ttCommandAlignV>();
    case ttCode::kInterpolateH: return std::make_unique<ttCommandInterpolateH>();
    case ttCode::kInterpolateV: return std::make_unique<ttCommandInterpolateV>();
    case ttCode::kMiddleDeltaH: return std::make_unique<ttCommandMiddleDeltaH>();
    case ttCode::kMiddleDeltaV: return std::make_unique<ttCommandMiddleDeltaV>();
    case ttCode::kFinalDeltaH: return std::make_unique<ttCommandFinalDeltaH>();
    case ttCode::kFinalDeltaV: return std::make_unique<ttCommandFinalDeltaV>();
    default: return nullptr;
  }
}

}  // namespace vn
