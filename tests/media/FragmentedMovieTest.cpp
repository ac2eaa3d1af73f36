// Durations of fragmented movies: the movie header covers only the samples in the movie box; the
// rest lie in moof fragments (or are summed up by mehd).
#include <gtest/gtest.h>

#include "XMHQTFileInvestigator.h"
#include "platform/media/isobmff/MovieReader.h"
#include "tests/support/BoxWriter.h"
#include "tests/support/TestSupport.h"

using namespace platform::media;
using namespace testsupport;

namespace {

std::string track(uint32_t id, const std::string& handler, uint32_t mediaScale, uint64_t mediaDuration = 0) {
  return box("trak", {tkhd(id, 0, true), box("mdia", {mdhd(mediaScale, mediaDuration), hdlr(handler)})});
}

std::string trex(uint32_t trackID, uint32_t defaultDuration) {
  return fullBox("trex", 0, 0, be32(trackID) + be32(1) + be32(defaultDuration) + be32(0) + be32(0));
}

// tfhd with a default sample duration (0 = none given), an optional tfdt, and the runs.
std::string traf(uint32_t trackID, uint32_t defaultDuration, int64_t baseTime, std::initializer_list<std::string> runs) {
  std::string tfhd = defaultDuration ? fullBox("tfhd", 0, 0x020008, be32(trackID) + be32(defaultDuration))
                                     : fullBox("tfhd", 0, 0x020000, be32(trackID));
  std::string children = tfhd;
  if (baseTime >= 0) children += fullBox("tfdt", 1, 0, be64(uint64_t(baseTime)));
  for (const std::string& r : runs) children += r;
  return box("traf", children);
}

// A run of `count` samples taking their duration from the defaults.
std::string plainRun(uint32_t count) { return fullBox("trun", 0, 0x000001, be32(count) + be32(0)); }

// A run giving each sample's duration and size; `claimed` may exceed the entries written.
std::string timedRun(const std::vector<uint32_t>& durations, uint32_t claimed = 0) {
  std::string entries;
  for (uint32_t d : durations) entries += be32(d) + be32(100);
  return fullBox("trun", 0, 0x000301, be32(claimed ? claimed : uint32_t(durations.size())) + be32(0) + entries);
}

std::string moof(uint32_t sequence, std::initializer_list<std::string> trafs) {
  std::string children = fullBox("mfhd", 0, 0, be32(sequence));
  for (const std::string& t : trafs) children += t;
  return box("moof", children);
}

int64_t durationOf(const std::string& bytes, int32_t* scale = nullptr) {
  TempDir dir;
  writeFile(dir.file("f.mp4"), bytes);
  isobmff::FileReader file(dir.file("f.mp4"));
  MovieDescription d;
  EXPECT_EQ(isobmff::readMovie(file, d), noErr);
  if (scale) *scale = d.timeScale;
  return d.duration;
}

}  // namespace

TEST(FragmentedMovie, DurationIsTheSumOfTheFragments) {
  // 1000 units a second in the movie, 12800 in the video; trex says 512 a sample (25 a second).
  const std::string head = ftyp("iso5") + box("moov", {mvhd(1000, 0), track(1, "vide", 12800),
                                                       box("mvex", {trex(1, 512)})});
  // Three fragments of 100 samples: 12 s.
  std::string plain = head;
  for (uint32_t i = 1; i <= 3; ++i) plain += moof(i, {traf(1, 0, -1, {plainRun(100)})}) + box("mdat", "");
  EXPECT_EQ(durationOf(plain), 12000);

  // tfhd's default overrides trex's; per-sample durations override both; several runs add up.
  std::string mixed = head + moof(1, {traf(1, 1024, -1, {plainRun(50), timedRun({12800, 25600})})});
  EXPECT_EQ(durationOf(mixed), (50 * 1024 + 12800 + 25600) * 1000 / 12800);

  // A decode time places the fragment: the last one ends at 20 s + 4 s.
  std::string placed = head + moof(1, {traf(1, 0, 0, {plainRun(25)})}) +
                       moof(2, {traf(1, 0, 20 * 12800, {plainRun(100)})});
  EXPECT_EQ(durationOf(placed), 24000);
}

