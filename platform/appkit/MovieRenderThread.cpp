#include "platform/appkit/MovieRenderThread.h"

#include <chrono>

#include "platform/gl/WindowGLContext.h"

namespace platform::appkit {

MovieRenderThread::MovieRenderThread(platform::gl::WindowGLContext& context, platform::media::VideoRenderer& renderer,
                                     double fillRed, double fillGreen, double fillBlue)
    : context_(context), renderer_(renderer), fill_{fillRed, fillGreen, fillBlue} {
  context_.releaseCurrent();
  renderer_.setUpdateHandler([this] {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pictureDue_ = true;
    }
    wake_.notify_all();
  });
  thread_ = std::thread([this] { run(); });
}

MovieRenderThread::~MovieRenderThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  // The renderer lives on (its owner frees it): it must not call into this object any more.
  renderer_.setUpdateHandler(nullptr);
  context_.makeCurrent();
}

void MovieRenderThread::requestRedraw(bool moviePlaying) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    redraw_ = true;
    if (!moviePlaying) redrawNow_ = true;
  }
  wake_.notify_all();
}

// Only render calls of the player's render API happen here: a render thread must never wait on the
// player's other calls (the player waits on it).
void MovieRenderThread::run() {
  if (!context_.makeCurrent()) {
    failed_ = true;
    return;
  }
  using Clock = std::chrono::steady_clock;
  Clock::time_point redrawAsked{};
  for (;;) {
    bool picture = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      for (;;) {
        if (stop_ || pictureDue_ || redrawNow_) break;
        if (redraw_) {
          // Something else changed while pictures come: it rides along with the next one.
          if (redrawAsked == Clock::time_point{}) redrawAsked = Clock::now();
          const auto deadline = redrawAsked + std::chrono::milliseconds(50);
          if (Clock::now() >= deadline) break;
          wake_.wait_until(lock, deadline);
        } else {
          wake_.wait(lock);
        }
      }
      if (stop_) break;
      picture = pictureDue_;
      pictureDue_ = redraw_ = redrawNow_ = false;
      redrawAsked = Clock::time_point{};
    }
    if (picture && renderer_.frameReady()) ++newPictures_;
    if (!renderer_.render(0, context_.width(), context_.height(), true)) {
      const auto& gl = context_.functions();
      gl.glClearColor(float(fill_[0]), float(fill_[1]), float(fill_[2]), 1.0f);
      gl.glClear(GL_COLOR_BUFFER_BIT);
    }
    context_.flushBuffer();
    renderer_.reportSwap();
    ++drawings_;
  }
  context_.releaseCurrent();
}

}  // namespace platform::appkit
