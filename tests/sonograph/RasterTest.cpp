// The pixel computation against an independent reading of its formulas: HSV by the textbook's
// sector form, sample lookup by exact rational arithmetic on row and column.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "sonograph/SonographImageGeneration.h"

namespace {

struct Pixel {
  double b, g, r, a;
};

// Value v times the fully saturated hue h (0 <= h < 360): the six sectors of the hexcone.
void referenceHue(double h, double v, double rgb[3]) {
  const double sector = h / 60.0;
  const int i = int(std::floor(sector));
  const double f = sector - i;
  const double up = v * f, down = v * (1 - f);
  switch (i % 6) {
    case 0: rgb[0] = v, rgb[1] = up, rgb[2] = 0; break;
    case 1: rgb[0] = down, rgb[1] = v, rgb[2] = 0; break;
    case 2: rgb[0] = 0, rgb[1] = v, rgb[2] = up; break;
    case 3: rgb[0] = 0, rgb[1] = down, rgb[2] = v; break;
    case 4: rgb[0] = up, rgb[1] = 0, rgb[2] = v; break;
    default: rgb[0] = v, rgb[1] = 0, rgb[2] = down; break;
  }
}

// Row r of H reads band floor(16 r / H); column c of W reads history column floor(512 c / W).
Pixel referencePixel(const std::vector<double>& data, int W, int H, int r, int c, double gain, double red, double green,
                     double blue, double alpha, unsigned algorithm) {
  const int band = int((int64_t(r) * 16) / H);
  const int column = int((int64_t(c) * 512) / W);
  const double sample = data[size_t(band) * 512 + size_t(column)];
  const double value = gain * sample * 10;
  const double opacity = 100 * gain * sample * alpha;
  if (algorithm == 0) {
    double rgb[3];
    referenceHue(360.0 * r / H, value, rgb);
    return {blue * rgb[2], green * rgb[1], red * rgb[0], opacity};
  }
  return {value / 3, value / 3, value / 3, opacity};
}

std::vector<double> pseudoRandomHistory(uint32_t seed) {
  std::vector<double> data(SAMPLE_FREQUENCIES * SAMPLE_COLUMNS);
  for (auto& d : data) {
    seed = seed * 1664525u + 1013904223u;
    d = (seed >> 8) / double(1u << 24) * 0.3;  // 0 .. 0.3, so values cross 1 and alpha crosses 1
  }
  return data;
}

std::vector<float> raster(const std::vector<double>& data, int W, int H, float gain, float red, float green,
                          float blue, double alpha, unsigned algorithm) {
  std::vector<float> out(size_t(W) * H * 4, -1.0f);
  makeSonographRaster(data.data(), W, H, gain, red, green, blue, alpha, algorithm, out.data());
  return out;
}

void expectNear(float actual, double expected, const char* what, int r, int c) {
  EXPECT_NEAR(actual, expected, 2e-6 * std::max(1.0, std::fabs(expected))) << what << " at row " << r << ", column " << c;
}

struct Case {
  int W, H;
  float gain, red, green, blue;
  double alpha;
};

}  // namespace

