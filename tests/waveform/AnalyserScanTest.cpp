#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tests/waveform/WaveformFixtures.h"
#include "waveform/XAudioAnalyser.h"

using testsupport::fixture;

namespace {

// A synchronous scan, as initWithAudioFilePath:channel: runs it; returns what it printed.
std::string scan(std::shared_ptr<XAudioAnalyser>& a, const std::string& name, uint8_t channel) {
  testing::internal::CaptureStdout();
  a = XAudioAnalyser::initWithAudioFilePath(fixture(name), channel);
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(XAudioAnalyserScan, ChannelChoiceOnLeftHalfRightQuarter) {
  struct Case {
    uint8_t channel;
    float value, mean;
  } cases[] = {{0, 0.25f, 0.25f}, {1, 0.5f, 0.5f}, {2, -0.25f, 0.25f}};
  for (const char* name : {"wf-half-quarter.wav", "wf-half-quarter.flac"}) {
    for (const auto& c : cases) {
      std::shared_ptr<XAudioAnalyser> a;
      EXPECT_EQ(scan(a, name, c.channel), "");
      ASSERT_EQ(a->audioLength(), 44100u) << name;
      ASSERT_NE(a->audioFrames(), nullptr);
      EXPECT_EQ(a->audioFrames()[0], c.value);
      EXPECT_EQ(a->audioFrames()[44099], c.value);
      EXPECT_FLOAT_EQ(a->meanValue(), c.mean) << name << " channel " << int(c.channel);
      EXPECT_FLOAT_EQ(a->maximumValue(), c.value);
      EXPECT_EQ(a->lastError(), 0);
      EXPECT_FALSE(a->isScanning());
    }
  }
}

TEST(XAudioAnalyserScan, MonoIsDecodedToBothChannels) {
  std::shared_ptr<XAudioAnalyser> a;
  scan(a, "wf-mono.wav", 0);
  ASSERT_EQ(a->audioLength(), 11025u);
  EXPECT_EQ(a->audioFrames()[5000], 1.0f);  // 0.5 + 0.5
  EXPECT_FLOAT_EQ(a->meanValue(), 1.0f);
  scan(a, "wf-mono.wav", 2);
  EXPECT_EQ(a->audioFrames()[5000], 0.5f);
}

TEST(XAudioAnalyserScan, EmptySilentAndShortFiles) {
  std::shared_ptr<XAudioAnalyser> a;
  EXPECT_EQ(scan(a, "wf-empty.wav", 0), "");
  EXPECT_EQ(a->audioLength(), 0u);
  EXPECT_EQ(a->audioFrames(), nullptr);

  scan(a, "wf-silence.wav", 0);
  EXPECT_EQ(a->audioLength(), 44100u);
  EXPECT_EQ(a->meanValue(), 0.0f);
  EXPECT_EQ(a->maximumValue(), 0.0f);

  // The header promises 10000 frames, 4000 are there: the curve holds what was delivered.
  scan(a, "wf-truncated.wav", 0);
  ASSERT_EQ(a->audioLength(), 4000u);
  std::vector<float> expected = waveformfixtures::summedCurve(4000);
  EXPECT_EQ(std::vector<float>(a->audioFrames(), a->audioFrames() + 4000), expected);
}

TEST(XAudioAnalyserScan, UnreadableFilesBailWithTheirStatus) {
  for (const char* name : {"not-a-movie.txt", "video-only.mp4", "random.mp4", "empty.mp4"}) {
    std::shared_ptr<XAudioAnalyser> a;
    EXPECT_EQ(scan(a, name, 0), "XAudioAnalyser: Couldn't open the file, bailing\n") << name;
    EXPECT_EQ(a->audioLength(), 0u);
    EXPECT_NE(a->lastError(), 0) << name;
  }
}

TEST(XAudioAnalyserScan, SetPathAndBuffers) {
  std::shared_ptr<XAudioAnalyser> a;
  scan(a, "wf-half-quarter.wav", 1);
  EXPECT_EQ(a->path(), fixture("wf-half-quarter.wav"));
  // The same path again starts no scan: the curve is untouched even after a channel change.
  a->setChannel(2);
  a->setPath(fixture("wf-half-quarter.wav"));
  EXPECT_EQ(a->audioFrames()[0], 0.5f);
  a->setPath(fixture("wf-mono.wav"));
  EXPECT_EQ(a->audioLength(), 11025u);
  a->setPath(std::nullopt);
  EXPECT_EQ(a->audioLength(), 0u);
  EXPECT_EQ(a->audioFrames(), nullptr);

  scan(a, "wf-half-quarter.wav", 0);
  a->purgeBuffers();  // not scanning: clears
  EXPECT_EQ(a->audioLength(), 0u);

  // A channel the analyser does not know leaves no values.
  scan(a, "wf-half-quarter.wav", 3);
  EXPECT_EQ(a->audioLength(), 0u);

  // A direct scan without the go-ahead reads nothing.
  auto idle = XAudioAnalyser::init();
  EXPECT_TRUE(idle->useThreading());
  idle->scanFileAtPath(fixture("wf-half-quarter.wav"), 0);
  EXPECT_EQ(idle->audioLength(), 0u);
}
