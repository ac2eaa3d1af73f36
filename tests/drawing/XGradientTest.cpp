#include <gtest/gtest.h>

#include <cmath>

#include "drawing/XGradient.h"
#include "platform/foundation/KeyedArchiver.h"

using drawing::RangeException;
using drawing::XGradient;
using drawing::XGradientElement;
using platform::Color;

namespace {

void expectColor(const Color& c, float r, float g, float b, float a, float tolerance = 0) {
  EXPECT_NEAR(c.redComponent(), r, tolerance);
  EXPECT_NEAR(c.greenComponent(), g, tolerance);
  EXPECT_NEAR(c.blueComponent(), b, tolerance);
  EXPECT_NEAR(c.alphaComponent(), a, tolerance);
}

std::shared_ptr<XGradient> twoStops(Color a, Color b, int mode) {
  return XGradient::gradientWithBeginningColor(a, b)->gradientWithBlendingMode(mode);
}

}  // namespace

TEST(XGradient, EmptyIsWhiteAndOneStopIsEverywhere) {
  XGradient empty;
  EXPECT_EQ(empty.blendingMode(), 0);
  for (float p : {-1.0f, 0.0f, 0.5f, 2.0f}) expectColor(empty.colorAtPosition(p), 1, 1, 1, 1);
  for (int mode : {0, 1, 2}) {
    auto one = XGradient().gradientWithBlendingMode(mode)->addColorStop(Color::calibratedRGB(0.2, 0.4, 0.6, 0.5), 0.3f);
    for (float p : {0.0f, 0.3f, 0.9f}) expectColor(one->colorAtPosition(p), 0.2f, 0.4f, 0.6f, 0.5f, 1e-6f);
  }
}

TEST(XGradient, StopsStayOrderedAndEqualPositionsKeepInsertionOrder) {
  auto g = XGradient::gradient()
               ->addColorStop(Color::calibratedWhite(0.9), 0.7f)
               ->addColorStop(Color::calibratedWhite(0.1), 0.2f)
               ->addColorStop(Color::calibratedWhite(0.3), 0.5f)   // first at 0.5
               ->addColorStop(Color::calibratedWhite(0.6), 0.5f)   // second at 0.5
               ->addColorStop(Color::calibratedWhite(0.0), 1.5f);  // positions are not clamped
  std::vector<float> positions, greys;
  for (auto& e : g->elements()) positions.push_back(e.position), greys.push_back(e.red);
  EXPECT_EQ(positions, (std::vector<float>{0.2f, 0.5f, 0.5f, 0.7f, 1.5f}));
  EXPECT_EQ(greys, (std::vector<float>{0.1f, 0.3f, 0.6f, 0.9f, 0.0f}));
  // At exactly 0.5 the earlier stop, just after it the later one.
  EXPECT_FLOAT_EQ(g->colorAtPosition(0.5f).redComponent(), 0.3f);
  EXPECT_NEAR(g->colorAtPosition(0.5001f).redComponent(), 0.6f, 0.001f);
  // Linear ends are the end stops exactly.
  EXPECT_EQ(g->colorAtPosition(-3).redComponent(), 0.1f);
  EXPECT_EQ(g->colorAtPosition(0.2f).redComponent(), 0.1f);
  EXPECT_EQ(g->colorAtPosition(7).redComponent(), 0.0f);
  EXPECT_FLOAT_EQ(g->colorAtPosition(0.6f).redComponent(), 0.6f + (0.9f - 0.6f) * 0.5f);
}

TEST(XGradient, ChangesMakeNewGradientsAndLeaveTheReceiver) {
  auto g = twoStops(Color::calibratedRGB(1, 0, 0), Color::calibratedRGB(0, 0, 1), 1);
  auto more = g->addColorStop(Color::deviceWhite(0.5), 0.5f);
  EXPECT_EQ(g->elementCount(), 2u);
  ASSERT_EQ(more->elementCount(), 3u);
  EXPECT_EQ(more->blendingMode(), 1);
  expectColor(more->colorStopAtIndex(1), 0.5f, 0.5f, 0.5f, 1);  // grey converted to RGB
  auto fewer = more->removeColorStopAtIndex(0);
  EXPECT_EQ(more->elementCount(), 3u);
  EXPECT_EQ(fewer->elementCount(), 2u);
  expectColor(fewer->colorStopAtIndex(0), 0.5f, 0.5f, 0.5f, 1);
  auto copy = more->copy();
  EXPECT_EQ(copy->elements().size(), 3u);
  EXPECT_EQ(copy->blendingMode(), 1);

  // The alpha variant is linear whatever the receiver's mode.
  auto faded = g->gradientWithAlphaComponent(0.25f);
  EXPECT_EQ(faded->blendingMode(), 0);
  expectColor(faded->colorStopAtIndex(1), 0, 0, 1, 0.25f);
  EXPECT_EQ(g->colorStopAtIndex(1).alphaComponent(), 1);
}

