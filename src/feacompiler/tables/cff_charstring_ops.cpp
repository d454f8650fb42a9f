// Type 2 charstring interpreter: flex, arithmetic, storage and registry operators.
#include <cmath>

#include "feacompiler/tables/cff_charstring.h"

namespace fea::cffrun {

void Run::escape(int op) {
  const int n = s_.count;
  switch (op - kCffEscape) {
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
      arithmetic(op - kCffEscape);
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

}  // namespace fea::cffrun
