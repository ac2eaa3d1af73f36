#include "Geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform::appkit {

namespace {
// Shortest text that reads back as the same value, without an exponent.
std::string number(double v) {
  if (!std::isfinite(v)) return "0";
  char buf[512];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : "0";
}
}  // namespace

bool NSIsEmptyRect(const NSRect& r) { return !(r.size.width > 0) || !(r.size.height > 0); }

NSRect NSInsetRect(const NSRect& r, double dx, double dy) {
  return {{r.origin.x + dx, r.origin.y + dy}, {r.size.width - 2 * dx, r.size.height - 2 * dy}};
}

NSRect NSOffsetRect(const NSRect& r, double dx, double dy) {
  return {{r.origin.x + dx, r.origin.y + dy}, r.size};
}

NSRect NSIntegralRect(const NSRect& r) {
  if (NSIsEmptyRect(r)) return NSZeroRect;
  const double x0 = std::floor(NSMinX(r)), y0 = std::floor(NSMinY(r));
  const double x1 = std::ceil(NSMaxX(r)), y1 = std::ceil(NSMaxY(r));
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

bool NSContainsRect(const NSRect& a, const NSRect& b) {
  return !NSIsEmptyRect(b) && NSMinX(b) >= NSMinX(a) && NSMinY(b) >= NSMinY(a) && NSMaxX(b) <= NSMaxX(a) &&
         NSMaxY(b) <= NSMaxY(a);
}

bool NSPointInRect(const NSPoint& p, const NSRect& r) {
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y >= NSMinY(r) && p.y < NSMaxY(r);
}

bool NSMouseInRect(const NSPoint& p, const NSRect& r, bool flipped) {
  if (!flipped) return NSPointInRect(p, r);
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y > NSMinY(r) && p.y <= NSMaxY(r);
}

bool NSIntersectsRect(const NSRect& a, const NSRect& b) { return !NSIsEmptyRect(NSIntersectionRect(a, b)); }

NSRect NSIntersectionRect(const NSRect& a, const NSRect& b) {
  const double x0 = std::max(NSMinX(a), NSMinX(b)), y0 = std::max(NSMinY(a), NSMinY(b));
  const double x1 = std::min(NSMaxX(a), NSMaxX(b)), y1 = std::min(NSMaxY(a), NSMaxY(b));
  if (!(x1 > x0) || !(y1 > y0)) return NSZeroRect;
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

NSRect NSUnionRect(const NSRect& a, const NSRect& b) {
  if (NSIsEmptyRect(a)) return NSIsEmptyRect(b) ? NSZeroRect : b;
  if (NSIsEmptyRect(b)) return a;
  const double x0 = std::min(NSMinX(a), NSMinX(b)), y0 = std::min(NSMinY(a), NSMinY(b));
  const double x1 = std::max(NSMaxX(a), NSMaxX(b)), y1 = std::max(NSMaxY(a), NSMaxY(b));
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

std::string NSStringFromPoint(NSPoint p) { return "{" + number(p.x) + ", " + number(p.y) + "}"; }

NSPoint NSPointFromString(const std::string& text) {
  double x = 0, y = 0;
  char close = 0;
  if (std::sscanf(text.c_str(), " { %lf , %lf %c", &x, &y, &close) == 3 && close == '}' && std::isfinite(x) &&
      std::isfinite(y))
    return {x, y};
  return {};
}

std::string NSStringFromRect(const NSRect& r) {
  return "{" + NSStringFromPoint(r.origin) + ", {" + number(r.size.width) + ", " + number(r.size.height) + "}}";
}

}  // namespace platform::appkit
