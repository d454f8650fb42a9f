#include "hinting/ufo_hinting.h"

#include "model/numbers.h"

namespace vn {

namespace {

// Indices into FontHinting::params4.
constexpr size_t kZonePpm = 0;
constexpr size_t kStemSnapLimit = 1;
constexpr size_t kCodePpm = 2;

struct FontValue {
  const char* key;
  size_t index;
};
// In the order they are written.
constexpr FontValue kFontValues[] = {
    {"stemsnaplimit", kStemSnapLimit}, {"codeppm", kCodePpm}, {"zoneppm", kZonePpm}};

// A number entry: an "integer" read as atoi would, else a "real" as atof would, else 0.
double numberOf(const HintLibNode* node) {
  if (!node) return 0.0;
  if (node->type == HintLibNode::kInteger) return leadingInt32(node->value);
  if (node->type == HintLibNode::kReal) return leadingDouble(node->value);
  return 0.0;
}

bool isFalse(const HintLibNode* node) { return node && node->type == HintLibNode::kFalse; }

// Size -> value entries of a "delta" or "round" dict, as 16-bit pairs.
StepMap stepsOf(const HintLibNode* dict) {
  StepMap steps;
  if (!dict || dict->type != HintLibNode::kDict) return steps;
  for (const auto& entry : dict->children) {
    if (entry.type != HintLibNode::kInteger) continue;
    steps[static_cast<uint16_t>(leadingInt32(entry.key))] =
        static_cast<uint16_t>(leadingInt32(entry.value));
  }
  return steps;
}

const HintLibNode* dictChild(const HintLibNode& node, std::string_view key) {
  const HintLibNode* child = node.child(key);
  return child && child->type == HintLibNode::kDict ? child : nullptr;
}

}  // namespace

const HintLibNode* HintLibNode::child(std::string_view childKey) const {
  for (const auto& entry : children) {
    if (entry.key == childKey) return &entry;
  }
  return nullptr;
}

void storeFontHinting(ttInterpreter& interpreter, const FontMetrics* metrics,
                      const FontHinting* hinting) {
  interpreter.clearZonesAndStems();
  if (metrics) metrics->transfer(interpreter);
  if (hinting) hinting->transfer(interpreter);
}

void loadFontHinting(ttInterpreter& interpreter, const FontMetrics* metrics,
                     const FontHinting& hinting) {
  storeFontHinting(interpreter, metrics, &hinting);
  interpreter.nameZonesAndStems();
}

std::string fontHintingLibText(const FontHinting& hinting, const ttInterpreter& interpreter) {
  static const FontHinting fresh;
  const std::string pad(kTtHintingIndent, ' ');
  std::string out;
  for (const FontValue& value : kFontValues) {
    if (hinting.params4[value.index] == fresh.params4[value.index]) continue;
    out += pad + "<key>" + value.key + "</key>\n";
    out += pad + "<integer>" + formatInteger(hinting.params4[value.index]) + "</integer>\n";
  }
  interpreter.writeFontHintingXml(out, kTtHintingIndent);
  return out;
}

std::string glyphProgramLibText(ttInterpreter& interpreter, std::span<const uint8_t> commandBytes,
                                Layer& body) {
  std::string out;
  if (commandBytes.empty()) return out;
  interpreter.decodeCommands(commandBytes, 0);
  interpreter.namePoints(body);
  interpreter.writeProgramXml(out, kTtProgramIndent);
  return out;
}

std::vector<std::string> readFontHintingDict(const HintLibNode& dict, FontHinting& hinting) {
  std::vector<std::string> lostRounding;
  for (const FontValue& value : kFontValues) {
    const HintLibNode* node = dict.child(value.key);
    if (node && node->type == HintLibNode::kInteger) {
      hinting.params4[value.index] = leadingInt32(node->value);
    }
  }

  std::vector<Zone> topZones;
  std::vector<Zone> bottomZones;
  if (const HintLibNode* zones = dictChild(dict, "zones")) {
    for (const auto& entry : zones->children) {
      if (entry.type != HintLibNode::kDict) continue;
      Zone zone;
      zone.name = entry.key;
      zone.position = numberOf(entry.child("position"));
      zone.width = numberOf(entry.child("width"));
      zone.kind = isFalse(entry.child("top")) ? 0 : 1;
      zone.steps = stepsOf(entry.child("delta"));
      (zone.kind ? topZones : bottomZones).push_back(std::move(zone));
    }
  }
  hinting.zones.insert(hinting.zones.end(), topZones.begin(), topZones.end());
  hinting.zones.insert(hinting.zones.end(), bottomZones.begin(), bottomZones.end());

  if (const HintLibNode* stems = dictChild(dict, "stems")) {
    for (const auto& entry : stems->children) {
      if (entry.type != HintLibNode::kDict) continue;
      Stem stem;
      stem.name = entry.key;
      stem.width = numberOf(entry.child("width"));
      bool lost = false;
      stem.steps = stemStepsFromRounding(stepsOf(entry.child("round")), lost);
      if (lost) lostRounding.push_back(stem.name);
      (isFalse(entry.child("horizontal")) ? hinting.stemsV : hinting.stemsH).push_back(std::move(stem));
    }
  }
  return lostRounding;
}

}  // namespace vn
