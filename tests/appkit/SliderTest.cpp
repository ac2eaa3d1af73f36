// The slider: value range, knob geometry, and mouse tracking driven by synthetic events through
// the real event queue and run loop (the tracking loop runs the loop in its own mode).
#include <gtest/gtest.h>

#include "platform/appkit/Slider.h"
#include "tests/appkit/AppKitTestSupport.h"

using namespace appkittest;

namespace {

struct SliderWindow {
  NSWindow window{NSMakeRect(0, 0, 300, 60), NSBorderlessWindowMask, NSBackingStoreBuffered, false};
  std::shared_ptr<NSSlider> slider = std::make_shared<NSSlider>(NSMakeRect(10, 20, 211, 21));
  std::vector<NSEventType> actionEvents;  // the current event's type at each action
  std::vector<double> actionValues;
  SliderWindow() {
    window.contentView()->addSubview(slider);
    slider->setAction([this](NSControl& sender) {
      const auto& e = NSApplication::sharedApplication().currentEvent();
      actionEvents.push_back(e ? e->type : NSEventType::Other);
      actionValues.push_back(sender.doubleValue());
    });
  }
  // The point of the slider where the knob's centre stands for `value` (knob 20 wide, travel 191).
  NSPoint at(double value) const { return {10 + 191 * value, 10}; }
};

}  // namespace

TEST(AppKitSlider, ValuesStayInTheRangeAndTheKnobShowsWhere) {
  NSSlider slider(NSMakeRect(0, 0, 211, 21));
  EXPECT_TRUE(slider.isContinuous());
  EXPECT_EQ(slider.minValue(), 0);
  EXPECT_EQ(slider.maxValue(), 1);
  slider.setMaxValue(100);
  slider.setDoubleValue(150);
  EXPECT_EQ(slider.doubleValue(), 100);
  slider.setDoubleValue(-3);
  EXPECT_EQ(slider.doubleValue(), 0);
  slider.setDoubleValue(25);
  EXPECT_EQ(slider.knobThickness(), 20);
  NSSliderCell* cell = slider.sliderCell();
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->knobRectFlipped(false), NSMakeRect(47, 0, 20, 20));  // floor(0.25 * 191)
  EXPECT_DOUBLE_EQ(cell->valueForPoint({10 + 47.75, 10}, false), 25);
  EXPECT_EQ(cell->valueForPoint({-50, 10}, false), 0);
  EXPECT_EQ(cell->valueForPoint({500, 10}, false), 100);
  // Narrowing the range pulls the value in.
  slider.setMaxValue(20);
  EXPECT_EQ(slider.doubleValue(), 20);
  // Smaller control sizes have smaller knobs; a frame thinner than the knob holds it.
  NSSlider mini(NSMakeRect(0, 0, 100, 12));
  mini.setControlSize(NSMiniControlSize);
  EXPECT_EQ(mini.knobThickness(), 11);
  NSSlider squeezed(NSMakeRect(0, 0, 100, 8));
  EXPECT_EQ(squeezed.knobThickness(), 8);
  // A vertical slider has its maximum at the top.
  NSSlider vertical(NSMakeRect(0, 0, 21, 120));
  vertical.setDoubleValue(1);
  EXPECT_TRUE(vertical.isVertical());
  EXPECT_EQ(vertical.sliderCell()->knobRectFlipped(false).origin.y, 100);
  EXPECT_EQ(vertical.sliderCell()->knobRectFlipped(true).origin.y, 0);
}

