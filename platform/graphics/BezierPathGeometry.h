#pragma once
// Arcs, affine transformation and bounds of bezier paths, and the common shapes made of them.
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Geometry.h"

namespace platform {

// appendBezierPathWithArcWithCenter:radius:startAngle:endAngle:[clockwise:]. Angles in degrees
// from the positive x axis. A line goes from the current point to the arc's start (a move when
// the path is empty); the arc follows as cubic segments of at most 90 degrees each.
// Counter-clockwise arcs run from start up to end (end raised by whole turns until it is not
// below start), clockwise ones down; an arc never spans more than one full turn.
void appendArc(BezierPath& path, Point center, double radius, double startAngle, double endAngle,
               bool clockwise = false);

// Every point of every element mapped through the transformation; line properties kept.
void transformPath(BezierPath& path, const AffineTransform& transform);

// The smallest rectangle holding the path's curves (not their control points); a zero rectangle
// for an empty path.
Rect pathBounds(const BezierPath& path);
// The smallest rectangle holding every point of the path, control points included.
Rect controlPointBounds(const BezierPath& path);

// bezierPathWithRect: and bezierPathWithOvalInRect: (four quarter arcs, counter-clockwise).
BezierPath bezierPathWithRect(const Rect& rect);
BezierPath bezierPathWithOvalInRect(const Rect& rect);
// bezierPathWithRoundedRect:xRadius:yRadius: with one radius, held to half the shorter side.
BezierPath bezierPathWithRoundedRect(const Rect& rect, double radius);

}  // namespace platform
