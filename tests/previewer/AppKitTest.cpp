// The appkit stand-in's geometry strings, autoresizing and application life cycle.
#include <gtest/gtest.h>

#include "platform/appkit/Application.h"
#include "platform/appkit/Window.h"

using namespace platform::appkit;

TEST(AppKitGeometry, PointsReadBackFromTheirText) {
  EXPECT_EQ(NSStringFromPoint({40, 700}), "{40, 700}");
  EXPECT_EQ(NSStringFromPoint({1.5, -2.25}), "{1.5, -2.25}");
  EXPECT_EQ(NSPointFromString("{1.5, -2.25}"), (NSPoint{1.5, -2.25}));
  EXPECT_EQ(NSPointFromString(" { 3 ,4 } "), (NSPoint{3, 4}));
  const NSPoint p{0.1, 1e6 / 3};
  EXPECT_EQ(NSPointFromString(NSStringFromPoint(p)), p);
  // Not a point: the origin.
  for (const char* bad : {"", "{1}", "1, 2", "{1, 2", "{a, b}", "{nan, 1}"}) EXPECT_EQ(NSPointFromString(bad), NSPoint{});
}

TEST(AppKitViews, SubviewsFollowTheirSuperviewByTheirMasks) {
  NSView parent(NSMakeRect(0, 0, 300, 60));
  auto stretch = std::make_shared<NSView>(NSMakeRect(6, 6, 288, 12));
  stretch->setAutoresizingMask(NSViewWidthSizable | NSViewMaxYMargin);
  auto pinned = std::make_shared<NSView>(NSMakeRect(6, 38, 100, 12));
  pinned->setAutoresizingMask(NSViewMaxXMargin | NSViewMaxYMargin);
  auto right = std::make_shared<NSView>(NSMakeRect(250, 10, 40, 40));
  right->setAutoresizingMask(NSViewMinXMargin | NSViewMinYMargin);
  parent.addSubview(stretch);
  parent.addSubview(pinned);
  parent.addSubview(right);
  parent.setFrame(NSMakeRect(0, 0, 500, 80));
  EXPECT_EQ(stretch->frame(), NSMakeRect(6, 6, 488, 12));
  EXPECT_EQ(pinned->frame(), NSMakeRect(6, 38, 100, 12));
  EXPECT_EQ(right->frame(), NSMakeRect(450, 30, 40, 40));
  EXPECT_EQ(stretch->superview(), &parent);
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
}

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
