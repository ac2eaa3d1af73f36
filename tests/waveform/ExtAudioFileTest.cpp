#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <vector>

#include "platform/audio/ExtAudioFile.h"
#include "platform/audio/VectorOps.h"
#include "platform/media/QTMovie.h"
#include "tests/support/TestSupport.h"
#include "tests/waveform/WaveformFixtures.h"

using namespace platform;
using testsupport::fixture;

namespace {

AudioStreamBasicDescription stereoFloat(double rate) {
  AudioStreamBasicDescription f;
  f.mSampleRate = rate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  f.mBytesPerPacket = f.mBytesPerFrame = 8;
  f.mFramesPerPacket = 1;
  f.mChannelsPerFrame = 2;
  f.mBitsPerChannel = 32;
  return f;
}

// Reads the whole file in pieces of `chunk` frames.
std::vector<float> readAll(ExtAudioFile& file, uint32_t chunk) {
  std::vector<float> all, buffer(chunk * 2);
  for (;;) {
    uint32_t n = chunk;
    EXPECT_EQ(file.read(n, buffer.data()), noErr);
    if (n == 0) break;
    EXPECT_LE(n, chunk);
    all.insert(all.end(), buffer.begin(), buffer.begin() + n * 2);
  }
  return all;
}

}  // namespace

TEST(ExtAudioFile, DescribesAndReadsAWave) {
  std::unique_ptr<ExtAudioFile> file;
  ASSERT_EQ(ExtAudioFile::open(fixture("wf-1000.wav"), file), noErr);
  int64_t frames = 0;
  EXPECT_EQ(file->getFileLengthFrames(frames), noErr);
  EXPECT_EQ(frames, 1000);
  AudioStreamBasicDescription f;
  EXPECT_EQ(file->getFileDataFormat(f), noErr);
  EXPECT_EQ(f.mSampleRate, 44100);
  EXPECT_EQ(f.mFormatID, kAudioFormatLinearPCM);
  EXPECT_EQ(f.mFormatFlags, kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked);
  EXPECT_EQ(f.mChannelsPerFrame, 2u);
  EXPECT_EQ(f.mBitsPerChannel, 16u);
  EXPECT_EQ(f.mBytesPerFrame, 4u);

  uint32_t n = 10;
  float buf[20];
  EXPECT_EQ(file->read(n, buf), kAudioFileNotOpenError);  // no client format yet
  EXPECT_EQ(n, 0u);
  ASSERT_EQ(file->setClientDataFormat(stereoFloat(44100)), noErr);
  // Odd piece sizes cross FFmpeg's packet boundaries.
  std::vector<float> all = readAll(*file, 333);
  ASSERT_EQ(all.size(), 2000u);
  for (uint32_t i = 0; i < 1000; i += 111) {
    EXPECT_EQ(all[2 * i], waveformfixtures::left(i)) << i;
    EXPECT_EQ(all[2 * i + 1], waveformfixtures::right(i)) << i;
  }
}

TEST(ExtAudioFile, MapsChannelsToStereo) {
  struct Case {
    const char* name;
    float left, right;
  } cases[] = {{"wf-mono.wav", 0.5f, 0.5f}, {"wf-half-quarter.flac", 0.5f, -0.25f}};
  for (const auto& c : cases) {
    std::unique_ptr<ExtAudioFile> file;
    ASSERT_EQ(ExtAudioFile::open(fixture(c.name), file), noErr) << c.name;
    AudioStreamBasicDescription f;
    file->getFileDataFormat(f);
    ASSERT_EQ(file->setClientDataFormat(stereoFloat(f.mSampleRate)), noErr);
    std::vector<float> all = readAll(*file, 4410);
    int64_t frames = 0;
    file->getFileLengthFrames(frames);
    EXPECT_EQ(static_cast<int64_t>(all.size()), frames * 2) << c.name;
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0], c.left) << c.name;
    EXPECT_EQ(all[1], c.right) << c.name;
    EXPECT_EQ(all[all.size() - 1], c.right) << c.name;
  }
  // Six channels of 0.1 are mixed down; both sides get the same, non-zero level.
  std::unique_ptr<ExtAudioFile> file;
  ASSERT_EQ(ExtAudioFile::open(fixture("wf-surround.wav"), file), noErr);
  ASSERT_EQ(file->setClientDataFormat(stereoFloat(48000)), noErr);
  std::vector<float> all = readAll(*file, 4800);
  ASSERT_EQ(all.size(), 96000u);
  EXPECT_GT(all[1000], 0.05f);
  EXPECT_FLOAT_EQ(all[1000], all[1001]);
}

