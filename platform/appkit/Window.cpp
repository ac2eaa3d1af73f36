#include "Window.h"

#include "platform/appkit/Display.h"

#include <algorithm>
#include <cmath>

#include "platform/appkit/Application.h"

namespace platform::appkit {

namespace {
std::vector<NSWindow*>& registry() {
  static std::vector<NSWindow*> windows;
  return windows;
}
}  // namespace

int CGWindowLevelForKey(int key) {
  switch (key) {
    case kCGFloatingWindowLevelKey:
      return 3;
    case kCGScreenSaverWindowLevelKey:
      return 1000;
    default:
      return 0;
  }
}

NSScreen* NSScreen::mainScreen() {
  static NSScreen screen;
  return &screen;
}

NSRect NSScreen::frame() const {
  SDL_Rect r;
  if (displayStarted() && sdl().GetDisplayBounds(0, &r) == 0 && r.w > 0 && r.h > 0)
    return NSMakeRect(0, 0, r.w, r.h);
  return NSMakeRect(0, 0, 1280, 1024);
}

NSWindow::NSWindow(NSRect contentRect, unsigned styleMask, NSBackingStoreType backing, bool defer, NSScreen* screen)
    : styleMask_(styleMask) {
  (void)backing;
  (void)defer;
  (void)screen;
  frame_ = frameRectForContentRect(contentRect);
  setContentView(std::make_shared<NSView>(NSRect{{0, 0}, contentRect.size}));
  registry().push_back(this);
}

NSWindow::~NSWindow() {
  std::erase(registry(), this);
  if (parent_) parent_->removeChildWindow(this);
  for (NSWindow* child : children_) child->parent_ = nullptr;
  if (contentView_) contentView_->setWindow(nullptr);
  if (sdl_) sdl().DestroyWindow(sdl_);
}

const std::vector<NSWindow*>& NSWindow::allWindows() { return registry(); }

NSRect NSWindow::contentRectForFrameRect(NSRect frame) const {
  if (styleMask_ & NSTitledWindowMask) frame.size.height = std::max(0.0, frame.size.height - kTitleBarHeight);
  return frame;
}

NSRect NSWindow::frameRectForContentRect(NSRect content) const {
  if (styleMask_ & NSTitledWindowMask) content.size.height += kTitleBarHeight;
  return content;
}

void NSWindow::setFrame(NSRect frame, bool display, bool animate) {
  (void)display;
  (void)animate;
  const NSRect old = frame_;
  if (old == frame) return;
  frame_ = frame;
  const double dx = frame.origin.x - old.origin.x, dy = frame.origin.y - old.origin.y;
  if (dx != 0 || dy != 0) {
    for (NSWindow* child : children_) {
      NSRect f = child->frame();
      f.origin.x += dx;
      f.origin.y += dy;
      child->setFrame(f, display);
    }
  }
  if (contentView_) contentView_->setFrame({{0, 0}, contentRectForFrameRect(frame_).size});
  syncBacking();
  if (delegate_ && (dx != 0 || dy != 0)) delegate_->windowDidMove(*this);
  if (delegate_ && !(old.size == frame.size)) delegate_->windowDidResize(*this);
}

void NSWindow::setContentSize(NSSize size) {
  NSRect f = frameRectForContentRect({frame_.origin, size});
  setFrame(f, true);
}

void NSWindow::setFrameTopLeftPoint(NSPoint point) {
  centred_ = false;
  setFrame({{point.x, point.y - frame_.size.height}, frame_.size}, true);
}

void NSWindow::center() {
  NSRect screen = NSScreen::mainScreen()->frame();
  setFrame({{std::floor(screen.origin.x + (screen.size.width - frame_.size.width) / 2),
             std::floor(screen.origin.y + (screen.size.height - frame_.size.height) / 2)},
            frame_.size},
           true);
  centred_ = true;
}

void NSWindow::userResize(NSSize proposed) {
  NSSize size = delegate_ ? delegate_->windowWillResizeToSize(*this, proposed) : proposed;
  // The top edge stays where it is.
  setFrame({{frame_.origin.x, NSMaxY(frame_) - size.height}, size}, true);
}

void NSWindow::zoom() {
  NSRect standard = NSScreen::mainScreen()->frame();
  if (delegate_) standard = delegate_->windowWillUseStandardFrame(*this, standard);
  setFrame(standard, true);
}

void NSWindow::setTitle(const std::string& title) {
  title_ = title;
  if (sdl_) sdl().SetWindowTitle(sdl_, title_.c_str());
}

void NSWindow::setAlphaValue(double alpha) {
  alpha_ = std::clamp(alpha, 0.0, 1.0);
  if (sdl_) sdl().SetWindowOpacity(sdl_, static_cast<float>(alpha_));
}

void NSWindow::setContentView(std::shared_ptr<NSView> view) {
  if (contentView_) contentView_->setWindow(nullptr);
  contentView_ = std::move(view);
  if (contentView_) {
    contentView_->setWindow(this);
    contentView_->setFrame({{0, 0}, contentRectForFrameRect(frame_).size});
  }
}

void NSWindow::addChildWindow(NSWindow* child, NSWindowOrderingMode ordered) {
  (void)ordered;
  if (!child || child == this || child->parent_ == this) return;
  if (child->parent_) child->parent_->removeChildWindow(child);
  child->parent_ = this;
  children_.push_back(child);
}

void NSWindow::removeChildWindow(NSWindow* child) {
  if (std::erase(children_, child) && child) child->parent_ = nullptr;
}

void NSWindow::makeKeyAndOrderFront() {
  for (NSWindow* w : registry()) w->key_ = false;
  orderFront();
  key_ = visible_;
}

void NSWindow::orderFront() {
  ensureBacking();
  visible_ = true;
  if (sdl_) {
    syncBacking();
    sdl().ShowWindow(sdl_);
    sdl().RaiseWindow(sdl_);
  }
}

void NSWindow::orderOut() {
  visible_ = false;
  key_ = false;
  if (sdl_) sdl().HideWindow(sdl_);
}

void NSWindow::close() {
  if (delegate_) delegate_->windowWillClose(*this);
  orderOut();
  NSApplication::sharedApplication().windowDidClose(*this);
}

void NSWindow::ensureBacking() {
  if (sdl_ || !startDisplay()) return;
  if (centred_) center();
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (styleMask_ & NSResizableWindowMask) flags |= SDL_WINDOW_RESIZABLE;
  if (!(styleMask_ & NSTitledWindowMask)) flags |= SDL_WINDOW_BORDERLESS;
  if (level_ > 0) flags |= SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_UTILITY;
  NSRect content = contentRectForFrameRect(frame_);
  sdl_ = sdl().CreateWindow(title_.c_str(), 0, 0, std::max(1, int(content.size.width)),
                          std::max(1, int(content.size.height)), flags);
  if (!sdl_) return;
  NSApplication::sharedApplication().displayDidStart();
}

// Screen coordinates of SDL run from the top-left corner, y down.
void NSWindow::syncBacking() {
  if (!sdl_) return;
  NSRect screen = NSScreen::mainScreen()->frame();
  NSRect content = contentRectForFrameRect(frame_);
  sdl().SetWindowSize(sdl_, std::max(1, int(content.size.width)), std::max(1, int(content.size.height)));
  sdl().SetWindowPosition(sdl_, int(content.origin.x), int(screen.size.height - NSMaxY(content)));
  sdl().SetWindowOpacity(sdl_, static_cast<float>(alpha_));
  if (SDL_Surface* surface = sdl().GetWindowSurface(sdl_)) {
    sdl().FillRect(surface, nullptr,
                 sdl().MapRGB(surface->format, Uint8(background_.red * 255), Uint8(background_.green * 255),
                            Uint8(background_.blue * 255)));
    sdl().UpdateWindowSurface(sdl_);
  }
}

}  // namespace platform::appkit
