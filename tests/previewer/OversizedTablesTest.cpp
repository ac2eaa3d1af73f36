// Kestrix in results mode on movies whose sample tables claim far more samples than the file
// holds (copies of fixtures with a few table fields changed, as the container fuzzer found them):
// the run's peak memory, counted by the kernel for the child, stays that of an ordinary file.
#include <gtest/gtest.h>

#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

using testsupport::fixture;

namespace {

const std::vector<std::string> kNoDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER="};
// An ordinary small movie takes a few tens of MB; the damaged ones took 1.5 to 2 GB.
constexpr long kPeakLimitKB = 256 * 1024;

uint32_t be32At(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
         uint32_t(uint8_t(b[at + 3]));
}

void putBe32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char(v >> (24 - 8 * i));
}

// Header offset of the first `type` box inside [from, to).
size_t findBox(const std::string& b, const std::string& type, size_t from, size_t to) {
  for (size_t at = b.find(type, from); at != std::string::npos && at < to; at = b.find(type, at + 1))
    if (at >= 4) return at - 4;
  return std::string::npos;
}

struct VideoTables {
  size_t stsz = std::string::npos, stts = std::string::npos, stsc = std::string::npos;
};

// The sample tables of the first track whose handler is "vide".
VideoTables videoTables(const std::string& b) {
  for (size_t trak = findBox(b, "trak", 0, b.size()); trak != std::string::npos;
       trak = findBox(b, "trak", trak + 8, b.size())) {
    const size_t end = trak + be32At(b, trak);
    size_t hdlr = findBox(b, "hdlr", trak, end);
    if (hdlr == std::string::npos || b.compare(hdlr + 16, 4, "vide") != 0) continue;
    return {findBox(b, "stsz", trak, end), findBox(b, "stts", trak, end), findBox(b, "stsc", trak, end)};
  }
  return {};
}

struct Damage {
  const char* name;
  const char* source;
  bool movieBoxOnly;     // drop everything after the movie box (a 1-4 KB input)
  bool timingAgrees;     // the timing table's first entry claims as many samples
  bool oneHugeChunk;     // every sample in the first chunk
};

// A copy of the fixture whose picture track says "every sample 1 byte, 2^26 samples".
std::string damaged(const Damage& d) {
  std::string b = testsupport::readFile(fixture(d.source));
  if (b.empty()) return b;
  if (d.movieBoxOnly) {
    size_t moov = findBox(b, "moov", 0, b.size());
    if (moov == std::string::npos) return {};
    b.resize(moov + be32At(b, moov));
  }
  VideoTables t = videoTables(b);
  if (t.stsz == std::string::npos || t.stts == std::string::npos || t.stsc == std::string::npos) return {};
  const uint32_t kClaimed = 1u << 26;
  putBe32(b, t.stsz + 12, 1);
  putBe32(b, t.stsz + 16, kClaimed);
  if (d.timingAgrees) putBe32(b, t.stts + 16, kClaimed);
  if (d.oneHugeChunk) putBe32(b, t.stsc + 20, kClaimed);
  return b;
}

testsupport::RunResult poster(const std::string& movie, const std::string& dest) {
  return testsupport::run(testsupport::binPath("Kestrix"), {movie, dest}, kNoDisplay);
}

}  // namespace

TEST(OversizedTables, PosterRunsOfDamagedSampleCountsStaySmall) {
  testsupport::ScopedHome home;
  testsupport::TempDir dir;

  // The unchanged file: its poster, and the memory an ordinary run takes.
  auto plain = poster(fixture("movie.mp4"), dir.file("plain.jpg"));
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_TRUE(platform::graphics::decodeJPEG(testsupport::readFile(dir.file("plain.jpg"))));
  EXPECT_LT(plain.maxRssKB, kPeakLimitKB);
  std::printf("unchanged movie.mp4: peak %ld KB\n", plain.maxRssKB);

  const Damage cases[] = {
      {"stsz-only", "movie.mp4", false, false, false},
      {"stsz-and-stts", "movie.mp4", false, true, false},
      {"one-chunk", "fuzz-seeds/video.mp4", false, true, true},
      {"movie-box-only", "fuzz-seeds/video.mp4", true, true, true},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.name);
    std::string bytes = damaged(d);
    ASSERT_FALSE(bytes.empty()) << "fixture " << d.source << " missing or without a picture track";
    if (d.movieBoxOnly) {
      EXPECT_LE(bytes.size(), 4096u);
    }
    const std::string movie = dir.file(std::string(d.name) + ".mp4");
    const std::string dest = dir.file(std::string(d.name) + ".jpg");
    testsupport::writeFile(movie, bytes);
    auto r = poster(movie, dest);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_LT(r.maxRssKB, kPeakLimitKB) << "peak resident size of the poster run";
    std::printf("%s: peak %ld KB, %.2f s\n", d.name, r.maxRssKB, r.seconds);
    // A poster, when one comes out of such a file, is still a whole 512 x 512 JPEG.
    std::string jpeg = testsupport::readFile(dest);
    if (!jpeg.empty()) {
      auto image = platform::graphics::decodeJPEG(jpeg);
      ASSERT_TRUE(image);
      EXPECT_EQ(image->width(), 512);
      EXPECT_EQ(image->height(), 512);
    }
  }
}
