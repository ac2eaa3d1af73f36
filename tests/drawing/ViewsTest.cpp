// The heads-up controls and views: the dot-knob slider's scroll wheel and cell replacement, and
// the pixels the cell, the gradient view and the glossy panel draw into an off-screen surface.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>

#include "drawing/views/XDotKnobSlider.h"
#include "drawing/views/XGradientView.h"
#include "drawing/views/XMHGlossyRoundedView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "tests/support/TestSupport.h"

using namespace platform::appkit;
using drawing::XDotKnobSlider;
using drawing::XDotKnobSliderCell;
using drawing::XGradient;
using drawing::XGradientView;
using drawing::XMHGlossyRoundedView;

namespace {

// Draws the view's whole bounds into a transparent surface of its size, as its window would.
platform::Image drawView(NSView& view, std::optional<NSRect> dirty = std::nullopt) {
  const NSRect b = view.bounds();
  platform::ImageSurface surface(int(b.size.width), int(b.size.height));
  platform::GraphicsContext context(surface, view.isFlipped());
  platform::GraphicsContext::CurrentScope scope(context);
  view.drawRect(dirty.value_or(b));
  return surface.image();
}

NSEvent scroll(double deltaX, double deltaY, double deviceDeltaX = 0, uint32_t flags = 0) {
  NSEvent e;
  e.type = NSEventType::ScrollWheel;
  e.deltaX = deltaX;
  e.deltaY = deltaY;
  e.deviceDeltaX = deviceDeltaX;
  e.modifierFlags = flags;
  return e;
}

// Components of a gradient's colour at a position, as 8-bit values.
std::array<int, 4> rampAt(const XGradient& g, float position) {
  const platform::Color c = g.colorAtPosition(position);
  auto byte = [](double v) { return int(std::lround(v * 255)); };
  return {byte(c.redComponent()), byte(c.greenComponent()), byte(c.blueComponent()), byte(c.alphaComponent())};
}

void expectPixel(const platform::Image& image, int x, int y, std::array<int, 4> rgba, int tolerance = 3) {
  const auto p = image.pixel(x, y);
  EXPECT_NEAR(p.r, rgba[0], tolerance) << "at " << x << "," << y;
  EXPECT_NEAR(p.g, rgba[1], tolerance) << "at " << x << "," << y;
  EXPECT_NEAR(p.b, rgba[2], tolerance) << "at " << x << "," << y;
  EXPECT_NEAR(p.a, rgba[3], tolerance) << "at " << x << "," << y;
}

class Views : public ::testing::Test {
 protected:
  void SetUp() override { platform::UserDefaults::setApplicationDomain("Kestrix"); }
  testsupport::ScopedHome home;
};

}  // namespace

TEST_F(Views, TheWheelStepsByATwentiethATenthOfThatWithOptionAndAHundredthForDeviceDeltas) {
  XDotKnobSlider slider(NSMakeRect(0, 0, 100, 12));
  slider.awakeFromNib();
  slider.setMinValue(0);
  slider.setMaxValue(100);
  int actions = 0, announced = 0;
  slider.setAction([&](NSControl&) { ++actions; });
  slider.addObserver("floatValue", [&] { ++announced; });
  struct Case {
    float start;
    NSEvent event;
    float expected;
  } cases[] = {
      {50, scroll(0, 1), 55},
      {50, scroll(0, -1), 45},
      {50, scroll(0, 1, 0, NSAlternateKeyMask), 50.5f},
      {50, scroll(0, -1, 0, NSAlternateKeyMask), 49.5f},
      {98, scroll(0, 1), 100},   // held at the maximum
      {3, scroll(0, -2), 0},     // and at the minimum
      {50, scroll(0, 0, 3), 49},  // device deltas only: -3 → down by range / 100
      {50, scroll(0, 0, -3, NSAlternateKeyMask), 50.1f},
      {50, scroll(0, 0.3), 55},  // any positive delta is a whole step
  };
  for (const Case& c : cases) {
    slider.setFloatValue(c.start);
    const int actionsBefore = actions, announcedBefore = announced;
    slider.scrollWheel(c.event);
    EXPECT_FLOAT_EQ(slider.floatValue(), c.expected) << "from " << c.start << " by " << c.event.deltaY << "/"
                                                      << c.event.deviceDeltaX;
    EXPECT_EQ(actions, actionsBefore + 1);
    EXPECT_EQ(announced, announcedBefore + 1);
  }
  // A sideways notch alone moves nothing and sends nothing.
  slider.setFloatValue(50);
  const int actionsBefore = actions;
  slider.scrollWheel(scroll(2, 0));
  EXPECT_FLOAT_EQ(slider.floatValue(), 50);
  EXPECT_EQ(actions, actionsBefore);
}

