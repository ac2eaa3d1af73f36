#pragma once
// XGradient: an immutable colour ramp of calibrated RGBA stops at positions (ascending; equal
// positions keep their insertion order) with a blending mode: 0 linear, 1 chromatic (hue
// ascending), 2 inverse chromatic (hue descending). Every changing operation returns a new
// gradient. Fills draw into the current graphics context with axial or radial shadings.
//
// Index
//   stops and modes ........ XGradient.cpp
//   colour evaluation, HSV .. XGradientEvaluation.cpp
//   fills ................... XGradientDrawing.cpp
//   presets ................. XGradientPresets.cpp
//   archive ................. XGradientArchiving.cpp
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/foundation/KeyedArchiver.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Shading.h"

namespace platform {
class BezierPath;
}

namespace drawing {

using platform::Color;
using platform::Point;
using platform::Rect;

// NSRangeException: a stop index or position that does not exist. what() is the reason.
class RangeException : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// One colour stop. The none element (a removal that matched nothing) has a NaN position.
struct XGradientElement {
  float red = 0, green = 0, blue = 0, alpha = 0, position = 0;
  bool isNone() const { return position != position; }
  static XGradientElement none();
};

class XGradient : public platform::Coding, public std::enable_shared_from_this<XGradient> {
 public:
  enum BlendingMode { Linear = 0, Chromatic = 1, InverseChromatic = 2 };

  XGradient();  // init: no stops, linear
  XGradient(const XGradient& other);
  XGradient& operator=(const XGradient& other);

  static std::shared_ptr<XGradient> gradient() { return std::make_shared<XGradient>(); }
  std::shared_ptr<XGradient> copy() const { return std::make_shared<XGradient>(*this); }

  // Constructors and stops.
  static std::shared_ptr<XGradient> gradientWithBeginningColor(const Color& begin, const Color& end);
  static XGradientElement elementWithGray(float gray, float alpha, float position);
  static XGradientElement elementWithColor(const Color& color, float position);

  std::shared_ptr<XGradient> gradientWithAlphaComponent(float alpha) const;  // always linear
  std::shared_ptr<XGradient> gradientWithBlendingMode(int mode) const;
  std::shared_ptr<XGradient> addColorStop(const Color& color, float position) const;
  // Raise RangeException when there is no such stop.
  std::shared_ptr<XGradient> removeColorStopAtPosition(float position) const;
  std::shared_ptr<XGradient> removeColorStopAtIndex(unsigned index) const;

  int blendingMode() const { return blendingMode_; }
  size_t elementCount() const { return elements_.size(); }
  const std::vector<XGradientElement>& elements() const { return elements_; }
  // Raises RangeException past the end.
  Color colorStopAtIndex(unsigned index) const;
  Color colorAtPosition(float position) const;

  // Drawing into the current graphics context (nothing without one).
  void drawSwatchInRect(const Rect& rect) const;
  void fillRect(const Rect& rect, float angle) const;
  void radialFillRect(const Rect& rect) const;
  void fillBezierPath(const platform::BezierPath& path, float angle) const;
  void radialFillBezierPath(const platform::BezierPath& path) const;
  void fillPath(const platform::BezierPath& path, float angle) const { fillBezierPath(path, angle); }
  void radialFillPath(const platform::BezierPath& path, Point /*offsetFromCenter, not used*/) const {
    radialFillBezierPath(path);
  }
  // The axis fillRect uses for a rectangle and angle.
  static void axialEndPoints(const Rect& rect, float angle, Point& start, Point& end);

  // The evaluation function handed to shadings (reads the stops when called).
  platform::ShadingFunction gradientFunction() const;

  // Archiving (keyed coders only).
  std::string className() const override { return "XGradient"; }
  void encodeWithCoder(platform::Coder& coder) const override;
  static std::shared_ptr<XGradient> initWithCoder(platform::Coder& coder);

  // Internal operations, used by the constructors and presets.
  void commonInit();
  // Stores 0, 1 or 2; any other value is refused and the mode stays as it was. False when refused.
  bool setBlendingMode(int mode);
  void addElement(const XGradientElement& element);
  XGradientElement removeElementAtIndex(unsigned index);
  XGradientElement removeElementAtPosition(float position);
  const XGradientElement* elementAtIndex(unsigned index) const;

  // Presets.
  static std::shared_ptr<XGradient> plumoScrollBarThumbGradient();
  static std::shared_ptr<XGradient> plumoLevelMetersGradient();
  static std::shared_ptr<XGradient> plumoSereneBlueGradient();
  static std::shared_ptr<XGradient> plumoBrevinTealGradient();
  static std::shared_ptr<XGradient> plumoTableViewHeaderGradient();
  static std::shared_ptr<XGradient> plumoFlatBlackPlasticGradient();
  static std::shared_ptr<XGradient> plumoFlatBlackPlasticGradientReversi();
  static std::shared_ptr<XGradient> plumoHUDRecessedAreaGradient();
  static std::shared_ptr<XGradient> plumoHUDRecessedAreaGradientII();
  static std::shared_ptr<XGradient> plumoHUDButtonGradient();
  static std::shared_ptr<XGradient> plumoHUDButtonTabGradient();
  static std::shared_ptr<XGradient> plumoBlackPlasticGradient();
  static std::shared_ptr<XGradient> plumoBlackPlasticGradientII();
  static std::shared_ptr<XGradient> plumoBlackPlasticGradientWithAlpha(float alpha, float position);
  static std::shared_ptr<XGradient> aquaSelectedGradient();
  static std::shared_ptr<XGradient> aquaNormalGradient();
  static std::shared_ptr<XGradient> aquaPressedGradient();
  static std::shared_ptr<XGradient> unifiedSelectedGradient();
  static std::shared_ptr<XGradient> unifiedNormalGradient();
  static std::shared_ptr<XGradient> unifiedPressedGradient();
  static std::shared_ptr<XGradient> unifiedDarkGradient();
  static std::shared_ptr<XGradient> sourceListSelectedGradient();
  static std::shared_ptr<XGradient> sourceListUnselectedGradient();
  static std::shared_ptr<XGradient> rainbowGradient();
  static std::shared_ptr<XGradient> hydrogenSpectrumGradient();
  // Preset by its selector name ("plumoHUDButtonGradient"); null for an unknown name or one that
  // takes arguments.
  static std::shared_ptr<XGradient> presetNamed(const std::string& name);
  static const std::vector<std::string>& presetNames();

 private:
  using Evaluator = void (XGradient::*)(float position, float rgba[4]) const;
  void linearEvaluation(float position, float rgba[4]) const;
  void chromaticEvaluation(float position, float rgba[4]) const;
  void inverseChromaticEvaluation(float position, float rgba[4]) const;
  void hueEvaluation(float position, float rgba[4], bool inverse) const;

  std::vector<XGradientElement> elements_;  // ascending by position
  int blendingMode_ = Linear;
  Evaluator evaluator_ = &XGradient::linearEvaluation;
};

// The colour conversions of the chromatic modes. rgbToHsv gives a NaN hue when max == min;
// hsvToRgb wraps the hue at 359 (not 360).
void rgbToHsv(float red, float green, float blue, float& hue, float& saturation, float& value);
void hsvToRgb(float hue, float saturation, float value, float& red, float& green, float& blue);

}  // namespace drawing
