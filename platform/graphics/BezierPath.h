#pragma once
// NSBezierPath stand-in: a list of move-to, line-to, curve-to and close elements with their points,
// plus the line properties used when it is stroked or filled. Drawing backends walk elements().
//
// Archived as class "NSBezierPath": "NSLineWidth" (real), "NSSegmentCount" (integer) and
// "NSSegments" (data: per element one type byte, 0 move-to, 1 line-to, 2 curve-to, 3 close,
// then its points as big-endian 64-bit float pairs: one point for move-to and line-to, three
// for curve-to (control 1, control 2, end), none for close). Line properties other than the
// width are written only when they differ from the defaults.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/KeyedArchiver.h"
#include "platform/graphics/Geometry.h"

namespace platform {

enum class PathElementType : uint8_t { MoveTo = 0, LineTo = 1, CurveTo = 2, ClosePath = 3 };
enum class LineJoinStyle { Miter = 0, Round = 1, Bevel = 2 };
enum class LineCapStyle { Butt = 0, Round = 1, Square = 2 };
enum class WindingRule { NonZero = 0, EvenOdd = 1 };

struct PathElement {
  PathElementType type = PathElementType::MoveTo;
  // Move-to and line-to use points[0]; curve-to uses control 1, control 2, end; close none.
  std::array<Point, 3> points{};

  int pointCount() const;
  bool operator==(const PathElement&) const = default;
};

class BezierPath : public Coding {
 public:
  static constexpr double kDefaultLineWidth = 1.0;
  static constexpr double kDefaultFlatness = 0.6;
  static constexpr double kDefaultMiterLimit = 10.0;

  BezierPath() = default;
  static std::shared_ptr<BezierPath> bezierPath() { return std::make_shared<BezierPath>(); }

  // Construction. Line-to and curve-to without a current point start the sub-path there; after a
  // close they start a new sub-path at the closed one's first point.
  void moveToPoint(Point p);
  void lineToPoint(Point p);
  void curveToPoint(Point end, Point controlPoint1, Point controlPoint2);
  void closePath();
  void removeAllPoints();
  void appendBezierPath(const BezierPath& other);

  // Elements.
  bool isEmpty() const { return elements_.empty(); }
  size_t elementCount() const { return elements_.size(); }
  const PathElement& elementAtIndex(size_t index) const { return elements_.at(index); }
  const std::vector<PathElement>& elements() const { return elements_; }
  // End point of the last element (start of the sub-path after a close); nullopt when empty.
  std::optional<Point> currentPoint() const;

  // Line properties.
  double lineWidth() const { return lineWidth_; }
  void setLineWidth(double w) { lineWidth_ = w; }
  LineJoinStyle lineJoinStyle() const { return lineJoinStyle_; }
  void setLineJoinStyle(LineJoinStyle s) { lineJoinStyle_ = s; }
  LineCapStyle lineCapStyle() const { return lineCapStyle_; }
  void setLineCapStyle(LineCapStyle s) { lineCapStyle_ = s; }
  double flatness() const { return flatness_; }
  void setFlatness(double f) { flatness_ = f; }
  double miterLimit() const { return miterLimit_; }
  void setMiterLimit(double m) { miterLimit_ = m; }
  WindingRule windingRule() const { return windingRule_; }
  void setWindingRule(WindingRule r) { windingRule_ = r; }

  bool operator==(const BezierPath& other) const;

  // Archiving.
  std::string className() const override { return "NSBezierPath"; }
  void encodeWithCoder(Coder& coder) const override;
  // Null for a non-keyed coder or malformed segments.
  static std::shared_ptr<BezierPath> initWithCoder(Coder& coder);
  // The "NSSegments" bytes of an element list, and back (nullopt when malformed or when the
  // element count differs from `count`).
  static PlistData encodeSegments(const std::vector<PathElement>& elements);
  static std::optional<std::vector<PathElement>> decodeSegments(const PlistData& bytes, int64_t count);

 private:
  void startSubpathIfNeeded(Point p);

  std::vector<PathElement> elements_;
  size_t subpathStart_ = 0;  // index of the current sub-path's move-to
  double lineWidth_ = kDefaultLineWidth;
  LineJoinStyle lineJoinStyle_ = LineJoinStyle::Miter;
  LineCapStyle lineCapStyle_ = LineCapStyle::Butt;
  double flatness_ = kDefaultFlatness;
  double miterLimit_ = kDefaultMiterLimit;
  WindingRule windingRule_ = WindingRule::NonZero;
};

}  // namespace platform
