// Frames, natural size, load states and the playback clock of movie objects.
#include <gtest/gtest.h>

#include <cmath>

#include "XMHQTFileInvestigator.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/QTMovie.h"
#include "tests/support/TestSupport.h"

using namespace platform::media;
using platform::graphics::Image;
using testsupport::fixture;
using testsupport::runMainLoopUntil;

namespace {

// Frame N of frames.* is flat grey of luma 16 + 4 N (5 fps); limited-range grey back to N.
int frameNumberOf(const Image& image) {
  double grey = image.pixel(image.width() / 2, image.height() / 2).r;
  return static_cast<int>(std::lround((grey * 219.0 / 255.0) / 4.0));
}

QTMoviePtr openMovie(const std::string& name, bool async = false) {
  QTNewMoviePropertyElement props[3];
  props[0] = {kQTPropertyClass_DataLocation, kQTDataLocationPropertyID_CFStringNativePath, 4, fixture(name), noErr};
  props[1] = {kQTPropertyClass_NewMovieProperty, kQTNewMoviePropertyID_Active, 1, true, noErr};
  props[2] = {kQTPropertyClass_MovieInstantiation, kQTMovieInstantiationPropertyID_AsyncOK, 1, async, noErr};
  MoviePtr movie;
  if (NewMovieFromProperties(3, props, 0, nullptr, &movie) != noErr) return nullptr;
  return QTMovie::movieWithQuickTimeMovie(movie, true, nullptr);
}

}  // namespace

TEST(FrameImage, FrameAtATimeIsTheOneShownThenInEveryContainer) {
  // One keyframe, B-frames; the transport stream's timestamps start at 1.4 s.
  for (const char* name : {"frames.mp4", "frames.mkv", "frames.ts"}) {
    SCOPED_TRACE(name);
    QTMoviePtr movie = openMovie(name);
    ASSERT_TRUE(movie);
    const int32_t scale = movie->duration().timeScale;
    struct Case {
      double seconds;
      int frame;
    } cases[] = {{3.3, 16}, {0, 0}, {0.19, 0}, {0.2, 1}, {6.1, 30}, {9.99, 49}, {2.0, 10}, {-1.0, 0}};
    for (const Case& c : cases) {
      auto image = movie->frameImageAtTime({static_cast<int64_t>(std::llround(c.seconds * scale)), scale, 0});
      ASSERT_TRUE(image) << c.seconds;
      EXPECT_EQ(image->width(), 96);
      EXPECT_EQ(image->height(), 64);
      EXPECT_EQ(frameNumberOf(*image), c.frame) << "at " << c.seconds << " s";
    }
  }
}

TEST(FrameImage, TimesMayBeInAnyScaleAndIndefiniteOrBadScalesGiveNothing) {
  QTMoviePtr movie = openMovie("frames.mp4");
  ASSERT_TRUE(movie);
  auto a = movie->frameImageAtTime({33, 10, 0});
  ASSERT_TRUE(a);
  EXPECT_EQ(frameNumberOf(*a), 16);
  EXPECT_FALSE(movie->frameImageAtTime({33, 0, 0}));
  EXPECT_FALSE(movie->frameImageAtTime({33, 10, kQTTimeIsIndefinite}));
  // Past the end: the last frame.
  auto past = movie->frameImageAtTime({100, 1, 0});
  ASSERT_TRUE(past);
  EXPECT_EQ(frameNumberOf(*past), 49);
  // Extreme times stay in range: the last and the first frame.
  auto huge = movie->frameImageAtTime({INT64_MAX, 1, 0});
  ASSERT_TRUE(huge);
  EXPECT_EQ(frameNumberOf(*huge), 49);
  auto negative = movie->frameImageAtTime({INT64_MIN, 1, 0});
  ASSERT_TRUE(negative);
  EXPECT_EQ(frameNumberOf(*negative), 0);
}

