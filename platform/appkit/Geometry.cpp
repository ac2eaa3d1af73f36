#include "Geometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform::appkit {

namespace {
std::string number(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  // Shortest form that reads back the same value.
  for (int precision = 1; precision <= 17; ++precision) {
    char shortBuf[64];
    std::snprintf(shortBuf, sizeof shortBuf, "%.*g", precision, v);
    if (std::strtod(shortBuf, nullptr) == v) return shortBuf;
  }
  return buf;
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
