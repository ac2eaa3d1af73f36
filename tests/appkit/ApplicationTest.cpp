// The application: launch and quit, events handed to windows and responders, modal panels in
// their run-loop mode; windows: child windows, background dragging, key views.
#include <gtest/gtest.h>

#include "platform/appkit/Button.h"
#include "platform/appkit/OpenGLView.h"
#include "tests/appkit/AppKitTestSupport.h"

using namespace appkittest;

namespace {
struct RecordingDelegate : NSApplicationDelegate {
  std::vector<std::string> calls;
  void applicationDidFinishLaunching() override { calls.push_back("launched"); }
  bool applicationOpenFile(const std::string& path) override {
    calls.push_back("open " + path);
    return true;
  }
  void applicationWillTerminate() override { calls.push_back("terminate"); }
};

// A view that takes key focus and records what reaches it.
class KeyView : public NSView {
 public:
  using NSView::NSView;
  bool acceptsFirstResponder() override { return accepts; }
  void keyDown(const NSEvent& e) override { keys += e.characters; }
  void mouseDown(const NSEvent& e) override {
    if (passOn) NSView::mouseDown(e);
    else ++downs;
  }
  bool accepts = true;
  bool passOn = false;
  int downs = 0;
  std::string keys;
};

class RecordingWindow : public NSWindow {
 public:
  using NSWindow::NSWindow;
  void mouseDown(const NSEvent& e) override {
    ++downs;
    NSWindow::mouseDown(e);
  }
  int downs = 0;
};
}  // namespace

TEST(AppKitApplication, OpenRequestsBeforeLaunchComeFirstAndQuitHappensOnce) {
  auto& app = NSApplication::sharedApplication();
  app.reset();
  RecordingDelegate d;
  app.setDelegate(&d);
  app.openFile("/a.mov");
  app.finishLaunching();
  app.openFile("/b.mov");
  app.terminate();
  app.terminate();
  EXPECT_EQ(d.calls, (std::vector<std::string>{"open /a.mov", "launched", "open /b.mov", "terminate"}));
  app.reset();
}

