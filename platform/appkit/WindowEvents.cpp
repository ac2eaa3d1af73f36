// NSWindow events: the display's window events (close, resize, move, expose, focus), routing of
// mouse and key events to views, and dragging a window by its background.
#include <algorithm>

#include "platform/appkit/Application.h"
#include "platform/appkit/OpenGLView.h"
#include "platform/appkit/Window.h"
#include "platform/display/NativeWindow.h"
#include "platform/foundation/NotificationCenter.h"

namespace platform::appkit {

namespace {
// The mouse on the screen now, bottom-left coordinates.
NSPoint mouseOnScreen() {
  int x = 0, y = 0;
  platform::display::globalMousePosition(x, y);
  return {double(x), NSScreen::mainScreen()->frame().size.height - y};
}
}  // namespace

void NSWindow::handleDisplayEvent(const platform::display::Event& e) {
  using platform::display::EventType;
  switch (e.type) {
    case EventType::WindowCloseRequested:
      performClose();
      break;
    case EventType::WindowResized: {
      const NSRect content = contentRectForFrameRect(frame_);
      if (content.size == NSSize{double(e.width), double(e.height)}) break;
      userResize(frameRectForContentRect({{0, 0}, {double(e.width), double(e.height)}}).size);
      break;
    }
    case EventType::WindowMoved: {
      // The window manager moved it: follow without moving the native window again.
      const NSRect content = contentRectForFrameRect(frame_);
      const double screenHeight = NSScreen::mainScreen()->frame().size.height;
      const NSPoint origin{e.x, screenHeight - e.y - content.size.height};
      const double dx = origin.x - frame_.origin.x, dy = origin.y - frame_.origin.y;
      if (dx == 0 && dy == 0) break;
      if (delegate_) delegate_->windowWillMove(*this);
      frame_.origin = origin;
      moveChildren(dx, dy);
      if (delegate_) delegate_->windowDidMove(*this);
      platform::NotificationCenter::defaultCenter().postNotification(NSWindowDidMoveNotification, this);
      break;
    }
    case EventType::WindowExposed:
      if (openGLContentView())
        openGLContentView()->setNeedsDisplay(true);
      else if (surface_)
        present(NSRect{{0, 0}, contentRectForFrameRect(frame_).size});
      else
        invalidateRect(NSRect{{0, 0}, contentRectForFrameRect(frame_).size});
      break;
    case EventType::WindowFocusGained:
      makeKeyWindow();
      break;
    case EventType::WindowFocusLost:
      if (key_) resignKeyWindow();
      break;
    default:
      NSApplication::sharedApplication().dispatchDisplayEvent(*this, e);
      break;
  }
}

NSWindow* NSWindow::compositedChildAt(NSPoint pointInWindow) const {
  const NSPoint onScreen = convertBaseToScreen(pointInWindow);
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    NSWindow* child = *it;
    if (!child->isComposited() || !child->visible_ || child->alpha_ <= 0 || child->ignoresMouseEvents_) continue;
    if (!NSPointInRect(onScreen, child->contentRectForFrameRect(child->frame_))) continue;
    // A child's own composited children lie above it.
    if (NSWindow* deeper = child->compositedChildAt(child->convertScreenToBase(onScreen))) return deeper;
    return child;
  }
  return nullptr;
}

void NSWindow::sendEvent(const NSEvent& event) {
  NSView* content = contentView_.get();
  auto hit = [&]() -> NSView* { return content ? content->hitTest(event.locationInWindow) : nullptr; };
  auto target = [&](NSView* view) -> NSResponder* { return view ? static_cast<NSResponder*>(view) : this; };
  switch (event.type) {
    case NSEventType::LeftMouseDown:
    case NSEventType::RightMouseDown:
    case NSEventType::OtherMouseDown: {
      if (ignoresMouseEvents_) return;
      NSView* view = hit();
      if (event.type == NSEventType::LeftMouseDown) {
        if (!key_ && canBecomeKeyWindow()) makeKeyWindow();
        if (view && view != firstResponder() && view->acceptsFirstResponder()) makeFirstResponder(view);
        // A window movable by its background moves when the mouse-down falls on a view that lets
        // it (decided now, before the views see the event, as the window server does).
        draggingWindow_ = movableByBackground_ && (!view || view->mouseDownCanMoveWindow());
        if (draggingWindow_) {
          dragStartMouse_ = native_ ? mouseOnScreen() : convertBaseToScreen(event.locationInWindow);
          dragStartOrigin_ = frame_.origin;
        }
      }
      mouseDownView_ = view;
      NSResponder* r = target(view);
      if (event.type == NSEventType::LeftMouseDown)
        r->mouseDown(event);
      else if (event.type == NSEventType::RightMouseDown)
        r->rightMouseDown(event);
      else
        r->otherMouseDown(event);
      break;
    }
    case NSEventType::LeftMouseDragged:
    case NSEventType::RightMouseDragged:
    case NSEventType::OtherMouseDragged:
    case NSEventType::LeftMouseUp:
    case NSEventType::RightMouseUp:
    case NSEventType::OtherMouseUp: {
      if (draggingWindow_ && event.type == NSEventType::LeftMouseDragged) {
        // Where the mouse is now: the event's position is relative to where the window was.
        const NSPoint now = native_ ? mouseOnScreen() : convertBaseToScreen(event.locationInWindow);
        setFrameOrigin({dragStartOrigin_.x + now.x - dragStartMouse_.x, dragStartOrigin_.y + now.y - dragStartMouse_.y});
      }
      NSView* view = NSView::exists(mouseDownView_) ? mouseDownView_ : hit();
      NSResponder* r = target(view);
      switch (event.type) {
        case NSEventType::LeftMouseDragged: r->mouseDragged(event); break;
        case NSEventType::RightMouseDragged: r->rightMouseDragged(event); break;
        case NSEventType::OtherMouseDragged: r->otherMouseDragged(event); break;
        case NSEventType::LeftMouseUp: r->mouseUp(event); break;
        case NSEventType::RightMouseUp: r->rightMouseUp(event); break;
        default: r->otherMouseUp(event); break;
      }
      if (event.isMouseUp()) {
        mouseDownView_ = nullptr;
        if (event.type == NSEventType::LeftMouseUp) draggingWindow_ = false;
      }
      break;
    }
    case NSEventType::MouseMoved:
      if (acceptsMouseMoved_) firstResponder()->mouseMoved(event);
      break;
    case NSEventType::MouseEntered:
    case NSEventType::MouseExited:
      break;
    case NSEventType::ScrollWheel:
      if (!ignoresMouseEvents_) target(hit())->scrollWheel(event);
      break;
    case NSEventType::KeyDown:
      firstResponder()->keyDown(event);
      break;
    case NSEventType::KeyUp:
      firstResponder()->keyUp(event);
      break;
    case NSEventType::FlagsChanged:
      firstResponder()->flagsChanged(event);
      break;
    default:
      break;
  }
}

// The window is the end of its views' responder chain: what reaches it here nobody else took.
void NSWindow::mouseDown(const NSEvent& event) { NSResponder::mouseDown(event); }
void NSWindow::mouseDragged(const NSEvent& event) { NSResponder::mouseDragged(event); }
void NSWindow::mouseUp(const NSEvent& event) { NSResponder::mouseUp(event); }

void NSWindow::keyDown(const NSEvent& event) {
  if (event.characters == "\t") {
    selectNextKeyView();
    return;
  }
  NSResponder::keyDown(event);
}

}  // namespace platform::appkit
