#include "Window.h"

#include "platform/display/NativeWindow.h"

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
  const platform::display::PixelRect r = platform::display::screenBounds();
  return NSMakeRect(0, 0, r.width, r.height);
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
  native_.reset();
}

SDL_Window* NSWindow::sdlWindow() const { return native_ ? native_->sdlWindow() : nullptr; }

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
  if (native_) native_->setTitle(title_);
}

void NSWindow::setAlphaValue(double alpha) {
  alpha_ = std::clamp(alpha, 0.0, 1.0);
  if (native_) native_->setOpacity(static_cast<float>(alpha_));
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
  if (native_) {
    syncBacking();
    native_->show();
    native_->raise();
  }
}

void NSWindow::orderOut() {
  visible_ = false;
  key_ = false;
  if (native_) native_->hide();
}

void NSWindow::close() {
  if (delegate_) delegate_->windowWillClose(*this);
  orderOut();
  NSApplication::sharedApplication().windowDidClose(*this);
}

void NSWindow::ensureBacking() {
  if (native_) return;
  if (centred_) center();
  platform::display::WindowStyle style;
  style.resizable = styleMask_ & NSResizableWindowMask;
  style.borderless = !(styleMask_ & NSTitledWindowMask);
  style.alwaysOnTop = level_ > 0;
  style.utility = level_ > 0;
  const NSRect screen = NSScreen::mainScreen()->frame();
  const NSRect content = contentRectForFrameRect(frame_);
  native_ = platform::display::NativeWindow::create(
      title_, {int(content.origin.x), int(screen.size.height - NSMaxY(content)), int(content.size.width), int(content.size.height)},
      style);
  if (!native_) return;
  native_->addEventHandler([this](const platform::display::Event& e) { handleDisplayEvent(e); });
  NSApplication::sharedApplication().displayDidStart();
}

void NSWindow::handleDisplayEvent(const platform::display::Event& e) {
  using platform::display::EventType;
  switch (e.type) {
    case EventType::WindowCloseRequested:
      close();
      break;
    case EventType::WindowResized: {
      NSRect content = contentRectForFrameRect(frame_);
      if (content.size == NSSize{double(e.width), double(e.height)}) break;
      content.size = {double(e.width), double(e.height)};
      userResize(frameRectForContentRect(content).size);
      break;
    }
    default:
      NSApplication::sharedApplication().handleDisplayEvent(*this, e);
      break;
  }
}

// Screen coordinates of the display run from the top-left corner, y down.
void NSWindow::syncBacking() {
  if (!native_) return;
  const NSRect screen = NSScreen::mainScreen()->frame();
  const NSRect content = contentRectForFrameRect(frame_);
  const int w = std::max(1, int(content.size.width)), h = std::max(1, int(content.size.height));
  native_->setFrame({int(content.origin.x), int(screen.size.height - NSMaxY(content)), w, h});
  native_->setOpacity(static_cast<float>(alpha_));
  auto channel = [](double c) { return uint32_t(std::clamp(c, 0.0, 1.0) * 255 + 0.5); };
  const uint32_t pixel = 0xFF000000u | channel(background_.red) << 16 | channel(background_.green) << 8 |
                         channel(background_.blue);
  std::vector<uint32_t> pixels(size_t(w) * h, pixel);
  native_->present(reinterpret_cast<const uint8_t*>(pixels.data()), w, h, w * 4);
}

}  // namespace platform::appkit
