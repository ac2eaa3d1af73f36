#include "previewer/XTransparentWindow.h"

#include <string>

using namespace platform::appkit;

XTransparentWindow::XTransparentWindow(NSRect contentRect, unsigned styleMask, NSBackingStoreType backing, bool defer)
    : AnimataWindow(contentRect, 2048, NSBackingStoreBuffered, false) {
  (void)styleMask;
  (void)backing;
  (void)defer;
  setup();
}

void XTransparentWindow::setup() {
  if (isSetup_) return;
  setBackgroundColor(NSColor::clearColor());
  setOpaque(false);
  setMovableByWindowBackground(true);
  setLevel(CGWindowLevelForKey(kCGFloatingWindowLevelKey));
  setHidesOnDeactivate(false);
  setIsResizeable(dragResizeImageView_ != nullptr);
  setShowsUtilityMenuButton(false);
  isSetup_ = true;
}

void XTransparentWindow::setIsResizeable(bool resizeable) {
  isResizeable_ = resizeable;
  if (dragResizeImageView_) dragResizeImageView_->setHidden(!resizeable);
}

void XTransparentWindow::setShowsUtilityMenuButton(bool shows) {
  showsUtilityMenuButton_ = shows;
  if (utilityPopUpButton_) utilityPopUpButton_->setHidden(!shows);
}

void XTransparentWindow::setTitle(const std::string& title) {
  AnimataWindow::setTitle(title);
  if (NSView* content = contentView()) content->setNeedsDisplay(true);
}

void XTransparentWindow::keyDown(const NSEvent& event) {
  // The first character is read and nothing is done with it.
  const char first = event.characters.empty() ? '\0' : event.characters[0];
  (void)first;
}

bool XTransparentWindow::inGrip(NSPoint p, const NSRect& frame) const {
  return p.x > frame.size.width - 20 && p.y < 20 && frame.size.height < maxSize().height;
}

// The toolkit decides at the mouse-down, before the window's own handler runs, whether the
// background drag moves the window; a mouse-down in the grip must resize it instead.
void XTransparentWindow::sendEvent(const NSEvent& event) {
  if (event.type == NSEventType::LeftMouseDown && !ignoresMouseEvents())
    setMovableByWindowBackground(!(isResizeable_ && inGrip(event.locationInWindow, frame())));
  AnimataWindow::sendEvent(event);
}

void XTransparentWindow::mouseDown(const NSEvent& event) {
  initialLocation_ = event.locationInWindow;
  initialLocationOnScreen_ = convertBaseToScreen(initialLocation_);
  initialFrame_ = frame();
  shouldDrag_ = inGrip(initialLocation_, initialFrame_);
  setMovableByWindowBackground(!(isResizeable_ && shouldDrag_));
  AnimataWindow::mouseDown(event);
}

void XTransparentWindow::mouseDragged(const NSEvent& event) {
  AnimataWindow::mouseDragged(event);
  if (!isResizeable_ || !shouldDrag_) return;
  NSRect f = frame();
  // The mouse as it is now on the screen (not the event's, which lags behind a moving frame).
  const double my = convertBaseToScreen(mouseLocationOutsideOfEventStream()).y;
  const double ex = event.locationInWindow.x;
  const NSSize minimum = minSize(), maximum = maxSize();

  double width = (ex - initialLocation_.x) + initialFrame_.size.width;
  if (width < minimum.width) width = minimum.width + 1;
  if (width > maximum.width) width = maximum.width - 1;
  f.size.width = width;

  const double top = initialFrame_.origin.y + initialFrame_.size.height;
  if (my < top - minimum.height) {
    double height = initialFrame_.size.height - (my - initialLocationOnScreen_.y);
    if (height < minimum.height) height = minimum.height + 1;
    if (height > maximum.height) height = maximum.height - 1;
    f.size.height = height;
    f.origin.y = top - height;  // the top edge stays put
  }
  setFrame(NSIntegralRect(f), true, false);
}

void XTransparentWindow::mouseUp(const NSEvent& event) {
  setMovableByWindowBackground(true);
  if (shouldDrag_) {
    NSRect f = frame();
    const NSRect visible = screen() ? screen()->visibleFrame() : NSZeroRect;
    if (!NSContainsRect(visible, f)) {
      if (NSMaxY(f) > NSMaxY(visible)) f.origin.y -= NSMaxY(f) - NSMaxY(visible);
      // A 22-point strip of the top stays on the screen.
      if (NSMaxY(f) - 22 < NSMinY(visible)) f.origin.y += NSMinY(visible) - (NSMaxY(f) - 22);
      setFrame(f, false, true);
    }
    shouldDrag_ = false;
  }
  AnimataWindow::mouseUp(event);
}