TEST(AppKitSlider, AClickOnTheBarJumpsAndADragFollowsWithActionsAtEachStep) {
  SliderWindow w;
  postMouseInView(NSEventType::LeftMouseDown, w.slider.get(), w.at(0.75));
  postMouseInView(NSEventType::LeftMouseDragged, w.slider.get(), w.at(0.5));
  postMouseInView(NSEventType::LeftMouseDragged, w.slider.get(), {-40, 30});  // far outside: clamped
  postMouseInView(NSEventType::LeftMouseUp, w.slider.get(), w.at(0.25));
  spin();
  EXPECT_EQ(w.actionEvents, (std::vector{NSEventType::LeftMouseDown, NSEventType::LeftMouseDragged,
                                         NSEventType::LeftMouseDragged, NSEventType::LeftMouseUp}));
  ASSERT_EQ(w.actionValues.size(), 4u);
  EXPECT_NEAR(w.actionValues[0], 0.75, 1e-9);
  EXPECT_NEAR(w.actionValues[1], 0.5, 1e-9);
  EXPECT_EQ(w.actionValues[2], 0);
  EXPECT_EQ(w.actionValues[3], 0);  // the mouse-up sends the value of the last drag
  EXPECT_FALSE(NSApplication::sharedApplication().currentEvent().has_value());  // only while handled
  EXPECT_FALSE(w.slider->cell()->isHighlighted());
}

TEST(AppKitSlider, GrabbingTheKnobKeepsTheGrip) {
  SliderWindow w;
  w.slider->setDoubleValue(0.5);
  // Down 6 points right of the knob's centre, then 19.1 points further: the value moves by 0.1.
  postMouseInView(NSEventType::LeftMouseDown, w.slider.get(), {w.at(0.5).x + 6, 10});
  postMouseInView(NSEventType::LeftMouseDragged, w.slider.get(), {w.at(0.6).x + 6, 10});
  postMouseInView(NSEventType::LeftMouseUp, w.slider.get(), {w.at(0.6).x + 6, 10});
  spin();
  ASSERT_FALSE(w.actionValues.empty());
  EXPECT_NEAR(w.actionValues.front(), 0.5, 1e-9);
  EXPECT_NEAR(w.slider->doubleValue(), 0.6, 1e-9);
}

TEST(AppKitSlider, NonContinuousAndDisabledSliders) {
  SliderWindow w;
  w.slider->setContinuous(false);
  postMouseInView(NSEventType::LeftMouseDown, w.slider.get(), w.at(0.2));
  postMouseInView(NSEventType::LeftMouseDragged, w.slider.get(), w.at(0.4));
  postMouseInView(NSEventType::LeftMouseUp, w.slider.get(), w.at(0.4));
  spin();
  EXPECT_EQ(w.actionEvents, std::vector{NSEventType::LeftMouseUp});
  EXPECT_NEAR(w.actionValues.at(0), 0.4, 1e-9);

  w.actionEvents.clear();
  w.slider->setEnabled(false);
  postMouseInView(NSEventType::LeftMouseDown, w.slider.get(), w.at(0.9));
  postMouseInView(NSEventType::LeftMouseUp, w.slider.get(), w.at(0.9));
  spin();
  EXPECT_TRUE(w.actionEvents.empty());
  EXPECT_NEAR(w.slider->doubleValue(), 0.4, 1e-9);
}

TEST(AppKitSlider, TrackingRunsTheLoopInTheEventTrackingModeOnly) {
  SliderWindow w;
  auto& loop = platform::RunLoop::mainRunLoop();
  int trackingTicks = 0, defaultTicks = 0, defaultTicksInDrag = -1;
  int defaultAtDown = 0;
  // The "user" drags while the tracking loop runs: a tracking-mode timer sends the moves.
  const auto user = loop.addTimer(0.01, true, [&] {
    ++trackingTicks;
    if (trackingTicks == 3) postMouseInView(NSEventType::LeftMouseDragged, w.slider.get(), w.at(0.3));
    if (trackingTicks == 6) postMouseInView(NSEventType::LeftMouseUp, w.slider.get(), w.at(0.3));
  }, {platform::RunLoop::kEventTrackingRunLoopMode});
  const auto idle = loop.addTimer(0.01, true, [&] { ++defaultTicks; });
  w.slider->setAction([&](NSControl&) {
    const auto& e = NSApplication::sharedApplication().currentEvent();
    if (e && e->type == NSEventType::LeftMouseDown) defaultAtDown = defaultTicks;
    if (e && e->type == NSEventType::LeftMouseUp) defaultTicksInDrag = defaultTicks - defaultAtDown;
  });
  postMouseInView(NSEventType::LeftMouseDown, w.slider.get(), w.at(0.9));
  platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, 0.3);
  loop.invalidateTimer(user);
  loop.invalidateTimer(idle);
  EXPECT_GE(trackingTicks, 6);
  EXPECT_EQ(defaultTicksInDrag, 0);
  EXPECT_GT(defaultTicks, 0);
  EXPECT_NEAR(w.slider->doubleValue(), 0.3, 1e-9);
}

