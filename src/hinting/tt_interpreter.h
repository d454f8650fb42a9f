// One glyph's visual TrueType hint program with the font's TrueType zones and stems.
// A Transfer consumer: the font model streams the metrics, the hinting block and a
// glyph's outline into it. It turns the program into the stored command bytes and
// back, and into the "ttProgram" text of the UFO glyph lib and back.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "hinting/tt_command.h"
#include "model/transfer.h"
#include "text/model_text.h"

namespace vn {

class Layer;

struct ttPoint {
  int32_t x = 0;  // F26Dot6
  int32_t y = 0;
  uint8_t onCurve = 0;
  uint8_t start = 0;
};

struct ttPointPair {
  int32_t first = 0;
  int32_t second = 0;
  bool operator==(const ttPointPair&) const = default;
};

struct ttZone {
  std::string name;
  double position = 0.0;
  double width = 0.0;
  uint8_t top = 0;
  std::map<int32_t, int32_t> extras;  // per-size values, written as "delta"
};

struct ttStem {
  std::string name;
  double width = 0.0;
  std::map<int32_t, int32_t> extras;  // per-size values, written as "round"
};

// The hint simulation's state: F26Dot6 points (the outline points, then "lsb" and "rsb"),
// zone positions and stem widths at one size. Nothing in a conversion fills it.
struct ttSimulation {
  std::vector<ttPoint> current;
  std::vector<ttPoint> original;
  std::vector<uint8_t> touched;                 // bit 0: x, bit 1: y
  std::vector<int32_t> topZonePixels;           // F26Dot6 positions
  std::vector<int32_t> bottomZonePixels;
  std::vector<int32_t> horizontalStemPixels;    // whole pixels
  std::vector<int32_t> verticalStemPixels;
  double ppem = 0.0;

  static constexpr uint8_t kTouchedX = 1;
  static constexpr uint8_t kTouchedY = 2;

  // A coordinate rounded by an align code; negative codes leave it.
  static int32_t roundByAlign(int32_t value, int32_t align);
  // The distance a link keeps for a measured original distance (stems of the link's
  // direction: vertical stems along x).
  int32_t linkDistance(int32_t measured, int32_t stem, bool alongX) const;
};

class ttInterpreter : public Transfer {
 public:
  using Program = ttProgram;
  // Outline points reserved at the start of each glyph.
  static constexpr size_t kReservedPoints = 512;

  ttInterpreter() = default;
  ttInterpreter(const ttInterpreter&) = delete;
  ttInterpreter& operator=(const ttInterpreter&) = delete;
  ~ttInterpreter() override = default;

  // ---- Transfer
  bool beginContour(uint8_t contourFlag, int32_t nodeCount) override;
  void moveTo(const Point& p, uint8_t flags) override;
  void lineTo(const Point& p, uint8_t flags) override;
  void offCurve(const Point& p, uint8_t flags) override;
  void curveTo(const Point& c1, const Point& c2, const Point& p, uint8_t flags) override;
  void pointName(const std::string& name) override;
  bool beginElement(const Element&, int32_t contourCount, bool hasBitmap) override;
  bool beginLayer(const Layer&, uint8_t visible, uint8_t display2, int32_t elementCount) override;
  bool reserved23(int32_t, int32_t) override { return beginGlyph(); }
  bool reserved37(int32_t, int32_t) override { return clearZonesAndStems(); }
  // A PostScript stem mapped to a pair of on-curve points.
  void hint(double position, double width, uint8_t horizontal) override;
  void metric(int32_t id, double value) override;
  // Only the TrueType lists (second flag / a = 0) are taken.
  void stem(double width, int32_t horizontal, int32_t second, const Stem& record,
            const StepMap& steps) override;
  void zone(double position, double width, uint8_t kind, int32_t a, int32_t b, const Zone& record,
            const StepMap& steps) override;

  // ---- glyph and font state
  // Clears the program, reserves the outline points, empties the box.
  bool beginGlyph();
  // Deletes every command and empties the per-glyph point and pair lists.
  void clearProgram();
  bool clearZonesAndStems();
  // A new command of the kind; null for codes outside 1 to 8, 13, 14, 20 to 23.
  virtual std::unique_ptr<ttCommand> createCommand(int32_t code) const;
  // Appends a command to the program (for builders and tests).
  void addCommand(std::unique_ptr<ttCommand> command);

