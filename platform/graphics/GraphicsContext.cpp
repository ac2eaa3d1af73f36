#include "platform/graphics/GraphicsContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/ImageCodec.h"

namespace platform {
namespace {

thread_local GraphicsContext* currentContext = nullptr;

AffineTransform fromCairo(const cairo_matrix_t& m) { return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}; }
cairo_matrix_t toCairo(const AffineTransform& t) { return {t.m11, t.m12, t.m21, t.m22, t.tX, t.tY}; }

// The image's straight RGBA as a premultiplied Cairo surface; null when Cairo can't make one.
cairo_surface_t* premultipliedSurface(const Image& image) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width(), image.height());
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height(); ++y) {
    const uint8_t* s = image.row(y);
    uint32_t* d = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
    for (int x = 0; x < image.width(); ++x, s += 4) {
      const uint32_t a = s[3];
      d[x] = (a << 24) | (((s[0] * a + 127) / 255) << 16) | (((s[1] * a + 127) / 255) << 8) | ((s[2] * a + 127) / 255);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

}  // namespace

// ---- ImageSurface

ImageSurface::ImageSurface(int width, int height) : width_(width), height_(height) {
  if (!Image::sizeIsAcceptable(width, height)) return;
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
}

ImageSurface::~ImageSurface() {
  if (surface_) cairo_surface_destroy(surface_);
}

Image ImageSurface::image() const {
  if (!surface_) return Image();
  cairo_surface_flush(surface_);
  Image out(width_, height_, {}, false);
  const unsigned char* base = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  bool alpha = false;
  for (int y = 0; y < height_; ++y) {
    const uint32_t* src = reinterpret_cast<const uint32_t*>(base + size_t(y) * stride);
    uint8_t* dst = out.row(y);
    for (int x = 0; x < width_; ++x, dst += 4) {
      const uint32_t p = src[x];
      const unsigned a = p >> 24;
      if (a == 0) {
        dst[0] = dst[1] = dst[2] = dst[3] = 0;
        alpha = true;
        continue;
      }
      if (a != 255) alpha = true;
      dst[0] = uint8_t((((p >> 16) & 0xff) * 255 + a / 2) / a);
      dst[1] = uint8_t((((p >> 8) & 0xff) * 255 + a / 2) / a);
      dst[2] = uint8_t(((p & 0xff) * 255 + a / 2) / a);
      dst[3] = uint8_t(a);
    }
  }
  out.setHasAlpha(alpha);
  return out;
}

const uint8_t* ImageSurface::pixels() const {
  if (!surface_) return nullptr;
  cairo_surface_flush(surface_);
  return cairo_image_surface_get_data(surface_);
}

int ImageSurface::stride() const { return surface_ ? cairo_image_surface_get_stride(surface_) : 0; }

bool ImageSurface::writePNG(const std::string& path) const { return surface_ && writePNGFile(image(), path); }

// ---- GraphicsContext

GraphicsContext::GraphicsContext(ImageSurface& surface, bool flipped) : flipped_(flipped), baseFlipped_(flipped) {
  initialise(surface.handle(), surface.height());
}

GraphicsContext::GraphicsContext(cairo_surface_t* surface, int height, bool flipped)
    : flipped_(flipped), baseFlipped_(flipped) {
  initialise(surface, height);
}

void GraphicsContext::initialise(cairo_surface_t* surface, int height) {
  height_ = height;
  // A null surface still gives a context (in an error state) so that drawing is a no-op.
  cr_ = cairo_create(surface ? surface : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0));
  if (!surface) cairo_surface_destroy(cairo_get_target(cr_));
  if (!baseFlipped_) {
    cairo_matrix_t base = {1, 0, 0, -1, 0, double(height)};
    cairo_set_matrix(cr_, &base);
  }
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

GraphicsContext::~GraphicsContext() {
  if (currentContext == this) currentContext = nullptr;
  cairo_destroy(cr_);
}

GraphicsContext* GraphicsContext::current() { return currentContext; }

GraphicsContext::CurrentScope::CurrentScope(GraphicsContext& context) : previous_(currentContext) {
  currentContext = &context;
}
GraphicsContext::CurrentScope::~CurrentScope() { currentContext = previous_; }

void GraphicsContext::saveGraphicsState() {
  cairo_save(cr_);
  fill_.push_back(fill_.back());
  stroke_.push_back(stroke_.back());
}

void GraphicsContext::restoreGraphicsState() {
  if (fill_.size() <= 1) return;  // unbalanced restore: ignored
  cairo_restore(cr_);
  fill_.pop_back();
  stroke_.pop_back();
}

void GraphicsContext::clipToRect(const Rect& rect) {
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cr_);
}

