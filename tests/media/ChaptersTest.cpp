// Chapter lists from chapter text tracks: byte-exact movies and files from the ffmpeg tool.
#include <gtest/gtest.h>

#include <cmath>

#include "XMHQTFileInvestigator.h"
#include "platform/media/Movie.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/TestSupport.h"

using namespace testsupport;
using platform::PlistArray;

namespace {

struct Chapter {
  std::string name;
  float start;
};

std::vector<Chapter> chaptersOf(const std::string& path) {
  auto movie = XMHQTFileInvestigator::newQTMovieFromPropertiesWithPath(path);
  EXPECT_TRUE(movie) << path;
  std::vector<Chapter> out;
  if (!movie) return out;
  for (const auto& v : XMHQTFileInvestigator::chaptersInQTMovie(movie)) {
    const auto& d = v.dictionary();
    EXPECT_EQ(d.size(), 2u);
    EXPECT_TRUE(d.find("QTMovieChapterStartTime")->isReal());
    out.push_back({d.find("QTMovieChapterName")->string(), static_cast<float>(d.find("QTMovieChapterStartTime")->real())});
  }
  return out;
}

// A 100 s movie (scale 600) whose video track refers by "chap" to a text track with samples at
// `durations` (milliseconds) holding `titles`; the samples sit in an mdat before the moov.
std::string chapterMovie(const std::vector<std::string>& samples, const std::vector<uint32_t>& durations,
                         bool referenceEnabled = true, uint32_t movieDuration = 60000, const std::string& edits = "",
                         bool textTrackEnabled = false) {
  std::string head = ftyp("qt  ");
  std::string media;
  for (const auto& s : samples) media += s;
  uint64_t offset = head.size() + 8;
  std::string video = box("trak", {tkhd(1, movieDuration, referenceEnabled, 160, 120), tref("chap", {2}),
                                   box("mdia", {mdhd(600, movieDuration), hdlr("vide")})});
  return head + box("mdat", media) +
         box("moov", {mvhd(600, movieDuration), video,
                      textTrack(2, textTrackEnabled, 1000, durations, samples, offset, edits)});
}

std::string write(TempDir& dir, const std::string& bytes, const std::string& name = "chapters.mov") {
  std::string path = dir.file(name);
  writeFile(path, bytes);
  return path;
}

}  // namespace

TEST(Chapters, StartsAreFractionsOfTheMovie) {
  TempDir dir;
  auto c = chaptersOf(write(dir, chapterMovie({textSample("Intro"), textSample("Middle"), textSample("End")},
                                              {30000, 30000, 40000})));
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].name, "Intro");
  EXPECT_EQ(c[1].name, "Middle");
  EXPECT_EQ(c[2].name, "End");
  EXPECT_FLOAT_EQ(c[0].start, 0.0f);
  EXPECT_FLOAT_EQ(c[1].start, 0.3f);
  EXPECT_FLOAT_EQ(c[2].start, 0.6f);
}

TEST(Chapters, EmptyInvalidAndShortTitles) {
  TempDir dir;
  std::string overlong = std::string("\x00\x50", 2) + "Short";  // claims 80 bytes, holds 5
  auto c = chaptersOf(write(dir, chapterMovie({textSample(""), textSample("\xc3\x28\xfa"), overlong,
                                               textSample(std::string("\xfe\xff\x00H\x00i", 6))},
                                              {1000, 1000, 1000, 1000})));
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].name, "");
  EXPECT_EQ(c[1].name, "No Name");
  EXPECT_EQ(c[2].name, "Short") << "never more than the sample holds";
  EXPECT_EQ(c[3].name, "Hi") << "UTF-16 with a byte-order mark";
}

TEST(Chapters, ReferenceOnADisabledTrackOrNoSamplesGivesNone) {
  TempDir dir;
  EXPECT_TRUE(chaptersOf(write(dir, chapterMovie({textSample("A")}, {1000}, false), "a.mov")).empty());
  EXPECT_TRUE(chaptersOf(write(dir, chapterMovie({}, {}), "b.mov")).empty());
  // The chapter track itself enabled (and without references) changes nothing.
  EXPECT_EQ(chaptersOf(write(dir, chapterMovie({textSample("A")}, {1000}, true, 60000, "", true), "c.mov")).size(), 1u);
  auto props = XMHQTFileInvestigator::propertiesOfFileNamed(write(dir, chapterMovie({textSample("A")}, {1000}, false), "d.mov"));
  ASSERT_TRUE(props);
  EXPECT_FALSE(props->contains("Chapters"));
}

TEST(Chapters, EditListShiftsTheSamples) {
  // An empty edit of 10 s (movie scale 600), then the media from 0: the chapters start 10 s later.
  TempDir dir;
  auto c = chaptersOf(write(dir, chapterMovie({textSample("A"), textSample("B")}, {20000, 20000}, true, 60000,
                                              editList({{6000, -1}, {24000, 0}}))));
  ASSERT_EQ(c.size(), 2u);
  EXPECT_FLOAT_EQ(c[0].start, 0.1f);
  EXPECT_FLOAT_EQ(c[1].start, 0.3f);
  EXPECT_EQ(c[1].name, "B");
}

