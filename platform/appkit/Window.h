#pragma once
// NSWindow, NSPanel and NSScreen. A window is a frame on the screen (bottom-left coordinates, y
// up), a style, a level, a content view and child windows. It gets a native window of the
// display only when first ordered to the front, so programs that never show a window never touch
// the display. It presents its views:
//   - a software window draws its view tree with the graphics layer (Cairo) into its backing
//     pixels when views are marked dirty (on the run loop's next pass) and shows them;
//   - a window whose content view is an NSOpenGLView is a GL window: the view draws with GL;
//   - a child window that is not opaque is composited into its parent's frame (as an overlay of
//     a GL parent, or over a software parent's pixels) instead of getting a native window, so it
//     can be translucent over moving pictures without a compositing window manager. It takes the
//     mouse events that fall on it.
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Color.h"
#include "platform/appkit/Geometry.h"
#include "platform/appkit/Responder.h"
#include "platform/appkit/View.h"
#include "platform/graphics/Image.h"

struct SDL_Window;
namespace platform {
class ImageSurface;
}
namespace platform::display {
class NativeWindow;
struct Event;
}  // namespace platform::display

namespace platform::appkit {

class NSOpenGLView;

enum : unsigned {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1 << 0,
  NSClosableWindowMask = 1 << 1,
  NSMiniaturizableWindowMask = 1 << 2,
  NSResizableWindowMask = 1 << 3,
  NSUtilityWindowMask = 1 << 4,
  NSNonactivatingPanelMask = 1 << 7,
  NSTexturedBackgroundWindowMask = 1 << 8,
  NSHUDWindowMask = 1 << 13,
};
enum NSBackingStoreType { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };

// Window levels by key, as the window server numbers them, and the levels themselves.
constexpr int kCGBaseWindowLevelKey = 0;
constexpr int kCGNormalWindowLevelKey = 4;
constexpr int kCGFloatingWindowLevelKey = 5;
constexpr int kCGTornOffMenuWindowLevelKey = 6;
constexpr int kCGDockWindowLevelKey = 7;
constexpr int kCGMainMenuWindowLevelKey = 8;
constexpr int kCGStatusWindowLevelKey = 9;
constexpr int kCGModalPanelWindowLevelKey = 10;
constexpr int kCGPopUpMenuWindowLevelKey = 11;
constexpr int kCGScreenSaverWindowLevelKey = 13;
int CGWindowLevelForKey(int key);
constexpr int NSNormalWindowLevel = 0;
constexpr int NSFloatingWindowLevel = 3;
constexpr int NSModalPanelWindowLevel = 8;
constexpr int NSPopUpMenuWindowLevel = 101;
constexpr int NSScreenSaverWindowLevel = 1000;

// Notifications posted with the window as object.
inline const std::string NSWindowDidMoveNotification = "NSWindowDidMoveNotification";
inline const std::string NSWindowDidResizeNotification = "NSWindowDidResizeNotification";
inline const std::string NSWindowWillCloseNotification = "NSWindowWillCloseNotification";
inline const std::string NSWindowDidBecomeKeyNotification = "NSWindowDidBecomeKeyNotification";
inline const std::string NSWindowDidResignKeyNotification = "NSWindowDidResignKeyNotification";

class NSScreen {
 public:
  // The screen with the menu bar; its frame is the display's bounds once the display is in use,
  // a nominal 1280 x 1024 before.
  static NSScreen* mainScreen();
  NSRect frame() const;
  // The frame less the desktop's panels and docks.
  NSRect visibleFrame() const;
};

class NSWindow;

class NSWindowDelegate {
 public:
  virtual ~NSWindowDelegate() = default;
  virtual NSSize windowWillResizeToSize(NSWindow& window, NSSize proposed) {
    (void)window;
    return proposed;
  }
  virtual void windowDidResize(NSWindow& window) { (void)window; }
  virtual NSRect windowWillUseStandardFrame(NSWindow& window, NSRect defaultFrame) {
    (void)window;
    return defaultFrame;
  }
  virtual void windowWillMove(NSWindow& window) { (void)window; }
  virtual void windowDidMove(NSWindow& window) { (void)window; }
  virtual bool windowShouldClose(NSWindow& window) {
    (void)window;
    return true;
  }
  virtual void windowWillClose(NSWindow& window) { (void)window; }
  virtual void windowDidBecomeKey(NSWindow& window) { (void)window; }
  virtual void windowDidResignKey(NSWindow& window) { (void)window; }
};

class NSWindow : public NSResponder {
 public:
  // Height of the title area of titled windows, in points (drawn by the window manager).
  static constexpr double kTitleBarHeight = 18;

  NSWindow(NSRect contentRect, unsigned styleMask, NSBackingStoreType backing, bool defer, NSScreen* screen = nullptr);
  ~NSWindow() override;
  NSWindow(const NSWindow&) = delete;
  NSWindow& operator=(const NSWindow&) = delete;

