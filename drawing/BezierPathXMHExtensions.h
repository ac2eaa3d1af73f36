#pragma once
// NSBezierPath(XMHExtensions): the shapes the custom controls draw (slider knob, rounded
// rectangle, pill, cut-out pill, unit polygon and mesh) and drawing a path at a point of a view.
#include <memory>

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Geometry.h"

namespace drawing {

using platform::BezierPath;
using platform::Point;
using platform::Rect;

// What drawing at a point needs of a view: its bounds origin and moving it.
class OriginView {
 public:
  virtual ~OriginView() = default;
  virtual Point boundsOrigin() const = 0;
  // Moves the coordinate origin to p (in current bounds coordinates).
  virtual void translateOriginToPoint(Point p) = 0;
  virtual void setBoundsOrigin(Point origin) = 0;
};

namespace XMHExtensions {

std::shared_ptr<BezierPath> sliderKnobForRect(const Rect& rect, bool horizontal, bool flipped);
std::shared_ptr<BezierPath> roundedPathForRect(const Rect& rect, float topRadius, float bottomRadius);
std::shared_ptr<BezierPath> pillPathForRect(const Rect& rect, bool isVertical);
std::shared_ptr<BezierPath> cutoutPillPathForRect(const Rect& rect, float startFlange, float endFlange, bool isVertical);
// Null for 0 sides.
std::shared_ptr<BezierPath> polygonWithSides(unsigned sides);
std::shared_ptr<BezierPath> meshedPolygonWithSides(unsigned sides);

// Stroke or fill the path into the current graphics context with the view's origin moved to
// the point, then put the view's bounds origin back. Without a view the path is drawn where it is.
void strokeAtPoint(const BezierPath& path, Point point, OriginView* view);
void fillAtPoint(const BezierPath& path, Point point, OriginView* view);

}  // namespace XMHExtensions

// An OriginView over the current graphics context alone (for drawing outside a window view):
// moving the origin translates the context.
class ContextOriginView : public OriginView {
 public:
  Point boundsOrigin() const override { return origin_; }
  void translateOriginToPoint(Point p) override;
  void setBoundsOrigin(Point origin) override;

 private:
  Point origin_{};
};

}  // namespace drawing