TEST(AppKitWindows, ChildWindowsMoveWithTheirParentAndNothingIsShownUntilAsked) {
  NSWindow parent(NSMakeRect(0, 0, 320, 240), NSTitledWindowMask, NSBackingStoreBuffered, false);
  NSWindow child(NSMakeRect(20, 10, 280, 60), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  EXPECT_EQ(parent.frame(), NSMakeRect(0, 0, 320, 240 + NSWindow::kTitleBarHeight));
  EXPECT_EQ(parent.contentView()->frame().size, (NSSize{320, 240}));
  parent.addChildWindow(&child, NSWindowAbove);
  parent.setFrameTopLeftPoint({100, 500});
  EXPECT_EQ(parent.frame().origin, (NSPoint{100, 500 - 258}));
  EXPECT_EQ(child.frame().origin, (NSPoint{120, 252}));
  EXPECT_FALSE(parent.isVisible());
  EXPECT_EQ(parent.sdlWindow(), nullptr);
  EXPECT_EQ(CGWindowLevelForKey(kCGScreenSaverWindowLevelKey), 1000);
  EXPECT_EQ(CGWindowLevelForKey(kCGFloatingWindowLevelKey), 3);
  // A window can't become its own ancestor's child.
  child.addChildWindow(&parent, NSWindowAbove);
  EXPECT_TRUE(child.childWindows().empty());
  // Coordinates: base to screen and back.
  EXPECT_EQ(parent.convertBaseToScreen({5, 6}), (NSPoint{105, 248}));
  EXPECT_EQ(parent.convertScreenToBase({105, 248}), (NSPoint{5, 6}));
}

TEST(AppKitWindows, UserResizesStayWithinTheLimitsAndKeepTheTopEdge) {
  NSWindow window(NSMakeRect(100, 100, 200, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  window.setMinSize({50, 40});
  window.setMaxSize({300, 250});
  window.userResize({20, 400});
  EXPECT_EQ(window.frame(), NSMakeRect(100, -50, 50, 250));
  window.setContentSize({120, 80});
  EXPECT_EQ(window.frame(), NSMakeRect(100, 120, 120, 80));
}

TEST(AppKitEvents, MouseAndKeyEventsReachTheRightResponders) {
  auto& app = NSApplication::sharedApplication();
  RecordingWindow window(NSMakeRect(0, 0, 200, 100), NSTitledWindowMask, NSBackingStoreBuffered, false);
  auto a = std::make_shared<KeyView>(NSMakeRect(0, 0, 100, 100));
  auto b = std::make_shared<KeyView>(NSMakeRect(100, 0, 100, 100));
  auto skip = std::make_shared<KeyView>(NSMakeRect(0, 0, 1, 1));
  skip->accepts = false;
  window.contentView()->addSubview(a);
  window.contentView()->addSubview(b);
  window.contentView()->addSubview(skip);
  a->setNextKeyView(skip.get());
  skip->setNextKeyView(b.get());

  postMouse(NSEventType::LeftMouseDown, &window, {150, 50});
  postMouse(NSEventType::LeftMouseUp, &window, {150, 50});
  app.postEvent(NSEvent::keyEvent(NSEventType::KeyDown, "x", &window));
  spin();
  EXPECT_EQ(b->downs, 1);
  EXPECT_EQ(window.firstResponder(), b.get());  // the click made it first responder
  EXPECT_EQ(b->keys, "x");
  EXPECT_TRUE(window.isKeyWindow());

  // Tab moves along the key views, past one that doesn't accept.
  window.makeFirstResponder(a.get());
  window.selectNextKeyView();
  EXPECT_EQ(window.firstResponder(), b.get());

  // A mouse-down nobody takes climbs the chain to the window.
  b->passOn = true;
  postMouse(NSEventType::LeftMouseDown, &window, {150, 50});
  spin();
  EXPECT_EQ(window.downs, 1);
  // A chain that loops back on itself ends.
  NSResponder x, y;
  x.setNextResponder(&y);
  y.setNextResponder(&x);
  x.mouseDown(NSEvent{});
}

TEST(AppKitEvents, AWindowMovableByItsBackgroundIsDraggedThere) {
  NSWindow window(NSMakeRect(100, 100, 200, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  window.setMovableByWindowBackground(true);
  auto control = std::make_shared<NSButton>(NSMakeRect(150, 0, 50, 30));
  window.contentView()->addSubview(control);
  postMouse(NSEventType::LeftMouseDown, &window, {20, 20});
  postMouse(NSEventType::LeftMouseDragged, &window, {50, 10});
  spin();
  EXPECT_EQ(window.frame().origin, (NSPoint{130, 90}));
  postMouse(NSEventType::LeftMouseUp, &window, {20, 20});
  // Controls don't move the window.
  postMouse(NSEventType::LeftMouseDown, &window, {160, 10});
  postMouse(NSEventType::LeftMouseUp, &window, {190, 40});
  spin();
  EXPECT_EQ(window.frame().origin, (NSPoint{130, 90}));
}

TEST(AppKitModal, AModalPanelRunsItsModeAndTakesTheEvents) {
  auto& app = NSApplication::sharedApplication();
  auto& loop = platform::RunLoop::mainRunLoop();
  NSWindow other(NSMakeRect(0, 0, 100, 100), NSTitledWindowMask, NSBackingStoreBuffered, false);
  NSWindow panel(NSMakeRect(200, 0, 100, 100), NSTitledWindowMask, NSBackingStoreBuffered, false);
  auto otherView = std::make_shared<KeyView>(NSMakeRect(0, 0, 100, 100));
  auto panelView = std::make_shared<KeyView>(NSMakeRect(0, 0, 100, 100));
  other.contentView()->addSubview(otherView);
  panel.contentView()->addSubview(panelView);
  int modalTicks = 0, defaultTicks = 0;
  const auto modalTimer = loop.addTimer(0.01, true, [&] {
    if (++modalTicks == 2) {
      postMouse(NSEventType::LeftMouseDown, &other, {50, 50});
      postMouse(NSEventType::LeftMouseDown, &panel, {50, 50});
    }
    if (modalTicks == 5) app.stopModalWithCode(7);
  }, {platform::RunLoop::kModalPanelRunLoopMode});
  const auto defaultTimer = loop.addTimer(0.01, true, [&] { ++defaultTicks; });
  EXPECT_EQ(app.runModalForWindow(panel), 7);
  loop.invalidateTimer(modalTimer);
  loop.invalidateTimer(defaultTimer);
  EXPECT_EQ(modalTicks, 5);
  EXPECT_EQ(defaultTicks, 0);
  EXPECT_EQ(panelView->downs, 1);
  EXPECT_EQ(otherView->downs, 0);  // dropped while the panel was modal
  EXPECT_EQ(app.modalWindow(), nullptr);

  // A session run step by step.
  auto* session = app.beginModalSessionForWindow(panel);
  EXPECT_EQ(app.runModalSession(session), NSModalResponseContinue);
  app.abortModal();
  EXPECT_EQ(app.runModalSession(session), NSModalResponseAbort);
  app.endModalSession(session);
  postMouse(NSEventType::LeftMouseDown, &other, {50, 50});
  spin();
  EXPECT_EQ(otherView->downs, 1);
}

TEST(AppKitGL, PixelFormatsReadTheirAttributes) {
  // The scene framework's format: double-buffered, accelerated, 32-bit colour and depth.
  NSOpenGLPixelFormat quarn({5, 73, 8, 32, 12, 32, 0});
  ASSERT_TRUE(quarn.valid());
  EXPECT_TRUE(quarn.request().doubleBuffered);
  EXPECT_TRUE(quarn.request().accelerated);
  EXPECT_EQ(quarn.request().redBits, 8);
  EXPECT_EQ(quarn.request().alphaBits, 8);
  EXPECT_EQ(quarn.request().depthBits, 32);
  NSOpenGLPixelFormat noAlpha({NSOpenGLPFAColorSize, 24, NSOpenGLPFADepthSize, 16});
  EXPECT_TRUE(noAlpha.valid());
  EXPECT_EQ(noAlpha.request().alphaBits, 0);
  EXPECT_FALSE(noAlpha.request().doubleBuffered);
  EXPECT_FALSE(NSOpenGLPixelFormat({NSOpenGLPFADepthSize}).valid());  // its value is missing
  EXPECT_FALSE(NSOpenGLPixelFormat({4242, 0}).valid());
  // Until its window is shown a GL view has no context.
  NSWindow window(NSMakeRect(0, 0, 50, 50), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  auto view = std::make_shared<NSOpenGLView>(NSMakeRect(0, 0, 50, 50), quarn);
  window.setContentView(view);
  EXPECT_EQ(window.openGLContentView(), view.get());
  EXPECT_EQ(view->openGLContext(), nullptr);
}