TEST(XGradient, BlendingModesOutsideZeroToTwoAreRefused) {
  auto g = twoStops(Color::calibratedRGB(1, 0, 0), Color::calibratedRGB(0, 0, 1), 2);
  EXPECT_EQ(g->gradientWithBlendingMode(3)->blendingMode(), 2);
  EXPECT_EQ(g->gradientWithBlendingMode(-1)->blendingMode(), 2);
  XGradient plain;
  EXPECT_FALSE(plain.setBlendingMode(7));
  EXPECT_EQ(plain.blendingMode(), 0);
  EXPECT_TRUE(plain.setBlendingMode(1));
  EXPECT_EQ(plain.blendingMode(), 1);
}

TEST(XGradient, RangeErrorsCarryTheirReasons) {
  auto g = twoStops(Color::blackColor(), Color::whiteColor(), 0);
  const auto reason = [](auto call) -> std::string {
    try {
      call();
    } catch (const RangeException& e) {
      return e.what();
    }
    return "no exception";
  };
  EXPECT_EQ(reason([&] { g->removeColorStopAtIndex(5); }), "-[XGradient removeColorStopAtIndex:]: index (5) beyond bounds");
  EXPECT_EQ(reason([&] { g->colorStopAtIndex(2); }), "-[XGradient removeColorStopAtIndex:]: index (2) beyond bounds");
  EXPECT_EQ(reason([&] { g->removeColorStopAtPosition(0.3f); }),
            "-[XGradient removeColorStopAtPosition:]: no such colorStop at position (0.300000)");
  EXPECT_EQ(g->removeColorStopAtPosition(1.0f)->elementCount(), 1u);

  // Internal removal gives the none element and changes nothing.
  XGradient h(*g);
  EXPECT_TRUE(h.removeElementAtIndex(2).isNone());
  EXPECT_TRUE(h.removeElementAtPosition(0.5f).isNone());
  EXPECT_EQ(h.elementCount(), 2u);
  EXPECT_EQ(h.removeElementAtPosition(0.0f).red, 0.0f);
  EXPECT_EQ(h.elementAtIndex(1), nullptr);
}

TEST(XGradient, ChromaticModesTurnThroughTheHues) {
  const Color red = Color::calibratedRGB(1, 0, 0), magenta = Color::calibratedRGB(1, 0, 1);  // hues 0 and 300
  // Chromatic: 0 up to 300, halfway is hue 150.
  expectColor(twoStops(red, magenta, 1)->colorAtPosition(0.5f), 0, 1, 0.5f, 1, 1e-6f);
  // Inverse: 360 down to 300, halfway is hue 330.
  expectColor(twoStops(red, magenta, 2)->colorAtPosition(0.5f), 1, 0, 0.5f, 1, 1e-6f);
  // The raised red end comes back as hue 1 (360 wraps at 359).
  expectColor(twoStops(red, magenta, 2)->colorAtPosition(0), 1, 1.0f / 60, 0, 1, 1e-6f);
  expectColor(twoStops(red, magenta, 2)->colorAtPosition(-1), 1, 1.0f / 60, 0, 1, 1e-6f);
  // Chromatic ends are exact where no hue was raised.
  expectColor(twoStops(red, magenta, 1)->colorAtPosition(1), 1, 0, 1, 1, 1e-6f);
}

TEST(XGradient, GreyTakesItsNeighboursHue) {
  const Color grey = Color::calibratedWhite(0.5), red = Color::calibratedRGB(1, 0, 0);
  // Hue 0 throughout: saturation 0.5, value 0.75 halfway; no swing through green or blue.
  expectColor(twoStops(grey, red, 1)->colorAtPosition(0.5f), 0.75f, 0.375f, 0.375f, 1, 1e-6f);
  expectColor(twoStops(red, grey, 2)->colorAtPosition(0.5f), 0.75f, 0.375f, 0.375f, 1, 1e-6f);
  // Two greys: hue 0 and no saturation, a plain grey ramp.
  expectColor(twoStops(Color::blackColor(), Color::whiteColor(), 1)->colorAtPosition(0.25f), 0.25f, 0.25f, 0.25f, 1, 1e-6f);
  // Alpha is interpolated along.
  auto fading = XGradient::gradient()->addColorStop(Color::calibratedRGB(0, 0, 1, 0), 0)->addColorStop(red, 1)->gradientWithBlendingMode(1);
  EXPECT_NEAR(fading->colorAtPosition(0.5f).alphaComponent(), 0.5, 1e-6);
}

