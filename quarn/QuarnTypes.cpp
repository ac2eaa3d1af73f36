#include "quarn/QuarnTypes.h"

#include <cmath>

QuarnColor QuarnColor::colorWithCalibratedRed(float red, float green, float blue, float alpha) {
  return QuarnColor{red, green, blue, alpha};
}

QuarnColor QuarnColor::colorWithCalibratedHue(float hue, float saturation, float brightness, float alpha) {
  // HSV to RGB over six sectors of the hue circle.
  float h = std::isfinite(hue) ? hue - std::floor(hue) : 0.0f;
  h *= 6.0f;
  const int sector = static_cast<int>(h) % 6;
  const float f = h - std::floor(h);
  const float v = brightness;
  const float p = v * (1 - saturation);
  const float q = v * (1 - saturation * f);
  const float t = v * (1 - saturation * (1 - f));
  switch (sector) {
    case 0: return {v, t, p, alpha};
    case 1: return {q, v, p, alpha};
    case 2: return {p, v, t, alpha};
    case 3: return {p, q, v, alpha};
    case 4: return {t, p, v, alpha};
    default: return {v, p, q, alpha};
  }
}