void GraphicsContext::translate(double dx, double dy) { cairo_translate(cr_, dx, dy); }
void GraphicsContext::scale(double sx, double sy) { cairo_scale(cr_, sx, sy); }
void GraphicsContext::rotateByDegrees(double degrees) { concat(AffineTransform::rotationByDegrees(degrees)); }

void GraphicsContext::concat(const AffineTransform& transform) {
  cairo_matrix_t m = toCairo(transform);
  cairo_transform(cr_, &m);
}

AffineTransform GraphicsContext::currentTransform() const {
  cairo_matrix_t m;
  cairo_get_matrix(cr_, &m);
  AffineTransform t = fromCairo(m);
  if (!baseFlipped_) {
    // Relative to the base (unflipped) space.
    t.append({1, 0, 0, -1, 0, double(height_)});
  }
  return t;
}

void GraphicsContext::setFillColor(const Color& color) { fill_.back() = color; }
void GraphicsContext::setStrokeColor(const Color& color) { stroke_.back() = color; }

void GraphicsContext::setSourceColor(const Color& color) {
  cairo_set_source_rgba(cr_, color.redComponent(), color.greenComponent(), color.blueComponent(),
                        color.alphaComponent());
}

void GraphicsContext::fillRect(const Rect& rect, CompositingOperation operation) {
  cairo_save(cr_);
  if (operation == CompositingOperation::Copy) cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  setSourceColor(fill_.back());
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect, double fraction) {
  if (image.empty() || !(rect.size.width > 0) || !(rect.size.height > 0) || !std::isfinite(rect.size.width) ||
      !std::isfinite(rect.size.height))
    return;
  cairo_surface_t* source = premultipliedSurface(image);
  if (!source) return;
  cairo_save(cr_);
  cairo_translate(cr_, rect.origin.x, rect.origin.y);
  if (!flipped_) {
    // Image rows run top-down: put row 0 at the rectangle's top.
    cairo_translate(cr_, 0, rect.size.height);
    cairo_scale(cr_, 1, -1);
  }
  cairo_scale(cr_, rect.size.width / image.width(), rect.size.height / image.height());
  cairo_set_source_surface(cr_, source, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, 0, 0, image.width(), image.height());
  cairo_clip(cr_);
  cairo_paint_with_alpha(cr_, std::clamp(fraction, 0.0, 1.0));
  cairo_restore(cr_);
  cairo_surface_destroy(source);
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect, const Rect& fromRect,
                                CompositingOperation operation, double fraction) {
  const auto usable = [](const Rect& r) {
    return r.size.width > 0 && r.size.height > 0 && std::isfinite(r.size.width) && std::isfinite(r.size.height) &&
           std::isfinite(r.origin.x) && std::isfinite(r.origin.y);
  };
  if (image.empty() || !usable(rect) || !usable(fromRect)) return;
  cairo_surface_t* source = premultipliedSurface(image);
  if (!source) return;
  cairo_save(cr_);
  // Clip to the destination in user space, then map the source part onto it.
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cr_);
  cairo_translate(cr_, rect.origin.x, rect.origin.y);
  if (!flipped_) {
    cairo_translate(cr_, 0, rect.size.height);
    cairo_scale(cr_, 1, -1);
  }
  cairo_scale(cr_, rect.size.width / fromRect.size.width, rect.size.height / fromRect.size.height);
  // fromRect's top edge, in the image's top-down rows.
  const double top = image.height() - (fromRect.origin.y + fromRect.size.height);
  cairo_set_source_surface(cr_, source, -fromRect.origin.x, -top);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  if (operation == CompositingOperation::Copy) cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  cairo_paint_with_alpha(cr_, std::clamp(fraction, 0.0, 1.0));
  cairo_restore(cr_);
  cairo_surface_destroy(source);
}

