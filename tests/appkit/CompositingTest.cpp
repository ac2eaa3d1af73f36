// Child windows that are not opaque are drawn into their parent and take the mouse events that
// fall on them there (no native window of their own).
#include <gtest/gtest.h>

#include "platform/appkit/Slider.h"
#include "tests/appkit/AppKitTestSupport.h"

using namespace appkittest;

TEST(AppKitCompositing, ATranslucentChildIsDrawnIntoItsParentWithItsAlpha) {
  NSWindow parent(NSMakeRect(100, 100, 200, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  parent.setBackgroundColor(NSColor::colorWithCalibratedRed(0, 0, 1, 1));
  NSWindow panel(NSMakeRect(120, 110, 100, 40), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  panel.setOpaque(false);
  panel.setBackgroundColor(NSColor::clearColor());
  auto body = std::make_shared<FillView>(NSMakeRect(10, 0, 90, 40), NSColor::whiteColor());
  panel.contentView()->addSubview(body);
  parent.addChildWindow(&panel, NSWindowAbove);
  EXPECT_TRUE(panel.isComposited());
  panel.setAlphaValue(0.5);
  parent.orderFront();
  panel.orderFront();
  parent.display();
  EXPECT_EQ(panel.nativeWindow(), nullptr);
  // Inside the body: half white over blue; in the panel's clear strip: blue.
  EXPECT_TRUE(near(pixelAt(parent, {60, 30}), 128, 128, 255, 255, 2));
  EXPECT_TRUE(near(pixelAt(parent, {25, 30}), 0, 0, 255));
  EXPECT_TRUE(near(pixelAt(parent, {150, 80}), 0, 0, 255));
  // Faded out and hidden: nothing of it shows.
  panel.orderOut();
  parent.display();
  EXPECT_TRUE(near(pixelAt(parent, {60, 30}), 0, 0, 255));
  // Taken away from its parent it is a window of its own again.
  parent.removeChildWindow(&panel);
  EXPECT_FALSE(panel.isComposited());
}

TEST(AppKitCompositing, MouseEventsOnAChildGoToItUntilTheButtonComesUp) {
  NSWindow parent(NSMakeRect(0, 0, 300, 200), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  NSWindow panel(NSMakeRect(20, 10, 260, 60), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  panel.setOpaque(false);
  auto slider = std::make_shared<NSSlider>(NSMakeRect(6, 6, 211, 21));
  panel.contentView()->addSubview(slider);
  parent.addChildWindow(&panel, NSWindowAbove);
  panel.orderFront();
  std::vector<NSWindow*> actionWindows;
  slider->setAction([&](NSControl&) {
    const auto& e = NSApplication::sharedApplication().currentEvent();
    actionWindows.push_back(e ? e->window : nullptr);
  });
  // Events arrive for the parent (as the display sends them for its native window): the slider's
  // knob centre for 0.5 lies at panel x 6 + 10 + 95.5, parent x 20 more.
  postMouse(NSEventType::LeftMouseDown, &parent, {20 + 6 + 10 + 95.5, 10 + 16});
  postMouse(NSEventType::LeftMouseDragged, &parent, {-100, 150});  // far outside the panel
  postMouse(NSEventType::LeftMouseUp, &parent, {-100, 150});
  spin();
  ASSERT_FALSE(actionWindows.empty());
  EXPECT_EQ(actionWindows.front(), &panel);
  EXPECT_EQ(slider->doubleValue(), 0);
  EXPECT_EQ(parent.compositedChildAt({20 + 10, 10 + 10}), &panel);
  EXPECT_EQ(parent.compositedChildAt({10, 10}), nullptr);
  panel.setAlphaValue(0);  // an invisible child takes no clicks
  EXPECT_EQ(parent.compositedChildAt({20 + 10, 10 + 10}), nullptr);
}
