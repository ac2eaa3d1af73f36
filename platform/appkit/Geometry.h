#pragma once
// Points, sizes and rectangles in points, origin at the bottom-left of the screen, y up.
#include <string>

namespace platform::appkit {

struct NSPoint {
  double x = 0, y = 0;
  bool operator==(const NSPoint&) const = default;
};
struct NSSize {
  double width = 0, height = 0;
  bool operator==(const NSSize&) const = default;
};
struct NSRect {
  NSPoint origin;
  NSSize size;
  bool operator==(const NSRect&) const = default;
};

inline NSRect NSMakeRect(double x, double y, double w, double h) { return {{x, y}, {w, h}}; }
inline double NSMaxY(const NSRect& r) { return r.origin.y + r.size.height; }

// "{x, y}" with the shortest exact form of each number, as the platform writes points.
std::string NSStringFromPoint(NSPoint p);
// Reads "{x, y}" (blanks allowed); {0, 0} when the text is not a point.
NSPoint NSPointFromString(const std::string& text);

}  // namespace platform::appkit