  // Index of the first record of that name; -1 for an empty name or none.
  static int32_t findStem(const std::string& name, const std::vector<ttStem>& list);
  static int32_t findZone(const std::string& name, const std::vector<ttZone>& list);
  // Nearest on-curve point by y (horizontal) or x; -1 and distance -1 when none.
  int32_t nearestPoint(double coordinate, bool horizontal, double& distance) const;
  // Gives unnamed zones and stems the names top%.2d, bottom%.2d, h%.2d, v%.2d.
  void nameZonesAndStems();
  // The stem parameter that survives a measured F26Dot6 distance: s itself, or -1 when
  // the stem (vertical stems for x, horizontal stems for y) does not fit.
  int32_t fitStem(int32_t stemParam, int32_t measured, bool alongX) const;

  // ---- command bytes
  // Replaces the program by the commands decoded from the bytes; points shifted by shift.
  void decodeCommands(std::span<const uint8_t> bytes, int32_t shift);
  // Normalises and orders the program in place, then encodes it; empty program, no bytes.
  void encodeCommands(std::vector<uint8_t>& out);

  // ---- text forms
  // Names the points the commands refer to, naming unnamed outline nodes of the layer.
  void namePoints(Layer& layer);
  // The "ttProgram" element, each line after `indent` blanks; nothing without a command
  // whose points all have names.
  void writeProgramXml(std::string& out, int indent) const;
  // The "zones" and "stems" entries of the font lib's hinting dict.
  void writeFontHintingXml(std::string& out, int indent) const;
  // One "ttc" element: looks up the attribute by name (null when absent). Point names
  // resolve against the layer; an invalid command is not added. True when added.
  using AttributeLookup = std::function<const std::string*(const std::string&)>;
  bool addCommandFromXml(const AttributeLookup& attribute, const Layer& layer);
  bool addCommandFromXml(const std::map<std::string, std::string>& attributes, const Layer& layer);
  // Expat-style null-terminated name/value array.
  bool addCommandFromXml(const char* const* attributes, const Layer& layer);

  // ---- state
  Program& program() { return program_; }
  const Program& program() const { return program_; }
  const std::vector<ttPoint>& outlinePoints() const { return points_; }
  const std::vector<ttPointPair>& horizontalPairs() const { return pairsH_; }
  const std::vector<ttPointPair>& verticalPairs() const { return pairsV_; }
  std::vector<ttZone>& topZones() { return topZones_; }
  std::vector<ttZone>& bottomZones() { return bottomZones_; }
  std::vector<ttStem>& horizontalStems() { return stemsH_; }
  std::vector<ttStem>& verticalStems() { return stemsV_; }
  const std::vector<ttZone>& topZones() const { return topZones_; }
  const std::vector<ttZone>& bottomZones() const { return bottomZones_; }
  const std::vector<ttStem>& horizontalStems() const { return stemsH_; }
  const std::vector<ttStem>& verticalStems() const { return stemsV_; }
  const std::map<std::string, int32_t>& pointNames() const { return pointNames_; }
  int32_t unitsPerEm() const { return unitsPerEm_; }
  ttSimulation& simulation() { return simulation_; }

 private:
  // Point names of a layer as Layer::pointIndex resolves them: "lsb", "rsb", then the
  // first node whose name, or whose name's part before a comma, matches.
  struct PointResolver {
    const Layer* layer = nullptr;
    int32_t pointCount = -1;
    std::map<std::string, int32_t> indices;

    void build(const Layer& source);
    void enter(const std::string& name, int32_t index);
    int32_t find(const std::string& name) const;
  };

  void addPoint(const Point& p, bool onCurve, bool start);
  const PointResolver& resolverFor(const Layer& layer);

  Program program_;
  std::vector<ttPoint> points_;
  std::vector<ttPointPair> pairsH_;
  std::vector<ttPointPair> pairsV_;
  std::vector<ttZone> topZones_;
  std::vector<ttZone> bottomZones_;
  std::vector<ttStem> stemsH_;
  std::vector<ttStem> stemsV_;
  int32_t unitsPerEm_ = 0;
  double unitsPerEmValue_ = 0.0;
  Rect box_;
  std::map<std::string, int32_t> pointNames_;
  // Built once per glyph for addCommandFromXml; dropped by clearProgram.
  PointResolver resolver_;
  ttSimulation simulation_;
};

// The process-wide interpreter the UFO reader fills glyph by glyph.
ttInterpreter& sharedTtInterpreter();

}  // namespace vn
