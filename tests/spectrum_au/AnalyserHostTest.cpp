// The hosts' view of the analyser plug-in: loading and refusing modules, slices through the
// caller's buffers or the unit's own, and the spectrum read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "spectrum_au/host/SpectrumAnalyserUnit.h"
#include "tests/support/TestSupport.h"

using testsupport::binPath;

namespace {

constexpr double kRate = 44100;

std::vector<float> tone(double hz, size_t frames, float level = 0.5f) {
  std::vector<float> samples(frames);
  for (size_t i = 0; i < frames; ++i) samples[i] = level * float(std::sin(2 * M_PI * hz * double(i) / kRate));
  return samples;
}

TEST(AnalyserHost, RefusesWhatItCannotUse) {
  std::string error;
  EXPECT_FALSE(SpectrumAnalyserUnit::open(binPath("no-such-plugin.so"), kRate, 1, 512, error));
  EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(SpectrumAnalyserUnit::open("libc.so.6", kRate, 1, 512, error));
  EXPECT_NE(error.find("has no OrrinthAUEntry or XACfftAUEntry"), std::string::npos) << error;
  for (auto [channels, frames, rate] : {std::tuple{0u, 512u, kRate}, {1u, 0u, kRate}, {1u, 512u, 0.0}, {1u, 512u, NAN}}) {
    error.clear();
    EXPECT_FALSE(SpectrumAnalyserUnit::open(binPath("OrrinthAU.so"), rate, channels, frames, error));
    EXPECT_FALSE(error.empty());
  }

  auto unit = SpectrumAnalyserUnit::open(binPath("OrrinthAU.so"), kRate, 1, 256, error);
  ASSERT_TRUE(unit) << error;
  const std::vector<float> samples = tone(440, 512);
  const float* in[] = {samples.data()};
  EXPECT_FALSE(unit->render(in, 257, error));  // more than the slice size it was set up for
  EXPECT_NE(error.find("257 frames"), std::string::npos) << error;
  EXPECT_FALSE(unit->render(in, 0, error));
  EXPECT_TRUE(unit->render(in, 256, error)) << error;
}

// Three channels through the caller's buffers, slice by slice at their sample times: every sample
// comes out where it went in, and nothing beyond the slices is touched.
TEST(AnalyserHost, PassesTheAudioThroughTheCallersBuffers) {
  std::string error;
  constexpr unsigned kChannels = 3, kSlice = 300;
  constexpr size_t kFrames = 1000;  // the last slice is short
  auto unit = SpectrumAnalyserUnit::open(binPath("OrrinthAU.so"), kRate, kChannels, kSlice, error);
  ASSERT_TRUE(unit) << error;
  EXPECT_EQ(unit->channels(), kChannels);
  std::vector<std::vector<float>> input, output;
  for (unsigned c = 0; c < kChannels; ++c) {
    input.push_back(tone(200.0 * (c + 1), kFrames, 0.25f * float(c + 1)));
    output.emplace_back(kFrames + 1, -7.0f);
  }
  for (size_t position = 0; position < kFrames; position += kSlice) {
    const unsigned count = unsigned(std::min<size_t>(kSlice, kFrames - position));
    const float* in[kChannels];
    float* out[kChannels];
    for (unsigned c = 0; c < kChannels; ++c) {
      in[c] = input[c].data() + position;
      out[c] = output[c].data() + position;
    }
    ASSERT_TRUE(unit->render(in, count, error, out, double(position))) << error;
  }
  for (unsigned c = 0; c < kChannels; ++c) {
    EXPECT_EQ(std::memcmp(output[c].data(), input[c].data(), kFrames * sizeof(float)), 0) << "channel " << c;
    EXPECT_EQ(output[c][kFrames], -7.0f) << "channel " << c;
  }
}

// A 1 kHz tone in stereo through the unit's own buffers: its energy lies in band 6 (850-1050 Hz).
TEST(AnalyserHost, ReadsTheSpectrumOfWhatWasPlayed) {
  std::string error;
  constexpr unsigned kSlice = 512;
  auto unit = SpectrumAnalyserUnit::open(binPath("OrrinthAU.so"), kRate, 2, kSlice, error);
  ASSERT_TRUE(unit) << error;
  const std::vector<float> samples = tone(1000, kSlice * 64);
  SpectrumAnalyserUnit::Spectrum spectrum{};
  for (size_t position = 0; position < samples.size(); position += kSlice) {
    const float* in[] = {samples.data() + position, samples.data() + position};
    ASSERT_TRUE(unit->render(in, kSlice, error)) << error;
    ASSERT_TRUE(unit->readSpectrum(spectrum, error)) << error;
  }
  const auto loudest = std::max_element(spectrum.begin(), spectrum.end());
  EXPECT_EQ(loudest - spectrum.begin(), 6);
  EXPECT_GT(*loudest, 0.1f);
  for (float v : spectrum) EXPECT_TRUE(v >= 0 && v <= 1) << v;
}

}  // namespace
