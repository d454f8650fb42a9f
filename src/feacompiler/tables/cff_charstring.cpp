// Type 2 charstring interpreter of the CFF reader: advance width and outline bounds.
#include <algorithm>
#include <cmath>

#include "feacompiler/tables/cff_reader_impl.h"

namespace fea {

namespace {

constexpr int kEscape = 1200;
constexpr const char* kOpsLimit = "charstring runs too long";
constexpr double kAdvanceHeight = -1000.0;

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

  // Runs a charstring of `length` bytes at `start`; false once endchar was met.
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

// Exact extremes: the end point and the curve's values where its derivative is zero.
// (Halving until the controls lie within half a unit of the end box leaves the box up
// to a unit short of the outline, so the extremes are solved instead.)
void Run::curveBounds(Vec p0, Vec c1, Vec c2, Vec p3) {
  box_.add(p3);
  auto axis = [&](double a0, double a1, double a2, double a3, bool isX) {
    // B'(t)/3 = a t^2 + b t + c
    const double a = -a0 + 3 * a1 - 3 * a2 + a3, b = 2 * (a0 - 2 * a1 + a2), c = a1 - a0;
    double roots[2];
    int n = 0;
    if (std::fabs(a) < 1e-12) {
      if (std::fabs(b) > 1e-12) roots[n++] = -c / b;
    } else {
      const double d = b * b - 4 * a * c;
      if (d >= 0) {
        const double r = std::sqrt(d);
        roots[n++] = (-b + r) / (2 * a);
        roots[n++] = (-b - r) / (2 * a);
      }
    }
    for (int i = 0; i < n; ++i) {
      const double t = roots[i];
      if (!(t > 0 && t < 1)) continue;
      const double u = 1 - t;
      const double v = u * u * u * a0 + 3 * u * u * t * a1 + 3 * u * t * t * a2 + t * t * t * a3;
      const double w0 = isX ? p0.y : p0.x, w1 = isX ? c1.y : c1.x, w2 = isX ? c2.y : c2.x, w3 = isX ? p3.y : p3.x;
      const double other = u * u * u * w0 + 3 * u * u * t * w1 + 3 * u * t * t * w2 + t * t * t * w3;
      box_.add(isX ? Vec{v, other} : Vec{other, v});
    }
  };
  axis(p0.x, c1.x, c2.x, p3.x, true);
  axis(p0.y, c1.y, c2.y, p3.y, false);
}

void Run::exec(uint32_t start, uint32_t length, int depth) {
  if (depth > cfflimit::kSubrDepth) s_.fail(cffmsg::kRangeCheck);
  uint64_t pos = start;
  const uint64_t end = uint64_t{start} + length;
  s_.seekTo(start);
  while (pos < end && !ended_) {
    if (++ops_ > cfflimit::kOpsPerGlyph) s_.fail(kOpsLimit);
    const uint8_t b0 = s_.byte();
    ++pos;
    if (b0 >= 32 || b0 == 28) {
      double v = 0;
      if (b0 == 28) {
        v = static_cast<int16_t>(s_.bigEndian(2));
        pos += 2;
      } else if (b0 <= 246) {
        v = b0 - 139;
      } else if (b0 <= 250) {
        v = (b0 - 247) * 256 + s_.byte() + 108;
        ++pos;
      } else if (b0 <= 254) {
        v = -(b0 - 251) * 256 - s_.byte() - 108;
        ++pos;
      } else {
        v = static_cast<int32_t>(s_.bigEndian(4)) / 65536.0;
        pos += 4;
      }
      push(v);
      continue;
    }
    const int n = s_.count;
    switch (b0) {
      case 1: case 3: case 18: case 23:  // hstem vstem hstemhm vstemhm
        if (takeWidth(n % 2 == 1)) {
          std::copy(s_.stack.begin() + 1, s_.stack.begin() + n, s_.stack.begin());
          --s_.count;
        }
        hintCount();
        clear();
        break;
      case 19: case 20: {  // hintmask cntrmask
        if (takeWidth(n % 2 == 1)) {
          std::copy(s_.stack.begin() + 1, s_.stack.begin() + n, s_.stack.begin());
          --s_.count;
        }
        hintCount();
        clear();
        const int bytes = (stems_ + 7) / 8;
        ops_ += static_cast<uint32_t>(bytes);  // mask bytes count against the budget too
        if (ops_ > cfflimit::kOpsPerGlyph) s_.fail(kOpsLimit);
        for (int i = 0; i < bytes; ++i) s_.byte();
        pos += static_cast<uint64_t>(bytes);
        break;
      }
      case 21: {  // rmoveto
        const int w = takeWidth(n > 2);
        need(w + 2);
        moveBy(at(w), at(w + 1));
        clear();
        break;
      }
      case 22: case 4: {  // hmoveto vmoveto
        const int w = takeWidth(n > 1);
        need(w + 1);
        if (b0 == 22) moveBy(at(w), 0); else moveBy(0, at(w));
        clear();
        break;
      }
      case 5:  // rlineto
        for (int i = 0; i + 1 < n; i += 2) lineBy(at(i), at(i + 1));
        clear();
        break;
      case 6: case 7: {  // hlineto vlineto
        bool horizontal = b0 == 6;
        for (int i = 0; i < n; ++i, horizontal = !horizontal) {
          if (horizontal) lineBy(at(i), 0); else lineBy(0, at(i));
        }
        clear();
        break;
      }
      case 8:  // rrcurveto
        for (int i = 0; i + 5 < n; i += 6) curveBy(at(i), at(i + 1), at(i + 2), at(i + 3), at(i + 4), at(i + 5));
        clear();
        break;
      case 24: {  // rcurveline
        int i = 0;
        for (; i + 5 < n - 2; i += 6) curveBy(at(i), at(i + 1), at(i + 2), at(i + 3), at(i + 4), at(i + 5));
        if (i + 1 < n) lineBy(at(i), at(i + 1));
        clear();
        break;
      }
      case 25: {  // rlinecurve
        int i = 0;
        for (; i + 1 < n - 6; i += 2) lineBy(at(i), at(i + 1));
        if (i + 5 < n) curveBy(at(i), at(i + 1), at(i + 2), at(i + 3), at(i + 4), at(i + 5));
        clear();
        break;
      }
      case 26: case 27: {  // vvcurveto hhcurveto
        int i = 0;
        double lead = 0;
        if (n % 2 == 1) lead = at(i++);
        for (; i + 3 < n; i += 4) {
          if (b0 == 27) curveBy(at(i), lead, at(i + 1), at(i + 2), at(i + 3), 0);
          else curveBy(lead, at(i), at(i + 1), at(i + 2), 0, at(i + 3));
          lead = 0;
        }
        clear();
        break;
      }
      case 30: case 31: {  // vhcurveto hvcurveto
        bool horizontal = b0 == 31;
        for (int i = 0; i + 3 < n; i += 4, horizontal = !horizontal) {
          const double last = (n - i == 5) ? at(i + 4) : 0.0;
          if (horizontal) curveBy(at(i), 0, at(i + 1), at(i + 2), last, at(i + 3));
          else curveBy(0, at(i), at(i + 1), at(i + 2), at(i + 3), last);
        }
        clear();
        break;
      }
      case 10: case 29: {  // callsubr callgsubr
        const CffIndex& index = b0 == 10 ? font_->subrs : s_.globalSubrs;
        const int32_t bias = b0 == 10 ? font_->subrBias : s_.globalBias;
        const double number = pop() + bias;
        if (!(number >= 0 && number < index.count)) s_.fail(cffmsg::kRangeCheck);
        uint32_t subrLength = 0;
        const uint32_t at = s_.indexElement(index, static_cast<uint32_t>(number), subrLength);
        exec(at, subrLength, depth + 1);
        s_.seekTo(static_cast<uint32_t>(pos));
        break;
      }
      case 11:  // return
        return;
      case 14: {  // endchar
        const int w = takeWidth(n == 1 || n == 5);
        if (n - w == 4) {
          if (seacDepth > 0 || s_.cid) s_.fail(cffmsg::kSeac);
          auto find = [&](double code) {
            if (!(code >= 0 && code <= 255)) s_.fail(cffmsg::kSeac);
            const uint16_t sid = cffStandardEncodingSid(static_cast<uint8_t>(code));
            for (uint32_t g = 0; g < s_.glyphs.size(); ++g)
              if (sid != 0 && s_.glyphs[g].id == sid) return g;
            s_.fail(cffmsg::kSeac);
          };
          seacOffset = Vec{at(w), at(w + 1)};
          seacBase = find(at(w + 2));
          seacAccent = find(at(w + 3));
          seac = true;
        }
        clear();
        ended_ = true;
        return;
      }
      case 16: {  // blend
        const double count = pop();
        const int k = s_.masters;
        if (k < 1 || !(count >= 0 && count <= cfflimit::kStack) ||
            s_.count < static_cast<int>(count) * k)
          s_.fail(cffmsg::kBlend);
        const int values = static_cast<int>(count);
        const int base = s_.count - values * k;
        for (int i = 0; i < values; ++i) {
          double v = at(base + i);
          for (int j = 1; j < k; ++j) v += s_.registry[0][j] * at(base + values + i * (k - 1) + j - 1);
          at(base + i) = v;
        }
        s_.count = base + values;
        break;
      }
      case 12: {
        const int op = kEscape + s_.byte();
        ++pos;
        escape(op);
        break;
      }
      default:
        s_.fail(cffmsg::kReservedOp);
    }
  }
}

void Run::escape(int op) {
  const int n = s_.count;
  switch (op - kEscape) {
    case 0:  // dotsection
      clear();
      return;
    case 34:  // hflex
      need(7);
      curveBy(at(0), 0, at(1), at(2), at(3), 0);
      curveBy(at(4), 0, at(5), -at(2), at(6), 0);
      clear();
      return;
    case 35:  // flex
      need(13);
      curveBy(at(0), at(1), at(2), at(3), at(4), at(5));
      curveBy(at(6), at(7), at(8), at(9), at(10), at(11));
      clear();
      return;
    case 36:  // hflex1
      need(9);
      curveBy(at(0), at(1), at(2), at(3), at(4), 0);
      curveBy(at(5), 0, at(6), at(7), at(8), -(at(1) + at(3) + at(7)));
      clear();
      return;
    case 37: {  // flex1
      need(11);
      double dx = 0, dy = 0;
      for (int i = 0; i < 10; i += 2) {
        dx += at(i);
        dy += at(i + 1);
      }
      curveBy(at(0), at(1), at(2), at(3), at(4), at(5));
      if (std::fabs(dx) > std::fabs(dy)) curveBy(at(6), at(7), at(8), at(9), at(10), -dy);
      else curveBy(at(6), at(7), at(8), at(9), -dx, at(10));
      clear();
      return;
    }
    default:
      (void)n;
      arithmetic(op - kEscape);
  }
}

void Run::arithmetic(int op) {
  auto index = [&](double v, int size, const char* text) {
    if (!(v >= 0 && v < size)) s_.fail(text);
    return static_cast<int>(v);
  };
  auto registryItem = [&](double v) {
    if (!(v >= 0 && v < 3)) s_.fail(cffmsg::kRegistry);
    return static_cast<int>(v);
  };
  switch (op) {
    case 3: { const double b = pop(), a = pop(); push(a != 0 && b != 0 ? 1 : 0); break; }
    case 4: { const double b = pop(), a = pop(); push(a != 0 || b != 0 ? 1 : 0); break; }
    case 5: push(pop() == 0 ? 1 : 0); break;
    case 9: push(std::fabs(pop())); break;
    case 10: { const double b = pop(), a = pop(); push(a + b); break; }
    case 11: { const double b = pop(), a = pop(); push(a - b); break; }
    case 12: {
      const double b = pop(), a = pop();
      if (b == 0) s_.fail(cffmsg::kDivide);
      push(a / b);
      break;
    }
    case 14: push(-pop()); break;
    case 15: { const double b = pop(), a = pop(); push(a == b ? 1 : 0); break; }
    case 18: pop(); break;
    case 20: {  // put
      const double i = pop(), v = pop();
      s_.transient[static_cast<size_t>(index(i, static_cast<int>(s_.transient.size()), cffmsg::kPut))] = v;
      break;
    }
    case 21: {  // get
      const double i = pop();
      push(s_.transient[static_cast<size_t>(index(i, static_cast<int>(s_.transient.size()), cffmsg::kGet))]);
      break;
    }
    case 22: {  // ifelse
      const double v2 = pop(), v1 = pop(), s2 = pop(), s1 = pop();
      push(v1 <= v2 ? s1 : s2);
      break;
    }
    case 23:
      seed_ = seed_ * 1103515245u + 12345u;
      push(((seed_ >> 8) % 65535 + 1) / 65536.0);
      break;
    case 24: { const double b = pop(), a = pop(); push(a * b); break; }
    case 26: {
      const double a = pop();
      if (a < 0) s_.fail(cffmsg::kRangeCheck);
      push(std::sqrt(a));
      break;
    }
    case 27: { const double a = pop(); push(a); push(a); break; }
    case 28: { const double b = pop(), a = pop(); push(b); push(a); break; }
    case 29: {  // index
      const double i = pop();
      if (s_.count == 0) s_.fail(cffmsg::kUnderflow);
      if (std::isnan(i)) s_.fail(cffmsg::kStackCheck);
      const int j = i < 0 ? 0 : static_cast<int>(std::min<double>(i, s_.count));
      if (j >= s_.count) s_.fail(cffmsg::kStackCheck);
      push(s_.stack[s_.count - 1 - j]);
      break;
    }
    case 30: {  // roll
      const double jv = pop(), nv = pop();
      if (!(nv >= 0 && nv <= s_.count) || !std::isfinite(jv)) s_.fail(cffmsg::kStackCheck);
      const int count = static_cast<int>(nv);
      if (count == 0) break;
      int shift = static_cast<int>(std::fmod(jv, count));
      if (shift < 0) shift += count;
      std::rotate(s_.stack.begin() + (s_.count - count), s_.stack.begin() + (s_.count - shift),
                  s_.stack.begin() + s_.count);
      break;
    }
    case 8: {  // store: reg i j count
      const double cnt = pop(), j = pop(), i = pop(), reg = pop();
      const int r = registryItem(reg);
      const int c = index(cnt, cfflimit::kMaxMasters + 1, cffmsg::kStore);
      const int from = index(j, static_cast<int>(s_.transient.size()) + 1, cffmsg::kStore);
      const int to = index(i, cfflimit::kMaxMasters + 1, cffmsg::kStore);
      if (from + c > static_cast<int>(s_.transient.size()) || to + c > cfflimit::kMaxMasters)
        s_.fail(cffmsg::kStore);
      for (int k = 0; k < c; ++k) s_.registry[r][to + k] = s_.transient[from + k];
      break;
    }
    case 13: {  // load: reg i count
      const double cnt = pop(), i = pop(), reg = pop();
      const int r = registryItem(reg);
      const int c = index(cnt, cfflimit::kMaxMasters + 1, cffmsg::kLoad);
      const int to = index(i, static_cast<int>(s_.transient.size()) + 1, cffmsg::kLoad);
      if (to + c > static_cast<int>(s_.transient.size())) s_.fail(cffmsg::kLoad);
      for (int k = 0; k < c; ++k) s_.transient[to + k] = s_.registry[r][k];
      break;
    }
    default:
      s_.fail(cffmsg::kReservedOp);
  }
}

// A value as a 16.16 number (what is not a number counts as 0).
double toFixed(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(std::round(v * 65536.0), -2147483648.0, 2147483647.0);
}

int16_t toInt16(double v) { return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0)); }

