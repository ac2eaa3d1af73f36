// Buttons, pop-up buttons and image views.
#include <gtest/gtest.h>

#include "platform/appkit/ImageView.h"
#include "platform/appkit/PopUpButton.h"
#include "tests/appkit/AppKitTestSupport.h"

using namespace appkittest;

TEST(AppKitButtons, AClickActsOnlyWhenTheMouseComesUpInside) {
  NSWindow window(NSMakeRect(0, 0, 200, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  auto toggle = std::make_shared<NSButton>(NSMakeRect(10, 10, 80, 24));
  toggle->setButtonType(NSPushOnPushOffButton);
  toggle->setTitle("Loop");
  window.contentView()->addSubview(toggle);
  std::vector<int> states;
  bool highlightedDuringDrag = true;
  toggle->setAction([&](NSControl& sender) { states.push_back(static_cast<NSButton&>(sender).state()); });
  postMouse(NSEventType::LeftMouseDown, &window, {20, 20});
  postMouse(NSEventType::LeftMouseUp, &window, {30, 25});
  spin();
  EXPECT_EQ(states, std::vector{int(NSOnState)});
  // Pressed, dragged out and let go outside: nothing happens, and the highlight goes with the mouse.
  postMouse(NSEventType::LeftMouseDown, &window, {20, 20});
  postMouse(NSEventType::LeftMouseDragged, &window, {150, 80});
  auto check = platform::RunLoop::mainRunLoop().addTimer(0.0, false, [&] {
    highlightedDuringDrag = toggle->cell()->isHighlighted();
    postMouse(NSEventType::LeftMouseUp, &window, {150, 80});
  }, {platform::RunLoop::kEventTrackingRunLoopMode});
  (void)check;
  spin();
  EXPECT_FALSE(highlightedDuringDrag);
  EXPECT_EQ(states.size(), 1u);
  EXPECT_EQ(toggle->state(), NSOnState);
  toggle->performClick();
  EXPECT_EQ(toggle->state(), NSOffState);
  EXPECT_EQ(states.back(), int(NSOffState));
  // Drawn: the bezel is there.
  window.display();
  EXPECT_FALSE(near(pixelAt(window, {12, 20}), 230, 230, 230, 255, 0));
}

TEST(AppKitButtons, APopUpMenuChoosesTheItemTheMouseIsReleasedOn) {
  NSWindow window(NSMakeRect(100, 300, 300, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  auto popUp = std::make_shared<NSPopUpButton>(NSMakeRect(20, 40, 150, 22));
  popUp->addItemsWithTitles({"Small", "Medium", "Large", "Medium"});  // a repeated title moves to the end
  window.contentView()->addSubview(popUp);
  EXPECT_EQ(popUp->itemTitles(), (std::vector<std::string>{"Small", "Large", "Medium"}));
  EXPECT_EQ(popUp->titleOfSelectedItem(), "Small");
  int actions = 0;
  popUp->setAction([&](NSControl&) { ++actions; });

  // The menu opens with the selected item over the button: item i lies i rows below it.
  NSRect menu;
  auto itemPoint = [&](int i) {
    return window.convertScreenToBase({NSMidX(menu), NSMaxY(menu) - (i + 0.5) * NSPopUpButton::kItemHeight});
  };
  postMouse(NSEventType::LeftMouseDown, &window, {30, 50});
  platform::RunLoop::mainRunLoop().addTimer(0.0, false, [&] {
    menu = popUp->menuFrame();
    postMouse(NSEventType::LeftMouseDragged, &window, itemPoint(2));
    postMouse(NSEventType::LeftMouseUp, &window, itemPoint(2));
  }, {platform::RunLoop::kEventTrackingRunLoopMode});
  spin(0.2);
  EXPECT_EQ(menu, NSMakeRect(120, 340 - 3 * 20 + 22 + 0, 150, 60));
  EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
  EXPECT_EQ(popUp->titleOfSelectedItem(), "Medium");
  EXPECT_EQ(actions, 1);
  EXPECT_FALSE(popUp->isMenuOpen());

  // A release outside the menu (not at once on the button) chooses nothing.
  postMouse(NSEventType::LeftMouseDown, &window, {30, 50});
  platform::RunLoop::mainRunLoop().addTimer(0.0, false, [&] {
    NSEvent up = NSEvent::mouseEvent(NSEventType::LeftMouseUp, {290, 5}, &window);
    up.timestamp = 5;
    NSApplication::sharedApplication().postEvent(up);
  }, {platform::RunLoop::kEventTrackingRunLoopMode});
  spin(0.2);
  EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
  EXPECT_EQ(actions, 1);

  popUp->removeItemAtIndex(0);
  EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
  popUp->selectItemWithTitle("nothing");
  EXPECT_EQ(popUp->indexOfSelectedItem(), -1);
  EXPECT_EQ(popUp->titleOfSelectedItem(), "");
}

TEST(AppKitImageView, ImagesAreScaledAndAlignedInTheBounds) {
  auto image = std::make_shared<platform::Image>(40, 20, platform::RGBA8{255, 0, 0, 255}, false);
  NSImageView view(NSMakeRect(0, 0, 100, 100));
  view.setImage(image);
  EXPECT_EQ(view.imageRect(), NSMakeRect(30, 40, 40, 20));  // not enlarged, centred
  view.setImageScaling(NSImageScaleProportionallyUpOrDown);
  EXPECT_EQ(view.imageRect(), NSMakeRect(0, 25, 100, 50));
  view.setImageScaling(NSImageScaleAxesIndependently);
  EXPECT_EQ(view.imageRect(), NSMakeRect(0, 0, 100, 100));
  view.setImageScaling(NSImageScaleNone);
  view.setImageAlignment(NSImageAlignBottomRight);
  EXPECT_EQ(view.imageRect(), NSMakeRect(60, 0, 40, 20));
  view.setImageAlignment(NSImageAlignTopLeft);
  EXPECT_EQ(view.imageRect(), NSMakeRect(0, 80, 40, 20));

  NSWindow window(NSMakeRect(0, 0, 100, 100), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  auto shown = std::make_shared<NSImageView>(NSMakeRect(0, 0, 100, 100));
  shown->setImage(image);
  window.contentView()->addSubview(shown);
  window.display();
  EXPECT_TRUE(near(pixelAt(window, {50, 50}), 255, 0, 0));
  EXPECT_FALSE(near(pixelAt(window, {50, 10}), 255, 0, 0));
}