TEST(FrameImage, RotationAndPixelAspectAreShownAsAPlayerShowsThem) {
  QTMoviePtr rotated = openMovie("rotated-90.mp4");
  ASSERT_TRUE(rotated);
  QTSize size = rotated->naturalSize();
  EXPECT_EQ(size.width, 120);
  EXPECT_EQ(size.height, 160);
  auto frame = rotated->frameImageAtTime({0, 600, 0});
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->width(), 120);
  EXPECT_EQ(frame->height(), 160);
  // testsrc's colour bars run left to right; turned a quarter clockwise they run top to bottom,
  // so the top row is one colour and the left column is not.
  auto top0 = frame->pixel(5, 2), top1 = frame->pixel(60, 2);
  EXPECT_LT(std::abs(int(top0.r) - int(top1.r)) + std::abs(int(top0.g) - int(top1.g)), 60);

  QTMoviePtr wide = openMovie("sar-2to1.mp4");
  ASSERT_TRUE(wide);
  size = wide->naturalSize();
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 240);
  frame = wide->frameImageAtTime({0, 600, 0});
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->width(), 640);
  EXPECT_EQ(frame->height(), 240);
}

TEST(FrameImage, ASizeAttributeShrinksToFitTheBoxAndNeverEnlarges) {
  struct Case {
    const char* movie;
    QTSize box;
    int width, height;
  } cases[] = {
      {"rotated-90.mp4", {60, 60}, 45, 60},      // 120 x 160 as shown: the box holds the turned picture
      {"sar-2to1.mp4", {320, 1000}, 320, 120},   // 640 x 240 as shown
      {"frames.mp4", {512, 512}, 96, 64},        // smaller than the box: as it is
      {"frames.mp4", {0, 0}, 96, 64},            // no box
      {"frames.mp4", {NAN, 40}, 96, 64},         // not a box
      {"frames.mp4", {1e300, 1e300}, 96, 64},
      {"frames.mp4", {48, 48}, 48, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.movie) + " in " + std::to_string(c.box.width) + " x " + std::to_string(c.box.height));
    QTMoviePtr movie = openMovie(c.movie);
    ASSERT_TRUE(movie);
    auto frame = movie->frameImageAtTime({0, 600, 0}, QTFrameImageAttributes{c.box});
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width(), c.width);
    EXPECT_EQ(frame->height(), c.height);
  }
  // Shrinking keeps the frame: the one at 3.3 s is still frame 16.
  QTMoviePtr movie = openMovie("frames.mp4");
  auto small = movie->frameImageAtTime({33, 10, 0}, QTFrameImageAttributes{{24, 24}});
  ASSERT_TRUE(small);
  EXPECT_EQ(small->width(), 24);
  EXPECT_EQ(frameNumberOf(*small), 16);
  // A turned picture is turned after shrinking: the colour bars still run top to bottom.
  auto turned = openMovie("rotated-90.mp4")->frameImageAtTime({0, 600, 0}, QTFrameImageAttributes{{60, 60}});
  ASSERT_TRUE(turned);
  auto top0 = turned->pixel(2, 1), top1 = turned->pixel(30, 1);
  EXPECT_LT(std::abs(int(top0.r) - int(top1.r)) + std::abs(int(top0.g) - int(top1.g)), 60);
}

TEST(FrameImage, AudioOnlyHasNoPicturesAndNoSize) {
  QTMoviePtr movie = openMovie("audio.m4a");
  ASSERT_TRUE(movie);
  EXPECT_FALSE(movie->hasVideo());
  EXPECT_LT(movie->naturalSize().width, 1);
  EXPECT_FALSE(movie->frameImageAtTime({0, 600, 0}));
  EXPECT_FALSE(movie->posterImage());
  EXPECT_TRUE(openMovie("movie.mp4")->hasVideo());
}

TEST(FrameImage, PosterIsTheFrameAtThePosterTime) {
  QTMoviePtr movie = openMovie("frames.mp4");
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->posterTime().timeValue, 0);
  auto poster = movie->posterImage();
  ASSERT_TRUE(poster);
  EXPECT_EQ(frameNumberOf(*poster), 0);
}

