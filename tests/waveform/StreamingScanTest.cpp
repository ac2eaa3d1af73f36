// The scan fills the curve as the decoder delivers frames. Its curves (and so the stored paths,
// which are shaped from them alone) must equal, value for value, those of the whole-file scan it
// replaced: decode everything into one stereo buffer, cut it at the reported length, then take
// the channel. Decoders that deliver more frames than the container reports (MP3, AAC) check the
// cut.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include <random>

#include "platform/audio/VectorOps.h"
#include "tests/support/TestSupport.h"
#include "waveform/CurveMeasures.h"
#include "waveform/XAudioAnalyser.h"

using namespace testsupport;
using namespace platform;

namespace {

// The whole-file scan, as it was.
std::vector<float> wholeFileCurve(const std::string& path, uint8_t channel) {
  std::unique_ptr<ExtAudioFile> file;
  if (ExtAudioFile::open(path, file) != noErr) return {};
  int64_t fileFrames = 0;
  file->getFileLengthFrames(fileFrames);
  AudioStreamBasicDescription format{};
  file->getFileDataFormat(format);
  AudioStreamBasicDescription client{format.mSampleRate, kAudioFormatLinearPCM,
                                     kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked, 8, 1, 8, 2, 32, 0};
  if (file->setClientDataFormat(client) != noErr) return {};
  std::vector<float> whole;
  std::vector<float> buffer(static_cast<size_t>(format.mSampleRate * 0.1) * 2 + 4);
  for (;;) {
    uint32_t frames = static_cast<uint32_t>(buffer.size() / 2);
    file->read(frames, buffer.data());
    if (frames == 0) break;
    whole.insert(whole.end(), buffer.begin(), buffer.begin() + frames * 2);
  }
  if (fileFrames > 0 && whole.size() > static_cast<size_t>(fileFrames) * 2) whole.resize(static_cast<size_t>(fileFrames) * 2);
  std::vector<float> curve;
  for (size_t i = 0; i + 1 < whole.size(); i += 2)
    curve.push_back(channel == 2 ? whole[i + 1] : channel == 1 ? whole[i] : whole[i] + whole[i + 1]);
  return curve;
}

std::vector<float> streamedCurve(const std::string& path, uint8_t channel, float* mean = nullptr, float* max = nullptr) {
  testing::internal::CaptureStdout();
  auto a = XAudioAnalyser::initWithAudioFilePath(path, channel);
  testing::internal::GetCapturedStdout();
  if (mean) *mean = a->meanValue();
  if (max) *max = a->maximumValue();
  return std::vector<float>(a->audioFrames(), a->audioFrames() + a->audioLength());
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

}  // namespace

TEST(XAudioAnalyserStreaming, CurvesEqualTheWholeFileScanOnEveryAudioFixture) {
  size_t compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(fixture(""))) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".wav" && ext != ".mp3" && ext != ".flac" && ext != ".ogg" &&
                                     ext != ".opus" && ext != ".aiff" && ext != ".m4a" && ext != ".mka"))
      continue;
    const std::string path = entry.path().string();
    std::vector<float> reference = wholeFileCurve(path, 0);
    float mean = 0, max = 0;
    EXPECT_TRUE(sameBits(streamedCurve(path, 0, &mean, &max), reference)) << path << ": " << reference.size() << " frames";
    EXPECT_TRUE(sameBits(mean, platform::vdsp::meanMagnitude(reference.data(), reference.size()))) << path;
    if (!reference.empty()) {
      EXPECT_TRUE(sameBits(max, platform::vdsp::maximum(reference.data(), reference.size()))) << path;
    }
    if (path.find("wf-half-quarter") != std::string::npos) {
      EXPECT_TRUE(sameBits(streamedCurve(path, 1), wholeFileCurve(path, 1))) << path;
      EXPECT_TRUE(sameBits(streamedCurve(path, 2), wholeFileCurve(path, 2))) << path;
    }
    ++compared;
  }
  EXPECT_GT(compared, 30u);
}

TEST(XAudioAnalyserStreaming, MeasuresGatheredWhileFillingEqualThoseOfTheFinishedCurve) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> value(-2.0f, 2.0f);
  std::uniform_int_distribution<size_t> piece(0, 9);
  for (size_t length : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 13u, 1000003u}) {
    std::vector<float> curve(length);
    for (float& v : curve) v = value(rng);
    CurveMeasures measures;
    for (size_t at = 0; at < length;) {  // in pieces of any size, as reads deliver them
      size_t n = std::min(length - at, piece(rng) * (length > 100 ? 1000 : 1));
      measures.add(curve.data() + at, n);
      at += n;
    }
    EXPECT_TRUE(sameBits(measures.meanMagnitude(), platform::vdsp::meanMagnitude(curve.data(), length))) << length;
    if (measures.exact()) {
      EXPECT_TRUE(sameBits(measures.maximum(), platform::vdsp::maximum(curve.data(), length))) << length;
    }
  }
  // Zeros of both signs at the top: only the search in order knows which comes first.
  std::vector<float> zeros = {-1.0f, -0.0f, 0.0f, -0.5f, 0.0f, -0.0f, -2.0f, -0.0f, -1.0f};
  CurveMeasures measures;
  measures.add(zeros.data(), zeros.size());
  EXPECT_FALSE(measures.exact());
  EXPECT_TRUE(std::signbit(platform::vdsp::maximum(zeros.data(), zeros.size()))) << "the first zero, -0, stays";
}

TEST(XAudioAnalyserStreaming, FileWithoutALengthIsReadToItsEnd) {
  auto a = XAudioAnalyser::init();
  testing::internal::CaptureStdout();
  a->setShouldContinue(true);
  a->scanFileAtPath(fixture("wf-no-length.wv"), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(a->audioLength(), 66150u) << "the decoder can't tell the length: every frame it delivers counts";
  EXPECT_NEAR(a->meanValue(), 2 * 0.125 * 2 / M_PI, 0.01) << "the tone summed over both channels";
  auto path = a->waveformForFileAtPath(fixture("wf-no-length.wv"), {100, 100}, 2000);
  ASSERT_TRUE(path) << "a waveform, not silence";
  EXPECT_EQ(path->elementCount(), 2000u);

  if (corpusDir().empty()) GTEST_SKIP() << "third-party corpus not present (../shared/corpus)";
  testing::internal::CaptureStdout();
  auto corpus = a->waveformForFileAtPath(corpusDir() + "/taglib/no_length.wv", {100, 100}, 2000);
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(corpus) << "WavPack without a length";
  EXPECT_EQ(corpus->elementCount(), 2000u);
}
