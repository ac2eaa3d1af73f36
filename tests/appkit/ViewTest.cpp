// Views: autoresizing, coordinates through flipped and shifted views, hit-testing, dirty
// rectangles, and what a window draws of its views (read back from its pixels, no display needed).
#include <gtest/gtest.h>

#include "platform/foundation/NotificationCenter.h"
#include "tests/appkit/AppKitTestSupport.h"

using namespace appkittest;

TEST(AppKitViews, SubviewsFollowTheirSuperviewByTheirMasks) {
  NSView parent(NSMakeRect(0, 0, 300, 60));
  auto stretch = std::make_shared<NSView>(NSMakeRect(6, 6, 288, 12));
  stretch->setAutoresizingMask(NSViewWidthSizable | NSViewMaxYMargin);
  auto pinned = std::make_shared<NSView>(NSMakeRect(6, 38, 100, 12));
  pinned->setAutoresizingMask(NSViewMaxXMargin | NSViewMaxYMargin);
  auto right = std::make_shared<NSView>(NSMakeRect(250, 10, 40, 40));
  right->setAutoresizingMask(NSViewMinXMargin | NSViewMinYMargin);
  auto shared = std::make_shared<NSView>(NSMakeRect(100, 0, 100, 60));
  shared->setAutoresizingMask(NSViewMinXMargin | NSViewWidthSizable | NSViewMaxXMargin);
  parent.addSubview(stretch);
  parent.addSubview(pinned);
  parent.addSubview(right);
  parent.addSubview(shared);
  parent.setFrame(NSMakeRect(0, 0, 500, 80));
  EXPECT_EQ(stretch->frame(), NSMakeRect(6, 6, 488, 12));
  EXPECT_EQ(pinned->frame(), NSMakeRect(6, 38, 100, 12));
  EXPECT_EQ(right->frame(), NSMakeRect(450, 30, 40, 40));
  EXPECT_EQ(shared->frame(), NSMakeRect(100 + 200.0 / 3, 0, 100 + 200.0 / 3, 60));  // three parts share the change
  EXPECT_EQ(stretch->superview(), &parent);
  EXPECT_EQ(stretch->nextResponder(), &parent);
  // Shrinking never makes a size negative; a view that doesn't resize its subviews keeps them.
  parent.setFrame(NSMakeRect(0, 0, 10, 80));
  EXPECT_EQ(stretch->frame().size.width, 0);
  parent.setAutoresizesSubviews(false);
  parent.setFrame(NSMakeRect(0, 0, 400, 80));
  EXPECT_EQ(stretch->frame().size.width, 0);
}

