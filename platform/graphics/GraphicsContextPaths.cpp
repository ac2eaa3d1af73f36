// Filling, stroking and clipping to bezier paths.
#include <cairo.h>

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform {

void GraphicsContext::appendPath(const BezierPath& path) {
  cairo_new_path(cr_);
  for (const PathElement& e : path.elements()) {
    switch (e.type) {
      case PathElementType::MoveTo: cairo_move_to(cr_, e.points[0].x, e.points[0].y); break;
      case PathElementType::LineTo: cairo_line_to(cr_, e.points[0].x, e.points[0].y); break;
      case PathElementType::CurveTo:
        cairo_curve_to(cr_, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x, e.points[2].y);
        break;
      case PathElementType::ClosePath: cairo_close_path(cr_); break;
    }
  }
  cairo_set_fill_rule(cr_, path.windingRule() == WindingRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                       : CAIRO_FILL_RULE_WINDING);
  cairo_set_tolerance(cr_, path.flatness() > 0 ? path.flatness() : 0.1);
}

void GraphicsContext::clipToPath(const BezierPath& path) {
  appendPath(path);
  cairo_clip(cr_);
}

void GraphicsContext::fillPath(const BezierPath& path) {
  cairo_save(cr_);
  setSourceColor(fill_.back());
  appendPath(path);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void GraphicsContext::strokePath(const BezierPath& path) {
  cairo_save(cr_);
  setSourceColor(stroke_.back());
  appendPath(path);
  cairo_set_line_width(cr_, path.lineWidth());
  switch (path.lineJoinStyle()) {
    case LineJoinStyle::Miter: cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER); break;
    case LineJoinStyle::Round: cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND); break;
    case LineJoinStyle::Bevel: cairo_set_line_join(cr_, CAIRO_LINE_JOIN_BEVEL); break;
  }
  switch (path.lineCapStyle()) {
    case LineCapStyle::Butt: cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT); break;
    case LineCapStyle::Round: cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND); break;
    case LineCapStyle::Square: cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE); break;
  }
  cairo_set_miter_limit(cr_, path.miterLimit());
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

}  // namespace platform