TEST(Chapters, MovieOfDurationZeroStartsEveryChapterAtZero) {
  TempDir dir;
  auto c = chaptersOf(write(dir, chapterMovie({textSample("A"), textSample("B")}, {1000, 1000}, true, 0)));
  ASSERT_EQ(c.size(), 2u);
  for (const auto& ch : c) EXPECT_EQ(ch.start, 0.0f);
}

TEST(Chapters, SampleOffsetsPastTheEndGiveNoName) {
  TempDir dir;
  std::string bytes = chapterMovie({textSample("A")}, {1000});
  // Move the chunk offset far past the end of the file.
  size_t stco = bytes.find("stco");
  ASSERT_NE(stco, std::string::npos);
  bytes.replace(stco + 12, 4, be32(0x7ffffff0));
  auto c = chaptersOf(write(dir, bytes));
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].name, "No Name");
}

TEST(Chapters, FilesWrittenByTheFfmpegTool) {
  for (const char* name : {"chapters.mp4", "tags-ffmpeg.m4a", "chapters.mkv"}) {
    auto c = chaptersOf(fixture(name));
    ASSERT_EQ(c.size(), 3u) << name;
    EXPECT_EQ(c[0].name, "Intro") << name;
    EXPECT_EQ(c[1].name, "Middle") << name;
    EXPECT_EQ(c[2].name, "End") << name;
    EXPECT_FLOAT_EQ(c[0].start, 0.0f) << name;
    EXPECT_NEAR(c[1].start, 1.0 / 3, 0.02) << name;
    EXPECT_NEAR(c[2].start, 2.0 / 3, 0.02) << name;
  }
  EXPECT_TRUE(chaptersOf(fixture("movie.mp4")).empty());
}

TEST(Chapters, InterestingTimesFollowTheSampleTable) {
  using namespace platform::media;
  TempDir dir;
  MoviePtr movie;
  QTNewMoviePropertyElement prop;
  prop.propClass = kQTPropertyClass_DataLocation;
  prop.propID = kQTDataLocationPropertyID_CFStringNativePath;
  prop.propValue = write(dir, chapterMovie({textSample("A"), textSample("B")}, {30000, 30000}));
  ASSERT_EQ(NewMovieFromProperties(1, &prop, 0, nullptr, &movie), noErr);
  Track chap = GetTrackReference(*movie, GetMovieIndTrack(*movie, 1), kTrackReferenceChapterList, 1);
  ASSERT_EQ(chap, GetMovieIndTrack(*movie, 2));
  EXPECT_EQ(GetTrackReference(*movie, GetMovieIndTrack(*movie, 1), kTrackReferenceChapterList, 2), nullptr);
  int64_t t = 0, d = 0;
  GetTrackNextInterestingTime(chap, nextTimeMediaSample | nextTimeEdgeOK, 0, fixed1, &t, &d);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(d, 18000);
  GetTrackNextInterestingTime(chap, nextTimeMediaSample, 0, fixed1, &t, &d);
  EXPECT_EQ(t, 18000);
  GetTrackNextInterestingTime(chap, nextTimeMediaSample, 17999, fixed1, &t, &d);
  EXPECT_EQ(t, 18000);
  GetTrackNextInterestingTime(chap, nextTimeMediaSample, 18000, fixed1, &t, &d);
  EXPECT_EQ(t, -1);
  EXPECT_EQ(TrackTimeToMediaTime(18000, chap), 30000);
  std::vector<uint8_t> sample;
  long size = 0;
  int64_t sampleTime = -1;
  ASSERT_EQ(GetMediaSample(GetTrackMedia(chap), &sample, 0, &size, 45000, &sampleTime, nullptr), noErr);
  EXPECT_EQ(sampleTime, 30000);
  EXPECT_EQ(std::string(sample.begin(), sample.end()), textSample("B"));
  EXPECT_NE(GetMediaSample(GetTrackMedia(chap), &sample, 0, &size, 60000, nullptr, nullptr), noErr);
}

TEST(Chapters, ManySamplesInOneChunk) {
  // Lookups go through indexes: thousands of chapters in one chunk read each title once.
  TempDir dir;
  std::vector<std::string> samples;
  std::vector<uint32_t> durations;
  for (int i = 0; i < 5000; ++i) {
    samples.push_back(textSample(std::string("C").append(std::to_string(i))));
    durations.push_back(i % 3 == 0 ? 7 : 13);
  }
  auto c = chaptersOf(write(dir, chapterMovie(samples, durations)));
  ASSERT_EQ(c.size(), 5000u);
  EXPECT_EQ(c[0].name, "C0");
  EXPECT_EQ(c[2500].name, "C2500");
  EXPECT_EQ(c[4999].name, "C4999");
  EXPECT_LT(c[4998].start, c[4999].start);
}
