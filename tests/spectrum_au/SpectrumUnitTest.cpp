// The spectrum analyser unit in-process: band mapping, band values, re-arming, the parameter,
// slice lengths, pass-through, and where the 32-bit and 64-bit units differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/spectrum_au/UnitHarness.h"

using spectrumtest::tone;
using spectrumtest::UnitHarness;

namespace {

template <class Unit>
class SpectrumUnitTest : public ::testing::Test {
 protected:
  UnitHarness<Unit> h;
};
using Units = ::testing::Types<XACfftAU, OrrinthAU>;
TYPED_TEST_SUITE(SpectrumUnitTest, Units);

// The unit's own band-edge table, read back from it.
template <class Unit>
std::vector<float> bandEdgesOf(const Unit& unit) {
  std::vector<float> edges;
  CFArrayRef table = unit.BandEdges();
  for (CFIndex i = 0; table && i < CFArrayGetCount(table); ++i) {
    float edge = -1;
    CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(table, i)), kCFNumberFloatType, &edge);
    edges.push_back(edge);
  }
  return edges;
}

TYPED_TEST(SpectrumUnitTest, BandEdgesMapToBinsAt44100And32000) {
  ASSERT_EQ(this->h.setFormat(44100, 2), noErr);
  // Each band's bins at 44100 Hz, [first, last], from the unit's table: band 0 starts at 0 Hz and
  // each later band at the edge of the one before, so neighbouring bands share their edge bin.
  const std::vector<float> edges = bandEdgesOf(this->h.unit());
  ASSERT_EQ(edges.size(), 16u);
  const int lastBin[16] = {1, 2, 3, 6, 8, 10, 12, 15, 16, 17, 20, 23, 26, 52, 93, 192};
  for (size_t i = 0; i < 16; ++i) {
    const int first = this->h.unit().FreqToIndex(i == 0 ? 0.0f : edges[i - 1]);
    EXPECT_EQ(first, i == 0 ? 0 : lastBin[i - 1]) << "band " << i;
    EXPECT_EQ(this->h.unit().FreqToIndex(edges[i]), lastBin[i]) << "band " << i << " ends at " << edges[i] << " Hz";
  }
  EXPECT_EQ(edges.front(), 50.0f);
  EXPECT_EQ(edges.back(), 16500.0f);
  // Half a bin is 44100 / 1024 = 43.07 Hz: below it bin 0, above nyquist minus it bin 255.
  EXPECT_EQ(this->h.unit().FreqToIndex(43.0f), 0);
  EXPECT_EQ(this->h.unit().FreqToIndex(43.1f), 1);
  EXPECT_EQ(this->h.unit().FreqToIndex(22007.0f), 255);
  EXPECT_EQ(this->h.unit().FreqToIndex(21990.0f), 255);  // 255.3 rounds to 255 too

  ASSERT_EQ(this->h.setFormat(32000, 2), noErr);
  EXPECT_EQ(this->h.unit().FreqToIndex(16500.0f), 255);  // above nyquist - halfBin (15968.75)
  EXPECT_EQ(this->h.unit().FreqToIndex(8000.0f), 128);
  EXPECT_EQ(this->h.unit().FreqToIndex(50.0f), 1);
  EXPECT_EQ(this->h.unit().FreqToIndex(31.0f), 0);  // half a bin is 31.25 Hz
  EXPECT_EQ(this->h.unit().FreqToIndex(15960.0f), 255);
}

TYPED_TEST(SpectrumUnitTest, PureToneFillsItsBandAndNormalisesByThePeakBin) {
  ASSERT_EQ(this->h.initialize(44100, 1), noErr);
  // Bin 9 (775 Hz) lies inside band 5 (700-850 Hz: bins 8..10); a sine of amplitude 0.5 at a
  // bin centre gives 2 * 512/2 * 0.5 = 256 there and nothing elsewhere.
  ASSERT_EQ(this->h.render({tone(9, 512)}), noErr);
  const auto values = this->h.spectrum();
  ASSERT_EQ(values.size(), 16u);
  EXPECT_NEAR(values[5], 1.0f / 3.0f, 1e-4);  // the band mean over 3 bins, over the peak bin
  for (size_t i = 0; i < 16; ++i) {
    if (i != 5) {
      EXPECT_LT(values[i], 1e-4) << "band " << i;
    }
    EXPECT_GE(values[i], 0.0f);
    EXPECT_LE(values[i], 1.0f);
  }
  EXPECT_EQ(*std::max_element(values.begin(), values.end()), values[5]);
}

TYPED_TEST(SpectrumUnitTest, QuietAudioIsNotScaledUp) {
  ASSERT_EQ(this->h.initialize(44100, 1), noErr);
  // Peak bin magnitude 512 * 0.001 = 0.512 < 1: the values are the raw band means.
  ASSERT_EQ(this->h.render({tone(9, 512, 0.001)}), noErr);
  const auto values = this->h.spectrum();
  EXPECT_NEAR(values[5], 0.512f / 3.0f, 1e-5);
}

