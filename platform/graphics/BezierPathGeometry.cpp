#include "platform/graphics/BezierPathGeometry.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

Point onCircle(Point c, double r, double radians) { return {c.x + r * std::cos(radians), c.y + r * std::sin(radians)}; }

struct Extent {
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  void add(Point p) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  Rect rect() const { return minX > maxX ? Rect{} : makeRect(minX, minY, maxX - minX, maxY - minY); }
};

double cubicAt(double a, double b, double c, double d, double t) {
  const double u = 1 - t;
  return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
}

// Parameters in (0, 1) where one coordinate of the cubic has a turning point.
void turningPoints(double a, double b, double c, double d, std::vector<double>& out) {
  // Derivative / 3: qa t^2 + qb t + qc.
  const double qa = -a + 3 * b - 3 * c + d, qb = 2 * (a - 2 * b + c), qc = b - a;
  const auto keep = [&](double t) {
    if (t > 0 && t < 1) out.push_back(t);
  };
  if (std::fabs(qa) < 1e-12) {
    if (std::fabs(qb) > 1e-12) keep(-qc / qb);
    return;
  }
  const double disc = qb * qb - 4 * qa * qc;
  if (disc < 0) return;
  const double s = std::sqrt(disc);
  keep((-qb + s) / (2 * qa));
  keep((-qb - s) / (2 * qa));
}

}  // namespace

void appendArc(BezierPath& path, Point center, double radius, double startAngle, double endAngle, bool clockwise) {
  if (!std::isfinite(startAngle) || !std::isfinite(endAngle) || !std::isfinite(radius)) return;
  double span;
  if (!clockwise) {
    while (endAngle < startAngle) endAngle += 360;
    span = std::min(endAngle - startAngle, 360.0);
  } else {
    while (endAngle > startAngle) endAngle -= 360;
    span = -std::min(startAngle - endAngle, 360.0);
  }
  const double a0 = startAngle * M_PI / 180;
  const Point start = onCircle(center, radius, a0);
  if (path.isEmpty())
    path.moveToPoint(start);
  else
    path.lineToPoint(start);
  double done = 0;
  while (std::fabs(span - done) > 1e-9) {
    const double step = clockwise ? std::max(span - done, -90.0) : std::min(span - done, 90.0);
    const double from = (startAngle + done) * M_PI / 180, to = (startAngle + done + step) * M_PI / 180;
    const double k = 4.0 / 3.0 * std::tan((to - from) / 4) * radius;
    const Point p0 = onCircle(center, radius, from), p1 = onCircle(center, radius, to);
    const Point c1{p0.x - k * std::sin(from), p0.y + k * std::cos(from)};
    const Point c2{p1.x + k * std::sin(to), p1.y - k * std::cos(to)};
    path.curveToPoint(p1, c1, c2);
    done += step;
  }
}

void transformPath(BezierPath& path, const AffineTransform& t) {
  BezierPath out;
  for (const PathElement& e : path.elements()) {
    switch (e.type) {
      case PathElementType::MoveTo: out.moveToPoint(t.transformPoint(e.points[0])); break;
      case PathElementType::LineTo: out.lineToPoint(t.transformPoint(e.points[0])); break;
      case PathElementType::CurveTo:
        out.curveToPoint(t.transformPoint(e.points[2]), t.transformPoint(e.points[0]), t.transformPoint(e.points[1]));
        break;
      case PathElementType::ClosePath: out.closePath(); break;
    }
  }
  out.setLineWidth(path.lineWidth());
  out.setLineJoinStyle(path.lineJoinStyle());
  out.setLineCapStyle(path.lineCapStyle());
  out.setFlatness(path.flatness());
  out.setMiterLimit(path.miterLimit());
  out.setWindingRule(path.windingRule());
  path = out;
}

Rect pathBounds(const BezierPath& path) {
  Extent extent;
  Point current{}, subpathStart{};
  std::vector<double> ts;
  for (const PathElement& e : path.elements()) {
    switch (e.type) {
      case PathElementType::MoveTo:
        current = subpathStart = e.points[0];
        extent.add(current);
        break;
      case PathElementType::LineTo:
        current = e.points[0];
        extent.add(current);
        break;
      case PathElementType::CurveTo: {
        const Point &c1 = e.points[0], &c2 = e.points[1], &end = e.points[2];
        ts.clear();
        turningPoints(current.x, c1.x, c2.x, end.x, ts);
        turningPoints(current.y, c1.y, c2.y, end.y, ts);
        for (double t : ts)
          extent.add({cubicAt(current.x, c1.x, c2.x, end.x, t), cubicAt(current.y, c1.y, c2.y, end.y, t)});
        extent.add(end);
        current = end;
        break;
      }
      case PathElementType::ClosePath: current = subpathStart; break;
    }
  }
  return extent.rect();
}

Rect controlPointBounds(const BezierPath& path) {
  Extent extent;
  for (const PathElement& e : path.elements())
    for (int i = 0; i < e.pointCount(); ++i) extent.add(e.points[size_t(i)]);
  return extent.rect();
}

BezierPath bezierPathWithRect(const Rect& r) {
  BezierPath path;
  path.moveToPoint(r.origin);
  path.lineToPoint({r.origin.x + r.size.width, r.origin.y});
  path.lineToPoint({r.origin.x + r.size.width, r.origin.y + r.size.height});
  path.lineToPoint({r.origin.x, r.origin.y + r.size.height});
  path.closePath();
  return path;
}

BezierPath bezierPathWithOvalInRect(const Rect& r) {
  BezierPath path;
  const double rx = r.size.width / 2, ry = r.size.height / 2;
  const Point c{r.origin.x + rx, r.origin.y + ry};
  if (!(rx > 0) || !(ry > 0)) return path;
  // A unit circle scaled into the rectangle.
  BezierPath unit;
  appendArc(unit, {0, 0}, 1, 0, 360);
  unit.closePath();
  AffineTransform t = AffineTransform::translation(c.x, c.y);
  t.scaleBy(rx, ry);
  transformPath(unit, t);
  return unit;
}

BezierPath bezierPathWithRoundedRect(const Rect& r, double radius) {
  if (!(r.size.width > 0) || !(r.size.height > 0)) return BezierPath();
  const double rr = std::clamp(radius, 0.0, std::min(r.size.width, r.size.height) / 2);
  if (rr <= 0) return bezierPathWithRect(r);
  const double x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
  BezierPath path;
  path.moveToPoint({x0 + rr, y0});
  appendArc(path, {x1 - rr, y0 + rr}, rr, 270, 360);
  appendArc(path, {x1 - rr, y1 - rr}, rr, 0, 90);
  appendArc(path, {x0 + rr, y1 - rr}, rr, 90, 180);
  appendArc(path, {x0 + rr, y0 + rr}, rr, 180, 270);
  path.closePath();
  return path;
}

}  // namespace platform
