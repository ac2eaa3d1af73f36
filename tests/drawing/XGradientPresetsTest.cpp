#include <gtest/gtest.h>

#include "drawing/XGradient.h"

using drawing::XGradient;
using platform::Color;

namespace {

float grey(const std::shared_ptr<XGradient>& g, float p) {
  Color c = g->colorAtPosition(p);
  EXPECT_EQ(c.redComponent(), c.greenComponent());
  EXPECT_EQ(c.greenComponent(), c.blueComponent());
  return float(c.redComponent());
}

}  // namespace

TEST(XGradientPresets, EveryPresetIsOrderedAndNamed) {
  for (const std::string& name : XGradient::presetNames()) {
    auto g = XGradient::presetNamed(name);
    ASSERT_TRUE(g) << name;
    ASSERT_GE(g->elementCount(), 2u) << name;
    for (size_t i = 1; i < g->elementCount(); ++i)
      EXPECT_LE(g->elements()[i - 1].position, g->elements()[i].position) << name;
    if (name == "hydrogenSpectrumGradient") continue;  // its ends are the outer line stops
    EXPECT_EQ(g->elements().front().position, 0) << name;
    EXPECT_EQ(g->elements().back().position, 1) << name;
  }
  EXPECT_EQ(XGradient::presetNames().size(), 24u);
  EXPECT_FALSE(XGradient::presetNamed("plumoBlackPlasticGradientWithAlpha:position:"));
  EXPECT_FALSE(XGradient::presetNamed("noSuchGradient"));
  EXPECT_EQ(XGradient::plumoScrollBarThumbGradient()->elements()[0].red, 0.72156864f);  // 184/255
  EXPECT_EQ(XGradient::plumoLevelMetersGradient()->elements()[2].alpha, 0.5f);
}

TEST(XGradientPresets, PlasticAndHeaderLooks) {
  auto tab = XGradient::plumoHUDButtonTabGradient();  // inserted from 1 down to 0
  EXPECT_EQ(grey(tab, 0), 0.12f);
  EXPECT_EQ(grey(tab, 1), 0.22f);
  EXPECT_EQ(grey(tab, 0.4999f), 0.17f);
  EXPECT_EQ(grey(tab, 0.5001f), 0.2f);

  auto header = XGradient::plumoTableViewHeaderGradient();
  EXPECT_FLOAT_EQ(grey(header, 0.25f), 0.95f + (0.84f - 0.95f) * (0.25f / 0.4999f));

  auto hud = XGradient::plumoHUDButtonGradient(), plastic2 = XGradient::plumoBlackPlasticGradientII();
  ASSERT_EQ(hud->elementCount(), plastic2->elementCount());
  for (size_t i = 0; i < hud->elementCount(); ++i) EXPECT_EQ(hud->elements()[i].red, plastic2->elements()[i].red);
  EXPECT_EQ(XGradient::plumoBlackPlasticGradient()->elements()[2].red, float(7 / 255.0));
}

TEST(XGradientPresets, BlackPlasticWithAlphaAndPosition) {
  const float p = 21.0f / 58.0f;
  EXPECT_EQ(p, 0.36206895f);
  auto g = XGradient::plumoBlackPlasticGradientWithAlpha(0.88f, p);
  ASSERT_EQ(g->elementCount(), 5u);
  const std::vector<float> positions = {0, float(double(p) - 0.0001), p, float(double(p) + 0.0001), 1};
  const std::vector<float> greys = {0.19f, 0.14f, 0.12f, 0.09f, 0.06f};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(g->elements()[i].position, positions[i]);
    EXPECT_EQ(g->elements()[i].red, greys[i]);
    EXPECT_EQ(g->elements()[i].alpha, 0.88f);
  }
  // A position near 0 puts the offset stop before 0: the list follows the positions.
  auto edge = XGradient::plumoBlackPlasticGradientWithAlpha(1, 0.00005f);
  EXPECT_LT(edge->elements()[0].position, 0);
  EXPECT_EQ(edge->elements()[0].red, 0.14f);
  EXPECT_EQ(edge->elements()[1].red, 0.19f);
}

TEST(XGradientPresets, AquaHardEdges) {
  auto normal = XGradient::aquaNormalGradient();
  EXPECT_EQ(grey(normal, 0.5f), 0.83f);
  const float justAfter = grey(normal, 0.5001f);
  EXPECT_LT(justAfter, 0.95f);
  EXPECT_GT(justAfter, 0.949f);
  EXPECT_EQ(grey(normal, 1), 0.92f);
  EXPECT_EQ(grey(XGradient::aquaPressedGradient(), 0.5f), 0.64f);
  auto selected = XGradient::aquaSelectedGradient();
  EXPECT_EQ(selected->colorAtPosition(0.5f).blueComponent(), 0.9f);
  EXPECT_NEAR(selected->colorAtPosition(0.50001f).blueComponent(), 0.94f, 1e-4);
}

TEST(XGradientPresets, RainbowIsHue136Halfway) {
  auto rainbow = XGradient::rainbowGradient();
  EXPECT_EQ(rainbow->blendingMode(), 1);
  Color c = rainbow->colorAtPosition(0.5f);
  // Hue 136.2: (0, 1, f) with f = 136.2 / 60 - 2.
  EXPECT_NEAR(c.redComponent(), 0, 1e-6);
  EXPECT_NEAR(c.greenComponent(), 1, 1e-6);
  EXPECT_NEAR(c.blueComponent(), 136.2 / 60 - 2, 1e-5);
  EXPECT_EQ(c.alphaComponent(), 1);
}

TEST(XGradientPresets, HydrogenSpectrumStops) {
  struct Row {
    float position, red, green, blue;
  };
  const Row table[] = {
      {0.135f, 0.001f, 0.00033667f, 0},      {0.145f, 1, 0.36666667f, 0},           {0.155f, 0.001f, 0.00039667f, 0},
      {0.702f, 0, 0.00069067f, 0.001f},      {0.71f, 0, 0.66666667f, 1},            {0.718f, 0, 0.00064267f, 0.001f},
      {0.88f, 0.00020167f, 0, 0.001f},       {0.885f, 0.21666667f, 0, 1},           {0.89f, 0.00023167f, 0, 0.001f},
      {0.962f, 0.00057433f, 0, 0.001f},      {0.965f, 0.58333333f, 0, 1},           {0.968f, 0.00059233f, 0, 0.001f}};
  auto g = XGradient::hydrogenSpectrumGradient();
  EXPECT_EQ(g->blendingMode(), 1);
  ASSERT_EQ(g->elementCount(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const auto& e = g->elements()[i];
    EXPECT_NEAR(e.position, table[i].position, 1e-6);
    // The table has eight decimals.
    EXPECT_NEAR(e.red, table[i].red, 1e-8 + 1e-6 * table[i].red);
    EXPECT_NEAR(e.green, table[i].green, 1e-8 + 1e-6 * table[i].green);
    EXPECT_NEAR(e.blue, table[i].blue, 1e-8 + 1e-6 * table[i].blue);
    EXPECT_EQ(e.alpha, 1);
  }
  // Before the first line and after the last: the near-black end stops.
  EXPECT_NEAR(g->colorAtPosition(0).greenComponent(), 0.00033667, 1e-7);
  EXPECT_NEAR(g->colorAtPosition(1).redComponent(), 0.00059233, 1e-7);
}