TEST(ExtAudioFile, RefusesWhatItCannotDo) {
  std::unique_ptr<ExtAudioFile> file;
  EXPECT_EQ(ExtAudioFile::open("/nonexistent/file.wav", file), fnfErr);
  EXPECT_FALSE(file);
  EXPECT_EQ(ExtAudioFile::open(fixture("not-a-movie.txt"), file), kAudioFileUnsupportedFileTypeError);
  EXPECT_EQ(ExtAudioFile::open(fixture("video-only.mp4"), file), kAudioFileUnsupportedFileTypeError);
  EXPECT_FALSE(file);

  ASSERT_EQ(ExtAudioFile::open(fixture("wf-2.wav"), file), noErr);
  AudioStreamBasicDescription f = stereoFloat(44100);
  f.mBitsPerChannel = 16;
  EXPECT_EQ(file->setClientDataFormat(f), kAudioConverterErr_FormatNotSupported);
  f = stereoFloat(44100);
  f.mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  EXPECT_EQ(file->setClientDataFormat(f), kAudioConverterErr_FormatNotSupported);
  f = stereoFloat(0);
  EXPECT_EQ(file->setClientDataFormat(f), kAudioConverterErr_FormatNotSupported);
}

// Text files that make FFmpeg open other files (a concat list, an HLS playlist) and a path that
// FFmpeg would read as a protocol: the probe's media layer refuses them, and so does the reader,
// although each names a WAV file it could read.
TEST(ExtAudioFile, OpensWhatTheMediaLayerOpensAndNothingElse) {
  testsupport::TempDir dir;
  const std::string wav = fixture("wf-1000.wav");
  const std::string concat = dir.file("list.ffconcat"), hls = dir.file("list.m3u8");
  testsupport::writeFile(concat, "ffconcat version 1.0\nfile '" + wav + "'\nfile '" + wav + "'\n");
  testsupport::writeFile(hls, "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n" + wav + "\n#EXT-X-ENDLIST\n");

  std::unique_ptr<ExtAudioFile> file;
  ASSERT_EQ(ExtAudioFile::open(wav, file), noErr);
  EXPECT_TRUE(media::QTMovie::canInitWithFile(wav));
  for (const std::string& path : {concat, hls}) {
    EXPECT_FALSE(media::QTMovie::canInitWithFile(path)) << path;
    EXPECT_EQ(ExtAudioFile::open(path, file), kAudioFileUnsupportedFileTypeError) << path;
    EXPECT_FALSE(file);
  }
  EXPECT_EQ(ExtAudioFile::open("concat:" + wav + "|" + wav, file), fnfErr);
  EXPECT_FALSE(file);
  // Not regular files: a folder, a device, a FIFO (which would block an ordinary open).
  EXPECT_EQ(ExtAudioFile::open(dir.path(), file), kAudioFileUnsupportedFileTypeError);
  EXPECT_EQ(ExtAudioFile::open("/dev/zero", file), kAudioFileUnsupportedFileTypeError);
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_EQ(ExtAudioFile::open(dir.file("fifo"), file), kAudioFileUnsupportedFileTypeError);
  EXPECT_FALSE(file);
}

TEST(ExtAudioFile, StatusCharactersInMemoryOrder) {
  // "%4.4s" of a status shows its bytes as they lie in memory (little-endian here).
  EXPECT_EQ(statusChars(kAudioFileUnspecifiedError), "?thw");
  EXPECT_EQ(statusChars(kAudioConverterErr_FormatNotSupported), "?tmf");
  EXPECT_EQ(statusChars(0), "");
  EXPECT_EQ(statusChars(fnfErr), "\xD5\xFF\xFF\xFF");
}

TEST(VectorOps, MeansExtremesAndEmptyVectors) {
  const float v[] = {0.5f, -1.5f, 2.0f, -0.25f, 0.0f};
  EXPECT_FLOAT_EQ(vdsp::meanMagnitude(v, 5), 4.25f / 5);
  EXPECT_FLOAT_EQ(vdsp::mean(v, 5), 0.75f / 5);
  EXPECT_EQ(vdsp::maximum(v, 5), 2.0f);
  EXPECT_EQ(vdsp::minimum(v, 5), -1.5f);
  EXPECT_EQ(vdsp::maximum(v, 1), 0.5f);
  EXPECT_EQ(vdsp::meanMagnitude(v, 0), 0.0f);
  EXPECT_EQ(vdsp::mean(v, 0), 0.0f);
  EXPECT_TRUE(std::isinf(vdsp::maximum(v, 0)) && vdsp::maximum(v, 0) < 0);
  EXPECT_TRUE(std::isinf(vdsp::minimum(v, 0)) && vdsp::minimum(v, 0) > 0);
}
