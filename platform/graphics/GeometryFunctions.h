#pragma once
// Rectangle helpers (NSMinX ... NSInsetRect).
#include "platform/graphics/Geometry.h"

namespace platform {

inline double minX(const Rect& r) { return r.origin.x; }
inline double minY(const Rect& r) { return r.origin.y; }
inline double maxX(const Rect& r) { return r.origin.x + r.size.width; }
inline double maxY(const Rect& r) { return r.origin.y + r.size.height; }
inline double midX(const Rect& r) { return r.origin.x + r.size.width / 2; }
inline double midY(const Rect& r) { return r.origin.y + r.size.height / 2; }
inline bool isEmptyRect(const Rect& r) { return !(r.size.width > 0) || !(r.size.height > 0); }

// Shrinks by dx on the left and right and dy at the bottom and top (negative values grow).
inline Rect insetRect(const Rect& r, double dx, double dy) {
  return makeRect(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy);
}

}  // namespace platform
