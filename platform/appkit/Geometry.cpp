#include "Geometry.h"

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

std::string NSStringFromPoint(NSPoint p) { return "{" + number(p.x) + ", " + number(p.y) + "}"; }

NSPoint NSPointFromString(const std::string& text) {
  double x = 0, y = 0;
  char close = 0;
  if (std::sscanf(text.c_str(), " { %lf , %lf %c", &x, &y, &close) == 3 && close == '}' && std::isfinite(x) &&
      std::isfinite(y))
    return {x, y};
  return {};
}

}  // namespace platform::appkit
