// Visual TrueType hint commands: align a point to a zone or the grid, link two points
// (optionally through a stem), interpolate a point between two others, shift a point by
// a delta at given sizes. Commands carry only indices; the interpreter owns them and
// resolves zone and stem indices against its lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hinting/tt_keywords.h"
#include "text/model_text.h"

namespace vn {

class ttInterpreter;

class ttCommand {
 public:
  ttCommand(const ttCommand&) = delete;
  ttCommand& operator=(const ttCommand&) = delete;
  virtual ~ttCommand() = default;

  // Sets the code and resizes params and paramNames to n (new parameters 0).
  virtual void set(int32_t newCode, int32_t n);
  // The kind's action on the interpreter's simulated (F26Dot6) points at its ppem.
  virtual void execute(ttInterpreter& interpreter) = 0;
  // True when the command reads the point without moving it.
  virtual bool isReference(int32_t point) const = 0;
  virtual bool moves(int32_t point) const = 0;
  virtual bool isHorizontal() const = 0;
  virtual bool isVertical() const = 0;
  virtual bool isDelta() const { return false; }
  virtual bool isFinal() const { return false; }
  virtual bool isAlign() const { return false; }
  virtual bool isLink() const { return false; }
  // Position of the stem / zone parameter; -1 when the kind has none.
  virtual int32_t stemIndex() const { return -1; }
  virtual int32_t zoneIndex() const { return -1; }
  // How many leading parameters are points.
  virtual int32_t pointCount() const = 0;
  virtual void shiftPoints(int32_t n);
  // Appends the kind's attributes (each as ` name="value"`) and ends the element.
  virtual void writeAttributes(std::string& out, const ttInterpreter& interpreter) const = 0;
  // Links only: checks the stem against the simulated original points.
  virtual void fitStem(ttInterpreter&) {}

  // Parameter i, 0 when the command has fewer.
  int32_t param(size_t i) const { return i < params.size() ? params[i] : 0; }
  // True when every point parameter has a name for the text form.
  bool hasPointNames() const;

  int32_t code = 0;
  std::vector<int32_t> params;
  std::vector<std::string> paramNames;
  // Position before a sort; sorts fall back to it.
  int32_t order = 0;

 protected:
  ttCommand() = default;
};

// Base of every concrete kind: adds the stem fitting of links against measured distances.
class ttCommandBasic : public ttCommand {
 public:
  // Measures point2 - point1 in x (fitStemX) or y (fitStemY) of the interpreter's outline
  // points and lets the interpreter drop a stem that does not fit.
  virtual void fitStemX(const ttInterpreter& interpreter);
  virtual void fitStemY(const ttInterpreter& interpreter);

 private:
  void fitStemAlong(const ttInterpreter& interpreter, bool alongX);
};

// Commands 1 and 2: point, zone (index into the top or bottom zones).
class ttCommandAlignZone : public ttCommandBasic {
 public:
  void execute(ttInterpreter& interpreter) override;
  bool isReference(int32_t) const override { return false; }
  bool moves(int32_t point) const override { return param(0) == point; }
  bool isHorizontal() const override { return false; }
  bool isVertical() const override { return true; }
  bool isAlign() const override { return true; }
  int32_t zoneIndex() const override { return 1; }
  int32_t pointCount() const override { return 1; }
  void writeAttributes(std::string& out, const ttInterpreter& interpreter) const override;

 protected:
  explicit ttCommandAlignZone(int32_t kindCode) { set(kindCode, 2); }
};

// Commands 7 and 8: point, align.
class ttCommandAlign : public ttCommandBasic {
 public:
  void execute(ttInterpreter& interpreter) override;
  bool isReference(int32_t) const override { return false; }
  bool moves(int32_t point) const override { return param(0) == point; }
  bool isHorizontal() const override { return code == ttCode::kAlignH; }
  bool isVertical() const override { return code != ttCode::kAlignH; }
  bool isAlign() const override { return true; }
  int32_t pointCount() const override { return 1; }
  void writeAttributes(std::string& out, const ttInterpreter& interpreter) const override;

 protected:
  explicit ttCommandAlign(int32_t kindCode) { set(kindCode, 2); }
};

// Commands 3 and 4: point1 (reference), point2 (moved), stem, align.
class ttCommandSingleLink : public ttCommandBasic {
 public:
  void execute(ttInterpreter& interpreter) override;
  void fitStem(ttInterpreter& interpreter) override;
  bool isReference(int32_t point) const override { return param(0) == point; }
  bool moves(int32_t point) const override { return param(1) == point; }
  bool isHorizontal() const override { return code == ttCode::kSingleLinkH; }
  bool isVertical() const override { return code != ttCode::kSingleLinkH; }
  bool isLink() const override { return true; }
  int32_t stemIndex() const override { return 2; }
  int32_t pointCount() const override { return 2; }
  void writeAttributes(std::string& out, const ttInterpreter& interpreter) const override;