TEST(LoadStates, AsynchronousOpenPostsEachStateOnTheMainLoopInOrder) {
  std::vector<QTMovieLoadState> seen;
  const QTMovie* sender = nullptr;
  auto& center = platform::NotificationCenter::defaultCenter();
  auto id = center.addObserver(QTMovieLoadStateDidChangeNotification, nullptr, [&](const platform::Notification& n) {
    sender = static_cast<const QTMovie*>(n.object);
    seen.push_back(static_cast<const QTMovie*>(n.object)->loadState());
  });
  QTMoviePtr movie = openMovie("movie.mp4", true);
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->loadState(), QTMovieLoadStateLoading);
  EXPECT_TRUE(runMainLoopUntil([&] { return movie->loadState() == QTMovieLoadStateComplete; }));
  center.removeObserver(id);
  EXPECT_EQ(sender, movie.get());
  EXPECT_EQ(seen, (std::vector<QTMovieLoadState>{QTMovieLoadStateLoaded, QTMovieLoadStatePlayable,
                                                 QTMovieLoadStatePlaythroughOK, QTMovieLoadStateComplete}));

  // Synchronous creation is complete at once.
  EXPECT_EQ(openMovie("movie.mp4", false)->loadState(), QTMovieLoadStateComplete);
}

TEST(LoadStates, PicturesThatCannotBeDecodedEndInTheErrorState) {
  QTMoviePtr movie = openMovie("undecodable-video.mp4", true);
  ASSERT_TRUE(movie);
  EXPECT_TRUE(runMainLoopUntil([&] { return movie->loadState() == QTMovieLoadStateError; }));
}

TEST(LoadStates, AMovieReleasedWhileLoadingIsNeverReported) {
  int posts = 0;
  auto& center = platform::NotificationCenter::defaultCenter();
  auto id = center.addObserver(QTMovieLoadStateDidChangeNotification, nullptr,
                               [&](const platform::Notification&) { ++posts; });
  openMovie("movie.mp4", true).reset();  // joins the loader
  platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, 0.2, false);
  center.removeObserver(id);
  EXPECT_EQ(posts, 0);
}

TEST(Playback, VolumeClampsAndCurrentTimeStaysWithinTheMovie) {
  QTMoviePtr movie = openMovie("frames.mp4");
  ASSERT_TRUE(movie);
  EXPECT_FLOAT_EQ(movie->volume(), 1.0f);
  movie->setVolume(0.25f);
  EXPECT_FLOAT_EQ(movie->volume(), 0.25f);
  movie->setVolume(3);
  EXPECT_FLOAT_EQ(movie->volume(), 1.0f);
  movie->setVolume(-1);
  EXPECT_FLOAT_EQ(movie->volume(), 0.0f);

  const QTTime d = movie->duration();
  movie->setCurrentTime({d.timeValue / 2, d.timeScale, 0});
  EXPECT_EQ(movie->currentTime().timeValue, d.timeValue / 2);
  movie->setCurrentTime({5, 1, 0});  // another scale
  EXPECT_EQ(movie->currentTime().timeValue, 5LL * d.timeScale);
  movie->setCurrentTime({d.timeValue * 3, d.timeScale, 0});
  EXPECT_EQ(movie->currentTime().timeValue, d.timeValue);
  movie->setCurrentTime({-4, d.timeScale, 0});
  EXPECT_EQ(movie->currentTime().timeValue, 0);
}

TEST(Playback, PlayingToTheEndPostsDidEndOnceAndStops) {
  QTMoviePtr movie = openMovie("frames.mp4");
  ASSERT_TRUE(movie);
  int ends = 0;
  auto& center = platform::NotificationCenter::defaultCenter();
  auto id = center.addObserver(QTMovieDidEndNotification, movie.get(), [&](const platform::Notification&) { ++ends; });
  const QTTime d = movie->duration();
  movie->setCurrentTime({d.timeValue - d.timeScale / 5, d.timeScale, 0});  // 0.2 s before the end
  movie->play();
  EXPECT_GT(movie->rate(), 0);
  EXPECT_TRUE(runMainLoopUntil([&] { return ends > 0; }, 5));
  platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, 0.2, false);
  center.removeObserver(id);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(movie->rate(), 0);
  EXPECT_EQ(movie->currentTime().timeValue, d.timeValue);

  // Stopped before the end: no notification.
  ends = 0;
  id = center.addObserver(QTMovieDidEndNotification, movie.get(), [&](const platform::Notification&) { ++ends; });
  movie->setCurrentTime({d.timeValue - d.timeScale / 10, d.timeScale, 0});
  movie->play();
  movie->stop();
  platform::RunLoop::mainRunLoop().runMode(platform::RunLoop::kDefaultRunLoopMode, 0.3, false);
  center.removeObserver(id);
  EXPECT_EQ(ends, 0);
}
