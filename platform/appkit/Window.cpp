// NSWindow: frame, coordinates, appearance, child windows, ordering and key state, the native
// window behind it. Drawing is in WindowDisplay.cpp, events in WindowEvents.cpp.
#include "platform/appkit/Window.h"

#include <algorithm>
#include <cmath>

#include "platform/appkit/Application.h"
#include "platform/appkit/OpenGLView.h"
#include "platform/display/EventPump.h"
#include "platform/display/NativeWindow.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform::appkit {

namespace {
std::vector<NSWindow*>& registry() {
  static std::vector<NSWindow*> windows;
  return windows;
}
int gNextNumber = 1;
// Ids of events posted to windows that have no native window: above any the display gives.
constexpr uint32_t kOwnEventIds = 0x40000000u;

NSRect toBottomLeft(const platform::display::PixelRect& r, double screenHeight) {
  return NSMakeRect(r.x, screenHeight - r.y - r.height, r.width, r.height);
}

void post(const std::string& name, NSWindow* window) {
  platform::NotificationCenter::defaultCenter().postNotification(name, window);
}
}  // namespace

int CGWindowLevelForKey(int key) {
  switch (key) {
    case kCGFloatingWindowLevelKey:
    case kCGTornOffMenuWindowLevelKey: return 3;
    case kCGModalPanelWindowLevelKey: return 8;
    case kCGDockWindowLevelKey: return 20;
    case kCGMainMenuWindowLevelKey: return 24;
    case kCGStatusWindowLevelKey: return 25;
    case kCGPopUpMenuWindowLevelKey: return 101;
    case kCGScreenSaverWindowLevelKey: return 1000;
    default: return 0;
  }
}

// ---- Screen

NSScreen* NSScreen::mainScreen() {
  static NSScreen screen;
  return &screen;
}

NSRect NSScreen::frame() const {
  const platform::display::PixelRect r = platform::display::screenBounds();
  return NSMakeRect(0, 0, r.width, r.height);
}

NSRect NSScreen::visibleFrame() const {
  return toBottomLeft(platform::display::screenUsableBounds(), frame().size.height);
}

// ---- Life

NSWindow::NSWindow(NSRect contentRect, unsigned styleMask, NSBackingStoreType backing, bool defer, NSScreen* screen)
    : styleMask_(styleMask), number_(gNextNumber++) {
  (void)backing;
  (void)defer;
  (void)screen;
  frame_ = frameRectForContentRect(contentRect);
  setContentView(std::make_shared<NSView>(NSRect{{0, 0}, contentRect.size}));
  registry().push_back(this);
  handlers_.push_back(platform::display::EventPump::shared().addHandler(
      ownEventId(), [this](const platform::display::Event& e) { handleDisplayEvent(e); }));
}

NSWindow::~NSWindow() {
  std::erase(registry(), this);
  for (uint64_t id : handlers_) platform::display::EventPump::shared().removeHandler(id);
  removeOverlay();
  if (parent_) parent_->removeChildWindow(this);
  for (NSWindow* child : children_) child->parent_ = nullptr;
  if (NSOpenGLView* gl = openGLContentView()) gl->clearGLContext();  // before the window it draws into
  if (contentView_) contentView_->setWindow(nullptr);
  native_.reset();
}

const std::vector<NSWindow*>& NSWindow::allWindows() { return registry(); }

bool NSWindow::exists(const NSWindow* window) {
  return window && std::find(registry().begin(), registry().end(), window) != registry().end();
}

SDL_Window* NSWindow::sdlWindow() const { return native_ ? native_->sdlWindow() : nullptr; }

uint32_t NSWindow::ownEventId() const { return kOwnEventIds + uint32_t(number_); }

uint32_t NSWindow::eventWindowId() const { return native_ ? native_->id() : ownEventId(); }

// ---- Frame and coordinates

NSRect NSWindow::contentRectForFrameRect(NSRect frame) const {
  if (styleMask_ & NSTitledWindowMask) frame.size.height = std::max(0.0, frame.size.height - kTitleBarHeight);
  return frame;
}

NSRect NSWindow::frameRectForContentRect(NSRect content) const {
  if (styleMask_ & NSTitledWindowMask) content.size.height += kTitleBarHeight;
  return content;
}

void NSWindow::setFrame(NSRect frame, bool display, bool animate) {
  if (!animate || !visible_ || frame == frame_) {
    applyFrame(frame, display);
    return;
  }
  // A short blocking animation, as the platform's: about a fifth of a second at 60 steps a second.
  const NSRect from = frame_;
  constexpr int kSteps = 12;
  auto& loop = platform::RunLoop::mainRunLoop();
  for (int i = 1; i <= kSteps && exists(this); ++i) {
    const double t = double(i) / kSteps;
    const double s = t * t * (3 - 2 * t);  // ease in and out
    auto mix = [s](double a, double b) { return a + (b - a) * s; };
    applyFrame(i == kSteps ? frame
                           : NSMakeRect(mix(from.origin.x, frame.origin.x), mix(from.origin.y, frame.origin.y),
                                        mix(from.size.width, frame.size.width), mix(from.size.height, frame.size.height)),
               true);
    displayIfNeeded();
    loop.runModeBeforeDate(platform::RunLoop::kEventTrackingRunLoopMode,
                           platform::RunLoop::Clock::now() + std::chrono::milliseconds(16));
  }
}

