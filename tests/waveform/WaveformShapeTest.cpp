#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/TestSupport.h"
#include "tests/waveform/WaveformFixtures.h"
#include "waveform/XAudioAnalyser.h"

using namespace platform;
using testsupport::fixture;

namespace {

std::shared_ptr<BezierPath> waveform(const std::string& name, uint32_t n, std::shared_ptr<XAudioAnalyser>* keep = nullptr) {
  auto a = XAudioAnalyser::init();
  auto path = a->waveformForFileAtPath(fixture(name), Size{100, 100}, n);
  EXPECT_EQ(a->audioLength(), 0u);  // cleared after shaping
  EXPECT_FALSE(a->isScanning());
  if (keep) *keep = a;
  return path;
}

// The expected points of a curve shaped to n points: block means, scaled by the largest magnitude.
std::vector<Point> expectedPoints(const std::vector<float>& curve, uint32_t n) {
  size_t per = curve.size() / n;
  std::vector<float> c(n);
  float peak = 0;
  for (uint32_t i = 0; i < n; ++i) {
    float s = 0;
    for (size_t k = 0; k < per; ++k) s += curve[i * per + k];
    c[i] = s / static_cast<float>(per);
    peak = std::max(peak, std::fabs(c[i]));
  }
  std::vector<Point> out{{0, 50}};
  for (uint32_t i = 1; i < n; ++i)
    out.push_back({static_cast<float>(i) * 100.0f / static_cast<float>(n - 1), static_cast<float>(c[i] / peak * 45.0 + 50.0)});
  return out;
}

void expectPoints(const BezierPath& path, const std::vector<Point>& expected) {
  ASSERT_EQ(path.elementCount(), expected.size());
  EXPECT_EQ(path.elementAtIndex(0).type, PathElementType::MoveTo);
  for (size_t i = 0; i < expected.size(); ++i) {
    if (i > 0) {
      EXPECT_EQ(path.elementAtIndex(i).type, PathElementType::LineTo);
    }
    EXPECT_NEAR(path.elementAtIndex(i).points[0].x, expected[i].x, 1e-4) << i;
    EXPECT_NEAR(path.elementAtIndex(i).points[0].y, expected[i].y, 1e-3) << i;
  }
}

}  // namespace

TEST(XAudioAnalyserCurve, CompressNormalizeAverageMaximum) {
  std::vector<float> v = {0.4f, -0.8f, 0.2f, 0.0f};
  XAudioAnalyser::normalizeSignedCurve(v.data(), 4);
  EXPECT_EQ(v, (std::vector<float>{0.5f, -1.0f, 0.25f, 0.0f}));  // the negative peak scales
  EXPECT_FLOAT_EQ(XAudioAnalyser::averageValueForCurve(v.data(), 4), -0.25f / 4);
  EXPECT_EQ(XAudioAnalyser::maximumValueForCurve(v.data(), 4), 0.5f);
  std::vector<float> silent(5, 0.0f);
  XAudioAnalyser::normalizeSignedCurve(silent.data(), 5);
  EXPECT_EQ(silent, std::vector<float>(5, 0.0f));

  // Block means of a scanned curve; values past n x per are left out.
  std::shared_ptr<XAudioAnalyser> a;
  testing::internal::CaptureStdout();
  a = XAudioAnalyser::initWithAudioFilePath(fixture("wf-1000.wav"));
  testing::internal::GetCapturedStdout();
  std::vector<float> curve = waveformfixtures::summedCurve(1000);
  std::vector<float> out(3, 99.0f);
  a->compressedWaveform(out.data(), 3);  // per = 333
  for (int i = 0; i < 3; ++i) {
    float s = 0;
    for (int k = 0; k < 333; ++k) s += curve[i * 333 + k];
    EXPECT_FLOAT_EQ(out[i], s / 333) << i;
  }
  std::vector<float> many(2000, 99.0f);
  a->compressedWaveform(many.data(), 2000);  // per = 0: no averages, zeros
  EXPECT_EQ(many, std::vector<float>(2000, 0.0f));
  a->compressedWaveform(nullptr, 0);
}

TEST(XAudioAnalyserWaveform, PointCountsFollowTheFileLength) {
  // 2 frames: n becomes 1, only the move-to.
  auto two = waveform("wf-2.wav", 2000);
  ASSERT_TRUE(two);
  ASSERT_EQ(two->elementCount(), 1u);
  EXPECT_EQ(two->elementAtIndex(0).points[0], (Point{0, 50}));
  EXPECT_EQ(two->lineWidth(), 0.75);

  // 1000 frames: n = 999, per = 1, 999 points.
  auto thousand = waveform("wf-1000.wav", 2000);
  ASSERT_TRUE(thousand);
  expectPoints(*thousand, expectedPoints(waveformfixtures::summedCurve(1000), 999));
  EXPECT_EQ(thousand->elementAtIndex(998).points[0].x, 100.0);

  // Exactly as many frames as points asked for: n is lowered too, to 999.
  auto equal = waveform("wf-1000.wav", 1000);
  ASSERT_TRUE(equal);
  expectPoints(*equal, expectedPoints(waveformfixtures::summedCurve(1000), 999));
  // One point fewer than frames: nothing to lower, the same 999 points.
  auto fewer = waveform("wf-1000.wav", 999);
  ASSERT_TRUE(fewer);
  EXPECT_EQ(fewer->elementCount(), 999u);

  // 4001 frames: per = 2; the full-scale last frame is not used, so the scale is the content's.
  auto odd = waveform("wf-4001.wav", 2000);
  ASSERT_TRUE(odd);
  expectPoints(*odd, expectedPoints(waveformfixtures::summedCurve(4000), 2000));

  EXPECT_FALSE(waveform("wf-empty.wav", 2000));
  EXPECT_FALSE(waveform("wf-1000.wav", 0));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(waveform("not-a-movie.txt", 2000));
  testing::internal::GetCapturedStdout();
}

TEST(XAudioAnalyserWaveform, SilenceAndNegativePeak) {
  std::shared_ptr<XAudioAnalyser> a;
  auto silent = waveform("wf-silence.wav", 2000, &a);
  ASSERT_TRUE(silent);
  ASSERT_EQ(silent->elementCount(), 2000u);
  for (const auto& e : silent->elements()) EXPECT_EQ(e.points[0].y, 50.0);
  EXPECT_EQ(a->meanValue(), 0.0f);
  EXPECT_EQ(a->maximumValue(), 0.0f);

  // Minimum -0.75 at frame 10, maximum 0.375 at frame 500: scaled to -1 and 0.5.
  auto neg = waveform("wf-negative-peak.wav", 2000, &a);
  ASSERT_TRUE(neg);
  ASSERT_EQ(neg->elementCount(), 999u);
  EXPECT_FLOAT_EQ(static_cast<float>(neg->elementAtIndex(10).points[0].y), 5.0f);
  EXPECT_FLOAT_EQ(static_cast<float>(neg->elementAtIndex(500).points[0].y), 72.5f);
  EXPECT_FLOAT_EQ(a->maximumValue(), 0.5f);
  EXPECT_FLOAT_EQ(a->meanValue(), 1.5f / 999);
}
