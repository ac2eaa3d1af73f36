#include "QTMovieView.h"

namespace platform::appkit {

void QTMovieView::setMovie(platform::media::QTMoviePtr movie) {
  if (movie_ && movie_ != movie) movie_->stop();
  movie_ = std::move(movie);
}

void QTMovieView::play() {
  if (movie_) movie_->play();
}

void QTMovieView::pause() {
  if (movie_) movie_->stop();
}

}  // namespace platform::appkit
