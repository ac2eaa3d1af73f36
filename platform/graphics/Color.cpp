#include "platform/graphics/Color.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/HSV.h"

namespace platform {

Color Color::calibratedRGB(double r, double g, double b, double a) { return {ColorSpace::CalibratedRGB, r, g, b, 0, a}; }
Color Color::deviceRGB(double r, double g, double b, double a) { return {ColorSpace::DeviceRGB, r, g, b, 0, a}; }
Color Color::calibratedWhite(double w, double a) { return {ColorSpace::CalibratedWhite, w, 0, 0, 0, a}; }
Color Color::deviceWhite(double w, double a) { return {ColorSpace::DeviceWhite, w, 0, 0, 0, a}; }
Color Color::deviceCMYK(double c, double m, double y, double k, double a) { return {ColorSpace::DeviceCMYK, c, m, y, k, a}; }

Color Color::calibratedHSB(double hue, double saturation, double brightness, double alpha) {
  double h = std::fmod(hue, 1.0);
  if (h < 0) h += 1;
  double r = 0, g = 0, b = 0;
  hsvToRgb(h * 6, saturation, brightness, r, g, b);
  return calibratedRGB(r, g, b, alpha);
}

std::optional<Color> Color::usingColorSpace(ColorSpace space) const {
  if (space == space_) return *this;
  const bool toRGB = space == ColorSpace::CalibratedRGB || space == ColorSpace::DeviceRGB;
  const bool toWhite = space == ColorSpace::CalibratedWhite || space == ColorSpace::DeviceWhite;
  double r = 0, g = 0, b = 0;
  switch (space_) {
    case ColorSpace::CalibratedRGB:
    case ColorSpace::DeviceRGB: r = c_[0], g = c_[1], b = c_[2]; break;
    case ColorSpace::CalibratedWhite:
    case ColorSpace::DeviceWhite:
      if (toWhite) return Color(space, c_[0], 0, 0, 0, alpha_);
      r = g = b = c_[0];
      break;
    case ColorSpace::DeviceCMYK:
      r = (1 - c_[0]) * (1 - c_[3]);
      g = (1 - c_[1]) * (1 - c_[3]);
      b = (1 - c_[2]) * (1 - c_[3]);
      break;
  }
  if (toRGB) return Color(space, r, g, b, 0, alpha_);
  if (toWhite) return Color(space, 0.299 * r + 0.587 * g + 0.114 * b, 0, 0, 0, alpha_);
  if (space == ColorSpace::DeviceCMYK) {
    const double k = 1 - std::max({r, g, b});
    if (k >= 1) return Color(space, 0, 0, 0, 1, alpha_);
    return Color(space, (1 - r - k) / (1 - k), (1 - g - k) / (1 - k), (1 - b - k) / (1 - k), k, alpha_);
  }
  return std::nullopt;
}

double Color::redComponent() const { return usingColorSpace(ColorSpace::CalibratedRGB)->c_[0]; }
double Color::greenComponent() const { return usingColorSpace(ColorSpace::CalibratedRGB)->c_[1]; }
double Color::blueComponent() const { return usingColorSpace(ColorSpace::CalibratedRGB)->c_[2]; }
double Color::whiteComponent() const { return usingColorSpace(ColorSpace::CalibratedWhite)->c_[0]; }

Color Color::withAlphaComponent(double alpha) const {
  Color c = *this;
  c.alpha_ = alpha;
  return c;
}

}  // namespace platform