TEST(FragmentedMovie, LongestTrackAndSamplesInTheMovieBoxCount) {
  // The audio has 2 s in the movie box itself (its media header says so); fragments of both
  // tracks follow. Video: 480 samples of 3000 at 90000 from decode time 0, 16 s.
  const std::string moov = box("moov", {mvhd(600, 1200), track(1, "vide", 90000), track(2, "soun", 48000, 96000),
                                        box("mvex", {trex(1, 3000), trex(2, 1024)})});
  auto withAudio = [&](uint32_t samples) {
    return ftyp("iso5") + moov + moof(1, {traf(1, 0, 0, {plainRun(480)}), traf(2, 0, -1, {plainRun(samples)})});
  };
  int32_t scale = 0;
  // Audio: 2 s + 500 x 1024 / 48000 = 12.7 s; the video's 16 s is the movie's.
  EXPECT_EQ(durationOf(withAudio(500), &scale), 16 * 600);
  EXPECT_EQ(scale, 600);
  // Audio: 2 s + 1000 x 1024 / 48000 = 23.3 s, after the samples in the movie box.
  EXPECT_EQ(durationOf(withAudio(1000)), (96000 + 1000 * 1024) * 600 / 48000);
}

TEST(FragmentedMovie, MovieExtendsHeaderGivesTheWholeDuration) {
  const std::string mehd = fullBox("mehd", 0, 0, be32(16500));
  std::string bytes = ftyp("iso5") + box("moov", {mvhd(1000, 0), track(1, "vide", 12800), box("mvex", {mehd, trex(1, 512)})}) +
                      moof(1, {traf(1, 0, -1, {plainRun(25)})});
  EXPECT_EQ(durationOf(bytes), 16500) << "mehd, not the one second of fragments";
  const std::string wide = fullBox("mehd", 1, 0, be64(uint64_t(1) << 33));
  bytes = ftyp("iso5") + box("moov", {mvhd(1000, 0), track(1, "vide", 12800), box("mvex", {wide, trex(1, 512)})});
  EXPECT_EQ(durationOf(bytes), int64_t(1) << 33);
}

TEST(FragmentedMovie, DamagedFragmentsCountOnlyWhatTheyHold) {
  const std::string head = ftyp("iso5") + box("moov", {mvhd(1000, 0), track(1, "vide", 1000), box("mvex", {trex(1, 0)})});
  // A run that claims 2^32 - 1 samples but holds three; a traf of a track that doesn't exist.
  std::string bytes = head + moof(1, {traf(1, 0, -1, {timedRun({1000, 2000, 3000}, 0xffffffffu)}),
                                      traf(9, 5000, -1, {plainRun(1000)})});
  EXPECT_EQ(durationOf(bytes), 6000);
  // Durations that would overflow saturate instead of wrapping to a small or negative value.
  bytes = head + moof(1, {traf(1, 0, int64_t(1) << 62, {timedRun({0xffffffffu})})}) +
          moof(2, {traf(1, 0, int64_t(0x7fffffffffffffff), {timedRun({0xffffffffu})})});
  EXPECT_GT(durationOf(bytes), int64_t(1) << 62);
  // Fragments without mvex are not part of the movie.
  bytes = ftyp("isom") + box("moov", {mvhd(1000, 3000), track(1, "vide", 1000)}) +
          moof(1, {traf(1, 1000, -1, {plainRun(100)})});
  EXPECT_EQ(durationOf(bytes), 3000);
}

// Files the ffmpeg tool wrote: 16 s of video and audio in keyframe fragments, with an empty movie
// box and with the first fragment's samples in the movie box.
TEST(FragmentedMovie, TotalTimeOfFilesWrittenByTheFfmpegTool) {
  for (const char* name : {"fragmented-16s.mp4", "fragmented-16s-moov.mp4"}) {
    auto properties = XMHQTFileInvestigator::propertiesOfFileNamed(fixture(name));
    ASSERT_TRUE(properties) << name;
    const auto* total = properties->find("Total Time");
    ASSERT_TRUE(total) << name;
    EXPECT_EQ(total->integer(), 16) << name;
    EXPECT_TRUE(properties->contains("Has Video")) << name;
    EXPECT_TRUE(properties->contains("Has Audio")) << name;
  }
}
