#pragma once
// 2D affine transformation: x' = m11 x + m21 y + tX, y' = m12 x + m22 y + tY.
#include "platform/graphics/Geometry.h"

namespace platform {

struct AffineTransform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, tX = 0, tY = 0;

  static AffineTransform identity() { return {}; }
  static AffineTransform translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
  static AffineTransform scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static AffineTransform rotationByDegrees(double degrees);
  static AffineTransform rotationByRadians(double radians);

  // Each applies the new operation before the existing ones (as the platform's transform object
  // does): rotateByDegrees then translateBy moves points first, then rotates them.
  void translateBy(double dx, double dy) { prepend(translation(dx, dy)); }
  void scaleBy(double sx, double sy) { prepend(scaling(sx, sy)); }
  void rotateByDegrees(double degrees) { prepend(rotationByDegrees(degrees)); }
  void rotateByRadians(double radians) { prepend(rotationByRadians(radians)); }
  // this = other applied first, then this.
  void prepend(const AffineTransform& other);
  // this = this applied first, then other.
  void append(const AffineTransform& other);
  // False (and unchanged) when the transformation is not invertible.
  bool invert();

  Point transformPoint(Point p) const { return {m11 * p.x + m21 * p.y + tX, m12 * p.x + m22 * p.y + tY}; }
  Size transformSize(Size s) const { return {m11 * s.width + m21 * s.height, m12 * s.width + m22 * s.height}; }

  friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

}  // namespace platform