void GraphicsContext::drawSurface(const ImageSurface& surface, const Rect& rect, double fraction) {
  if (!surface.valid() || surface.width() <= 0 || surface.height() <= 0 || !(rect.size.width > 0) ||
      !(rect.size.height > 0))
    return;
  cairo_surface_flush(surface.handle());
  cairo_save(cr_);
  cairo_translate(cr_, rect.origin.x, rect.origin.y);
  if (!flipped_) {
    cairo_translate(cr_, 0, rect.size.height);
    cairo_scale(cr_, 1, -1);
  }
  cairo_scale(cr_, rect.size.width / surface.width(), rect.size.height / surface.height());
  cairo_set_source_surface(cr_, surface.handle(), 0, 0);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, 0, 0, surface.width(), surface.height());
  cairo_clip(cr_);
  cairo_paint_with_alpha(cr_, std::clamp(fraction, 0.0, 1.0));
  cairo_restore(cr_);
}

// ---- Shadings
//
// Shadings are drawn per pixel from a table of the function sampled at 4 steps per device pixel
// of the shading's length (at least 1025 samples); each pixel takes the nearest sample. An axis
// of whole pixels puts every pixel centre on a sample, so a ramp of one step per pixel comes out
// exactly as the function gives it, and elsewhere a pixel is off by at most an eighth of the
// change across one pixel. The function is never called per pixel.

template <typename Shade>
void GraphicsContext::paintShading(const ShadingFunction& function, double lengthInPixels, bool rowsRepeat, Shade shade) {
  lastEvaluations_ = 0;
  if (!function || cairo_status(cr_) != CAIRO_STATUS_SUCCESS || !std::isfinite(lengthInPixels)) return;
  double x0, y0, x1, y1;
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_restore(cr_);
  cairo_surface_t* target = cairo_get_target(cr_);
  if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE) {
    x0 = std::max(x0, 0.0), y0 = std::max(y0, 0.0);
    x1 = std::min(x1, double(cairo_image_surface_get_width(target)));
    y1 = std::min(y1, double(cairo_image_surface_get_height(target)));
  }
  const int bx = int(std::floor(x0)), by = int(std::floor(y0));
  const int bw = int(std::ceil(x1)) - bx, bh = int(std::ceil(y1)) - by;
  if (bw <= 0 || bh <= 0 || int64_t(bw) * bh > Image::kMaxPixels) return;

  cairo_matrix_t toUser;
  cairo_get_matrix(cr_, &toUser);
  if (cairo_matrix_invert(&toUser) != CAIRO_STATUS_SUCCESS) return;

  // The sampled function as premultiplied 32-bit pixels.
  const int steps = int(std::clamp(4.0 * std::ceil(std::max(lengthInPixels, 0.0)), 1024.0, 65536.0));
  std::vector<uint32_t> table(size_t(steps) + 1);
  for (int i = 0; i <= steps; ++i) {
    float rgba[4] = {0, 0, 0, 1};
    function(double(i) / steps, rgba);
    for (float& v : rgba) v = std::isnan(v) ? 0.f : std::clamp(v, 0.f, 1.f);
    const auto byte = [](float v) { return uint32_t(std::lround(v * 255.0f)); };
    table[size_t(i)] = (byte(rgba[3]) << 24) | (byte(rgba[0] * rgba[3]) << 16) | (byte(rgba[1] * rgba[3]) << 8) |
                       byte(rgba[2] * rgba[3]);
  }
  lastEvaluations_ = size_t(steps) + 1;

  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bw, bh);
  if (cairo_surface_status(tile) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(tile);
    return;
  }
  unsigned char* data = cairo_image_surface_get_data(tile);
  const int stride = cairo_image_surface_get_stride(tile);
  const double scaleToTable = steps;
  for (int j = 0; j < bh; ++j) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(j) * stride);
    if (rowsRepeat && j > 0) {  // the shading does not change down the device's columns
      std::memcpy(row, data, size_t(bw) * 4);
      continue;
    }
    const double dy = by + j + 0.5;
    // User coordinates of the row's first pixel centre and their change per pixel.
    double ux = toUser.xx * (bx + 0.5) + toUser.xy * dy + toUser.x0;
    double uy = toUser.yx * (bx + 0.5) + toUser.yy * dy + toUser.y0;
    for (int i = 0; i < bw; ++i, ux += toUser.xx, uy += toUser.yx) {
      double t;
      if (!shade(ux, uy, t)) {
        row[i] = 0;
        continue;
      }
      const double f = (t <= 0 ? 0 : t >= 1 ? 1 : t) * scaleToTable + 0.5;
      row[i] = table[size_t(f)];
    }
  }
  cairo_surface_mark_dirty(tile);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_set_source_surface(cr_, tile, bx, by);
  cairo_paint(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(tile);
}