TYPED_TEST(SpectrumUnitTest, MonoReadsReArmChannelZeroEveryTime) {
  ASSERT_EQ(this->h.initialize(44100, 1), noErr);
  ASSERT_EQ(this->h.render({tone(40, 512)}), noErr);  // band 13
  EXPECT_GT(this->h.spectrum()[13], 0.01f);
  EXPECT_TRUE(this->h.unit().KernelAt(0)->IsDirty());
  ASSERT_EQ(this->h.render({tone(70, 512)}), noErr);  // band 14
  ASSERT_EQ(this->h.render({tone(120, 512)}), noErr);  // not transformed: the kernel disarmed
  const auto values = this->h.spectrum();
  EXPECT_GT(values[14], 0.01f);
  EXPECT_LT(values[13], 1e-4);
  EXPECT_LT(values[15], 1e-4);
  EXPECT_EQ(this->h.unit().SpectrumReadCount(), 2u);
}

TYPED_TEST(SpectrumUnitTest, StereoReadsReArmTheChannelsInTurnAndAverageThem) {
  ASSERT_EQ(this->h.initialize(44100, 2), noErr);
  auto& unit = this->h.unit();
  // Both kernels start armed.
  ASSERT_EQ(this->h.render({tone(40, 512), tone(40, 512)}), noErr);
  auto values = this->h.spectrum();  // read 1 re-arms channel 0
  EXPECT_GT(values[13], 0.01f);
  EXPECT_TRUE(unit.KernelAt(0)->IsDirty());
  EXPECT_FALSE(unit.KernelAt(1)->IsDirty());

  ASSERT_EQ(this->h.render({tone(70, 512), tone(70, 512)}), noErr);
  values = this->h.spectrum();  // left from the second slice, right still from the first
  EXPECT_GT(values[13], 0.01f);
  EXPECT_GT(values[14], 0.01f);
  EXPECT_FALSE(unit.KernelAt(0)->IsDirty());
  EXPECT_TRUE(unit.KernelAt(1)->IsDirty());  // read 2 re-arms channel 1

  ASSERT_EQ(this->h.render({tone(120, 512), tone(120, 512)}), noErr);
  values = this->h.spectrum();
  EXPECT_LT(values[13], 1e-4);
  EXPECT_GT(values[14], 0.01f);  // left unchanged
  EXPECT_GT(values[15], 0.001f);  // right now from the third slice
  EXPECT_TRUE(unit.KernelAt(0)->IsDirty());
  EXPECT_EQ(unit.SpectrumReadCount(), 3u);
}

TYPED_TEST(SpectrumUnitTest, StereoValuesAverageTheTwoChannels) {
  ASSERT_EQ(this->h.initialize(44100, 2), noErr);
  // Left: bin 9 at 0.5 (256); right: bin 9 at 0.25 (128). Bin magnitude (256 + 128) / 2 = 192.
  ASSERT_EQ(this->h.render({tone(9, 512, 0.5), tone(9, 512, 0.25)}), noErr);
  EXPECT_NEAR(this->h.spectrum()[5], 1.0f / 3.0f, 1e-4);
  // Left silent: the peak is the right channel's half, 64 (in a fresh unit).
  UnitHarness<TypeParam> other;
  ASSERT_EQ(other.initialize(44100, 2), noErr);
  ASSERT_EQ(other.render({std::vector<float>(512, 0.0f), tone(9, 512, 0.25)}), noErr);
  EXPECT_NEAR(other.spectrum()[5], 1.0f / 3.0f, 1e-4);
}

TYPED_TEST(SpectrumUnitTest, TwoReadsWithoutARenderAreEqual) {
  ASSERT_EQ(this->h.initialize(44100, 2), noErr);
  ASSERT_EQ(this->h.render({tone(30, 512), tone(75, 512)}), noErr);
  const auto first = this->h.spectrum();
  const auto second = this->h.spectrum();
  EXPECT_EQ(first, second);
  EXPECT_EQ(this->h.unit().SpectrumReadCount(), 2u);
}

TYPED_TEST(SpectrumUnitTest, ReadBeforeInitialiseGivesSixteenZeros) {
  const auto values = this->h.spectrum();
  EXPECT_EQ(values, std::vector<float>(16, 0.0f));
  EXPECT_EQ(this->h.unit().SpectrumReadCount(), 0u);
}

