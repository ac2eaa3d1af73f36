// Heads-up windows without a display: transition defaults and the transition itself, the
// transparent window's set-up, outlets, keys, the grip decision and the screen-edge rules at the
// end of a corner resize (synthetic events through the window's own event handling).
#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"
#include "previewer/XResponsiveView.h"
#include "previewer/XTransparentWindow.h"
#include "tests/support/TestSupport.h"

using namespace platform::appkit;

namespace {

NSEvent mouse(NSEventType type, NSPoint at, NSWindow* w) { return NSEvent::mouseEvent(type, at, w); }

// A responder that counts the key-downs reaching it.
struct KeyCounter : NSView {
  using NSView::NSView;
  int keys = 0;
  void keyDown(const NSEvent&) override { ++keys; }
};

}  // namespace

TEST(AnimataWindow, TransitionDefaultsAreSetWhenFirstReadAndTheTagIsThree) {
  AnimataWindow w(NSMakeRect(0, 0, 100, 100), NSTitledWindowMask, NSBackingStoreBuffered, false);
  EXPECT_FLOAT_EQ(w.transitionDuration(), 0.25f);
  EXPECT_EQ(w.transitionType(), 7);
  EXPECT_EQ(w.tag(), 3);
  w.setTransitionDuration(0.5f);
  w.setTransitionType(9);
  w.setTransitionOptions(12);
  EXPECT_FLOAT_EQ(w.transitionDuration(), 0.5f);
  EXPECT_EQ(w.transitionType(), 9);
  EXPECT_EQ(w.transitionOptions(), 12);
  w.setTransitionDuration(0);  // 0 stands for the default again
  EXPECT_FLOAT_EQ(w.transitionDuration(), 0.25f);
}

TEST(AnimataWindow, TurnAnimatesTheWindowAndReturnsWhenItIsOverWithFrameAndAlphaAsBefore) {
  AnimataWindow w(NSMakeRect(100, 100, 200, 120), NSTitledWindowMask, NSBackingStoreBuffered, false);
  w.setTransitionDuration(0.2f);
  const NSRect before = w.frame();
  // What the window looks like while the transition runs (the loop serves the tracking mode).
  double narrowest = before.size.width, faintest = 1;
  auto& loop = platform::RunLoop::mainRunLoop();
  auto sample = loop.addTimer(0.01, true, [&] {
    narrowest = std::min(narrowest, w.frame().size.width);
    faintest = std::min(faintest, w.alphaValue());
  }, {platform::RunLoop::kEventTrackingRunLoopMode});
  w.performTransition();
  EXPECT_EQ(w.lastTransition().type, 7);
  EXPECT_EQ(w.lastTransition().option, 3 | 128);
  EXPECT_EQ(w.lastTransition().windowNumber, w.windowNumber());
  EXPECT_LT(narrowest, before.size.width / 2);  // it folded
  EXPECT_EQ(w.frame(), before);

  // A fade type dips the alpha instead; a sender's tag goes into the option.
  w.setTransitionType(1);
  w.turn(5);
  loop.invalidateTimer(sample);
  EXPECT_EQ(w.lastTransition().option, 5 | 128);
  EXPECT_LT(faintest, 0.5);
  EXPECT_DOUBLE_EQ(w.alphaValue(), 1.0);
  EXPECT_EQ(w.frame(), before);
}

TEST(XTransparentWindow, SetUpOnceBorderlessClearFloatingAndMovable) {
  XTransparentWindow w(NSMakeRect(50, 60, 300, 200), NSTitledWindowMask | NSClosableWindowMask, NSBackingStoreRetained,
                       true);
  EXPECT_EQ(w.styleMask(), 2048u);  // the caller's mask is ignored: no title bar
  EXPECT_EQ(w.frame(), NSMakeRect(50, 60, 300, 200));
  EXPECT_TRUE(w.isSetup());
  EXPECT_EQ(w.backgroundColor().alpha, 0);
  EXPECT_FALSE(w.isOpaque());
  EXPECT_TRUE(w.isMovableByWindowBackground());
  EXPECT_EQ(w.level(), CGWindowLevelForKey(kCGFloatingWindowLevelKey));
  EXPECT_FALSE(w.hidesOnDeactivate());
  EXPECT_TRUE(w.canBecomeKeyWindow());
  EXPECT_FALSE(w.canBecomeMainWindow());
  EXPECT_FALSE(w.isResizeable());  // no grip image
  EXPECT_FALSE(w.showsUtilityMenuButton());

  // Set-up runs once: awakeFromNib changes nothing made since.
  w.setLevel(0);
  w.awakeFromNib();
  EXPECT_EQ(w.level(), 0);

  // The outlets follow their flags.
  auto grip = std::make_shared<NSImageView>(NSMakeRect(280, 0, 20, 20));
  auto utility = std::make_shared<NSPopUpButton>(NSMakeRect(0, 180, 20, 20));
  w.setDragResizeImageView(grip.get());
  w.setUtilityPopUpButton(utility.get());
  w.setIsResizeable(true);
  EXPECT_FALSE(grip->isHidden());
  w.setIsResizeable(false);
  EXPECT_TRUE(grip->isHidden());
  w.setShowsUtilityMenuButton(true);
  EXPECT_FALSE(utility->isHidden());
  w.setShowsUtilityMenuButton(false);
  EXPECT_TRUE(utility->isHidden());
}