TEST(XGradient, HSVConversions) {
  float h, s, v;
  drawing::rgbToHsv(0.5f, 0.5f, 0.5f, h, s, v);
  EXPECT_TRUE(std::isnan(h));
  EXPECT_EQ(s, 0);
  EXPECT_EQ(v, 0.5f);
  drawing::rgbToHsv(0, 0, 0, h, s, v);
  EXPECT_EQ(s, 0);
  drawing::rgbToHsv(0.54f, 0, 1, h, s, v);
  EXPECT_NEAR(h, 272.4f, 1e-4f);
  drawing::rgbToHsv(0.2f, 0.8f, 0.5f, h, s, v);
  EXPECT_NEAR(h, 150, 1e-4f);
  EXPECT_NEAR(s, 0.75f, 1e-6f);
  float r, g, b;
  // A hue below zero wraps round the circle like any other: -30 is 330, every channel within the value.
  drawing::hsvToRgb(-30, 1, 0.5f, r, g, b);
  EXPECT_FLOAT_EQ(r, 0.5f);
  EXPECT_FLOAT_EQ(g, 0);
  EXPECT_FLOAT_EQ(b, 0.25f);
  for (float hue : {0.0f, 59.0f, 61.0f, 179.0f, 181.0f, 299.0f, 301.0f, 358.0f}) {
    drawing::hsvToRgb(hue, 0.8f, 0.9f, r, g, b);
    drawing::rgbToHsv(r, g, b, h, s, v);
    EXPECT_NEAR(h, hue, 1e-3f) << hue;
    EXPECT_NEAR(s, 0.8f, 1e-5f);
    EXPECT_NEAR(v, 0.9f, 1e-6f);
  }
  drawing::hsvToRgb(359, 1, 1, r, g, b);  // wraps to hue 0
  EXPECT_EQ(r, 1);
  EXPECT_EQ(g, 0);
}

TEST(XGradientArchive, RoundTripKeepsStopsOrderAndMode) {
  auto g = XGradient::hydrogenSpectrumGradient()->addColorStop(Color::calibratedRGB(0.1, 0.2, 0.3, 0.4), 0.71f);
  const std::string bytes = platform::KeyedArchiver::archivedDataWithRootObject(g);
  auto back = std::dynamic_pointer_cast<XGradient>(platform::KeyedUnarchiver::unarchiveObjectWithData(bytes));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->blendingMode(), 1);
  ASSERT_EQ(back->elementCount(), g->elementCount());
  for (unsigned i = 0; i < g->elementCount(); ++i) {
    const XGradientElement &a = g->elements()[i], &b = back->elements()[i];
    EXPECT_EQ(a.red, b.red);
    EXPECT_EQ(a.green, b.green);
    EXPECT_EQ(a.blue, b.blue);
    EXPECT_EQ(a.alpha, b.alpha);
    EXPECT_EQ(a.position, b.position);
  }
}

TEST(XGradientArchive, FiveUnkeyedFloatsPerStopThenCountAndMode) {
  auto g = twoStops(Color::calibratedRGB(0.25, 0.5, 0.75, 1), Color::calibratedWhite(0.125, 0.5), 2);
  platform::PlistValue archive = platform::KeyedArchiver::archivedPlistWithRootObject(g);
  const platform::PlistArray& objects = archive.dictionary().find("$objects")->array();
  const platform::PlistDictionary* object = nullptr;
  for (const auto& o : objects)
    if (o.isDictionary() && o.dictionary().contains("XGradientElementCount")) object = &o.dictionary();
  ASSERT_TRUE(object);
  EXPECT_EQ(object->find("XGradientElementCount")->integer(), 2);
  EXPECT_EQ(object->find("XGradientBlendingMode")->integer(), 2);
  const std::vector<double> expected = {0.25, 0.5, 0.75, 1, 0, 0.125, 0.125, 0.125, 0.5, 1};
  for (size_t i = 0; i < expected.size(); ++i) {
    const platform::PlistValue* v = object->find("$" + std::to_string(i));
    ASSERT_TRUE(v) << i;
    EXPECT_EQ(*v->number(), expected[i]) << i;
  }
  EXPECT_FALSE(object->contains("$10"));
}

TEST(XGradientArchive, NonKeyedCodersAndDamagedArchivesAreRefused) {
  platform::SequentialArchiver sequential;
  try {
    XGradient().encodeWithCoder(sequential);
    FAIL() << "no exception";
  } catch (const platform::InvalidArchiveOperationException& e) {
    EXPECT_STREQ(e.what(), "Only supports NSKeyedArchiver coders");
  }
  EXPECT_TRUE(sequential.values().empty());

  // A count that does not fit the archive gives no object rather than a huge or negative list.
  auto g = twoStops(Color::blackColor(), Color::whiteColor(), 0);
  platform::PlistValue archive = platform::KeyedArchiver::archivedPlistWithRootObject(g);
  for (auto& o : archive.dictionary().find("$objects")->array())
    if (o.isDictionary() && o.dictionary().contains("XGradientElementCount"))
      o.dictionary().set("XGradientElementCount", platform::PlistValue(int64_t(-4)));
  EXPECT_FALSE(platform::KeyedUnarchiver::unarchiveObjectWithPlist(archive));
}
