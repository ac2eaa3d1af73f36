#include "platform/appkit/ImageView.h"

#include <algorithm>

namespace platform::appkit {

void NSImageView::setImage(std::shared_ptr<const platform::Image> image) {
  cell()->setImage(std::move(image));
  setNeedsDisplay(true);
}

void NSImageView::setImageScaling(NSImageScaling scaling) {
  scaling_ = scaling;
  setNeedsDisplay(true);
}

void NSImageView::setImageAlignment(NSImageAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay(true);
}

NSRect NSImageView::imageRect() const {
  const auto& img = image();
  if (!img || img->empty()) return NSZeroRect;
  const NSRect b = bounds();
  double w = img->width(), h = img->height();
  switch (scaling_) {
    case NSImageScaleAxesIndependently:
      w = b.size.width;
      h = b.size.height;
      break;
    case NSImageScaleProportionallyDown:
    case NSImageScaleProportionallyUpOrDown: {
      double scale = std::min(b.size.width / w, b.size.height / h);
      if (scaling_ == NSImageScaleProportionallyDown) scale = std::min(scale, 1.0);
      w *= scale;
      h *= scale;
      break;
    }
    case NSImageScaleNone:
      break;
  }
  // Horizontal and vertical placement by the alignment; "top" is the far end of y unless flipped.
  double x = NSMidX(b) - w / 2, y = NSMidY(b) - h / 2;
  const bool left = alignment_ == NSImageAlignLeft || alignment_ == NSImageAlignTopLeft || alignment_ == NSImageAlignBottomLeft;
  const bool right = alignment_ == NSImageAlignRight || alignment_ == NSImageAlignTopRight || alignment_ == NSImageAlignBottomRight;
  const bool top = alignment_ == NSImageAlignTop || alignment_ == NSImageAlignTopLeft || alignment_ == NSImageAlignTopRight;
  const bool bottom = alignment_ == NSImageAlignBottom || alignment_ == NSImageAlignBottomLeft || alignment_ == NSImageAlignBottomRight;
  if (left) x = b.origin.x;
  if (right) x = NSMaxX(b) - w;
  if (top) y = isFlipped() ? b.origin.y : NSMaxY(b) - h;
  if (bottom) y = isFlipped() ? NSMaxY(b) - h : b.origin.y;
  return NSMakeRect(x, y, w, h);
}

void NSImageView::drawRect(NSRect dirtyRect) {
  (void)dirtyRect;
  auto* context = platform::GraphicsContext::current();
  const NSRect r = imageRect();
  if (!context || NSIsEmptyRect(r)) return;
  context->drawImage(*image(), r, isEnabled() ? 1.0 : 0.5);
}

}  // namespace platform::appkit
