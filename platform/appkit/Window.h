#pragma once
// Windows and panels. A window is a model (frame, style, level, delegate, content view, child
// windows) that gets an SDL window only when it is first ordered to the front, so programs that
// never show a window never touch the display.
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Geometry.h"
#include "platform/appkit/View.h"

struct SDL_Window;
namespace platform::display {
class NativeWindow;
struct Event;
}

namespace platform::appkit {

enum : unsigned {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1 << 0,
  NSClosableWindowMask = 1 << 1,
  NSMiniaturizableWindowMask = 1 << 2,
  NSResizableWindowMask = 1 << 3,
  NSNonactivatingPanelMask = 1 << 7,
  NSTexturedBackgroundWindowMask = 1 << 8,
};
enum NSBackingStoreType { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };
enum NSWindowOrderingMode { NSWindowBelow = -1, NSWindowOut = 0, NSWindowAbove = 1 };

// Window levels by key, as the window server numbers them.
constexpr int kCGNormalWindowLevelKey = 4;
constexpr int kCGFloatingWindowLevelKey = 5;
constexpr int kCGScreenSaverWindowLevelKey = 13;
int CGWindowLevelForKey(int key);

struct NSColor {
  double red = 0, green = 0, blue = 0, alpha = 1;
  static NSColor clearColor() { return {0, 0, 0, 0}; }
  static NSColor colorWithCalibratedWhite(double white, double alpha) { return {white, white, white, alpha}; }
};

class NSScreen {
 public:
  // The screen with the menu bar; its frame is the display's bounds once the display is in use,
  // a nominal 1280 x 1024 before.
  static NSScreen* mainScreen();
  NSRect frame() const;
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
  virtual void windowWillClose(NSWindow& window) { (void)window; }
};

class NSWindow : public NSResponder {
 public:
  // Height of the title area of titled windows, in points.
  static constexpr double kTitleBarHeight = 18;

  NSWindow(NSRect contentRect, unsigned styleMask, NSBackingStoreType backing, bool defer, NSScreen* screen = nullptr);
  ~NSWindow() override;
  NSWindow(const NSWindow&) = delete;
  NSWindow& operator=(const NSWindow&) = delete;

  unsigned styleMask() const { return styleMask_; }
  NSRect frame() const { return frame_; }
  NSRect contentRectForFrameRect(NSRect frame) const;
  NSRect frameRectForContentRect(NSRect content) const;
  void setFrame(NSRect frame, bool display, bool animate = false);
  void setContentSize(NSSize size);
  void setFrameTopLeftPoint(NSPoint point);
  void center();
  // A resize asked for by the user: the delegate may change the size first.
  void userResize(NSSize proposedFrameSize);
  // The zoom button: the delegate picks the frame from the screen's visible area.
  void zoom();

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  const std::string& representedFilename() const { return representedFilename_; }
  void setRepresentedFilename(const std::string& path) { representedFilename_ = path; }

  int level() const { return level_; }
  void setLevel(int level) { level_ = level; }
  bool hasShadow() const { return hasShadow_; }
  void setHasShadow(bool shadow) { hasShadow_ = shadow; }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  NSColor backgroundColor() const { return background_; }
  void setBackgroundColor(NSColor colour) { background_ = colour; }
  double alphaValue() const { return alpha_; }
  void setAlphaValue(double alpha);
  bool hidesOnDeactivate() const { return hidesOnDeactivate_; }
  void setHidesOnDeactivate(bool hides) { hidesOnDeactivate_ = hides; }
  bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
  void setReleasedWhenClosed(bool released) { releasedWhenClosed_ = released; }

  NSWindowDelegate* delegate() const { return delegate_; }
  void setDelegate(NSWindowDelegate* delegate) { delegate_ = delegate; }

  NSView* contentView() const { return contentView_.get(); }
  void setContentView(std::shared_ptr<NSView> view);
  NSView* initialFirstResponder() const { return initialFirstResponder_; }
  void setInitialFirstResponder(NSView* view) { initialFirstResponder_ = view; }

  // Child windows move with their parent and stay ordered above it.
  void addChildWindow(NSWindow* child, NSWindowOrderingMode ordered);
  void removeChildWindow(NSWindow* child);
  const std::vector<NSWindow*>& childWindows() const { return children_; }
  NSWindow* parentWindow() const { return parent_; }

  void makeKeyAndOrderFront();
  void orderFront();
  void orderOut();
  bool isVisible() const { return visible_; }
  bool isKeyWindow() const { return key_; }
  // Hides the window and tells the delegate and the application.
  void close();

  // The native window behind a shown window; nullptr while never shown.
  platform::display::NativeWindow* nativeWindow() const { return native_.get(); }
  SDL_Window* sdlWindow() const;
  // Every window object alive, oldest first.
  static const std::vector<NSWindow*>& allWindows();

 private:
  void ensureBacking();
  void syncBacking();
  void handleDisplayEvent(const platform::display::Event& event);

  NSRect frame_;
  unsigned styleMask_;
  std::string title_;
  std::string representedFilename_;
  int level_ = 0;
  bool hasShadow_ = true;
  bool opaque_ = true;
  NSColor background_ = NSColor::colorWithCalibratedWhite(0.9, 1);
  double alpha_ = 1;
  bool hidesOnDeactivate_ = false;
  bool releasedWhenClosed_ = true;
  bool visible_ = false;
  bool key_ = false;
  bool centred_ = false;
  NSWindowDelegate* delegate_ = nullptr;
  std::shared_ptr<NSView> contentView_;
  NSView* initialFirstResponder_ = nullptr;
  std::vector<NSWindow*> children_;
  NSWindow* parent_ = nullptr;
  std::unique_ptr<platform::display::NativeWindow> native_;
};

class NSPanel : public NSWindow {
 public:
  using NSWindow::NSWindow;
};

}  // namespace platform::appkit