TEST_F(Views, AwakeFromNibReplacesTheCellAndCarriesEverySettingOver) {
  // A slider whose cell is a plain one, as an interface file would make it.
  struct PlainSlider : XDotKnobSlider {
    using XDotKnobSlider::XDotKnobSlider;
    std::unique_ptr<NSCell> makeCell() const override { return std::make_unique<NSSliderCell>(); }
  } slider(NSMakeRect(0, 0, 100, 16));
  ASSERT_EQ(dynamic_cast<XDotKnobSliderCell*>(slider.cell()), nullptr);
  int sent = 0;
  int targetObject = 0;
  slider.setAction([&](NSControl&) { ++sent; });
  slider.setTarget(&targetObject);
  slider.setMinValue(0.1);
  slider.setMaxValue(7.3);
  slider.setDoubleValue(2.25);
  slider.setControlSize(NSSmallControlSize);
  slider.setAltIncrementValue(0.5);
  slider.setContinuous(false);
  slider.setEnabled(false);
  NSCell* before = slider.cell();

  slider.awakeFromNib();
  ASSERT_NE(slider.cell(), before);
  ASSERT_NE(dynamic_cast<XDotKnobSliderCell*>(slider.cell()), nullptr);
  EXPECT_EQ(slider.target(), &targetObject);
  EXPECT_DOUBLE_EQ(slider.minValue(), double(0.1f));  // through 32-bit floats
  EXPECT_DOUBLE_EQ(slider.maxValue(), double(7.3f));
  EXPECT_FLOAT_EQ(slider.floatValue(), 2.25f);
  EXPECT_EQ(slider.controlSize(), NSSmallControlSize);
  EXPECT_DOUBLE_EQ(slider.altIncrementValue(), 0.5);
  EXPECT_FALSE(slider.isContinuous());
  EXPECT_FALSE(slider.isEnabled());
  EXPECT_TRUE(slider.sliderCell()->usesCustomTrackImage());
  slider.sendAction();
  EXPECT_EQ(sent, 1);
  // Sliders made in code get the dot-knob cell from the start.
  XDotKnobSlider fresh;
  EXPECT_NE(dynamic_cast<XDotKnobSliderCell*>(fresh.cell()), nullptr);
}

TEST_F(Views, TheKnobIsATranslucentDotFainterWhenDisabledAndTheBarAnOutlinedPill) {
  XDotKnobSlider slider(NSMakeRect(0, 0, 100, 12));
  slider.awakeFromNib();
  slider.setControlSize(NSMiniControlSize);
  slider.setDoubleValue(0.5);
  platform::Image enabled = drawView(slider);
  const NSRect knob = slider.sliderCell()->knobRectFlipped(false);
  const int kx = int(NSMidX(knob)), ky = enabled.height() - 1 - int(NSMidY(knob));
  // White at alpha 0.5 over the bar's grey 0.15 at alpha 0.5: alpha 0.75, grey
  // (0.5 + 0.075 × 0.5) / 0.75 = 0.717.
  expectPixel(enabled, kx, ky, {183, 183, 183, 191}, 4);
  slider.setEnabled(false);
  platform::Image disabled = drawView(slider);
  // White at 0.25 over the same: alpha 0.625, grey (0.25 + 0.075 × 0.75) / 0.625 = 0.49.
  EXPECT_LT(disabled.pixel(kx, ky).a, enabled.pixel(kx, ky).a);
  expectPixel(disabled, kx, ky, {125, 125, 125, 159}, 4);

  // The bar away from the knob: grey 0.15 at alpha 0.5 inside the pill, white stroke on its rim,
  // nothing outside it (the corners of the frame, 1 point around the pill).
  expectPixel(enabled, 20, 6, {38, 38, 38, 128}, 3);
  EXPECT_EQ(enabled.pixel(0, 0).a, 0);
  EXPECT_EQ(enabled.pixel(99, 11).a, 0);
  // The half-point white rim lies across the pill's top and bottom edges (y 1 and 11).
  int whiteRim = 0;
  for (int y = 0; y < 12; ++y)
    if (enabled.pixel(20, y).r > 200 && enabled.pixel(20, y).a > 40) ++whiteRim;
  EXPECT_EQ(whiteRim, 2);
  EXPECT_EQ(enabled.pixel(20, 0).r, 255);
  EXPECT_EQ(enabled.pixel(20, 11).r, 255);
}

