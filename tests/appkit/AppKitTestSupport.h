#pragma once
// Helpers of the toolkit tests: posting synthetic events to windows and reading the pixels a
// window drew.
#include "platform/appkit/Application.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/RunLoop.h"

namespace appkittest {

using namespace platform::appkit;

// Queues a mouse event for `window` at a point of its base coordinates.
inline void postMouse(NSEventType type, NSWindow* window, NSPoint location, uint32_t flags = 0, int clicks = 1) {
  NSApplication::sharedApplication().postEvent(NSEvent::mouseEvent(type, location, window, flags, clicks));
}

// The same for a point of a view's coordinates.
inline void postMouseInView(NSEventType type, NSView* view, NSPoint point, uint32_t flags = 0) {
  postMouse(type, view->window(), view->convertPointToView(point, nullptr), flags);
}

inline void spin(double seconds = 0.05) {
  platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, seconds);
}

// The pixel a window drew at a point of its base coordinates (y up).
inline platform::RGBA8 pixelAt(const NSWindow& window, NSPoint p) {
  const platform::Image image = window.contentImage();
  const int x = int(p.x), y = image.height() - 1 - int(p.y);
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return {};
  return image.pixel(x, y);
}

inline bool near(platform::RGBA8 p, int r, int g, int b, int a = 255, int tolerance = 2) {
  return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance &&
         std::abs(p.a - a) <= tolerance;
}

// A view that fills its bounds with one colour and counts what it was asked to draw.
class FillView : public NSView {
 public:
  FillView(NSRect frame, NSColor colour, bool flipped = false) : NSView(frame), colour_(colour), flipped_(flipped) {}
  bool isFlipped() const override { return flipped_; }
  void drawRect(NSRect dirty) override {
    ++draws;
    lastDirty = dirty;
    colour_.setFill();
    NSRectFill(bounds());
    if (marker) {
      // A 4 x 4 mark at the origin of the bounds: bottom-left, or top-left when flipped.
      NSColor::colorWithCalibratedRed(0, 0, 1, 1).setFill();
      NSRectFill(NSMakeRect(0, 0, 4, 4));
    }
  }
  int draws = 0;
  NSRect lastDirty;
  bool marker = false;

 private:
  NSColor colour_;
  bool flipped_;
};

}  // namespace appkittest