TEST(SonographRaster, EveryPixelMatchesTheFormulasForBothAlgorithms) {
  const auto data = pseudoRandomHistory(7);
  const Case cases[] = {
      {7, 5, 0.5f, 0.5f, 0.5f, 0.5f, 0.5},  // the port defaults
      {33, 20, 1.0f, 1.0f, 0.25f, 0.75f, 1.0},
      {64, 48, 0.1f, 0.9f, 1.0f, 0.2f, 0.3},
      {1, 16, 0.5f, 1.0f, 1.0f, 1.0f, 1.0},   // one pixel wide, one row per band
      {700, 3, 0.8f, 0.3f, 0.6f, 0.9f, 0.05},  // wider than the history: columns repeat
  };
  for (const Case& k : cases) {
    for (unsigned algorithm : {0u, 1u}) {
      SCOPED_TRACE(testing::Message() << k.W << "x" << k.H << " algorithm " << algorithm);
      const auto out = raster(data, k.W, k.H, k.gain, k.red, k.green, k.blue, k.alpha, algorithm);
      for (int r = 0; r < k.H; ++r)
        for (int c = 0; c < k.W; ++c) {
          const Pixel p = referencePixel(data, k.W, k.H, r, c, k.gain, k.red, k.green, k.blue, k.alpha, algorithm);
          const float* q = &out[(size_t(r) * k.W + c) * 4];
          expectNear(q[0], p.b, "blue", r, c);
          expectNear(q[1], p.g, "green", r, c);
          expectNear(q[2], p.r, "red", r, c);
          expectNear(q[3], p.a, "alpha", r, c);
          if (HasFailure()) return;
        }
    }
  }
}

TEST(SonographRaster, ColumnsAndBandsReadWhereTheImageSizeSays) {
  // Sample = band × 1000 + column, so each pixel's source can be read back from its grey value.
  std::vector<double> data(SAMPLE_FREQUENCIES * SAMPLE_COLUMNS);
  for (int k = 0; k < SAMPLE_FREQUENCIES; ++k)
    for (int j = 0; j < SAMPLE_COLUMNS; ++j) data[size_t(k) * 512 + j] = k * 1000 + j;
  auto sourceOf = [](const std::vector<float>& out, int W, int r, int c) {
    // Gray with gain 0.3: grey = sample × 3 / 3 = sample.
    return int(std::lround(out[(size_t(r) * W + c) * 4]));
  };
  {
    // One pixel wide: only the oldest column.
    const auto out = raster(data, 1, 32, 0.3f, 1, 1, 1, 1, kSonographGray);
    for (int r = 0; r < 32; ++r) EXPECT_EQ(sourceOf(out, 1, r, 0), (r / 2) * 1000) << r;
  }
  {
    // 512 wide, 16 high: each history value exactly once.
    const auto out = raster(data, 512, 16, 0.3f, 1, 1, 1, 1, kSonographGray);
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 512; ++c) ASSERT_EQ(sourceOf(out, 512, r, c), r * 1000 + c) << r << "," << c;
  }
  {
    // 1024 wide: every column twice.
    const auto out = raster(data, 1024, 1, 0.3f, 1, 1, 1, 1, kSonographGray);
    for (int c = 0; c < 1024; ++c) ASSERT_EQ(sourceOf(out, 1024, 0, c), c / 2) << c;
  }
  {
    // 5 high skips bands: rows read bands 0, 3, 6, 9, 12.
    const auto out = raster(data, 2, 5, 0.3f, 1, 1, 1, 1, kSonographGray);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(sourceOf(out, 2, r, 0), (16 * r / 5) * 1000) << r;
  }
}