void NSWindow::applyFrame(NSRect frame, bool display) {
  const NSRect old = frame_;
  if (old == frame) return;
  frame_ = frame;
  const double dx = frame.origin.x - old.origin.x, dy = frame.origin.y - old.origin.y;
  moveChildren(dx, dy);
  if (contentView_) contentView_->setFrame({{0, 0}, contentRectForFrameRect(frame_).size});
  syncBacking();
  if (isComposited()) updateOverlay();
  if (display) displayIfNeeded();
  if (dx != 0 || dy != 0) {
    if (delegate_) delegate_->windowDidMove(*this);
    post(NSWindowDidMoveNotification, this);
  }
  if (!(old.size == frame.size)) {
    if (delegate_) delegate_->windowDidResize(*this);
    post(NSWindowDidResizeNotification, this);
  }
}

void NSWindow::moveChildren(double dx, double dy) {
  if (dx == 0 && dy == 0) return;
  for (NSWindow* child : std::vector<NSWindow*>(children_)) {
    NSRect f = child->frame();
    f.origin.x += dx;
    f.origin.y += dy;
    child->setFrame(f, true);
  }
}

void NSWindow::setFrameOrigin(NSPoint origin) { setFrame({origin, frame_.size}, true); }

void NSWindow::setContentSize(NSSize size) {
  NSRect f = frameRectForContentRect({frame_.origin, size});
  // The top edge stays where it is.
  f.origin.y = NSMaxY(frame_) - f.size.height;
  setFrame(f, true);
}

void NSWindow::setFrameTopLeftPoint(NSPoint point) {
  centred_ = false;
  setFrame({{point.x, point.y - frame_.size.height}, frame_.size}, true);
}

void NSWindow::center() {
  const NSRect screen = NSScreen::mainScreen()->frame();
  setFrame({{std::floor(screen.origin.x + (screen.size.width - frame_.size.width) / 2),
             std::floor(screen.origin.y + (screen.size.height - frame_.size.height) / 2)},
            frame_.size},
           true);
  centred_ = true;
}

void NSWindow::setMinSize(NSSize size) {
  minSize_ = size;
  if (native_) {
    const NSSize content = contentRectForFrameRect({{0, 0}, size}).size;
    native_->setMinimumSize(int(content.width), int(content.height));
  }
}

void NSWindow::setMaxSize(NSSize size) { maxSize_ = size; }

void NSWindow::userResize(NSSize proposed) {
  proposed.width = std::clamp(proposed.width, minSize_.width, std::max(minSize_.width, maxSize_.width));
  proposed.height = std::clamp(proposed.height, minSize_.height, std::max(minSize_.height, maxSize_.height));
  const NSSize size = delegate_ ? delegate_->windowWillResizeToSize(*this, proposed) : proposed;
  // The top edge stays where it is.
  setFrame({{frame_.origin.x, NSMaxY(frame_) - size.height}, size}, true);
}

void NSWindow::zoom() {
  NSRect standard = NSScreen::mainScreen()->visibleFrame();
  if (delegate_) standard = delegate_->windowWillUseStandardFrame(*this, standard);
  setFrame(standard, true);
}

NSScreen* NSWindow::screen() const {
  NSScreen* main = NSScreen::mainScreen();
  return NSIntersectsRect(frame_, main->frame()) ? main : nullptr;
}

NSPoint NSWindow::convertBaseToScreen(NSPoint p) const { return {p.x + frame_.origin.x, p.y + frame_.origin.y}; }
NSPoint NSWindow::convertScreenToBase(NSPoint p) const { return {p.x - frame_.origin.x, p.y - frame_.origin.y}; }
NSRect NSWindow::convertRectToScreen(const NSRect& r) const { return NSOffsetRect(r, frame_.origin.x, frame_.origin.y); }
NSRect NSWindow::convertRectFromScreen(const NSRect& r) const {
  return NSOffsetRect(r, -frame_.origin.x, -frame_.origin.y);
}

NSPoint NSWindow::mouseLocationOutsideOfEventStream() const {
  int x = 0, y = 0;
  platform::display::globalMousePosition(x, y);
  return convertScreenToBase({double(x), NSScreen::mainScreen()->frame().size.height - y});
}

// ---- Appearance

