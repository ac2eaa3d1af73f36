// Picture tracks decoded from the box reader's sample tables, against the same tracks through
// libavformat.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "platform/media/QTMovie.h"
#include "platform/media/ffmpeg/FFmpegModule.h"
#include "platform/media/isobmff/VideoTrackReader.h"
#include "tests/support/TestSupport.h"

using namespace platform::media;
using testsupport::fixture;

namespace {

std::optional<VideoSampleTrack> layOut(const std::string& name) {
  isobmff::FileReader file(fixture(name));
  return isobmff::readVideoSampleTrack(file);
}

// Frame N of frames*.mp4 is flat grey of luma 16 + 4 N.
int frameNumberOf(const RGBAFrame& f) {
  const size_t centre = (size_t(f.height / 2) * size_t(f.width) + size_t(f.width / 2)) * 4;
  return static_cast<int>(std::lround(f.pixels[centre] * 219.0 / 255.0 / 4.0));
}

}  // namespace

TEST(SampleTrackLayout, PlainTracksAreLaidOutSampleBySample) {
  auto t = layOut("frames.mp4");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->format, fourCharCode("avc1"));
  EXPECT_FALSE(t->config.empty());
  EXPECT_EQ(t->config[0], 1);  // avcC configurationVersion
  EXPECT_EQ(t->width, 96);
  EXPECT_EQ(t->height, 64);
  ASSERT_EQ(t->samples.size(), 50u);
  // One keyframe; B-frames put presentation after decode, and the edit list starts the
  // presentation at the first frame's presentation time.
  EXPECT_TRUE(t->samples[0].sync);
  size_t syncs = 0;
  int64_t earliest = INT64_MAX;
  for (size_t i = 0; i < t->samples.size(); ++i) {
    const VideoSample& s = t->samples[i];
    syncs += s.sync;
    earliest = std::min(earliest, s.presentTime);
    EXPECT_GT(s.size, 0u);
    if (i > 0) {
      EXPECT_GT(s.decodeTime, t->samples[i - 1].decodeTime);
      EXPECT_GT(s.offset, t->samples[i - 1].offset);
    }
  }
  EXPECT_EQ(syncs, 1u);
  EXPECT_EQ(t->mediaStart, earliest);
  EXPECT_EQ(t->leadSeconds, 0);

  auto late = layOut("frames-late.mp4");
  ASSERT_TRUE(late);
  EXPECT_NEAR(late->leadSeconds, 0.6, 1e-9);

  auto turned = layOut("rotated-90.mp4");
  ASSERT_TRUE(turned);
  EXPECT_EQ(turned->quarterTurns, 1);
  auto wide = layOut("sar-2to1.mp4");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->pixelAspectH, 2u);
  EXPECT_EQ(wide->pixelAspectV, 1u);
}

TEST(SampleTrackLayout, ACutFileKeepsTheSamplesItHolds) {
  auto whole = layOut("frames-faststart.mp4");
  auto cut = layOut("frames-cut.mp4");
  ASSERT_TRUE(whole && cut);
  ASSERT_EQ(whole->samples.size(), 50u);
  EXPECT_GT(cut->samples.size(), 5u);
  EXPECT_LT(cut->samples.size(), 50u);
  const uint64_t size = std::filesystem::file_size(fixture("frames-cut.mp4"));
  for (const VideoSample& s : cut->samples) EXPECT_LE(s.offset + s.size, size);
  // The poster of what is there: the last frame the file holds at or before the time.
  auto source = codecModule()->openSampleTrack(*cut);
  ASSERT_TRUE(source);
  RGBAFrame f;
  ASSERT_TRUE(source->frameAtTime(9.99, f, 0, 0));
  EXPECT_GT(frameNumberOf(f), 0);
  EXPECT_LT(frameNumberOf(f), 50);
}