TYPED_TEST(SpectrumUnitTest, SpectrumLengthParameterInfoAndErrors) {
  auto& unit = this->h.unit();
  AudioUnitParameterInfo info{};
  ASSERT_EQ(unit.GetParameterInfo(kAudioUnitScope_Global, 0, info), noErr);
  EXPECT_STREQ(info.name, "Spectrum Length");
  EXPECT_TRUE(CFEqual(info.cfNameString, CFSTR("Spectrum Length")));
  EXPECT_EQ(info.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_EQ(info.minValue, 12.0f);
  EXPECT_EQ(info.maxValue, 256.0f);
  EXPECT_EQ(info.defaultValue, 16.0f);
  EXPECT_EQ(info.flags, 0xC8000000u);

  AudioUnitParameterInfo bad{};
  EXPECT_EQ(unit.GetParameterInfo(kAudioUnitScope_Input, 0, bad), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(bad.flags, 0xC0000000u);  // readable and writable are set even on failure
  EXPECT_EQ(unit.GetParameterInfo(kAudioUnitScope_Global, 1, bad), kAudioUnitErr_InvalidParameter);
  CFArrayRef strings = nullptr;
  EXPECT_EQ(unit.GetParameterValueStrings(kAudioUnitScope_Global, 0, &strings), kAudioUnitErr_InvalidProperty);
  UInt32 size = 0;
  EXPECT_EQ(unit.DispatchGetPropertyInfo(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, 0, &size, nullptr),
            kAudioUnitErr_InvalidProperty);

  AudioUnitParameterValue value = 0;
  ASSERT_EQ(unit.GetParameter(0, kAudioUnitScope_Global, 0, value), noErr);
  EXPECT_EQ(value, 16.0f);
  EXPECT_EQ(unit.GetParameter(1, kAudioUnitScope_Global, 0, value), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(unit.GetParameter(0, kAudioUnitScope_Global, 1, value), kAudioUnitErr_InvalidElement);
  UInt32 count = 0;
  ASSERT_EQ(unit.DispatchGetPropertyInfo(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &count, nullptr), noErr);
  EXPECT_EQ(count, sizeof(AudioUnitParameterID));
}

TYPED_TEST(SpectrumUnitTest, SpectrumLengthDoesNotChangeTheSpectrum) {
  UnitHarness<TypeParam> other;
  ASSERT_EQ(this->h.initialize(44100, 2), noErr);
  ASSERT_EQ(other.initialize(44100, 2), noErr);
  ASSERT_EQ(other.unit().SetParameter(0, kAudioUnitScope_Global, 0, 200.0f, 0), noErr);
  const std::vector<std::vector<float>> slice = {tone(13.3, 512), tone(77.7, 512, 0.3)};
  ASSERT_EQ(this->h.render(slice), noErr);
  ASSERT_EQ(other.render(slice), noErr);
  EXPECT_EQ(this->h.spectrum(), other.spectrum());
  AudioUnitParameterValue value = 0;
  other.unit().GetParameter(0, kAudioUnitScope_Global, 0, value);
  EXPECT_EQ(value, 200.0f);
}

TYPED_TEST(SpectrumUnitTest, A384FrameSliceTransformsTheFirst256Samples) {
  ASSERT_EQ(this->h.initialize(44100, 1), noErr);
  std::mt19937 random(5);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  std::vector<float> x(384);
  for (float& v : x) v = sample(random);
  ASSERT_EQ(this->h.render({x}), noErr);

  // Reference: the 256-point transform of the first 256 samples.
  FFTSetup setup = vDSP_create_fftsetup(8, kFFTRadix2);
  std::vector<float> re(128), im(128);
  DSPSplitComplex split{re.data(), im.data()};
  vDSP_ctoz(reinterpret_cast<const DSPComplex*>(x.data()), 2, &split, 1, 128);
  vDSP_fft_zrip(setup, &split, 1, 8, kFFTDirection_Forward);
  vDSP_destroy_fftsetup(setup);

  const DSPSplitComplex& kernel = this->h.unit().KernelAt(0)->SplitComplex();
  for (size_t k = 0; k < 128; ++k) {
    EXPECT_FLOAT_EQ(kernel.realp[k], re[k]) << k;
    EXPECT_FLOAT_EQ(kernel.imagp[k], im[k]) << k;
  }
  // Elements 128..191 hold the packed samples 256..383 as they came in.
  for (size_t k = 128; k < 192; ++k) {
    EXPECT_EQ(kernel.realp[k], x[2 * k]);
    EXPECT_EQ(kernel.imagp[k], x[2 * k + 1]);
  }
  EXPECT_EQ(this->h.spectrum().size(), 16u);
}

TYPED_TEST(SpectrumUnitTest, ASliceLongerThan512TransformsItsFirst512Samples) {
  ASSERT_EQ(this->h.initialize(44100, 1, 4096), noErr);
  std::vector<float> x = tone(9, 4096);
  for (size_t n = 512; n < x.size(); ++n) x[n] = 0.9f;  // would show as DC if read
  ASSERT_EQ(this->h.render({x}), noErr);
  const auto values = this->h.spectrum();
  EXPECT_NEAR(values[5], 1.0f / 3.0f, 1e-4);
  EXPECT_LT(values[0], 1e-4);
  EXPECT_EQ(this->h.output()[0], x);
}

TYPED_TEST(SpectrumUnitTest, AudioPassesThroughBitExact) {
  std::mt19937 random(9);
  std::uniform_int_distribution<uint32_t> bits;
  auto randomSlice = [&](size_t frames) {
    std::vector<float> samples(frames);
    for (float& s : samples) {
      uint32_t b = bits(random);
      std::memcpy(&s, &b, sizeof s);  // any bit pattern, NaNs and denormals included
    }
    return samples;
  };
  ASSERT_EQ(this->h.initialize(48000, 2), noErr);
  for (size_t frames : {512u, 1u, 384u, 1000u, 512u}) {
    const std::vector<std::vector<float>> slice = {randomSlice(frames), randomSlice(frames)};
    ASSERT_EQ(this->h.render(slice), noErr);
    for (size_t c = 0; c < 2; ++c)
      EXPECT_EQ(std::memcmp(this->h.output()[c].data(), slice[c].data(), frames * sizeof(float)), 0) << frames;
    this->h.spectrum();
  }
  // Also with processing out of place and when bypassed.
  UInt32 off = 0, on = 1;
  ASSERT_EQ(this->h.unit().DispatchSetProperty(kAudioUnitProperty_InPlaceProcessing, kAudioUnitScope_Global, 0, &off, 4), noErr);
  const std::vector<std::vector<float>> slice = {randomSlice(256), randomSlice(256)};
  ASSERT_EQ(this->h.render(slice), noErr);
  EXPECT_EQ(std::memcmp(this->h.output()[1].data(), slice[1].data(), 256 * sizeof(float)), 0);
  ASSERT_EQ(this->h.unit().DispatchSetProperty(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, 4), noErr);
  ASSERT_EQ(this->h.render(slice), noErr);
  EXPECT_EQ(std::memcmp(this->h.output()[0].data(), slice[0].data(), 256 * sizeof(float)), 0);
}

// ---- Where the two units differ ----

TEST(SpectrumUnitDifferences, XACfftAUKeepsItsKernelsAcrossUninitialise) {
  UnitHarness<XACfftAU> h;
  ASSERT_EQ(h.initialize(44100, 1), noErr);
  ASSERT_EQ(h.render({tone(9, 512)}), noErr);
  const auto before = h.spectrum();
  auto* kernel = h.unit().KernelAt(0);
  h.unit().DoCleanup();
  EXPECT_EQ(h.unit().KernelAt(0), kernel);
  EXPECT_EQ(h.spectrum(), before);  // the last transform survives
  ASSERT_EQ(h.unit().DoInitialize(), noErr);
  EXPECT_EQ(h.unit().KernelAt(0), kernel);
  // Reset does nothing to the 32-bit kernel.
  ASSERT_EQ(h.render({tone(40, 512)}), noErr);
  h.spectrum();
  ASSERT_EQ(h.render({tone(40, 512)}), noErr);
  EXPECT_FALSE(kernel->IsDirty());
  ASSERT_EQ(h.unit().DoReset(kAudioUnitScope_Global, 0), noErr);
  EXPECT_FALSE(kernel->IsDirty());
  EXPECT_GT(h.spectrum()[13], 0.01f);
}

TEST(SpectrumUnitDifferences, OrrinthAUMakesNewArmedKernelsAfterCleanupAndReset) {
  UnitHarness<OrrinthAU> h;
  ASSERT_EQ(h.initialize(44100, 1), noErr);
  ASSERT_EQ(h.render({tone(9, 512)}), noErr);
  h.spectrum();
  ASSERT_EQ(h.render({tone(9, 512)}), noErr);
  h.unit().DoCleanup();
  EXPECT_EQ(h.unit().KernelCount(), 0u);
  EXPECT_EQ(h.spectrum(), std::vector<float>(16, 0.0f));
  ASSERT_EQ(h.unit().DoInitialize(), noErr);
  ASSERT_EQ(h.unit().KernelCount(), 1u);
  EXPECT_TRUE(h.unit().KernelAt(0)->IsDirty());
  // Reset gives the kernel a fresh (cleared) buffer and arms it.
  ASSERT_EQ(h.render({tone(9, 512)}), noErr);
  EXPECT_FALSE(h.unit().KernelAt(0)->IsDirty());
  ASSERT_EQ(h.unit().DoReset(kAudioUnitScope_Global, 0), noErr);
  EXPECT_TRUE(h.unit().KernelAt(0)->IsDirty());
  EXPECT_EQ(h.spectrum(), std::vector<float>(16, 0.0f));
}

}  // namespace
