// Type 2 charstring interpreter of the CFF reader: operands, path and hint operators,
// subroutines, and the outline bounds.
#include <cmath>

#include "feacompiler/tables/cff_charstring.h"

namespace fea::cffrun {

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
    if (++ops_ > cfflimit::kOpsPerGlyph) s_.fail(cffmsg::kOpsLimit);
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
        if (ops_ > cfflimit::kOpsPerGlyph) s_.fail(cffmsg::kOpsLimit);
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
        const int op = kCffEscape + s_.byte();
        ++pos;
        escape(op);
        break;
      }
      default:
        s_.fail(cffmsg::kReservedOp);
    }
  }
}

}  // namespace fea::cffrun