TEST(SampleTrackLayout, LayoutsOnlyADemuxerHandlesAreLeftToIt) {
  EXPECT_FALSE(layOut("frames-fragmented.mp4"));  // samples live in fragments
  EXPECT_FALSE(layOut("frames-mpeg4.mp4"));       // a format the codec module doesn't map
  EXPECT_FALSE(layOut("undecodable-video.mp4"));
  EXPECT_FALSE(layOut("audio.m4a"));              // no picture track
  // Whatever the layout, the movie object still shows the right frame at 3.3 s. The fragments
  // carry no edit list, so there the B-frames' two-frame composition delay shows.
  const std::pair<const char*, int> cases[] = {{"frames-fragmented.mp4", 14}, {"frames-mpeg4.mp4", 16}};
  for (const auto& [name, expected] : cases) {
    SCOPED_TRACE(name);
    MoviePtr movie;
    QTNewMoviePropertyElement props[2];
    props[0] = {kQTPropertyClass_DataLocation, kQTDataLocationPropertyID_CFStringNativePath, 4, fixture(name), noErr};
    props[1] = {kQTPropertyClass_MovieInstantiation, kQTMovieInstantiationPropertyID_AsyncOK, 1, false, noErr};
    ASSERT_EQ(NewMovieFromProperties(2, props, 0, nullptr, &movie), noErr);
    auto object = QTMovie::movieWithQuickTimeMovie(movie, true, nullptr);
    auto image = object->frameImageAtTime({33, 10, 0});
    ASSERT_TRUE(image);
    const double grey = image->pixel(48, 32).r;
    EXPECT_EQ(std::lround(grey * 219.0 / 255.0 / 4.0), expected);
  }
}

TEST(SampleTrackDecoding, DeliversWhatTheDemuxerDeliversFrameForFrame) {
  CodecModule* codecs = codecModule();
  FFmpegModule* ffmpeg = ffmpegModule();
  ASSERT_TRUE(codecs && ffmpeg);
  for (const char* name : {"frames.mp4", "frames-late.mp4", "frames-hevc.mp4", "frames-mjpeg.mov", "rotated-90.mp4",
                           "sar-2to1.mp4", "flat-480x640.mp4"}) {
    SCOPED_TRACE(name);
    auto track = layOut(name);
    ASSERT_TRUE(track);
    auto ours = codecs->openSampleTrack(*track);
    auto theirs = ffmpeg->openFrameSource(fixture(name));
    ASSERT_TRUE(ours && theirs);
    EXPECT_EQ(ours->displayWidth(), theirs->displayWidth());
    EXPECT_EQ(ours->displayHeight(), theirs->displayHeight());
    for (double at : {0.0, 0.3, 0.59, 0.61, 0.8, 3.3, 9.99, 100.0, -5.0}) {
      RGBAFrame a, b;
      ASSERT_TRUE(ours->frameAtTime(at, a, 0, 0)) << at;
      ASSERT_TRUE(theirs->frameAtTime(at, b, 0, 0)) << at;
      EXPECT_EQ(a.width, b.width);
      EXPECT_EQ(a.height, b.height);
      EXPECT_TRUE(a.pixels == b.pixels) << "at " << at << " s";
    }
  }
  // Each format shows the right frame.
  for (const char* name : {"frames-hevc.mp4", "frames-mjpeg.mov"}) {
    SCOPED_TRACE(name);
    auto source = codecs->openSampleTrack(*layOut(name));
    ASSERT_TRUE(source);
    RGBAFrame f;
    ASSERT_TRUE(source->frameAtTime(3.3, f, 0, 0));
    EXPECT_EQ(frameNumberOf(f), 16);
  }
  // The late movie shows frame 0 until 0.6 s, then runs 0.6 s behind the original.
  auto late = codecs->openSampleTrack(*layOut("frames-late.mp4"));
  RGBAFrame f;
  ASSERT_TRUE(late->frameAtTime(0.3, f, 0, 0));
  EXPECT_EQ(frameNumberOf(f), 0);
  ASSERT_TRUE(late->frameAtTime(3.9, f, 0, 0));
  EXPECT_EQ(frameNumberOf(f), 16);
}

TEST(SampleTrackDecoding, DamagedTablesNeverReadOutsideTheFile) {
  auto track = layOut("frames.mp4");
  ASSERT_TRUE(track);
  // Samples pointing past the end, or absurdly large, end the stream instead of being read.
  VideoSampleTrack cut = *track;
  for (size_t i = 10; i < cut.samples.size(); ++i) cut.samples[i].offset = uint64_t(1) << 62;
  auto source = codecModule()->openSampleTrack(cut);
  ASSERT_TRUE(source);
  RGBAFrame f;
  ASSERT_TRUE(source->frameAtTime(9.0, f, 0, 0));
  EXPECT_LT(frameNumberOf(f), 10);
  // No keyframe at all: nothing to start from.
  VideoSampleTrack noKey = *track;
  for (VideoSample& s : noKey.samples) s.sync = false;
  EXPECT_FALSE(codecModule()->openSampleTrack(noKey));
  // A file that isn't there.
  VideoSampleTrack missing = *track;
  missing.path = "/nonexistent/frames.mp4";
  EXPECT_FALSE(codecModule()->openSampleTrack(missing));
}