TEST(AppKitSlider, AnActionThatTakesTheSliderAwayEndsTheTracking) {
  SliderWindow w;
  NSSlider* raw = w.slider.get();
  int actions = 0;
  raw->setAction([&](NSControl& sender) {
    ++actions;
    w.slider.reset();
    sender.removeFromSuperview();  // the last reference goes: the slider and its cell are gone
  });
  postMouseInView(NSEventType::LeftMouseDown, raw, w.at(0.5));
  postMouse(NSEventType::LeftMouseDragged, &w.window, {100, 30});
  postMouse(NSEventType::LeftMouseUp, &w.window, {100, 30});
  spin();
  EXPECT_EQ(actions, 1);
  EXPECT_FALSE(NSView::exists(raw));
  EXPECT_TRUE(w.window.contentView()->subviews().empty());
}

namespace {
// A cell that draws its own bar (blue, the whole frame as its track image) and knob (red).
class PaintedCell : public NSSliderCell {
 public:
  bool usesCustomTrackImage() const override { return true; }
  void drawBarInside(NSRect rect, bool flipped) override {
    barRect = rect;
    barFlipped = flipped;
    NSColor::colorWithCalibratedRed(0, 0, 1, 1).setFill();
    NSRectFill(rect);
  }
  void drawKnob(NSRect rect) override {
    knobRect = rect;
    NSColor::colorWithCalibratedRed(1, 0, 0, isEnabled() ? 1 : 0.25).setFill();
    NSRectFillUsingOperation(rect, platform::CompositingOperation::SourceOver);
  }
  NSRect barRect, knobRect;
  bool barFlipped = true;
};
}  // namespace

TEST(AppKitSlider, ACellSubclassDrawsItsOwnBarAndKnob) {
  NSWindow window(NSMakeRect(0, 0, 120, 30), NSBorderlessWindowMask, NSBackingStoreBuffered, false);
  window.setBackgroundColor(NSColor::whiteColor());
  auto slider = std::make_shared<NSSlider>(NSMakeRect(10, 10, 100, 12));
  slider->setControlSize(NSMiniControlSize);
  auto cell = std::make_unique<PaintedCell>();
  PaintedCell* painted = cell.get();
  cell->setControlSize(NSMiniControlSize);
  slider->setCell(std::move(cell));
  slider->setDoubleValue(1);
  window.contentView()->addSubview(slider);
  window.display();
  EXPECT_EQ(painted->barRect, NSMakeRect(0, 0, 100, 12));  // its own track: the whole frame
  EXPECT_FALSE(painted->barFlipped);
  EXPECT_EQ(painted->knobRect, NSMakeRect(89, 0, 11, 11));  // at the far end, 11 points for a mini slider
  EXPECT_TRUE(near(pixelAt(window, {15, 15}), 0, 0, 255));      // bar
  EXPECT_TRUE(near(pixelAt(window, {104, 15}), 255, 0, 0));     // knob
  EXPECT_TRUE(near(pixelAt(window, {5, 15}), 255, 255, 255));   // outside the slider
  // Disabled: the knob is drawn at a quarter, over the bar.
  slider->setEnabled(false);
  window.display();
  EXPECT_TRUE(near(pixelAt(window, {104, 15}), 64, 0, 191, 255, 3));
}
