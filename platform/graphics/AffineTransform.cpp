#include "platform/graphics/AffineTransform.h"

#include <cmath>

namespace platform {
namespace {

// a applied first, then b.
AffineTransform compose(const AffineTransform& a, const AffineTransform& b) {
  return {a.m11 * b.m11 + a.m12 * b.m21,          a.m11 * b.m12 + a.m12 * b.m22,
          a.m21 * b.m11 + a.m22 * b.m21,          a.m21 * b.m12 + a.m22 * b.m22,
          a.tX * b.m11 + a.tY * b.m21 + b.tX,     a.tX * b.m12 + a.tY * b.m22 + b.tY};
}

}  // namespace

AffineTransform AffineTransform::rotationByRadians(double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::rotationByDegrees(double degrees) {
  // Exact quarter turns, so that rotating a path by 90 degrees gives exact coordinates.
  const double m = std::fmod(degrees, 360.0);
  if (m == 0) return {};
  if (m == 90 || m == -270) return {0, 1, -1, 0, 0, 0};
  if (m == 180 || m == -180) return {-1, 0, 0, -1, 0, 0};
  if (m == 270 || m == -90) return {0, -1, 1, 0, 0, 0};
  return rotationByRadians(degrees * M_PI / 180.0);
}

void AffineTransform::prepend(const AffineTransform& other) { *this = compose(other, *this); }
void AffineTransform::append(const AffineTransform& other) { *this = compose(*this, other); }

bool AffineTransform::invert() {
  const double det = m11 * m22 - m12 * m21;
  if (det == 0 || !std::isfinite(det)) return false;
  const AffineTransform inv{m22 / det, -m12 / det, -m21 / det, m11 / det,
                            (m21 * tY - m22 * tX) / det, (m12 * tX - m11 * tY) / det};
  *this = inv;
  return true;
}

}  // namespace platform
