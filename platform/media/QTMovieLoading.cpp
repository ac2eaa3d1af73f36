// Movie objects: creation, background loading with load-state notifications, volume and the
// playback clock.
#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/QTMovie.h"
#include "platform/media/QTMovieShared.h"

namespace platform::media {

namespace {

// Sets the state on the main thread and posts the change there, so observers always see the
// state they are told about.
void postLoadState(const std::weak_ptr<QTMovie>& weak, QTMovieLoadState state,
                   void (*apply)(QTMovie&, QTMovieLoadState)) {
  platform::RunLoop::performOnMainThread(
      [weak, state, apply] {
        std::shared_ptr<QTMovie> movie = weak.lock();
        if (!movie) return;
        apply(*movie, state);
        platform::NotificationCenter::defaultCenter().postNotification(QTMovieLoadStateDidChangeNotification,
                                                                        movie.get());
      },
      false);
}

}  // namespace

QTMovie::QTMovie(MoviePtr movie) : movie_(std::move(movie)), shared_(std::make_shared<Shared>()) {}

QTMovie::~QTMovie() {
  if (loader_.joinable()) {
    if (loader_.get_id() == std::this_thread::get_id())
      loader_.detach();
    else
      loader_.join();
  }
}

std::shared_ptr<QTMovie> makeMovieObject(MoviePtr movie) {
  const bool async = movie->asyncLoadAllowed();
  auto object = std::make_shared<QTMovie>(std::move(movie));
  object->self_ = object;
  if (async) object->startLoading();
  return object;
}

// Loading opens the picture decoder (the part of opening that takes time); a movie whose
// pictures can't be decoded ends in the error state.
void QTMovie::startLoading() {
  loadState_ = QTMovieLoadStateLoading;
  auto apply = [](QTMovie& m, QTMovieLoadState s) { m.loadState_ = s; };
  loader_ = std::thread([shared = shared_, movie = movie_, weak = self_, apply] {
    bool ok = true;
    if (hasPictureTrack(*movie)) {
      std::lock_guard<std::mutex> lock(shared->mutex);
      ok = shared->frameSource(*movie) != nullptr;
    }
    if (!ok) {
      postLoadState(weak, QTMovieLoadStateError, apply);
      return;
    }
    for (QTMovieLoadState s : {QTMovieLoadStateLoaded, QTMovieLoadStatePlayable, QTMovieLoadStatePlaythroughOK,
                               QTMovieLoadStateComplete})
      postLoadState(weak, s, apply);
  });
}

void QTMovie::setVolume(float volume) {
  if (std::isnan(volume)) return;
  volume_ = std::clamp(volume, 0.0f, 1.0f);
}

QTTime QTMovie::currentTime() const {
  const int64_t duration = GetMovieDuration(*movie_);
  const int32_t scale = GetMovieTimeScale(*movie_);
  int64_t value = positionValue_;
  if (rate_ > 0 && scale > 0) {
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - playStart_).count();
    value += static_cast<int64_t>(elapsed * rate_ * scale);
  }
  return QTTime{std::clamp<int64_t>(value, 0, std::max<int64_t>(duration, 0)), scale, 0};
}

void QTMovie::setCurrentTime(QTTime time) {
  const int32_t scale = GetMovieTimeScale(*movie_);
  int64_t value = time.timeValue;
  if (time.timeScale > 0 && scale > 0 && time.timeScale != scale)
    value = static_cast<int64_t>(std::llround(double(time.timeValue) * scale / time.timeScale));
  positionValue_ = std::clamp<int64_t>(value, 0, std::max<int64_t>(GetMovieDuration(*movie_), 0));
  if (rate_ > 0) {
    playStart_ = std::chrono::steady_clock::now();
    scheduleEnd();
  }
}

void QTMovie::play() {
  if (rate_ > 0) return;
  if (positionValue_ >= GetMovieDuration(*movie_)) positionValue_ = 0;
  rate_ = 1;
  playStart_ = std::chrono::steady_clock::now();
  scheduleEnd();
}

void QTMovie::stop() {
  if (rate_ <= 0) return;
  positionValue_ = currentTime().timeValue;
  rate_ = 0;
  ++playGeneration_;
  platform::RunLoop::mainRunLoop().cancelPreviousPerformRequests(this, "movieDidEnd");
}

// The end of playback is a delayed perform on the main run loop; moving or stopping the movie
// replaces it.
void QTMovie::scheduleEnd() {
  if (!platform::RunLoop::isMainThread()) return;
  auto& loop = platform::RunLoop::mainRunLoop();
  loop.cancelPreviousPerformRequests(this, "movieDidEnd");
  const int32_t scale = GetMovieTimeScale(*movie_);
  if (scale <= 0) return;
  double remaining = double(GetMovieDuration(*movie_) - positionValue_) / scale / rate_;
  const uint64_t generation = ++playGeneration_;
  loop.performAfterDelay(std::max(0.0, remaining), this, "movieDidEnd", [weak = self_, generation] {
    std::shared_ptr<QTMovie> movie = weak.lock();
    if (!movie || movie->playGeneration_ != generation || movie->rate_ <= 0) return;
    movie->positionValue_ = GetMovieDuration(*movie->movie_);
    movie->rate_ = 0;
    platform::NotificationCenter::defaultCenter().postNotification(QTMovieDidEndNotification, movie.get());
  });
}

}  // namespace platform::media
