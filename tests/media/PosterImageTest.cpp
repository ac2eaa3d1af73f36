// Poster images of the investigator and the brightness test of the smart poster.
#include <gtest/gtest.h>

#include <cmath>

#include "XMHQTFileInvestigator.h"
#include "tests/support/TestSupport.h"

using platform::graphics::Image;
using testsupport::fixture;
using testsupport::LogCapture;
using X = XMHQTFileInvestigator;

namespace {
int frameNumberOf(const Image& image) {
  double grey = image.pixel(image.width() / 2, image.height() / 2).r;
  return static_cast<int>(std::lround((grey * 219.0 / 255.0) / 4.0));
}
}  // namespace

TEST(PosterImage, FractionOfTheDurationPicksThatFrame) {
  auto movie = X::newQTMovieFromPropertiesWithPath(fixture("frames.mp4"));
  ASSERT_TRUE(movie);
  for (auto [fraction, frame] : {std::pair{0.33f, 16}, {0.5f, 25}, {0.0f, 0}, {0.999f, 49}}) {
    auto image = X::posterImageForMovie(movie, fraction);
    ASSERT_TRUE(image);
    EXPECT_EQ(frameNumberOf(*image), frame) << fraction;
  }
  auto byPath = X::posterImageForFileNamed(fixture("frames.mp4"), 0.5f);
  ASSERT_TRUE(byPath);
  EXPECT_EQ(frameNumberOf(*byPath), 25);
  auto poster = X::posterImageForFileNamed(fixture("frames.mp4"));
  ASSERT_TRUE(poster);
  EXPECT_EQ(frameNumberOf(*poster), 0);
}

TEST(PosterImage, NoFrameFallsBackToThePosterAfterOneLine) {
  LogCapture log;
  EXPECT_FALSE(X::posterImageForMovie(nullptr, 0.5f));
  EXPECT_FALSE(X::posterImageForMovie(nullptr));
  EXPECT_FALSE(X::smartPosterImageForMovie(nullptr));
  EXPECT_EQ(log.messages(), std::vector<std::string>{"frameImageAtTime returned nothing!"});

  // Audio only: no frame and no poster.
  LogCapture audio;
  EXPECT_FALSE(X::posterImageForFileNamed(fixture("audio.m4a"), 0.5f));
  EXPECT_EQ(audio.messages(), std::vector<std::string>{"frameImageAtTime returned nothing!"});
  EXPECT_FALSE(X::posterImageForFileNamed(fixture("not-a-movie.txt"), 0.5f));
}

TEST(PosterImage, SmartPosterSkipsDarkFramesToTheFirstBrightOne) {
  // Dark for 5 s of 10: the poster (0 s), 10 % ... 40 % fail; 50 % is the first bright frame.
  auto smart = X::smartPosterImageForFileNamed(fixture("dark-then-bright.mp4"));
  ASSERT_TRUE(smart);
  EXPECT_GT(smart->pixel(32, 24).r, 200);
  EXPECT_TRUE(X::checkImage(smart));

  // All dark: the frame at 100 % of the duration, which exists.
  LogCapture log;
  auto dark = X::smartPosterImageForFileNamed(fixture("all-dark.mp4"));
  ASSERT_TRUE(dark);
  EXPECT_LT(dark->pixel(32, 24).r, 30);
  EXPECT_FALSE(X::checkImage(dark));
  EXPECT_TRUE(log.messages().empty());
}

TEST(CheckImage, MeanOfFiftyPassesAndJustBelowFails) {
  EXPECT_TRUE(X::checkImage(Image(10, 10, {50, 50, 50, 255})));
  EXPECT_FALSE(X::checkImage(Image(10, 10, {49, 49, 49, 255})));
  // 99 pixels of 50 and one of 49: mean 49.99.
  Image almost(10, 10, {50, 50, 50, 255});
  almost.setPixel(3, 7, {49, 49, 49, 255});
  EXPECT_FALSE(X::checkImage(almost));
  // Colour samples are averaged with integer division per pixel: (100 + 0 + 51) / 3 = 50.
  EXPECT_TRUE(X::checkImage(Image(10, 10, {100, 0, 51, 255})));
  EXPECT_FALSE(X::checkImage(Image(10, 10, {100, 0, 49, 255})));
  // Any size is reduced to 10 x 10 first.
  EXPECT_TRUE(X::checkImage(Image(640, 480, {200, 200, 200, 255})));
  EXPECT_FALSE(X::checkImage(Image(3, 1000, {10, 10, 10, 255})));
}

TEST(CheckImage, EmptyOrMissingImagesFailWithOneLine) {
  LogCapture log;
  EXPECT_FALSE(X::checkImage(std::nullopt));
  EXPECT_FALSE(X::checkImage(Image()));
  EXPECT_EQ(log.messages(), (std::vector<std::string>{"error: checkImage: size is less than 1",
                                                      "error: checkImage: size is less than 1"}));
}

TEST(CheckImage, BitmapSamplesAverageAllButAlphaAndASingleSampleAsIs) {
  std::vector<uint8_t> grey(100, 50);
  EXPECT_DOUBLE_EQ(X::meanBrightnessOfBitmap(grey.data(), 1), 50.0);
  std::vector<uint8_t> greyAlpha(200);
  for (size_t i = 0; i < 100; ++i) {
    greyAlpha[2 * i] = 60;
    greyAlpha[2 * i + 1] = 0;  // alpha is not counted
  }
  EXPECT_DOUBLE_EQ(X::meanBrightnessOfBitmap(greyAlpha.data(), 2), 60.0);
  std::vector<uint8_t> rgba(400);
  for (size_t i = 0; i < 100; ++i) {
    rgba[4 * i] = 10;
    rgba[4 * i + 1] = 20;
    rgba[4 * i + 2] = i < 50 ? 31 : 32;  // (10 + 20 + 31) / 3 = 20, (10 + 20 + 32) / 3 = 20
    rgba[4 * i + 3] = 255;
  }
  EXPECT_DOUBLE_EQ(X::meanBrightnessOfBitmap(rgba.data(), 4), 20.0);
  EXPECT_EQ(X::meanBrightnessOfBitmap(nullptr, 4), 0.0);
}
