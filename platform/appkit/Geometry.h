#pragma once
// Points, sizes and rectangles in points, origin at the bottom-left of the screen, y up: the
// graphics layer's own types under the platform's names, and the platform's rectangle functions.
#include <string>

#include "platform/graphics/Geometry.h"

namespace platform::appkit {

using NSPoint = platform::Point;
using NSSize = platform::Size;
using NSRect = platform::Rect;

inline constexpr NSRect NSZeroRect{};
inline constexpr NSPoint NSZeroPoint{};

inline NSRect NSMakeRect(double x, double y, double w, double h) { return {{x, y}, {w, h}}; }
inline NSPoint NSMakePoint(double x, double y) { return {x, y}; }
inline NSSize NSMakeSize(double w, double h) { return {w, h}; }

inline double NSMinX(const NSRect& r) { return r.origin.x; }
inline double NSMidX(const NSRect& r) { return r.origin.x + r.size.width / 2; }
inline double NSMaxX(const NSRect& r) { return r.origin.x + r.size.width; }
inline double NSMinY(const NSRect& r) { return r.origin.y; }
inline double NSMidY(const NSRect& r) { return r.origin.y + r.size.height / 2; }
inline double NSMaxY(const NSRect& r) { return r.origin.y + r.size.height; }
inline double NSWidth(const NSRect& r) { return r.size.width; }
inline double NSHeight(const NSRect& r) { return r.size.height; }

inline bool NSEqualRects(const NSRect& a, const NSRect& b) { return a == b; }
inline bool NSEqualPoints(const NSPoint& a, const NSPoint& b) { return a == b; }
inline bool NSEqualSizes(const NSSize& a, const NSSize& b) { return a == b; }
// True when the rectangle has no area (width or height not above 0).
bool NSIsEmptyRect(const NSRect& r);
NSRect NSInsetRect(const NSRect& r, double dx, double dy);
NSRect NSOffsetRect(const NSRect& r, double dx, double dy);
// The smallest rectangle of whole numbers that holds r; the zero rectangle for an empty one.
NSRect NSIntegralRect(const NSRect& r);
// Whether b lies wholly inside a (an empty b lies nowhere).
bool NSContainsRect(const NSRect& a, const NSRect& b);
// Whether p lies in r: left and bottom edges in, right and top edges out.
bool NSPointInRect(const NSPoint& p, const NSRect& r);
// As NSPointInRect, with the edges of a flipped rectangle (top in, bottom out) when flipped.
bool NSMouseInRect(const NSPoint& p, const NSRect& r, bool flipped);
bool NSIntersectsRect(const NSRect& a, const NSRect& b);
// The overlap of a and b; the zero rectangle when they don't overlap.
NSRect NSIntersectionRect(const NSRect& a, const NSRect& b);
// The smallest rectangle holding both; an empty one adds nothing.
NSRect NSUnionRect(const NSRect& a, const NSRect& b);

// "{x, y}" with the shortest exact form of each number, as the platform writes points.
std::string NSStringFromPoint(NSPoint p);
// Reads "{x, y}" (blanks allowed); {0, 0} when the text is not a point.
NSPoint NSPointFromString(const std::string& text);
// "{{x, y}, {w, h}}".
std::string NSStringFromRect(const NSRect& r);

}  // namespace platform::appkit
