// The Type 2 charstring run of the CFF reader: one glyph's (or procedure's) execution
// with its current point, width and bounds.
#pragma once

#include <algorithm>
#include <cstdint>

#include "feacompiler/tables/cff_reader_impl.h"

namespace fea::cffrun {

struct Vec {
  double x = 0.0;
  double y = 0.0;
};

struct Box {
  bool empty = true;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  void add(Vec p) {
    if (empty) {
      xMin = xMax = p.x;
      yMin = yMax = p.y;
      empty = false;
      return;
    }
    xMin = std::min(xMin, p.x);
    xMax = std::max(xMax, p.x);
    yMin = std::min(yMin, p.y);
    yMax = std::max(yMax, p.y);
  }
};

class Run {
 public:
  Run(CffReaderState& s, const CffFontDict* font) : s_(s), font_(font) {}

  // Runs a charstring of `length` bytes at `start`; stops at endchar or return.
  void exec(uint32_t start, uint32_t length, int depth);
  bool hasWidthArg() const { return hasWidthArg_; }
  double width() const { return width_; }
  const Box& box() const { return box_; }
  bool ended() const { return ended_; }
  void setOffset(Vec offset) { offset_ = offset; }
  void setFont(const CffFontDict* font) { font_ = font; }
  void resetForAccent() {
    current_ = Vec{};
    ended_ = false;
    stems_ = 0;
    widthSeen_ = false;  // a part's own width is stripped; the caller keeps the first
    pendingMove_ = false;
    drawn_ = false;
  }
  int seacDepth = 0;

 private:
  void need(int n) {
    if (s_.count < n) s_.fail(cffmsg::kUnderflow);
  }
  void push(double v) {
    if (s_.count >= cfflimit::kStack) s_.fail(cffmsg::kOverflow);
    s_.stack[s_.count++] = v;
  }
  double pop() {
    need(1);
    return s_.stack[--s_.count];
  }
  double& at(int i) { return s_.stack[i]; }
  void clear() { s_.count = 0; }
  // The leading width operand of the first stack-clearing operator; true when taken.
  int takeWidth(bool extra) {
    if (widthSeen_) return 0;
    widthSeen_ = true;
    if (!extra) return 0;
    width_ = s_.stack[0] + font_->nominalWidth;
    hasWidthArg_ = true;
    return 1;
  }
  Vec map(Vec p) const {
    Vec q{p.x + offset_.x, p.y + offset_.y};
    if (!s_.hasMatrix) return q;
    const auto& m = s_.matrix;
    if (m[0] == 0.001 && m[1] == 0 && m[2] == 0 && m[3] == 0.001 && m[4] == 0 && m[5] == 0) return q;
    return Vec{(m[0] * q.x + m[2] * q.y + m[4]) * 1000.0, (m[1] * q.x + m[3] * q.y + m[5]) * 1000.0};
  }
  void moveBy(double dx, double dy) {
    current_.x += dx;
    current_.y += dy;
    pendingMove_ = true;
  }
  void startDrawing() {
    if (pendingMove_) box_.add(map(current_));
    pendingMove_ = false;
    if (!drawn_) {
      drawn_ = true;
      box_.add(map(current_));
    }
  }
  void lineBy(double dx, double dy) {
    startDrawing();
    current_.x += dx;
    current_.y += dy;
    box_.add(map(current_));
  }
  void curveBy(double dx1, double dy1, double dx2, double dy2, double dx3, double dy3) {
    startDrawing();
    const Vec p0 = map(current_);
    const Vec c1r{current_.x + dx1, current_.y + dy1};
    const Vec c2r{c1r.x + dx2, c1r.y + dy2};
    current_ = Vec{c2r.x + dx3, c2r.y + dy3};
    curveBounds(p0, map(c1r), map(c2r), map(current_));
  }
  void curveBounds(Vec p0, Vec c1, Vec c2, Vec p3);
  void hintCount() { stems_ += s_.count / 2; }
  void escape(int op);
  void arithmetic(int op);

  CffReaderState& s_;
  const CffFontDict* font_;
  Vec current_;
  Vec offset_;
  Box box_;
  bool pendingMove_ = false;
  bool drawn_ = false;
  bool widthSeen_ = false;
  bool hasWidthArg_ = false;
  double width_ = 0.0;
  int stems_ = 0;
  bool ended_ = false;
  uint32_t ops_ = 0;
  uint32_t seed_ = 12345;

 public:
  uint32_t seacBase = 0, seacAccent = 0;
  Vec seacOffset;
  bool seac = false;
};

}  // namespace fea::cffrun