// Nearest integer of the 16.16 value, halves upward.
int16_t nearest(double v) { return toInt16(std::floor(toFixed(v) / 65536.0 + 0.5)); }
int16_t fixedFloor(double v) { return toInt16(std::floor(toFixed(v) / 65536.0)); }
int16_t fixedCeil(double v) { return toInt16(std::ceil(toFixed(v) / 65536.0)); }

// The font dictionary of procedures and metric charstrings (none in an empty FDArray).
const CffFontDict* firstFont(const CffReaderState& s) {
  static const CffFontDict none;
  return s.fonts.empty() ? &none : &s.fonts.front();
}

void runCharstring(CffReaderState& s, Run& run, uint32_t gid) {
  uint32_t length = 0;
  const uint32_t at = s.indexElement(s.charStrings, gid, length);
  s.count = 0;
  run.exec(at, length, 0);
}

}  // namespace

void CffReaderState::runGlyph(uint32_t gid, CffGlyphInfo& info) {
  const CffFontDict& font = fonts[glyphs[gid].fd];
  Run run(*this, &font);
  runCharstring(*this, run, gid);
  const double width = run.hasWidthArg() ? run.width() : font.defaultWidth;
  if (run.seac && !widthOnly) {
    // Base and accent draw into the same bounds; the accent sits at the offset.
    run.seacDepth = 1;
    const uint32_t base = run.seacBase, accent = run.seacAccent;
    const auto offset = run.seacOffset;
    for (int part = 0; part < 2; ++part) {
      run.resetForAccent();
      run.setOffset(part == 0 ? Vec{} : offset);
      run.setFont(&fonts[glyphs[part == 0 ? base : accent].fd]);
      runCharstring(*this, run, part == 0 ? base : accent);
      if (run.seac && part == 1) break;
    }
  }
  info.hAdv = nearest(width);
  info.vAdv = nearest(kAdvanceHeight);
  if (!run.box().empty) {
    info.xMin = fixedFloor(run.box().xMin);
    info.yMin = fixedFloor(run.box().yMin);
    info.xMax = fixedCeil(run.box().xMax);
    info.yMax = fixedCeil(run.box().yMax);
  }
}

void CffReaderState::runProcedure(int32_t sid) {
  if (sid < 391) fail(cffmsg::kProc);
  uint32_t length = 0;
  const uint32_t at = indexElement(strings, static_cast<uint32_t>(sid - 391), length);
  Run run(*this, firstFont(*this));
  count = 0;
  run.exec(at, length, 0);
}

int cffExecMetric(CffReader& reader, const uint8_t* charstring, size_t length, int32_t* results,
                  int capacity) {
  CffReaderState& s = reader.state();
  if (!s.headerRead) s.readHeader();
  s.ownData = charstring;
  s.ownLength = length;
  s.metricMode = true;
  Run run(s, firstFont(s));
  s.count = 0;
  // Subroutine calls of a metric charstring would seek the font's data: keep the bytes own.
  run.exec(0, static_cast<uint32_t>(std::min<size_t>(length, UINT32_MAX)), 0);
  s.ownData = nullptr;
  s.ownLength = 0;
  s.metricMode = false;
  const int n = s.count;
  for (int i = 0; i < n && i < capacity; ++i)
    results[i] = static_cast<int32_t>(toFixed(s.stack[i]));
  s.count = 0;
  return n;
}

}  // namespace fea
