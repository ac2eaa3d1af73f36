// Text through Cairo's toy font interface: enough for the labels of buttons and menus.
#include <cairo.h>

#include "platform/graphics/GraphicsContext.h"

namespace platform {

namespace {
void selectFont(cairo_t* cr, double fontSize, bool bold) {
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, fontSize > 0 ? fontSize : 1);
}
}  // namespace

void GraphicsContext::drawText(const std::string& utf8, Point origin, double fontSize, bool bold) {
  if (utf8.empty()) return;
  cairo_save(cr_);
  cairo_translate(cr_, origin.x, origin.y);
  // Cairo's glyphs are drawn for y running down: turn them upright in y-up coordinates.
  if (!flipped_) cairo_scale(cr_, 1, -1);
  selectFont(cr_, fontSize, bold);
  const Color c = fill_.back();
  cairo_set_source_rgba(cr_, c.redComponent(), c.greenComponent(), c.blueComponent(), c.alphaComponent());
  cairo_new_path(cr_);
  cairo_move_to(cr_, 0, 0);
  cairo_show_text(cr_, utf8.c_str());
  cairo_restore(cr_);
}

GraphicsContext::TextMetrics GraphicsContext::measureText(const std::string& utf8, double fontSize, bool bold) const {
  TextMetrics m;
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  selectFont(cr_, fontSize, bold);
  cairo_text_extents_t text;
  cairo_text_extents(cr_, utf8.c_str(), &text);
  cairo_font_extents_t font;
  cairo_font_extents(cr_, &font);
  cairo_restore(cr_);
  m.width = text.x_advance;
  m.ascent = font.ascent;
  m.descent = font.descent;
  return m;
}

}  // namespace platform
