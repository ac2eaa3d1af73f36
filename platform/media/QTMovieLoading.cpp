// Movie objects: creation and background loading with load-state notifications.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/foundation/Log.h"

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
  releasePlayer();
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

}  // namespace platform::media
