#include "drawing/BezierPathXMHExtensions.h"

#include <cmath>
#include <vector>

#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GeometryFunctions.h"
#include "platform/graphics/GraphicsContext.h"

namespace drawing::XMHExtensions {

using platform::appendArc;
using platform::LineCapStyle;
using platform::LineJoinStyle;

namespace {

// 44 / 7 as a 32-bit float: the polygons' full turn (a little more than 2 pi).
constexpr float kTurn = 6.285714f;

void appendPill(BezierPath& path, const Rect& r, bool vertical) {
  const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
  const double q = vertical ? w / 2 : h / 2;
  if (vertical) {
    appendArc(path, {x + q, y + q}, q, 180, 0);
    appendArc(path, {x + w - q, y + h - q}, q, 0, 180);
  } else {
    appendArc(path, {x + q, y + q}, q, 90, 270);
    appendArc(path, {x + w - q, y + h - q}, q, 270, 90);
  }
}

void setPillProperties(BezierPath& path) {
  path.setLineWidth(1);
  path.setLineJoinStyle(LineJoinStyle::Round);
  path.setLineCapStyle(LineCapStyle::Butt);
  path.setFlatness(0.1);
  path.setMiterLimit(2);
}

}  // namespace

std::shared_ptr<BezierPath> sliderKnobForRect(const Rect& rect, bool horizontal, bool /*flipped: not used*/) {
  const Rect r = platform::insetRect(rect, 2, 2);
  const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
  const double L = x + 1, R = x + w - 1, Cx = L + (R - L) / 2;
  const double o = horizontal ? 0 : 1;
  const double B = y + 1 + o, T = y + h - 1 + o, Cy = B + (T - B) / 2;
  auto path = BezierPath::bezierPath();
  if (!horizontal) {
    appendArc(*path, {L, B}, 1, 180, 270);
    appendArc(*path, {R, B}, 1, 270, 0);
    appendArc(*path, {R, Cy}, 1, 0, 45);
    appendArc(*path, {Cx, T}, 1, 45, 135);
    appendArc(*path, {L, Cy}, 1, 135, 180);
  } else {
    appendArc(*path, {L, B}, 1, 180, 270);
    appendArc(*path, {Cx, B}, 1, 270, 315);
    appendArc(*path, {R, Cy}, 1, 315, 45);
    appendArc(*path, {Cx, T}, 1, 45, 90);
    appendArc(*path, {L, T}, 1, 90, 180);
  }
  path->closePath();
  path->setLineWidth(1);
  path->setLineJoinStyle(LineJoinStyle::Round);
  return path;
}

std::shared_ptr<BezierPath> roundedPathForRect(const Rect& rect, float topRadius, float bottomRadius) {
  const double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  const double t = topRadius, b = bottomRadius;
  auto path = BezierPath::bezierPath();
  appendArc(*path, {x + b, y + b}, b, 180, 270);
  appendArc(*path, {x + w - b, y + b}, b, 270, 0);
  appendArc(*path, {x + w - t, y + h - t}, t, 0, 90);
  appendArc(*path, {x + t, y + h - t}, t, 90, 180);
  path->closePath();
  path->setLineWidth(1);
  path->setLineJoinStyle(LineJoinStyle::Round);
  return path;
}

std::shared_ptr<BezierPath> pillPathForRect(const Rect& rect, bool isVertical) {
  auto path = BezierPath::bezierPath();
  appendPill(*path, rect, isVertical);
  path->closePath();
  setPillProperties(*path);
  return path;
}

std::shared_ptr<BezierPath> cutoutPillPathForRect(const Rect& rect, float startFlange, float endFlange, bool isVertical) {
  // The outer rectangle: grown by 1 through an inset of (0, -1), then stretched by the flanges
  // along the main axis.
  Rect outer = platform::insetRect(rect, 0, -1);
  if (isVertical) {
    outer.origin.y -= startFlange;
    outer.size.height += double(startFlange) + endFlange;
  } else {
    outer.origin.x -= startFlange;
    outer.size.width += double(startFlange) + endFlange;
  }
  auto path = BezierPath::bezierPath();
  appendPill(*path, outer, isVertical);  // left open; the inner pill starts a new sub-path
  const double q = isVertical ? rect.size.width / 2 : rect.size.height / 2;
  path->moveToPoint({rect.origin.x + q, rect.origin.y + rect.size.height});
  appendPill(*path, rect, isVertical);
  path->closePath();
  setPillProperties(*path);
  path->setWindingRule(platform::WindingRule::EvenOdd);
  return path;
}

std::shared_ptr<BezierPath> polygonWithSides(unsigned sides) {
  if (sides == 0) return nullptr;
  const float step = kTurn / float(sides);
  auto path = BezierPath::bezierPath();
  path->moveToPoint({1, 0});
  float a = kTurn;
  for (unsigned i = 1; i < sides; ++i) {
    a = a - step;
    path->lineToPoint({std::cos(a), std::sin(a)});
  }
  path->closePath();
  return path;
}

std::shared_ptr<BezierPath> meshedPolygonWithSides(unsigned sides) {
  if (sides == 0) return nullptr;
  const float step = kTurn / float(sides);
  std::vector<Point> p(sides);
  float a = kTurn;
  for (unsigned k = sides; k-- > 0;) {
    a = a - step;
    p[k] = {std::cos(a), std::sin(a)};
  }
  auto path = BezierPath::bezierPath();
  for (unsigned i = sides - 1; i >= 1; --i)
    for (unsigned j = i; j-- > 0;) {
      path->moveToPoint(p[i]);
      path->lineToPoint(p[j]);
    }
  return path;
}

namespace {

template <typename Draw>
void drawAtPoint(Point point, OriginView* view, Draw draw) {
  const Point remembered = view ? view->boundsOrigin() : Point{};
  if (view) view->translateOriginToPoint(point);
  if (platform::GraphicsContext* context = platform::GraphicsContext::current()) draw(*context);
  if (view) view->setBoundsOrigin(remembered);
}

}  // namespace

void strokeAtPoint(const BezierPath& path, Point point, OriginView* view) {
  drawAtPoint(point, view, [&](platform::GraphicsContext& c) { c.strokePath(path); });
}

void fillAtPoint(const BezierPath& path, Point point, OriginView* view) {
  drawAtPoint(point, view, [&](platform::GraphicsContext& c) { c.fillPath(path); });
}

}  // namespace drawing::XMHExtensions

namespace drawing {

void ContextOriginView::translateOriginToPoint(Point p) {
  setBoundsOrigin({origin_.x - p.x, origin_.y - p.y});
}

void ContextOriginView::setBoundsOrigin(Point origin) {
  // Drawing at bounds point b lands at b - origin.
  if (auto* context = platform::GraphicsContext::current()) context->translate(origin_.x - origin.x, origin_.y - origin.y);
  origin_ = origin;
}

}  // namespace drawing
