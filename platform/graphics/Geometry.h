#pragma once
// Points, sizes and rectangles (NSPoint, NSSize, NSRect) in double precision.
namespace platform {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  Point origin;
  Size size;
  bool operator==(const Rect&) const = default;
};

inline Rect makeRect(double x, double y, double w, double h) { return Rect{{x, y}, {w, h}}; }

}  // namespace platform