  // Every window object alive, oldest first; whether one still is.
  static const std::vector<NSWindow*>& allWindows();
  static bool exists(const NSWindow* window);

  // ---- Frame and coordinates
  unsigned styleMask() const { return styleMask_; }
  NSRect frame() const { return frame_; }
  NSRect contentRectForFrameRect(NSRect frame) const;
  NSRect frameRectForContentRect(NSRect content) const;
  // setFrame:display:animate: — children move along; an animated change of a shown window runs
  // for a moment (serving the event-tracking run-loop mode meanwhile) and returns when done.
  void setFrame(NSRect frame, bool display, bool animate = false);
  void setFrameOrigin(NSPoint origin);
  void setContentSize(NSSize size);
  void setFrameTopLeftPoint(NSPoint point);
  void center();
  NSSize minSize() const { return minSize_; }
  void setMinSize(NSSize size);
  NSSize maxSize() const { return maxSize_; }
  void setMaxSize(NSSize size);
  // A resize asked for by the user: within the minimum and maximum, then the delegate's say.
  void userResize(NSSize proposedFrameSize);
  // The zoom button: the delegate picks the frame from the screen's visible area.
  void zoom();
  // The screen the window lies on; null when it lies on none.
  NSScreen* screen() const;
  NSPoint convertBaseToScreen(NSPoint point) const;
  NSPoint convertScreenToBase(NSPoint point) const;
  NSRect convertRectToScreen(const NSRect& rect) const;
  NSRect convertRectFromScreen(const NSRect& rect) const;
  // The mouse's position now, in the window's base coordinates.
  NSPoint mouseLocationOutsideOfEventStream() const;

  // ---- Appearance
  const std::string& title() const { return title_; }
  virtual void setTitle(const std::string& title);
  const std::string& representedFilename() const { return representedFilename_; }
  void setRepresentedFilename(const std::string& path) { representedFilename_ = path; }
  int level() const { return level_; }
  void setLevel(int level);
  bool hasShadow() const { return hasShadow_; }
  void setHasShadow(bool shadow) { hasShadow_ = shadow; }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque);
  NSColor backgroundColor() const { return background_; }
  void setBackgroundColor(NSColor colour);
  double alphaValue() const { return alpha_; }
  void setAlphaValue(double alpha);
  bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
  void setHidesOnDeactivate(bool hides) { hidesOnDeactivate_ = hides; }
  bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
  void setReleasedWhenClosed(bool released) { releasedWhenClosed_ = released; }
  bool isMovableByWindowBackground() const { return movableByBackground_; }
  void setMovableByWindowBackground(bool movable) { movableByBackground_ = movable; }
  bool ignoresMouseEvents() const { return ignoresMouseEvents_; }
  void setIgnoresMouseEvents(bool ignores) { ignoresMouseEvents_ = ignores; }
  bool acceptsMouseMovedEvents() const { return acceptsMouseMoved_; }
  void setAcceptsMouseMovedEvents(bool accepts) { acceptsMouseMoved_ = accepts; }
  // A positive number naming the window (the platform's windowNumber).
  int windowNumber() const { return number_; }

  NSWindowDelegate* delegate() const { return delegate_; }
  void setDelegate(NSWindowDelegate* delegate) { delegate_ = delegate; }

  // ---- Views and responders
  NSView* contentView() const { return contentView_.get(); }
  void setContentView(std::shared_ptr<NSView> view);
  NSView* initialFirstResponder() const { return NSView::exists(initialFirstResponder_) ? initialFirstResponder_ : nullptr; }
  void setInitialFirstResponder(NSView* view) { initialFirstResponder_ = view; }
  NSResponder* firstResponder() const;
  // The responder asked resigns, the new one becomes first (a null one makes the window first).
  bool makeFirstResponder(NSResponder* responder);
  // Tab: the next key view that accepts first responder.
  void selectNextKeyView();

  // ---- Child windows: they move with their parent and stay ordered above it.
  void addChildWindow(NSWindow* child, NSWindowOrderingMode ordered);
  void removeChildWindow(NSWindow* child);
  const std::vector<NSWindow*>& childWindows() const { return children_; }
  NSWindow* parentWindow() const { return parent_; }
  // Whether this window is drawn into its parent's frame rather than shown by a native window of
  // its own: a child that is not opaque.
  bool isComposited() const { return parent_ && !opaque_; }

  // ---- Ordering and key state
  void makeKeyAndOrderFront();
  void orderFront();
  void orderOut();
  bool isVisible() const { return visible_; }
  virtual bool canBecomeKeyWindow() const { return styleMask_ & (NSTitledWindowMask | NSResizableWindowMask); }
  virtual bool canBecomeMainWindow() const { return canBecomeKeyWindow(); }
  virtual bool isExcludedFromWindowsMenu() const { return false; }
  void makeKeyWindow();
  bool isKeyWindow() const { return key_; }
  virtual void becomeKeyWindow();
  virtual void resignKeyWindow();
  // Asks the delegate (windowShouldClose), then closes.
  void performClose();
  // Hides the window and tells the delegate and the application.
  virtual void close();

