#pragma once
// Colours in a named colour space, converted on request. Calibrated RGB is the working space of
// the drawing kit; device spaces are taken as the same values (no colour management here).
#include <optional>

namespace platform {

enum class ColorSpace { CalibratedRGB, DeviceRGB, CalibratedWhite, DeviceWhite, DeviceCMYK };

class Color {
 public:
  Color() = default;  // opaque black, calibrated RGB
  static Color calibratedRGB(double red, double green, double blue, double alpha = 1);
  static Color deviceRGB(double red, double green, double blue, double alpha = 1);
  static Color calibratedWhite(double white, double alpha = 1);
  static Color deviceWhite(double white, double alpha = 1);
  static Color deviceCMYK(double cyan, double magenta, double yellow, double black, double alpha = 1);
  // Hue, saturation and brightness each 0..1, giving a calibrated RGB colour.
  static Color calibratedHSB(double hue, double saturation, double brightness, double alpha = 1);

  static Color clearColor() { return calibratedWhite(0, 0); }
  static Color blackColor() { return calibratedWhite(0); }
  static Color whiteColor() { return calibratedWhite(1); }
  static Color darkGrayColor() { return calibratedWhite(1.0 / 3.0); }

  ColorSpace colorSpace() const { return space_; }
  // The same colour in another space; nullopt only when the conversion is not defined.
  std::optional<Color> usingColorSpace(ColorSpace space) const;

  // Components of RGB colours (of any other space: after conversion to calibrated RGB).
  double redComponent() const;
  double greenComponent() const;
  double blueComponent() const;
  double whiteComponent() const;  // grey colours; RGB colours give their luminance
  double alphaComponent() const { return alpha_; }
  Color withAlphaComponent(double alpha) const;

  friend bool operator==(const Color&, const Color&) = default;

 private:
  Color(ColorSpace space, double c0, double c1, double c2, double c3, double alpha)
      : space_(space), c_{c0, c1, c2, c3}, alpha_(alpha) {}
  ColorSpace space_ = ColorSpace::CalibratedRGB;
  double c_[4] = {0, 0, 0, 0};
  double alpha_ = 1;
};

}  // namespace platform
