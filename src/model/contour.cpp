#include <cmath>
#include <vector>

#include "model/bbox_engine.h"
#include "model/layer.h"
#include "model/transfer.h"

namespace vn {

namespace {

bool isOnCurveType(int32_t type) { return type == Node::kMove || type == Node::kOnCurve; }

// Neighbours of each node on a contour seen as a closed ring. A closed contour whose last
// node lies on its first treats the two as one point.
struct Ring {
  std::vector<Node*> nodes;
  bool coincident = false;

  explicit Ring(Contour& contour) {
    for (Node& node : contour.nodes) nodes.push_back(&node);
    const size_t n = nodes.size();
    coincident = contour.flag == 0 && n >= 3 && nodes.front()->x == nodes.back()->x &&
                 nodes.front()->y == nodes.back()->y;
  }
  size_t previous(size_t i) const {
    if (i > 0) return i - 1;
    return coincident ? nodes.size() - 2 : nodes.size() - 1;
  }
  size_t next(size_t i) const {
    if (i + 1 < nodes.size()) return i + 1;
    return coincident ? 1 : 0;
  }
};

// Calls visit(node, previous, next) for every on-curve node of a contour of at least two
// nodes, its neighbours taken around the ring.
template <class Visit>
void forEachOnCurve(Contour& contour, Visit visit) {
  if (contour.nodes.size() < 2) return;
  Ring ring(contour);
  for (size_t i = 0; i < ring.nodes.size(); ++i) {
    Node& node = *ring.nodes[i];
    if (isOnCurveType(node.type)) visit(node, *ring.nodes[ring.previous(i)], *ring.nodes[ring.next(i)]);
  }
}

}  // namespace

void Contour::transfer(Transfer& consumer) const {
  if (!consumer.beginContour(flag, static_cast<int32_t>(nodes.size()))) return;
  int pending = 0;
  Point control1, control2, start;
  uint8_t startFlags = 0;
  bool first = true;
  auto closeWithCurve = [&]() {
    consumer.closingCurve();
    consumer.curveTo(control1, control2, start, startFlags);
    pending = 0;
  };
  for (const Node& node : nodes) {
    const int32_t type = first ? Node::kMove : node.type;
    first = false;
    const Point p = node.point();
    switch (type) {
      case Node::kMove:
        if (pending >= 2) closeWithCurve();
        consumer.moveTo(p, node.flags);
        start = p;
        startFlags = node.flags;
        break;
      case Node::kOnCurve:
        if (pending >= 2) {
          consumer.curveTo(control1, control2, p, node.flags);
        } else {
          consumer.lineTo(p, node.flags);
        }
        pending = 0;
        break;
      case Node::kQuadratic:
        consumer.offCurve(p, 0);
        pending = 0;
        break;
      case Node::kCubic:
        if (pending == 0) {
          control1 = p;
          pending = 1;
        } else {
          control2 = p;
          pending = 2;
        }
        break;
      default:
        break;
    }
    if (!node.name.empty()) consumer.pointName(node.name);
  }
  if (pending >= 2) closeWithCurve();
  consumer.endContour();
}

void Contour::markHVSmooth() {
  forEachOnCurve(*this, [](Node& node, const Node& before, const Node& after) {
    if (!before.isOffCurve() || !after.isOffCurve()) return;
    if (before.x == node.x && after.x == node.x) {
      node.flags |= Node::kFlagVertical;
    } else if (before.y == node.y && after.y == node.y) {
      node.flags |= Node::kFlagHorizontal;
    }
  });
}

void Contour::markSmooth() {
  forEachOnCurve(*this, [](Node& node, const Node& before, const Node& after) {
    if (!before.isOffCurve() && !after.isOffCurve()) return;
    const Vector incoming{node.x - before.x, node.y - before.y};
    const Vector outgoing{after.x - node.x, after.y - node.y};
    bool smooth = false;
    if (incoming.x * incoming.x + incoming.y * incoming.y > 1.0 &&
        outgoing.x * outgoing.x + outgoing.y * outgoing.y > 1.0) {
      smooth = Vector::nearlyParallel(incoming, outgoing);
    }
    if (smooth) {
      node.flags |= Node::kFlagSmooth;
    } else {
      node.flags &= static_cast<uint8_t>(~Node::kFlagSmooth);
    }
  });
}

Rect Contour::boundingBox(bool exact) const {
  if (!exact) {
    Rect box;
    for (const Node& node : nodes) box.add(node.point());
    return box;
  }
  BboxEngine engine;
  transfer(engine);
  return engine.box();
}

void Contour::transform(const Matrix& m) {
  if (m.isIdentity()) return;
  for (Node& node : nodes) {
    const Point p = m.map(node.point());
    node.x = p.x;
    node.y = p.y;
  }
}

}  // namespace vn
