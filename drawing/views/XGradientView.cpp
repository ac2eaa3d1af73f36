#include "drawing/views/XGradientView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"

namespace drawing {

using namespace platform::appkit;

XGradientView::XGradientView(NSRect frame) : NSView(frame) {
  (void)_backgroundY;
  (void)_titleField;
}

void XGradientView::setDrawsFill(bool draws) {
  if (draws == drawsFill_) return;
  drawsFill_ = draws;
  setNeedsDisplay(true);
}

void XGradientView::setFlipped(bool flipped) {
  if (flipped == flipped_) return;
  flipped_ = flipped;
  setNeedsDisplay(true);
}

std::shared_ptr<XGradient> XGradientView::gradient() {
  auto skin = platform::UserDefaults::standardUserDefaults().stringForKey("kGuiSkinName");
  return XGradient::presetNamed(skin && *skin == "Obsidian" ? "plumoHUDButtonGradient" : "plumoTableViewHeaderGradient");
}

void XGradientView::setBackgroundImage(std::shared_ptr<const platform::Image> image) {
  if (image == _backgroundImage) return;
  _backgroundImage = image ? std::make_shared<const platform::Image>(*image) : nullptr;
}

std::shared_ptr<const platform::Image> XGradientView::backgroundImage() {
  if (_backgroundImage) return _backgroundImage;
  const double h = frame().size.height;
  const int pixels = std::max(1, static_cast<int>(std::ceil(h)));
  platform::ImageSurface strip(1, pixels);
  if (!strip.valid()) return nullptr;
  _backgroundImageRect = NSMakeRect(0, 0, 1, h);
  if (std::shared_ptr<XGradient> ramp = gradient()) {
    // The strip is kept as it is seen: drawn in the view's own orientation, position 0 of the
    // ramp at the top either way (270 degrees runs top-down, 90 does so in flipped coordinates).
    platform::GraphicsContext context(strip, flipped_);
    platform::GraphicsContext::CurrentScope scope(context);
    ramp->fillRect(_backgroundImageRect, flipped_ ? 90.0f : 270.0f);
  }
  setBackgroundImage(std::make_shared<const platform::Image>(strip.image()));
  return _backgroundImage;
}

void XGradientView::drawRect(NSRect r) {
  platform::GraphicsContext* context = platform::GraphicsContext::current();
  if (!context) return;
  if (!drawsFill_) {
    context->setFillColor(platform::Color::darkGrayColor());
    context->fillRect(r, platform::CompositingOperation::Copy);
    return;
  }
  if (frame().size.height != _backgroundImageRect.size.height) setBackgroundImage(nullptr);
  std::shared_ptr<const platform::Image> strip = backgroundImage();
  if (!strip) return;
  // The strip's rows that lie behind r (its own coordinates run bottom-up, as the view's do
  // unless the view is flipped).
  const double h = _backgroundImageRect.size.height;
  const double fromY = flipped_ ? h - (r.origin.y + r.size.height) : r.origin.y;
  context->drawImage(*strip, r, NSMakeRect(_backgroundImageRect.origin.x, fromY, 1, r.size.height),
                     platform::CompositingOperation::Copy, 1.0);
}

}  // namespace drawing