TEST(SonographRaster, LevelsColoursAndOpacity) {
  std::vector<double> data(SAMPLE_FREQUENCIES * SAMPLE_COLUMNS, 0.2);
  // Sample 0.2 at gain 0.5: value 1, opacity 10 × alpha.
  const auto rgb = raster(data, 4, 3, 0.5f, 1, 1, 1, 0.5, kSonographRGB);
  const float* bottom = &rgb[0];
  EXPECT_FLOAT_EQ(bottom[0], 0);  // blue
  EXPECT_FLOAT_EQ(bottom[1], 0);  // green
  EXPECT_FLOAT_EQ(bottom[2], 1);  // red: hue 0
  EXPECT_FLOAT_EQ(bottom[3], 5);  // 10 × 0.5, clamped later
  const float* third = &rgb[size_t(1) * 4 * 4];  // r / H = 1/3: hue 120
  EXPECT_NEAR(third[0], 0, 1e-6);
  EXPECT_NEAR(third[1], 1, 1e-6);
  EXPECT_NEAR(third[2], 0, 1e-6);

  // The colour multipliers scale their own channel only.
  const auto tinted = raster(data, 1, 3, 0.5f, 0.25f, 0.5f, 0.75f, 1, kSonographRGB);
  EXPECT_FLOAT_EQ(tinted[2], 0.25f);
  EXPECT_NEAR(tinted[4 + 1], 0.5f, 1e-6);

  // Gray: value / 3 in every colour channel, the multipliers unused.
  std::vector<double> three(SAMPLE_FREQUENCIES * SAMPLE_COLUMNS, 0.6);  // value 3 at gain 0.5
  const auto white = raster(three, 2, 2, 0.5f, 0.1f, 0.1f, 0.1f, 1, kSonographGray);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(white[size_t(i)], 1.0f);
  std::vector<double> half(SAMPLE_FREQUENCIES * SAMPLE_COLUMNS, 0.3);  // value 1.5
  const auto grey = raster(half, 2, 2, 0.5f, 1, 1, 1, 1, kSonographGray);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(grey[size_t(i)], 0.5f);

  // All zeros: transparent black everywhere.
  std::vector<double> zeros(SAMPLE_FREQUENCIES * SAMPLE_COLUMNS, 0.0);
  for (unsigned algorithm : {0u, 1u})
    for (float v : raster(zeros, 9, 7, 0.5f, 0.5f, 0.5f, 0.5f, 0.5, algorithm)) ASSERT_EQ(v, 0.0f);

  // An algorithm past the menu draws as Gray.
  const auto data2 = pseudoRandomHistory(3);
  EXPECT_EQ(raster(data2, 5, 5, 0.5f, 1, 1, 1, 1, 7), raster(data2, 5, 5, 0.5f, 1, 1, 1, 1, kSonographGray));
}

TEST(SonographRaster, HueTableAtItsBoundaries) {
  auto hue = [](double h, double s, double v) {
    float out[3];
    toRGBf(h, s, v, out);
    return std::vector<float>{out[0], out[1], out[2]};
  };
  using V = std::vector<float>;
  EXPECT_EQ(hue(0, 1, 1), (V{1, 0, 0}));
  EXPECT_EQ(hue(60, 1, 1), (V{1, 1, 0}));
  EXPECT_EQ(hue(120, 1, 1), (V{0, 1, 0}));
  EXPECT_EQ(hue(180, 1, 1), (V{0, 1, 1}));
  EXPECT_EQ(hue(240, 1, 1), (V{0, 0, 1}));
  EXPECT_EQ(hue(300, 1, 1), (V{1, 0, 1}));
  // Midway through each sector.
  EXPECT_EQ(hue(30, 1, 2), (V{2, 1, 0}));
  EXPECT_EQ(hue(90, 1, 2), (V{1, 2, 0}));
  EXPECT_EQ(hue(150, 1, 2), (V{0, 2, 1}));
  EXPECT_EQ(hue(210, 1, 2), (V{0, 1, 2}));
  EXPECT_EQ(hue(270, 1, 2), (V{1, 0, 2}));
  EXPECT_EQ(hue(330, 1, 2), (V{2, 0, 1}));
  // Continuous across every boundary.
  for (double b : {60.0, 120.0, 180.0, 240.0, 300.0}) {
    const V below = hue(b - 1e-9, 1, 1), above = hue(b + 1e-9, 1, 1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(below[size_t(i)], above[size_t(i)], 1e-6) << b;
  }
  // Saturation below 1 lifts the floor to m = v - s × v.
  const V pastel = hue(0, 0.5, 1);
  EXPECT_FLOAT_EQ(pastel[0], 1);
  EXPECT_FLOAT_EQ(pastel[1], 0.5f);
  EXPECT_FLOAT_EQ(pastel[2], 0.5f);
  EXPECT_EQ(hue(200, 0, 0.25), (V{0.25f, 0.25f, 0.25f}));
}