  // ---- Drawing
  // Draws everything now, shown or not.
  void display();
  // Draws what views marked dirty (the run loop does this for shown windows).
  void displayIfNeeded();
  // Marks a rectangle of the base coordinates for drawing.
  void invalidateRect(const NSRect& rectInWindow);
  bool viewsNeedDisplay() const { return !NSIsEmptyRect(dirty_); }
  // The window's pixels as last drawn (software and composited windows): content size, rows top-down.
  platform::Image contentImage() const;
  // The content view as a GL view, when this is a GL window.
  NSOpenGLView* openGLContentView() const;

  // ---- Events
  // Routes an event to the view under the mouse, the view that took the mouse-down, or the first
  // responder. A mouse-down on a view that lets it (mouseDownCanMoveWindow) drags a window movable
  // by its background.
  virtual void sendEvent(const NSEvent& event);
  // The window as the last responder of its views (subclasses add to these).
  void mouseDown(const NSEvent& event) override;
  void mouseDragged(const NSEvent& event) override;
  void mouseUp(const NSEvent& event) override;
  void keyDown(const NSEvent& event) override;
  // The composited child (topmost first) under a point of the base coordinates, if any.
  NSWindow* compositedChildAt(NSPoint pointInWindow) const;
  // The id the display's events for this window carry: its native window's once shown; until
  // then (and for composited windows) one of its own, for events posted to it.
  uint32_t eventWindowId() const;

  // ---- Native window
  platform::display::NativeWindow* nativeWindow() const { return native_.get(); }
  SDL_Window* sdlWindow() const;

  // Called by views.
  void viewWillLeave(NSView* view);

 protected:
  // The window a composited child draws into: its nearest ancestor with a native window.
  NSWindow* hostWindow();

 private:
  friend class NSApplication;
  friend class NSOpenGLView;
  // The id of events posted to this window itself (it never changes).
  uint32_t ownEventId() const;
  void ensureBacking();
  void recreateBacking();
  void syncBacking();
  void restack();
  void handleDisplayEvent(const platform::display::Event& event);
  void scheduleDisplay();
  void renderInto(platform::GraphicsContext& context, const NSRect& dirty);
  void present(const NSRect& dirty);
  void updateOverlay();
  void updateOverlayAlpha();
  void removeOverlay();
  void moveChildren(double dx, double dy);
  void applyFrame(NSRect frame, bool display);

  NSRect frame_;
  unsigned styleMask_;
  int number_;
  std::string title_;
  std::string representedFilename_;
  int level_ = NSNormalWindowLevel;
  bool hasShadow_ = true;
  bool opaque_ = true;
  NSColor background_ = NSColor::colorWithCalibratedWhite(0.9, 1);
  double alpha_ = 1;
  bool hidesOnDeactivate_ = false;
  bool releasedWhenClosed_ = true;
  bool movableByBackground_ = false;
  bool ignoresMouseEvents_ = false;
  bool acceptsMouseMoved_ = false;
  bool visible_ = false;
  bool key_ = false;
  bool centred_ = false;
  NSSize minSize_{1, 1};
  NSSize maxSize_{1e6, 1e6};
  NSWindowDelegate* delegate_ = nullptr;
  std::shared_ptr<NSView> contentView_;
  NSView* initialFirstResponder_ = nullptr;
  NSResponder* firstResponder_ = nullptr;  // null: the window itself
  std::vector<NSWindow*> children_;
  NSWindow* parent_ = nullptr;
  std::unique_ptr<platform::display::NativeWindow> native_;
  std::vector<uint64_t> handlers_;  // event-pump handler ids
  // Drawing.
  std::unique_ptr<platform::ImageSurface> surface_;
  NSRect dirty_;
  bool displayScheduled_ = false;
  // Events.
  NSView* mouseDownView_ = nullptr;
  NSWindow* mouseCapture_ = nullptr;  // composited child that took the mouse-down
  bool draggingWindow_ = false;
  NSPoint dragStartMouse_;
  NSPoint dragStartOrigin_;
};

class NSPanel : public NSWindow {
 public:
  using NSWindow::NSWindow;
  bool isFloatingPanel() const { return level() >= NSFloatingWindowLevel; }
  void setFloatingPanel(bool floating) { setLevel(floating ? NSFloatingWindowLevel : NSNormalWindowLevel); }
  bool becomesKeyOnlyIfNeeded() const { return becomesKeyOnlyIfNeeded_; }
  void setBecomesKeyOnlyIfNeeded(bool only) { becomesKeyOnlyIfNeeded_ = only; }

 private:
  bool becomesKeyOnlyIfNeeded_ = false;
};

}  // namespace platform::appkit
