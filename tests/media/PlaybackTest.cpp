// Playback of movie objects on the player: position over real time, exact seeks checked on the
// drawn picture, the end of playback, volume, and who loads the player at all.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gl/HeadlessGLContext.h"
#include "platform/media/QTMovie.h"
#include "tests/support/TestSupport.h"

using namespace platform::media;
using testsupport::fixture;
using testsupport::runMainLoopUntil;

namespace {

class MoviePlayback : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("MT_AUDIO_OUTPUT", "null", 1); }
};

QTMoviePtr openMovie(const std::string& path) {
  QTNewMoviePropertyElement props[2];
  props[0] = {kQTPropertyClass_DataLocation, kQTDataLocationPropertyID_CFStringNativePath, 4, path, noErr};
  props[1] = {kQTPropertyClass_NewMovieProperty, kQTNewMoviePropertyID_Active, 1, true, noErr};
  MoviePtr movie;
  if (NewMovieFromProperties(2, props, 0, nullptr, &movie) != noErr) return nullptr;
  return QTMovie::movieWithQuickTimeMovie(movie, true, nullptr);
}

double seconds(const QTTime& t) { return t.timeScale > 0 ? double(t.timeValue) / t.timeScale : 0; }

QTTime atSeconds(const QTMoviePtr& movie, double s) {
  const QTTime d = movie->duration();
  return {static_cast<int64_t>(std::llround(s * d.timeScale)), d.timeScale, 0};
}

void* osmesaProc(void*, const char* name) { return reinterpret_cast<void*>(OSMesaGetProcAddress(name)); }

// Whether a shared object whose path contains `name` is mapped into this process.
bool objectLoaded(const std::string& name) {
  struct Search {
    const std::string* name;
    bool found;
  } search{&name, false};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        if (info->dlpi_name && std::string(info->dlpi_name).find(*s->name) != std::string::npos) s->found = true;
        return 0;
      },
      &search);
  return search.found;
}

}  // namespace

TEST_F(MoviePlayback, AMovieNotShownInAViewPlaysOnItsClockWithoutThePlayer) {
  QTMoviePtr movie = openMovie(fixture("flat-2s.mp4"));
  ASSERT_TRUE(movie);
  movie->play();
  EXPECT_GT(movie->rate(), 0);
  EXPECT_FALSE(movie->hasPlayer());
  EXPECT_EQ(movie->player(), nullptr);
  movie->stop();
  // Nothing in this process has asked for a player (this test runs first in its suite).
  EXPECT_FALSE(playbackModuleLoaded());
  EXPECT_FALSE(objectLoaded("libmpv"));
}

TEST_F(MoviePlayback, PositionFollowsRealTimeAndStopsWhereStopped) {
  QTMoviePtr movie = openMovie(fixture("flat-16x9-30s.mp4"));
  ASSERT_TRUE(movie);
  movie->setShownInView(true);
  movie->setVolume(0.25f);
  movie->play();
  ASSERT_TRUE(movie->hasPlayer());
  EXPECT_TRUE(objectLoaded("libmpv"));
  // Volume 0.25 reaches the player as 25 %.
  EXPECT_TRUE(runMainLoopUntil([&] { return std::fabs(movie->player()->volume() - 25.0) < 1e-9; }, 5));

  // Once the player runs, two seconds of play advance the position by about two seconds.
  ASSERT_TRUE(runMainLoopUntil([&] { return seconds(movie->currentTime()) > 0.2; }, 10));
  const double start = seconds(movie->currentTime());
  const auto wallStart = std::chrono::steady_clock::now();
  runMainLoopUntil([] { return false; }, 2.0);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double advanced = seconds(movie->currentTime()) - start;
  EXPECT_NEAR(advanced, wall, 0.3);

  movie->stop();
  const QTTime stoppedAt = movie->currentTime();
  runMainLoopUntil([] { return false; }, 0.5);
  EXPECT_EQ(movie->currentTime().timeValue, stoppedAt.timeValue);
  EXPECT_TRUE(runMainLoopUntil([&] { return movie->player()->paused(); }, 2));
  movie->setShownInView(false);
  EXPECT_FALSE(movie->hasPlayer());
}