void NSWindow::setTitle(const std::string& title) {
  title_ = title;
  if (native_) native_->setTitle(title_);
}

void NSWindow::setLevel(int level) {
  if (level_ == level) return;
  level_ = level;
  if (native_) native_->setAlwaysOnTop(level_ > NSNormalWindowLevel);
  if (visible_) restack();
}

void NSWindow::setOpaque(bool opaque) {
  if (opaque_ == opaque) return;
  const bool wasComposited = isComposited();
  opaque_ = opaque;
  if (wasComposited != isComposited()) recreateBacking();
  invalidateRect(contentRectForFrameRect({{0, 0}, frame_.size}));
}

void NSWindow::setBackgroundColor(NSColor colour) {
  background_ = colour;
  invalidateRect(contentRectForFrameRect({{0, 0}, frame_.size}));
}

void NSWindow::setAlphaValue(double alpha) {
  alpha_ = std::isnan(alpha) ? 1 : std::clamp(alpha, 0.0, 1.0);
  if (native_) native_->setOpacity(static_cast<float>(alpha_));
  if (isComposited()) updateOverlayAlpha();
}

// ---- Views and responders

void NSWindow::setContentView(std::shared_ptr<NSView> view) {
  const bool wasGL = openGLContentView() != nullptr;
  if (contentView_) {
    viewWillLeave(contentView_.get());
    contentView_->setWindow(nullptr);
    if (contentView_->nextResponder() == this) contentView_->setNextResponder(nullptr);
  }
  contentView_ = std::move(view);
  if (contentView_) {
    contentView_->setFrame({{0, 0}, contentRectForFrameRect(frame_).size});
    if (!contentView_->nextResponder()) contentView_->setNextResponder(this);
    contentView_->setWindow(this);
  }
  if (native_ && wasGL != (openGLContentView() != nullptr)) recreateBacking();
  invalidateRect(contentRectForFrameRect({{0, 0}, frame_.size}));
}

NSResponder* NSWindow::firstResponder() const {
  if (auto* view = dynamic_cast<NSView*>(firstResponder_); view && !NSView::exists(view)) return const_cast<NSWindow*>(this);
  return firstResponder_ ? firstResponder_ : const_cast<NSWindow*>(this);
}

bool NSWindow::makeFirstResponder(NSResponder* responder) {
  NSResponder* current = firstResponder();
  if (responder == current) return true;
  if (current != this && !current->resignFirstResponder()) return false;
  if (!responder || responder == this) {
    firstResponder_ = nullptr;
    return true;
  }
  if (!responder->acceptsFirstResponder() || !responder->becomeFirstResponder()) {
    firstResponder_ = nullptr;
    return false;
  }
  firstResponder_ = responder;
  return true;
}

void NSWindow::selectNextKeyView() {
  auto* view = dynamic_cast<NSView*>(firstResponder());
  NSView* start = view ? view->nextKeyView() : (initialFirstResponder() ? initialFirstResponder() : contentView_.get());
  for (NSView* v = start; v; v = v->nextKeyView()) {
    if (v != view && !v->isHiddenOrHasHiddenAncestor() && v->window() == this && v->acceptsFirstResponder()) {
      makeFirstResponder(v);
      return;
    }
    if (v->nextKeyView() == start) break;
  }
}

void NSWindow::viewWillLeave(NSView* view) {
  auto isOrUnder = [view](const NSView* v) { return NSView::exists(v) && v->isDescendantOf(view); };
  if (auto* first = dynamic_cast<NSView*>(firstResponder_); first && isOrUnder(first)) firstResponder_ = nullptr;
  if (isOrUnder(mouseDownView_)) mouseDownView_ = nullptr;
}

// ---- Child windows

void NSWindow::addChildWindow(NSWindow* child, NSWindowOrderingMode ordered) {
  (void)ordered;
  if (!child || child == this || child->parent_ == this) return;
  for (NSWindow* w = this; w; w = w->parent_)
    if (w == child) return;  // no cycles
  if (child->parent_) child->parent_->removeChildWindow(child);
  const bool wasComposited = child->isComposited();
  child->parent_ = this;
  children_.push_back(child);
  if (wasComposited != child->isComposited()) child->recreateBacking();
  if (child->native_ && native_) child->native_->setTransientFor(native_.get());
  if (child->visible_) child->orderFront();
}

void NSWindow::removeChildWindow(NSWindow* child) {
  if (!child || !std::erase(children_, child)) return;
  const bool wasComposited = child->isComposited();
  child->removeOverlay();
  child->parent_ = nullptr;
  if (mouseCapture_ == child) mouseCapture_ = nullptr;
  if (wasComposited) child->recreateBacking();
}

// ---- Ordering

void NSWindow::makeKeyAndOrderFront() {
  orderFront();
  makeKeyWindow();
  if (firstResponder_ == nullptr && initialFirstResponder()) makeFirstResponder(initialFirstResponder());
}

