#include "QTMovieView.h"

namespace platform::appkit {

QTMovieView::~QTMovieView() {
  if (movie_) movie_->setShownInView(false);
}

void QTMovieView::setMovie(platform::media::QTMoviePtr movie) {
  if (movie_ == movie) return;
  if (movie_) {
    movie_->stop();
    movie_->setShownInView(false);
  }
  movie_ = std::move(movie);
  if (movie_) movie_->setShownInView(true);
}

void QTMovieView::play() {
  if (movie_) movie_->play();
}

void QTMovieView::pause() {
  if (movie_) movie_->stop();
}

}  // namespace platform::appkit