TEST_F(MoviePlayback, TheEndPostsDidEndOnceStopsThereAndPlayStartsOver) {
  QTMoviePtr movie = openMovie(fixture("flat-2s.mp4"));
  ASSERT_TRUE(movie);
  movie->setShownInView(true);
  int ends = 0;
  auto& center = platform::NotificationCenter::defaultCenter();
  auto id = center.addObserver(QTMovieDidEndNotification, movie.get(), [&](const platform::Notification&) { ++ends; });
  movie->setCurrentTime(atSeconds(movie, 1.2));
  movie->play();
  ASSERT_TRUE(movie->hasPlayer());
  EXPECT_TRUE(runMainLoopUntil([&] { return ends > 0; }, 10));
  runMainLoopUntil([] { return false; }, 0.5);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(movie->rate(), 0);
  EXPECT_EQ(movie->currentTime().timeValue, movie->duration().timeValue);

  // Playing again starts from the beginning and ends once more.
  movie->play();
  EXPECT_TRUE(runMainLoopUntil([&] { return seconds(movie->currentTime()) > 0.1 && seconds(movie->currentTime()) < 1.5; }, 5));
  EXPECT_TRUE(runMainLoopUntil([&] { return ends == 2; }, 10));
  center.removeObserver(id);
}

// frames.mp4: frame N (5 per second) is a flat grey of luma 16 + 4 N, with one keyframe only, so a
// seek that lands on a keyframe shows frame 0 and only an exact seek shows the frame asked for.
TEST_F(MoviePlayback, ExactSeeksShowTheFrameAtTheTimeLetterboxedOnBlack) {
  platform::gl::HeadlessGLContext gl(160, 64);
  ASSERT_TRUE(gl.valid());
  ASSERT_TRUE(gl.makeCurrent());
  QTMoviePtr movie = openMovie(fixture("frames.mp4"));
  ASSERT_TRUE(movie);
  movie->setShownInView(true);
  std::unique_ptr<VideoRenderer> renderer = movie->makeVideoRenderer(osmesaProc, nullptr);
  ASSERT_TRUE(renderer);
  std::atomic<int> updates{0};
  renderer->setUpdateHandler([&] { ++updates; });

  auto luma = [&](int frame) { return (4.0 * frame) * 255.0 / 219.0; };
  auto drawnGrey = [&] {
    renderer->render(0, gl.width(), gl.height(), false);
    gl.finish();
    return int(gl.pixel(gl.width() / 2, gl.height() / 2) >> 24);
  };
  for (double t : {3.0, 6.4, 1.2}) {
    const int frame = int(std::lround(t * 5));
    movie->setCurrentTime(atSeconds(movie, t));
    EXPECT_EQ(movie->currentTime().timeValue, atSeconds(movie, t).timeValue);
    // The picture follows once the player has seeked.
    bool shown = runMainLoopUntil([&] { return std::abs(drawnGrey() - luma(frame)) <= 4; }, 10);
    EXPECT_TRUE(shown) << "at " << t << " s: drawn " << drawnGrey() << ", frame " << frame << " is " << luma(frame);
  }
  EXPECT_GT(updates.load(), 0);
  // 96 × 64 into 160 × 64: 32 black columns either side.
  EXPECT_EQ(gl.pixel(5, 32) & 0xFFFFFF00u, 0u);
  EXPECT_EQ(gl.pixel(154, 32) & 0xFFFFFF00u, 0u);
  EXPECT_NE(gl.pixel(40, 32) & 0xFFFFFF00u, 0u);
  renderer.reset();
}

// Mesa's off-screen driver keeps a few allocations for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }
