#pragma once
// Axial and radial shadings defined by an evaluation function over [0, 1] giving red, green,
// blue and alpha (each 0..1, generic RGB).
#include <functional>

#include "platform/graphics/Geometry.h"

namespace platform {

using ShadingFunction = std::function<void(double position, float rgba[4])>;

struct AxialShading {
  Point start, end;
  ShadingFunction function;
  bool extendStart = false, extendEnd = false;
};

// Colour at t on the circles interpolated from (startCenter, startRadius) to (endCenter,
// endRadius); where several circles pass through a point, the one of the largest t with a
// radius not below zero wins.
struct RadialShading {
  Point startCenter;
  double startRadius = 0;
  Point endCenter;
  double endRadius = 0;
  ShadingFunction function;
  bool extendStart = false, extendEnd = false;
};

}  // namespace platform
