#include "platform/appkit/Button.h"

#include <algorithm>

#include "platform/graphics/BezierPathGeometry.h"

namespace platform::appkit {

namespace {
constexpr double kTitleSize = 12;

void drawTitle(platform::GraphicsContext& context, const std::string& title, const NSRect& box, bool flipped,
               double alpha) {
  const auto metrics = context.measureText(title, kTitleSize);
  const double x = NSMidX(box) - metrics.width / 2;
  // Baseline so the capital height sits in the middle.
  const double middle = NSMidY(box);
  const double offset = (metrics.ascent - metrics.descent) / 2;
  context.setFillColor(platform::Color::calibratedWhite(0.05, alpha));
  context.drawText(title, {x, flipped ? middle + offset : middle - offset}, kTitleSize);
}
}  // namespace

void NSButtonCell::drawWithFrame(NSRect frame, NSView* view) {
  auto* context = platform::GraphicsContext::current();
  if (!context || NSIsEmptyRect(frame)) return;
  const bool flipped = view && view->isFlipped();
  const double alpha = isEnabled() ? 1 : 0.45;
  const bool pressed = isHighlighted() || (type_ != NSMomentaryPushInButton && type_ != NSSwitchButton && state() == NSOnState);

  if (type_ == NSSwitchButton) {
    const double side = std::min(14.0, frame.size.height);
    const NSRect box = NSMakeRect(frame.origin.x + 1, NSMidY(frame) - side / 2, side, side);
    platform::BezierPath outline = platform::bezierPathWithRoundedRect(NSInsetRect(box, 0.5, 0.5), 3);
    context->setFillColor(platform::Color::calibratedWhite(isHighlighted() ? 0.8 : 1, alpha));
    context->fillPath(outline);
    context->setStrokeColor(platform::Color::calibratedWhite(0.35, alpha));
    context->strokePath(outline);
    if (state() == NSOnState) {
      platform::BezierPath tick;
      tick.moveToPoint({box.origin.x + 3, NSMidY(box)});
      tick.lineToPoint({NSMidX(box) - 1, flipped ? NSMaxY(box) - 3 : box.origin.y + 3});
      tick.lineToPoint({NSMaxX(box) - 3, flipped ? box.origin.y + 3 : NSMaxY(box) - 3});
      tick.setLineWidth(2);
      context->setStrokeColor(platform::Color::calibratedWhite(0.1, alpha));
      context->strokePath(tick);
    }
    if (!title().empty()) {
      const NSRect label = NSMakeRect(NSMaxX(box) + 4, frame.origin.y, std::max(0.0, NSMaxX(frame) - NSMaxX(box) - 4),
                                      frame.size.height);
      const auto metrics = context->measureText(title(), kTitleSize);
      const double offset = (metrics.ascent - metrics.descent) / 2;
      context->setFillColor(platform::Color::calibratedWhite(0.05, alpha));
      context->drawText(title(), {label.origin.x, flipped ? NSMidY(label) + offset : NSMidY(label) - offset}, kTitleSize);
    }
    return;
  }

  if (bordered_) {
    platform::BezierPath bezel = platform::bezierPathWithRoundedRect(NSInsetRect(frame, 0.5, 0.5), 4);
    context->setFillColor(platform::Color::calibratedWhite(pressed ? 0.62 : 0.93, alpha));
    context->fillPath(bezel);
    context->setStrokeColor(platform::Color::calibratedWhite(0.4, alpha));
    context->strokePath(bezel);
  } else if (pressed) {
    context->setFillColor(platform::Color::calibratedWhite(0, 0.25 * alpha));
    context->fillRect(frame);
  }
  if (image()) {
    const platform::Image& img = *image();
    const double scale = std::min({1.0, frame.size.width / std::max(1, img.width()), frame.size.height / std::max(1, img.height())});
    const double w = img.width() * scale, h = img.height() * scale;
    context->drawImage(img, NSMakeRect(NSMidX(frame) - w / 2, NSMidY(frame) - h / 2, w, h), alpha);
  } else if (!title().empty()) {
    drawTitle(*context, title(), frame, flipped, alpha);
  }
}

bool NSButtonCell::startTrackingAt(NSPoint point, NSControl* controlView) {
  (void)point;
  setHighlighted(true);
  if (controlView) controlView->setNeedsDisplay(true);
  return true;
}

bool NSButtonCell::continueTracking(NSPoint lastPoint, NSPoint currentPoint, NSControl* controlView) {
  (void)lastPoint;
  if (!controlView) return false;
  const bool inside = NSMouseInRect(currentPoint, controlView->bounds(), controlView->isFlipped());
  if (inside != isHighlighted()) {
    setHighlighted(inside);
    controlView->setNeedsDisplay(true);
  }
  return true;
}

void NSButtonCell::stopTracking(NSPoint lastPoint, NSPoint stopPoint, NSControl* controlView, bool mouseIsUp) {
  (void)lastPoint;
  setHighlighted(false);
  if (!controlView) return;
  const bool inside = NSMouseInRect(stopPoint, controlView->bounds(), controlView->isFlipped());
  if (mouseIsUp && inside && type_ != NSMomentaryPushInButton) setState(state() == NSOnState ? NSOffState : NSOnState);
  controlView->setNeedsDisplay(true);
}

void NSButton::setTitle(const std::string& title) {
  cell()->setTitle(title);
  setNeedsDisplay(true);
}

void NSButton::setImage(std::shared_ptr<const platform::Image> image) {
  cell()->setImage(std::move(image));
  setNeedsDisplay(true);
}

void NSButton::setState(int state) {
  if (cell()->state() == state) return;
  cell()->setState(state);
  setNeedsDisplay(true);
}

void NSButton::setButtonType(NSButtonType type) {
  if (auto* c = buttonCell()) c->setButtonType(type);
  setNeedsDisplay(true);
}

void NSButton::setBordered(bool bordered) {
  if (auto* c = buttonCell()) c->setBordered(bordered);
  setNeedsDisplay(true);
}

void NSButton::performClick() {
  if (!isEnabled()) return;
  if (auto* c = buttonCell(); c && c->buttonType() != NSMomentaryPushInButton)
    setState(state() == NSOnState ? NSOffState : NSOnState);
  sendAction();
}

}  // namespace platform::appkit