TEST_F(Views, AGradientViewDrawsItsRampTopDownOrDarkGreyAndRemakesItsStripOnlyWhenItsHeightChanges) {
  XGradientView view(NSMakeRect(0, 0, 40, 100));
  EXPECT_TRUE(view.drawsFill());
  auto ramp = XGradient::plumoTableViewHeaderGradient();
  platform::Image image = drawView(view);
  expectPixel(image, 20, 0, rampAt(*ramp, 0.005f), 4);    // top row: the ramp's start
  expectPixel(image, 5, 99, rampAt(*ramp, 0.995f), 4);    // bottom row: its end
  expectPixel(image, 39, 50, rampAt(*ramp, 0.505f), 4);   // stretched across the width
  auto strip = view.backgroundImage();
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip->width(), 1);
  EXPECT_EQ(strip->height(), 100);

  // Only part of the view dirty: that part, from the same strip.
  XGradientView partial(NSMakeRect(0, 0, 40, 100));
  platform::Image part = drawView(partial, NSMakeRect(0, 10, 40, 20));
  expectPixel(part, 20, 75, rampAt(*ramp, 0.755f), 4);  // y 25 from the bottom
  EXPECT_EQ(part.pixel(20, 50).a, 0);                  // outside the dirty rectangle

  // A wider view keeps the strip; a taller one gets a new one at its next drawing.
  view.setFrameSize({80, 100});
  drawView(view);
  EXPECT_EQ(view.backgroundImage(), strip);
  view.setFrameSize({80, 60});
  platform::Image shorter = drawView(view);
  EXPECT_NE(view.backgroundImage(), strip);
  EXPECT_EQ(view.backgroundImage()->height(), 60);
  expectPixel(shorter, 70, 59, rampAt(*ramp, 0.99f), 4);

  // Flipped: still the start at the top.
  view.setFlipped(true);
  view.setBackgroundImage(nullptr);
  platform::Image flipped = drawView(view);
  expectPixel(flipped, 10, 0, rampAt(*ramp, 0.01f), 4);
  expectPixel(flipped, 10, 59, rampAt(*ramp, 0.99f), 4);

  view.setDrawsFill(false);
  expectPixel(drawView(view), 30, 30, {85, 85, 85, 255}, 1);
}

TEST_F(Views, TheSkinPreferenceObsidianPicksTheHeadsUpButtonRamp) {
  auto& defaults = platform::UserDefaults::standardUserDefaults();
  const auto hud = XGradient::plumoHUDButtonGradient();
  const auto header = XGradient::plumoTableViewHeaderGradient();
  ASSERT_NE(rampAt(*hud, 0.01f), rampAt(*header, 0.01f));  // the two can be told apart
  for (auto [skin, ramp] : {std::pair{std::optional<std::string>("Obsidian"), hud},
                            std::pair{std::optional<std::string>("Aqua"), header},
                            std::pair{std::optional<std::string>(), header}}) {
    if (skin)
      defaults.setObject("kGuiSkinName", *skin);
    else
      defaults.removeObjectForKey("kGuiSkinName");
    XGradientView view(NSMakeRect(0, 0, 10, 100));
    expectPixel(drawView(view), 5, 0, rampAt(*ramp, 0.005f), 4);
  }
}

TEST_F(Views, TheGlossyPanelIsClearOutsideItsRoundedOutlineAndTranslucentInside) {
  XMHGlossyRoundedView view(NSMakeRect(0, 0, 304, 60));
  platform::Image image = drawView(view);
  const auto ramp = XGradient::plumoBlackPlasticGradientWithAlpha(0.88f, 21.0f / 58.0f);
  // Corners outside the outline (radius 9 at the top, 6 at the bottom, 1 point in) are clear.
  for (auto [x, y] : {std::pair{0, 0}, {2, 2}, {301, 2}, {1, 58}, {302, 58}}) EXPECT_EQ(image.pixel(x, y).a, 0);
  // Inside: the ramp at alpha 0.88, its hard edge at 21/58 of the height.
  expectPixel(image, 150, 10, rampAt(*ramp, 10.5f / 60), 5);
  expectPixel(image, 150, 40, rampAt(*ramp, 40.5f / 60), 5);
  EXPECT_GT(image.pixel(150, 30).a, 200);
  EXPECT_LT(image.pixel(150, 30).a, 240);
  // The outline: white at 0.18 over the ramp makes the rim lighter than just inside it.
  EXPECT_GT(image.pixel(150, 1).r, image.pixel(150, 5).r);

  // The outline follows the bounds, and only a change remakes it.
  const platform::BezierPath* outline = view.framingPath();
  drawView(view);
  EXPECT_EQ(view.framingPath(), outline);
  EXPECT_EQ(view.currentRect(), NSMakeRect(0, 0, 304, 60));
  view.setFrameSize({200, 60});
  platform::Image narrower = drawView(view);
  EXPECT_NE(view.framingPath(), outline);
  EXPECT_EQ(view.currentRect(), NSMakeRect(0, 0, 200, 60));
  EXPECT_EQ(narrower.pixel(198, 2).a, 0);
  EXPECT_GT(narrower.pixel(190, 30).a, 200);
}
