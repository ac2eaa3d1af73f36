#pragma once
// The thread that draws a playing movie into its view's GL window, as a player's own video output
// does: it has the window's GL context while it runs, draws each new picture the moment the
// player has it, composites the window's overlays (the translucent children) over it and swaps.
// The main thread only asks it to redraw when something else changed, and never waits on a swap.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/appkit/Geometry.h"
#include "platform/media/playback/PlaybackModule.h"

namespace platform::gl {
class WindowGLContext;
}

namespace platform::appkit {

class MovieRenderThread {
 public:
  // Starts drawing `renderer`'s pictures into `context`, which the calling thread gives up. Where
  // the renderer has nothing to draw, the fill colour is drawn. The renderer outlives the thread.
  MovieRenderThread(platform::gl::WindowGLContext& context, platform::media::VideoRenderer& renderer, double fillRed,
                    double fillGreen, double fillBlue);
  // Stops the thread and gives the context back to the calling thread.
  ~MovieRenderThread();
  MovieRenderThread(const MovieRenderThread&) = delete;
  MovieRenderThread& operator=(const MovieRenderThread&) = delete;

  // False once the thread found it can't draw (the context could not be made current there).
  bool usable() const { return !failed_; }
  // Draws again: at once while the movie is stopped, else with the next picture (due within a
  // frame's time; at most 50 ms later).
  void requestRedraw(bool moviePlaying);

  uint64_t drawings() const { return drawings_; }
  uint64_t newPictures() const { return newPictures_; }

 private:
  void run();

  platform::gl::WindowGLContext& context_;
  platform::media::VideoRenderer& renderer_;
  const double fill_[3];
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool pictureDue_ = true;   // the player has a new picture (and the first drawing is due)
  bool redraw_ = false;      // something else changed
  bool redrawNow_ = false;   // ... and no picture will come soon
  std::atomic<bool> failed_{false};
  std::atomic<uint64_t> drawings_{0};
  std::atomic<uint64_t> newPictures_{0};
  std::thread thread_;
};

}  // namespace platform::appkit
