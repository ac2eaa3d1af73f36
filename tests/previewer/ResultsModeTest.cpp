// Kestrix run as the host runs it: results mode, no display, the poster checked on the JPEG itself.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "platform/graphics/ImageCodec.h"
#include "tests/support/TestSupport.h"

using platform::graphics::Image;
using testsupport::fixture;

namespace {

const std::vector<std::string> kNoDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER="};

testsupport::RunResult kestrix(const std::vector<std::string>& args) {
  return testsupport::run(testsupport::binPath("Kestrix"), args, kNoDisplay);
}

std::vector<std::string> messages(const std::string& err) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    if (end == std::string::npos) end = err.size();
    if (end > start) out.push_back(testsupport::stripLogPrefix(err.substr(start, end - start)));
    start = end + 1;
  }
  return out;
}

bool isBlack(const Image& img, int x, int y) {
  auto p = img.pixel(x, y);
  return p.r < 24 && p.g < 24 && p.b < 24;
}

// Extent of the picture along the centre row and column: [first, last] non-black pixel.
struct Extent {
  int top = -1, bottom = -1, left = -1, right = -1;
};
Extent pictureExtent(const Image& img) {
  Extent e;
  const int cx = img.width() / 2, cy = img.height() / 2;
  for (int y = 0; y < img.height(); ++y)
    if (!isBlack(img, cx, y)) {
      if (e.top < 0) e.top = y;
      e.bottom = y;
    }
  for (int x = 0; x < img.width(); ++x)
    if (!isBlack(img, x, cy)) {
      if (e.left < 0) e.left = x;
      e.right = x;
    }
  return e;
}

}  // namespace

class ResultsMode : public ::testing::Test {
 protected:
  testsupport::ScopedHome home;
  testsupport::TempDir out;
};

TEST_F(ResultsMode, PosterIsLetterboxedIntoTheSquare) {
  struct Case {
    const char* movie;
    Extent expected;
  } cases[] = {
      {"flat-1920x1080.mp4", {112, 399, 0, 511}},  // 512 x 288 at y = 112
      {"flat-480x640.mp4", {0, 511, 64, 447}},     // 384 x 512 at x = 64
      {"flat-256x256.mp4", {0, 511, 0, 511}},      // enlarged to fill
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.movie);
    const std::string dest = out.file(std::string(c.movie) + ".jpg");
    auto r = kestrix({fixture(c.movie), dest});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string bytes = testsupport::readFile(dest);
    ASSERT_EQ(platform::graphics::sniffImageFormat(bytes), platform::graphics::ImageFormat::JPEG);
    auto img = platform::graphics::decodeJPEG(bytes);
    ASSERT_TRUE(img);
    ASSERT_EQ(img->width(), 512);
    ASSERT_EQ(img->height(), 512);
    Extent e = pictureExtent(*img);
    // JPEG blocks blur an edge by at most a pixel.
    EXPECT_NEAR(e.top, c.expected.top, 1);
    EXPECT_NEAR(e.bottom, c.expected.bottom, 1);
    EXPECT_NEAR(e.left, c.expected.left, 1);
    EXPECT_NEAR(e.right, c.expected.right, 1);
    // The picture keeps its colour (0xC08040); the bands are black.
    auto mid = img->pixel(256, 256);
    EXPECT_NEAR(mid.r, 0xC0, 6);
    EXPECT_NEAR(mid.g, 0x80, 6);
    EXPECT_NEAR(mid.b, 0x40, 6);
    if (c.expected.top > 0) {
      EXPECT_TRUE(isBlack(*img, 256, 50));
    }
    if (c.expected.left > 0) {
      EXPECT_TRUE(isBlack(*img, 30, 256));
    }
  }
}

TEST_F(ResultsMode, UntaggedHDColoursAreReadAsBT709) {
  // 0xC08040 put into YUV with the BT.601 matrix and read back with BT.709: about (199, 130, 59).
  // Read with BT.601 it would come back as (192, 128, 64).
  const std::string dest = out.file("untagged.jpg");
  auto r = kestrix({fixture("flat-untagged-1280x720.mp4"), dest});
  EXPECT_EQ(r.status, 0) << r.err;
  auto img = platform::graphics::readImageFile(dest);
  ASSERT_TRUE(img);
  auto mid = img->pixel(256, 256);
  EXPECT_NEAR(mid.r, 199, 3);
  EXPECT_NEAR(mid.g, 130, 3);
  EXPECT_NEAR(mid.b, 59, 3);
}

TEST_F(ResultsMode, PosterIsTheFrameAtAThirdOfTheDuration) {
  // 10 s at 5 fps: 0.33 of the duration is 3.3 s, frame 16, grey luma 16 + 64.
  for (const char* movie : {"frames.mp4", "frames.ts"}) {
    SCOPED_TRACE(movie);
    const std::string dest = out.file(std::string(movie) + ".jpg");
    auto r = kestrix({fixture(movie), dest});
    EXPECT_EQ(r.status, 0);
    auto img = platform::graphics::readImageFile(dest);
    ASSERT_TRUE(img);
    const double grey = img->pixel(256, 256).r;
    EXPECT_EQ(std::lround(grey * 219.0 / 255.0 / 4.0), 16) << grey;
  }
}