 protected:
  explicit ttCommandSingleLink(int32_t kindCode) { set(kindCode, 4); }
};

// Commands 5 and 6: point1, point2 (both moved), stem.
class ttCommandDoubleLink : public ttCommandBasic {
 public:
  void execute(ttInterpreter& interpreter) override;
  void fitStem(ttInterpreter& interpreter) override;
  bool isReference(int32_t) const override { return false; }
  bool moves(int32_t point) const override { return param(0) == point || param(1) == point; }
  bool isHorizontal() const override { return code == ttCode::kDoubleLinkH; }
  bool isVertical() const override { return code != ttCode::kDoubleLinkH; }
  bool isLink() const override { return true; }
  int32_t stemIndex() const override { return 2; }
  int32_t pointCount() const override { return 2; }
  void writeAttributes(std::string& out, const ttInterpreter& interpreter) const override;

 protected:
  explicit ttCommandDoubleLink(int32_t kindCode) { set(kindCode, 3); }
};

// Commands 13 and 14: point (moved), point1, point2 (references), align.
class ttCommandInterpolate : public ttCommandBasic {
 public:
  void execute(ttInterpreter& interpreter) override;
  bool isReference(int32_t point) const override { return param(1) == point || param(2) == point; }
  bool moves(int32_t point) const override { return param(0) == point; }
  bool isHorizontal() const override { return code == ttCode::kInterpolateH; }
  bool isVertical() const override { return code != ttCode::kInterpolateH; }
  int32_t pointCount() const override { return 3; }
  void writeAttributes(std::string& out, const ttInterpreter& interpreter) const override;

 protected:
  explicit ttCommandInterpolate(int32_t kindCode) { set(kindCode, 4); }
};

// Commands 20 to 23: point, delta (eighths of a pixel), ppm1, ppm2 (the size range).
class ttCommandDelta : public ttCommandBasic {
 public:
  void execute(ttInterpreter& interpreter) override;
  bool isReference(int32_t) const override { return false; }
  bool moves(int32_t) const override { return false; }
  bool isHorizontal() const override {
    return code == ttCode::kMiddleDeltaH || code == ttCode::kFinalDeltaH;
  }
  bool isVertical() const override { return !isHorizontal(); }
  bool isDelta() const override { return true; }
  bool isFinal() const override {
    return code == ttCode::kFinalDeltaH || code == ttCode::kFinalDeltaV;
  }
  int32_t pointCount() const override { return 1; }
  void writeAttributes(std::string& out, const ttInterpreter& interpreter) const override;

 protected:
  explicit ttCommandDelta(int32_t kindCode) { set(kindCode, 4); }
};

class ttCommandAlignTop final : public ttCommandAlignZone {
 public:
  ttCommandAlignTop() : ttCommandAlignZone(ttCode::kAlignTop) {}
};
class ttCommandAlignBottom final : public ttCommandAlignZone {
 public:
  ttCommandAlignBottom() : ttCommandAlignZone(ttCode::kAlignBottom) {}
};
class ttCommandSingleLinkH final : public ttCommandSingleLink {
 public:
  ttCommandSingleLinkH() : ttCommandSingleLink(ttCode::kSingleLinkH) {}
};
class ttCommandSingleLinkV final : public ttCommandSingleLink {
 public:
  ttCommandSingleLinkV() : ttCommandSingleLink(ttCode::kSingleLinkV) {}
};
class ttCommandDoubleLinkH final : public ttCommandDoubleLink {
 public:
  ttCommandDoubleLinkH() : ttCommandDoubleLink(ttCode::kDoubleLinkH) {}
};
class ttCommandDoubleLinkV final : public ttCommandDoubleLink {
 public:
  ttCommandDoubleLinkV() : ttCommandDoubleLink(ttCode::kDoubleLinkV) {}
};
class ttCommandAlignH final : public ttCommandAlign {
 public:
  ttCommandAlignH() : ttCommandAlign(ttCode::kAlignH) {}
};
class ttCommandAlignV final : public ttCommandAlign {
 public:
  ttCommandAlignV() : ttCommandAlign(ttCode::kAlignV) {}
};
class ttCommandInterpolateH final : public ttCommandInterpolate {
 public:
  ttCommandInterpolateH() : ttCommandInterpolate(ttCode::kInterpolateH) {}
};
class ttCommandInterpolateV final : public ttCommandInterpolate {
 public:
  ttCommandInterpolateV() : ttCommandInterpolate(ttCode::kInterpolateV) {}
};
class ttCommandMiddleDeltaH final : public ttCommandDelta {
 public:
  ttCommandMiddleDeltaH() : ttCommandDelta(ttCode::kMiddleDeltaH) {}
};
class ttCommandMiddleDeltaV final : public ttCommandDelta {
 public:
  ttCommandMiddleDeltaV() : ttCommandDelta(ttCode::kMiddleDeltaV) {}
};
class ttCommandFinalDeltaH final : public ttCommandDelta {
 public:
  ttCommandFinalDeltaH() : ttCommandDelta(ttCode::kFinalDeltaH) {}
};
class ttCommandFinalDeltaV final : public ttCommandDelta {
 public:
  ttCommandFinalDeltaV() : ttCommandDelta(ttCode::kFinalDeltaV) {}
};

// A new command of the kind for codes 1 to 8, 13, 14, 20 to 23; null for any other code.
std::unique_ptr<ttCommand> makeTtCommand(int32_t code);

// A program: owned commands in order.
using ttProgram = std::vector<std::unique_ptr<ttCommand>>;

}  // namespace vn