TEST(XTransparentWindow, KeysStopAtTheWindowAndTheTitleRedrawsTheContent) {
  XTransparentWindow w(NSMakeRect(0, 0, 200, 100), 0, NSBackingStoreBuffered, false);
  auto content = std::make_shared<XResponsiveView>(NSMakeRect(0, 0, 200, 100));
  EXPECT_TRUE(content->acceptsFirstResponder());
  EXPECT_TRUE(content->acceptsFirstMouse(nullptr));
  EXPECT_TRUE(content->needsPanelToBecomeKey());
  w.setContentView(content);
  KeyCounter after;
  w.setNextResponder(&after);
  w.keyDown(NSEvent::keyEvent(NSEventType::KeyDown, "x", &w));
  EXPECT_EQ(after.keys, 0);

  content->setNeedsDisplay(false);
  w.setTitle("Inspector");
  EXPECT_EQ(w.title(), "Inspector");
  EXPECT_TRUE(content->needsDisplay());
}

TEST(XTransparentWindow, OnlyAMouseDownInTheCornerGripStartsAResize) {
  XTransparentWindow w(NSMakeRect(100, 100, 300, 200), 0, NSBackingStoreBuffered, false);
  w.setMaxSize({1000, 1000});
  w.setIsResizeable(true);
  struct Case {
    NSPoint at;
    bool resize;
  } cases[] = {{{290, 10}, true}, {{275, 10}, false}, {{290, 19}, true}, {{290, 20}, false}, {{281, 1}, true},
               {{280, 1}, false}};
  for (const Case& c : cases) {
    w.sendEvent(mouse(NSEventType::LeftMouseDown, c.at, &w));
    EXPECT_EQ(w.shouldDrag(), c.resize) << c.at.x << "," << c.at.y;
    // The grip resizes; anywhere else the background moves the window.
    EXPECT_EQ(w.isMovableByWindowBackground(), !c.resize) << c.at.x << "," << c.at.y;
    EXPECT_EQ(w.initialFrame(), NSMakeRect(100, 100, 300, 200));
    EXPECT_EQ(w.initialLocation(), c.at);
    EXPECT_EQ(w.initialLocationOnScreen(), (NSPoint{100 + c.at.x, 100 + c.at.y}));
    w.sendEvent(mouse(NSEventType::LeftMouseUp, c.at, &w));
    EXPECT_FALSE(w.shouldDrag());
    EXPECT_TRUE(w.isMovableByWindowBackground());
  }
  // At its maximum height the grip does nothing.
  w.setMaxSize({1000, 200});
  w.sendEvent(mouse(NSEventType::LeftMouseDown, {290, 10}, &w));
  EXPECT_FALSE(w.shouldDrag());
  w.sendEvent(mouse(NSEventType::LeftMouseUp, {290, 10}, &w));
}

TEST(XTransparentWindow, AResizeEndsWithTheWindowPutBackOnTheScreensVisibleArea) {
  const NSRect visible = NSScreen::mainScreen()->visibleFrame();
  ASSERT_FALSE(NSIsEmptyRect(visible));
  XTransparentWindow w(NSMakeRect(100, 100, 300, 200), 0, NSBackingStoreBuffered, false);
  w.setMaxSize({5000, 5000});
  w.setIsResizeable(true);
  auto resizeEndingAt = [&](NSRect frame) {
    w.setFrame(NSMakeRect(200, 300, 300, 200), false);
    w.sendEvent(mouse(NSEventType::LeftMouseDown, {290, 10}, &w));
    w.setFrame(frame, false);  // as a drag would have left it
    w.sendEvent(mouse(NSEventType::LeftMouseUp, {290, 10}, &w));
    return w.frame();
  };
  // Top above the visible area: moved down to its top.
  NSRect f = resizeEndingAt(NSMakeRect(200, NSMaxY(visible) - 150, 300, 400));
  EXPECT_DOUBLE_EQ(NSMaxY(f), NSMaxY(visible));
  EXPECT_EQ(f.size, (NSSize{300, 400}));
  // Less than 22 points of the top above the visible bottom: moved up to leave 22.
  f = resizeEndingAt(NSMakeRect(200, NSMinY(visible) - 395, 300, 400));
  EXPECT_DOUBLE_EQ(NSMaxY(f) - 22, NSMinY(visible));
  // Wholly inside: left alone.
  f = resizeEndingAt(NSMakeRect(210, 310, 320, 220));
  EXPECT_EQ(f, NSMakeRect(210, 310, 320, 220));
  // A click elsewhere is no resize: nothing is put back.
  w.setFrame(NSMakeRect(200, NSMaxY(visible) - 10, 300, 200), false);
  w.sendEvent(mouse(NSEventType::LeftMouseDown, {10, 100}, &w));
  w.sendEvent(mouse(NSEventType::LeftMouseUp, {10, 100}, &w));
  EXPECT_DOUBLE_EQ(w.frame().origin.y, NSMaxY(visible) - 10);
}

TEST(XTransparentWindow, AWindowOffEveryScreenEndsAResizeWithTwentyTwoPointsAboveZero) {
  XTransparentWindow w(NSMakeRect(-5000, -5000, 300, 200), 0, NSBackingStoreBuffered, false);
  w.setMaxSize({5000, 5000});
  w.setIsResizeable(true);
  ASSERT_EQ(w.screen(), nullptr);
  w.sendEvent(mouse(NSEventType::LeftMouseDown, {290, 10}, &w));
  w.sendEvent(mouse(NSEventType::LeftMouseUp, {290, 10}, &w));
  // The visible frame counts as empty: the top goes to 22.
  EXPECT_DOUBLE_EQ(NSMaxY(w.frame()), 22);
}