void GraphicsContext::drawShading(const AxialShading& s) {
  const double dx = s.end.x - s.start.x, dy = s.end.y - s.start.y;
  const double len2 = dx * dx + dy * dy;
  if (!(len2 > 0) || !std::isfinite(len2)) {
    lastEvaluations_ = 0;
    return;
  }
  double ddx = dx, ddy = dy;
  cairo_user_to_device_distance(cr_, &ddx, &ddy);
  // Position changes along device y only through the user-space image of a device column.
  double colX = 0, colY = 1;
  cairo_device_to_user_distance(cr_, &colX, &colY);
  const bool rowsRepeat = colX * dx + colY * dy == 0;
  paintShading(s.function, std::hypot(ddx, ddy), rowsRepeat, [&](double x, double y, double& t) {
    t = ((x - s.start.x) * dx + (y - s.start.y) * dy) / len2;
    if (t < 0) return s.extendStart;
    if (t > 1) return s.extendEnd;
    return true;
  });
}

void GraphicsContext::drawShading(const RadialShading& s) {
  const double cdx = s.endCenter.x - s.startCenter.x, cdy = s.endCenter.y - s.startCenter.y;
  const double r0 = s.startRadius, dr = s.endRadius - s.startRadius;
  const double a = cdx * cdx + cdy * cdy - dr * dr;
  double ux = 1, uy = 0, vx = 0, vy = 1;
  cairo_user_to_device_distance(cr_, &ux, &uy);
  cairo_user_to_device_distance(cr_, &vx, &vy);
  const double scale = std::max(std::hypot(ux, uy), std::hypot(vx, vy));
  const double length = (std::hypot(cdx, cdy) + std::max(std::fabs(s.startRadius), std::fabs(s.endRadius))) * scale;
  // Radii a rounding error below zero (the very centre of a circle) still count.
  const double radiusTolerance = 1e-9 * (std::fabs(s.startRadius) + std::fabs(s.endRadius) + 1);
  const auto accept = [&](double t, double& out) {
    if (r0 + t * dr < -radiusTolerance) return false;
    if (t < 0 && !s.extendStart) return false;
    if (t > 1 && !s.extendEnd) return false;
    out = t;
    return true;
  };
  paintShading(s.function, length, false, [&](double x, double y, double& t) {
    const double pdx = x - s.startCenter.x, pdy = y - s.startCenter.y;
    const double b = pdx * cdx + pdy * cdy + r0 * dr;
    const double c = pdx * pdx + pdy * pdy - r0 * r0;
    if (std::fabs(a) < 1e-12) {
      if (b == 0) return false;
      return accept(c / (2 * b), t);
    }
    const double disc = b * b - a * c;
    if (disc < 0) return false;
    const double root = std::sqrt(disc);
    const double t1 = (b + root) / a, t2 = (b - root) / a;
    return accept(std::max(t1, t2), t) || accept(std::min(t1, t2), t);
  });
}

}  // namespace platform