TEST_F(ResultsMode, VerboseRunPrintsTheNameAndEveryProgressLine) {
  const std::string dest = out.file("poster.jpg");
  auto r = kestrix({fixture("movie.mp4"), dest, "verbose"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Kestrix");
  std::vector<std::string> expected = {
      "QTMovieLoadStateDidChange: kMovieLoadStateLoading",
      "QTMovieLoadStateDidChange: kMovieLoadStateLoaded",
      "QTMovieLoadStateDidChange: kMovieLoadStatePlayable",
      "QTMovieLoadStateDidChange: kMovieLoadStatePlaythroughOK",
      "QTMovieLoadStateDidChange: kMovieLoadStateComplete",
      "File Has Video: getting posterimage",
      "imgData: writeToFile: atomically",
      "Did write results file to:'" + dest + "'"};
  EXPECT_EQ(messages(r.err), expected);
  EXPECT_TRUE(std::filesystem::exists(dest));

  // Two arguments: quiet.
  auto quiet = kestrix({fixture("movie.mp4"), out.file("quiet.jpg")});
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "");
}

TEST_F(ResultsMode, AudioOnlyWritesNothing) {
  const std::string dest = out.file("poster.jpg");
  auto r = kestrix({fixture("audio.m4a"), dest, "v"});
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(std::filesystem::exists(dest));
  auto lines = messages(r.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Did NOT write results file to:'" + dest + "'");
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "QTMovieHasVideoAttribute is null, doublechecking for tracksOfMediaType"),
            lines.end());
}

TEST_F(ResultsMode, MissingInputGivesTheFallbackMoviesPoster) {
  auto r = kestrix({"/nonexistent/movie.mp4", out.file("fallback.jpg")});
  EXPECT_EQ(r.status, 0);
  auto direct = kestrix({testsupport::binPath("intro.mov"), out.file("intro.jpg")});
  EXPECT_EQ(direct.status, 0);
  const std::string a = testsupport::readFile(out.file("fallback.jpg"));
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, testsupport::readFile(out.file("intro.jpg")));
}

TEST_F(ResultsMode, DestinationInAMissingFolderLogsAndQuitsNormally) {
  const std::string dest = out.file("no/such/folder/poster.jpg");
  auto r = kestrix({fixture("movie.mp4"), dest, "v"});
  EXPECT_EQ(r.status, 0);
  auto lines = messages(r.err);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "XACArtworkManager: Error saving new ACAID: Couldn't write file at '" + dest + "'");
  EXPECT_EQ(lines.back(), "Did NOT write results file to:'" + dest + "'");
  EXPECT_FALSE(std::filesystem::exists(out.file("no")));
}

TEST_F(ResultsMode, AnyExtensionGetsJpegAndNoDefaultsAreWritten) {
  const std::string dest = out.file("results.plist");
  auto r = kestrix({fixture("movie.mp4"), dest});
  EXPECT_EQ(r.status, 0);
  const std::string bytes = testsupport::readFile(dest);
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF"));
  auto img = platform::graphics::decodeJPEG(bytes);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width(), 512);
  // Nothing but the poster: no defaults, no temporary files.
  EXPECT_FALSE(std::filesystem::exists(home.path() + "/.config/Kestrix"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), std::filesystem::directory_iterator()), 1);
}

TEST_F(ResultsMode, UnopenableInputQuitsWithTheErrorLines) {
  const std::string dest = out.file("poster.jpg");
  const std::string input = fixture("not-a-movie.txt");
  auto r = kestrix({input, dest});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(messages(r.err), (std::vector<std::string>{"Error: QTMovie can't init with file: '" + input + "'",
                                                       "Error: Failed to create QTMovie from file '" + input + "'"}));
  EXPECT_FALSE(std::filesystem::exists(dest));
}

// Every file of the third-party corpus: a normal exit, never a crash or a hang, and when a poster
// is written it is a whole 512 x 512 JPEG.
TEST_F(ResultsMode, SurvivesTheThirdPartyCorpus) {
  const std::string corpus = testsupport::corpusDir();
  if (corpus.empty()) GTEST_SKIP() << "third-party corpus not present beside the project";
  int posters = 0;
  for (auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    SCOPED_TRACE(entry.path().string());
    const std::string dest = out.file("corpus.jpg");
    std::filesystem::remove(dest);
    auto r = testsupport::run(testsupport::binPath("Kestrix"), {entry.path().string(), dest}, kNoDisplay, 60);
    EXPECT_EQ(r.status, 0) << r.err;
    if (!std::filesystem::exists(dest)) continue;
    auto img = platform::graphics::readImageFile(dest);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width(), 512);
    EXPECT_EQ(img->height(), 512);
    ++posters;
  }
  // blank_video.m4v and 64bit.mp4 carry pictures.
  EXPECT_GE(posters, 1);
}

// Results mode never loads the player: the dynamic loader's own account of what it mapped.
TEST_F(ResultsMode, NeverLoadsThePlayer) {
  std::vector<std::string> env = kNoDisplay;
  env.push_back("LD_DEBUG=files");
  const std::string poster = out.file("poster.jpg");
  auto r = testsupport::run(testsupport::binPath("Kestrix"), {fixture("movie.mp4"), poster}, env);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(poster));
  // The account is there: the picture decoder module was loaded to make the poster.
  EXPECT_NE(r.err.find("mediatools-codec.so"), std::string::npos);
  EXPECT_EQ(r.err.find("mediatools-playback.so"), std::string::npos);
  EXPECT_EQ(r.err.find("libmpv"), std::string::npos);
}
