// Axial and radial fills of rectangles and paths into the current graphics context.
#include <cmath>

#include "drawing/XGradient.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/BezierPathGeometry.h"
#include "platform/graphics/GraphicsContext.h"

namespace drawing {

using platform::AffineTransform;
using platform::GraphicsContext;

void XGradient::axialEndPoints(const Rect& rect, float angle, Point& start, Point& end) {
  const float x = float(rect.origin.x), y = float(rect.origin.y);
  const float w = float(rect.size.width), h = float(rect.size.height);
  if (angle == 0) {
    start = {x, y};
    end = {x + w, y};
    return;
  }
  if (angle == 90) {
    start = {x, y};
    end = {x, y + h};
    return;
  }
  float r = float(angle * M_PI / 180.0);
  float dx, dy;
  const float tanR = float(std::tan(double(r)));
  if (std::fabs(tanR) <= 1) {
    const float cosR = float(std::cos(double(r))), sinR = float(std::sin(double(r)));
    const float length = w / std::fabs(cosR) + std::fabs(sinR) * (h - std::fabs(tanR) * w);
    dx = length * cosR;
    dy = length * sinR;
  } else {
    r = float(r + M_PI * -90 / 180);
    const float cosR = float(std::cos(double(r))), sinR = float(std::sin(double(r)));
    const float tanR2 = float(std::tan(double(r)));
    const float length = h / std::fabs(cosR) + std::fabs(sinR) * (w - std::fabs(tanR2) * h);
    dx = -length * sinR;
    dy = length * cosR;
  }
  const float cx = x + w / 2, cy = y + h / 2;
  start = {cx - dx / 2, cy - dy / 2};
  end = {cx + dx / 2, cy + dy / 2};
}

void XGradient::drawSwatchInRect(const Rect& rect) const { fillRect(rect, 45); }

void XGradient::fillRect(const Rect& rect, float angle) const {
  GraphicsContext* context = GraphicsContext::current();
  if (!context) return;
  platform::AxialShading shading;
  axialEndPoints(rect, angle, shading.start, shading.end);
  shading.function = gradientFunction();
  context->saveGraphicsState();
  context->clipToRect(rect);
  context->drawShading(shading);
  context->restoreGraphicsState();
}

void XGradient::radialFillRect(const Rect& rect) const {
  GraphicsContext* context = GraphicsContext::current();
  const float x = float(rect.origin.x), y = float(rect.origin.y);
  const float w = float(rect.size.width), h = float(rect.size.height);
  // An empty rectangle draws nothing (and must not put a degenerate scale into the context).
  if (!context || !(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return;
  const Point centre{x + w / 2, y + h / 2};
  float radius, sx, sy, tx, ty;
  if (h > w) {
    radius = h / 2;
    sx = w / h, sy = 1;
    tx = (h - w) / 2, ty = 1;  // 1, not 0, on the other axis
  } else {
    radius = w / 2;
    sx = 1, sy = h / w;
    tx = 1, ty = (w - h) / 2;
  }
  platform::RadialShading shading;
  shading.startCenter = centre;
  shading.startRadius = -1;
  shading.endCenter = centre;
  shading.endRadius = radius;
  shading.function = gradientFunction();
  shading.extendStart = shading.extendEnd = true;
  context->saveGraphicsState();
  context->clipToRect(rect);
  context->scale(sx, sy);
  context->translate(tx, ty);
  context->drawShading(shading);
  context->restoreGraphicsState();
}

void XGradient::fillBezierPath(const platform::BezierPath& path, float angle) const {
  GraphicsContext* context = GraphicsContext::current();
  if (!context) return;
  // The rotation works on a copy, so the caller's path is left exactly as it was.
  platform::BezierPath rotated = path;
  AffineTransform rotation;
  rotation.rotateByDegrees(-angle);
  platform::transformPath(rotated, rotation);
  context->saveGraphicsState();
  AffineTransform inverse = rotation;
  inverse.invert();
  context->concat(inverse);
  context->clipToPath(rotated);
  fillRect(platform::pathBounds(rotated), 0);
  context->restoreGraphicsState();
}

void XGradient::radialFillBezierPath(const platform::BezierPath& path) const {
  GraphicsContext* context = GraphicsContext::current();
  if (!context) return;
  context->saveGraphicsState();
  context->clipToPath(path);
  radialFillRect(platform::pathBounds(path));
  context->restoreGraphicsState();
}

}  // namespace drawing
