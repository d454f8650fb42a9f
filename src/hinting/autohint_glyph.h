// PostScript stem autohinter over one glyph layer. autohint splits hints that overlap
// within one hint set into hint-replacement sets along the outline; findStems builds
// stems and ghost stems from the outline. Both are Transfer consumers fed by the model.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/font_info.h"
#include "model/geometry.h"
#include "model/hint.h"
#include "model/transfer.h"

namespace vn {

class Layer;

// Ghost widths the autohinter gives: a top-zone ghost has its edge at the position, a
// bottom-zone ghost at the position - 21.
inline constexpr double kAutohintTopGhost = -20.0;
inline constexpr double kAutohintBottomGhost = -21.0;

struct AutohintPoint {
  double x = 0.0;
  double y = 0.0;
  uint8_t start = 0;  // 1 for a contour's first point
};

// position: y of a horizontal segment, x of a vertical one; from / to along the other axis.
struct AutohintSegment {
  double position = 0.0;
  double from = 0.0;
  double to = 0.0;
  uint8_t exact = 0;  // exactly axis-parallel
};

struct AutohintLine {
  std::array<uint8_t, 32> coverage{};  // 256 cells, cell p = bit 7 - p % 8 of byte p / 8
  double position = 0.0;
  uint8_t exact = 0;
  double length = 0.0;  // signed sum of to - from of the segments

  void set(int cell) { coverage[cell / 8] |= static_cast<uint8_t>(0x80 >> (cell % 8)); }
  bool sharesCell(const AutohintLine& other) const;
};

struct AutohintGhost {
  int32_t zone = 0;
  double position = 0.0;
};

struct AutohintZone {
  std::string name;
  double position = 0.0;
  double width = 0.0;
  uint8_t top = 0;

  bool contains(double y) const {
    return top ? y >= position && y <= position + width : y >= position - width && y <= position;
  }
};

// kind 1 a horizontal hint, 2 a vertical hint, 3 the end of a hint set at a point.
struct AutohintEntry {
  int32_t kind = 0;
  int32_t index = 0;
  int32_t value = -1;
  std::string name;
};

// Writes the autohinter's result into a layer: constructed over it, it empties the
// layer's hints and replacement list, then takes hints and replacement entries.
class AddReplaceCommand : public Transfer {
 public:
  explicit AddReplaceCommand(Layer* layer);
  void hint(double position, double width, uint8_t horizontal) override;
  void replaceCommand(int32_t kind, int32_t hintIndex) override;

 private:
  Layer* layer_;
};

class AutohintGlyph : public Transfer {
 public:
  AutohintGlyph(const AutohintOptions& options, Transfer* target);

  // ---- Transfer
  bool beginContour(uint8_t contourFlag, int32_t nodeCount) override;
  void moveTo(const Point& p, uint8_t flags) override;
  void lineTo(const Point& p, uint8_t flags) override;
  void offCurve(const Point& p, uint8_t flags) override;
  void curveTo(const Point& c1, const Point& c2, const Point& p, uint8_t flags) override;
  void closingCurve() override { closing_ = true; }
  void endContour() override;
  bool beginElement(const Element&, int32_t, bool) override { return true; }
  bool beginLayer(const Layer&, uint8_t, uint8_t, int32_t) override;
  bool reserved23(int32_t, int32_t) override { return true; }  // beginGlyph
  void hint(double position, double width, uint8_t horizontal) override;
  void metric(int32_t id, double value) override;
  void zone(double position, double width, uint8_t kind, int32_t a, int32_t b, const Zone&,
            const StepMap&) override;

  // Splits the layer's hints into replacement sets when they overlap within one set.
  void autohint(Layer* layer);
  // Streams the layer in; true when hints overlap within one of its hint sets.
  bool analyse(Layer* layer);
  // Builds the hint sets along the outline and sends them to the receiver (or the target).
  void buildReplacement(Transfer* receiver);
  void visitPoint(int32_t u);
  // Stems and ghost stems from the outline, sent to the target.
  void findStemsOf(bool horizontal, bool vertical);

  const std::vector<Hint>& horizontalHints() const { return hintsH_; }
  const std::vector<Hint>& verticalHints() const { return hintsV_; }

 protected:
  Transfer* target_ = nullptr;

 private:
  struct Vec {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const Vec&) const = default;
  };
  enum class LineMode { Centred, Backward };

  // ---- outline (autohint_outline.cpp)
  bool joinTest(bool flag, Vec next, Vec after);
  void tangent(Vec from, Vec toward, double k);
  void lineSegment(Vec a, Vec b, LineMode mode);
  void addSegment(bool vertical, double position, double from, double to, bool exact);
  void addPoint(Vec p, uint8_t start);

  // ---- replacement (autohint_replace.cpp)
  bool conflict(const std::vector<int32_t>& h, const std::vector<int32_t>& v) const;
  bool offer(int32_t index, int32_t kind, bool replace);
  void closeSet();
  bool onEdge(int32_t point, const Hint& hint, int32_t kind) const;
  const Hint& hintOf(int32_t kind, int32_t index) const;
  bool sameEdgesInSet(int32_t kind, const Hint& hint) const;

  // ---- stems (autohint_stems.cpp)
  void addToLines(std::vector<AutohintLine>& lines, const AutohintSegment& segment, double scale,
                  double offset);
  void walk(const std::vector<AutohintLine>& lines, bool horizontal);
  void addStem(const AutohintLine& a, const AutohintLine& b, bool horizontal);

  const AutohintOptions& options_;
  double unitsPerEm_ = 1000.0;
  bool collecting_ = false;
  std::vector<AutohintLine> linesH_, linesV_;
  std::vector<AutohintSegment> segmentsH_, segmentsV_;
  std::vector<AutohintGhost> ghosts_;
  Rect outlineBox_, segmentBox_;
  double tolerance_ = 0.0;
  std::vector<Hint> hintsH_, hintsV_;
  std::vector<AutohintZone> zones_;
  Matrix grid_;
  std::vector<AutohintPoint> points_;
  bool closing_ = false;
  std::vector<AutohintEntry> set_, output_;
  int32_t current_ = 0, setStart_ = 0, pointCount_ = 0;
  bool replacementNeeded_ = false;
  // Per hint: an outline point lies on one of its edges (filled by buildReplacement).
  std::vector<uint8_t> pointOnEdgeH_, pointOnEdgeV_;
  Vec start_, firstC1_, firstC2_, point_, prev1_, prev2_;
  bool atStart_ = false, afterCurve_ = false, afterOffCurve_ = false, firstCurveSeen_ = false;
  int visitDepth_ = 0;
};

class AutohintGlyphQuorvel : public AutohintGlyph {
 public:
  AutohintGlyphQuorvel(const AutohintOptions& options, Transfer* target) : AutohintGlyph(options, target) {}
  virtual void setTarget(Transfer* target) { target_ = target; }
  virtual void findStems(bool horizontal, bool vertical) { findStemsOf(horizontal, vertical); }
};

}  // namespace vn