void NSWindow::orderFront() {
  visible_ = true;
  if (isComposited()) {
    if (dirty_ == NSZeroRect) invalidateRect(contentRectForFrameRect({{0, 0}, frame_.size}));
    display();
    return;
  }
  ensureBacking();
  if (native_) {
    syncBacking();
    native_->show();
    restack();
  }
  invalidateRect(contentRectForFrameRect({{0, 0}, frame_.size}));
  for (NSWindow* child : children_)
    if (child->visible_) child->orderFront();
}

// Native windows stack by level: this one goes on top of its level, those of higher levels and
// its own children above it.
void NSWindow::restack() {
  if (!native_ || !visible_) return;
  native_->raise();
  std::vector<NSWindow*> above;
  for (NSWindow* w : registry())
    if (w != this && w->native_ && w->visible_ && w->level_ > level_) above.push_back(w);
  std::stable_sort(above.begin(), above.end(), [](NSWindow* a, NSWindow* b) { return a->level_ < b->level_; });
  for (NSWindow* w : above) w->native_->raise();
  for (NSWindow* child : children_)
    if (child->native_ && child->visible_) child->native_->raise();
}

void NSWindow::orderOut() {
  visible_ = false;
  if (key_) resignKeyWindow();
  if (native_) native_->hide();
  if (isComposited()) removeOverlay();
}

void NSWindow::makeKeyWindow() {
  if (key_ || !canBecomeKeyWindow()) return;
  for (NSWindow* w : registry())
    if (w != this && w->key_) w->resignKeyWindow();
  becomeKeyWindow();
}

void NSWindow::becomeKeyWindow() {
  key_ = true;
  if (delegate_) delegate_->windowDidBecomeKey(*this);
  post(NSWindowDidBecomeKeyNotification, this);
}

void NSWindow::resignKeyWindow() {
  key_ = false;
  if (delegate_) delegate_->windowDidResignKey(*this);
  post(NSWindowDidResignKeyNotification, this);
}

void NSWindow::performClose() {
  if (delegate_ && !delegate_->windowShouldClose(*this)) return;
  close();
}

void NSWindow::close() {
  if (delegate_) delegate_->windowWillClose(*this);
  post(NSWindowWillCloseNotification, this);
  orderOut();
  NSApplication::sharedApplication().windowDidClose(*this);
}

// ---- Native window

NSWindow* NSWindow::hostWindow() {
  NSWindow* w = this;
  while (w && w->isComposited()) w = w->parent_;
  return w;
}

void NSWindow::ensureBacking() {
  if (native_ || isComposited()) return;
  if (centred_) center();
  platform::display::WindowStyle style;
  style.resizable = styleMask_ & NSResizableWindowMask;
  style.borderless = !(styleMask_ & NSTitledWindowMask);
  style.alwaysOnTop = level_ > NSNormalWindowLevel;
  style.utility = level_ > NSNormalWindowLevel || parent_;
  if (NSOpenGLView* gl = openGLContentView()) style.gl = gl->pixelFormat().request();
  const double screenHeight = NSScreen::mainScreen()->frame().size.height;
  const NSRect content = contentRectForFrameRect(frame_);
  native_ = platform::display::NativeWindow::create(
      title_, {int(std::lround(content.origin.x)), int(std::lround(screenHeight - NSMaxY(content))),
               int(std::lround(content.size.width)), int(std::lround(content.size.height))},
      style);
  if (!native_) return;
  // The display's size is known now: a window meant to be centred is centred on it.
  if (centred_) center();
  native_->addEventHandler([this](const platform::display::Event& e) { handleDisplayEvent(e); });
  native_->setOpacity(static_cast<float>(alpha_));
  if (minSize_.width > 1 || minSize_.height > 1) setMinSize(minSize_);
  if (parent_)
    if (NSWindow* host = parent_->hostWindow(); host && host->native_) native_->setTransientFor(host->native_.get());
  NSApplication::sharedApplication().displayDidStart();
}

void NSWindow::recreateBacking() {
  if (!native_) return;
  if (NSOpenGLView* gl = openGLContentView()) gl->clearGLContext();
  native_.reset();  // its event handlers go with it
  surface_.reset();
  if (visible_ && !isComposited()) orderFront();
}

// Screen coordinates of the display run from the top-left corner, y down.
void NSWindow::syncBacking() {
  if (!native_) return;
  const double screenHeight = NSScreen::mainScreen()->frame().size.height;
  const NSRect content = contentRectForFrameRect(frame_);
  native_->setFrame({int(std::lround(content.origin.x)), int(std::lround(screenHeight - NSMaxY(content))),
                     std::max(1, int(std::lround(content.size.width))), std::max(1, int(std::lround(content.size.height)))});
}

}  // namespace platform::appkit