TEST(AppKitViews, PointsConvertThroughFlippedAndShiftedViews) {
  NSWindow window(NSMakeRect(0, 0, 200, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  auto flipped = std::make_shared<FillView>(NSMakeRect(20, 10, 100, 80), NSColor::whiteColor(), true);
  auto inner = std::make_shared<FillView>(NSMakeRect(5, 10, 40, 30), NSColor::whiteColor(), false);
  window.contentView()->addSubview(flipped);
  flipped->addSubview(inner);
  // The flipped view's (0, 0) is its top-left corner: window (20, 90).
  EXPECT_EQ(flipped->convertPointToView({0, 0}, nullptr), (NSPoint{20, 90}));
  EXPECT_EQ(flipped->convertPointFromView({20, 90}, nullptr), (NSPoint{0, 0}));
  // The unflipped view inside starts 10 down from that top: its bottom-left is 40 down.
  EXPECT_EQ(inner->convertPointToView({0, 0}, nullptr), (NSPoint{25, 50}));
  EXPECT_EQ(inner->convertPointToView({0, 0}, flipped.get()), (NSPoint{5, 40}));
  EXPECT_EQ(inner->convertRectToView(inner->bounds(), nullptr), NSMakeRect(25, 50, 40, 30));
  // Shifting the bounds moves what the coordinates mean, not the view.
  inner->setBoundsOrigin({10, 10});
  EXPECT_EQ(inner->convertPointToView({10, 10}, nullptr), (NSPoint{25, 50}));
  inner->translateOriginToPoint({5, 0});
  EXPECT_EQ(inner->bounds().origin, (NSPoint{5, 10}));
  for (NSPoint p : {NSPoint{1, 2}, NSPoint{37.5, -4}})
    EXPECT_EQ(inner->convertPointFromView(inner->convertPointToView(p, nullptr), nullptr), p);
}

TEST(AppKitViews, HitTestingFindsTheDeepestVisibleViewUnderThePoint) {
  NSView root(NSMakeRect(0, 0, 200, 100));
  auto back = std::make_shared<FillView>(NSMakeRect(0, 0, 120, 100), NSColor::whiteColor());
  auto front = std::make_shared<FillView>(NSMakeRect(100, 0, 100, 100), NSColor::whiteColor(), true);
  auto button = std::make_shared<FillView>(NSMakeRect(10, 10, 20, 20), NSColor::whiteColor());
  root.addSubview(back);
  root.addSubview(front);
  front->addSubview(button);
  EXPECT_EQ(root.hitTest({50, 50}), back.get());
  EXPECT_EQ(root.hitTest({110, 50}), front.get());  // the later sibling lies above
  // In the flipped view the button lies 10..30 down from the top: window y 70..90.
  EXPECT_EQ(root.hitTest({115, 80}), button.get());
  EXPECT_EQ(root.hitTest({115, 20}), front.get());
  EXPECT_EQ(root.hitTest({250, 50}), nullptr);
  front->setHidden(true);
  EXPECT_EQ(root.hitTest({115, 80}), back.get());
  EXPECT_EQ(root.hitTest({150, 50}), &root);
  // Removed views are gone from hit-testing, and their superview's pointer.
  front->setHidden(false);
  button->removeFromSuperview();
  EXPECT_EQ(button->superview(), nullptr);
  EXPECT_EQ(root.hitTest({115, 80}), front.get());
}

TEST(AppKitViews, WindowsDrawTheirViewsFlippedClippedAndInOrder) {
  NSWindow window(NSMakeRect(0, 0, 100, 60), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  window.setBackgroundColor(NSColor::colorWithCalibratedRed(0, 1, 0, 1));
  auto red = std::make_shared<FillView>(NSMakeRect(10, 10, 30, 20), NSColor::colorWithCalibratedRed(1, 0, 0, 1));
  red->marker = true;
  auto flipped = std::make_shared<FillView>(NSMakeRect(50, 10, 40, 40), NSColor::whiteColor(), true);
  flipped->marker = true;
  // A subview reaching out of its superview is clipped to it.
  auto spill = std::make_shared<FillView>(NSMakeRect(30, 0, 30, 10), NSColor::blackColor());
  auto hidden = std::make_shared<FillView>(NSMakeRect(0, 0, 100, 60), NSColor::blackColor());
  hidden->setHidden(true);
  window.contentView()->addSubview(red);
  window.contentView()->addSubview(flipped);
  flipped->addSubview(spill);
  window.contentView()->addSubview(hidden);
  window.display();
  EXPECT_TRUE(near(pixelAt(window, {2, 2}), 0, 255, 0));          // background
  EXPECT_TRUE(near(pixelAt(window, {20, 20}), 255, 0, 0));        // red view
  EXPECT_TRUE(near(pixelAt(window, {11, 11}), 0, 0, 255));        // its mark at its bottom-left
  EXPECT_TRUE(near(pixelAt(window, {51, 48}), 0, 0, 255));        // the flipped view's mark at its top-left
  EXPECT_TRUE(near(pixelAt(window, {51, 12}), 255, 255, 255));
  EXPECT_TRUE(near(pixelAt(window, {85, 45}), 0, 0, 0));          // spill, inside the flipped view
  EXPECT_TRUE(near(pixelAt(window, {95, 45}), 0, 255, 0));        // and clipped outside it
  EXPECT_EQ(hidden->draws, 0);
}

TEST(AppKitViews, OnlyDirtyViewsAreDrawnAndOnlyWithinTheirDirtyRectangles) {
  NSWindow window(NSMakeRect(0, 0, 100, 60), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  auto left = std::make_shared<FillView>(NSMakeRect(0, 0, 50, 60), NSColor::whiteColor());
  auto right = std::make_shared<FillView>(NSMakeRect(50, 0, 50, 60), NSColor::whiteColor());
  window.contentView()->addSubview(left);
  window.contentView()->addSubview(right);
  window.display();
  ASSERT_EQ(left->draws, 1);
  ASSERT_EQ(right->draws, 1);
  EXPECT_FALSE(window.viewsNeedDisplay());
  right->setNeedsDisplayInRect(NSMakeRect(10, 10, 5, 5));
  EXPECT_TRUE(right->needsDisplay());
  EXPECT_TRUE(window.viewsNeedDisplay());
  window.displayIfNeeded();
  EXPECT_EQ(left->draws, 1);
  EXPECT_EQ(right->draws, 2);
  EXPECT_EQ(right->lastDirty, NSMakeRect(10, 10, 5, 5));
  EXPECT_FALSE(right->needsDisplay());
  // A view drawn into a clear, non-opaque window leaves the rest transparent.
  NSWindow clear(NSMakeRect(0, 0, 20, 20), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  clear.setOpaque(false);
  clear.setBackgroundColor(NSColor::clearColor());
  clear.contentView()->addSubview(std::make_shared<FillView>(NSMakeRect(0, 0, 10, 20), NSColor::whiteColor()));
  clear.display();
  EXPECT_EQ(pixelAt(clear, {15, 5}).a, 0);
  EXPECT_EQ(pixelAt(clear, {5, 5}).a, 255);
}

TEST(AppKitViews, FrameChangesAreAnnounced) {
  NSView view(NSMakeRect(0, 0, 10, 10));
  int told = 0;
  auto id = platform::NotificationCenter::defaultCenter().addObserver(
      NSViewFrameDidChangeNotification, &view, [&](const platform::Notification&) { ++told; });
  view.setFrame(NSMakeRect(0, 0, 20, 10));
  view.setFrame(NSMakeRect(0, 0, 20, 10));  // unchanged: no word
  view.setPostsFrameChangedNotifications(false);
  view.setFrame(NSMakeRect(1, 0, 20, 10));
  platform::NotificationCenter::defaultCenter().removeObserver(id);
  EXPECT_EQ(told, 1);
}
