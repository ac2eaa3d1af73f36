#pragma once
// The movie view: shows a movie object and starts and stops its playback.
#include "platform/appkit/View.h"
#include "platform/appkit/Window.h"
#include "platform/media/QTMovie.h"

namespace platform::appkit {

class QTMovieView : public NSView {
 public:
  explicit QTMovieView(NSRect frame = {}) : NSView(frame) {}
  ~QTMovieView() override;

  const platform::media::QTMoviePtr& movie() const { return movie_; }
  // Replacing the movie stops the one shown before. A movie in a view plays on a player (picture
  // and sound) once asked to play.
  void setMovie(platform::media::QTMoviePtr movie);

  NSColor fillColor() const { return fillColor_; }
  void setFillColor(NSColor colour) { fillColor_ = colour; }
  bool isControllerVisible() const { return controllerVisible_; }
  void setControllerVisible(bool visible) { controllerVisible_ = visible; }
  bool preservesAspectRatio() const { return preservesAspectRatio_; }
  void setPreservesAspectRatio(bool preserves) { preservesAspectRatio_ = preserves; }

  void play();
  void pause();

 private:
  platform::media::QTMoviePtr movie_;
  NSColor fillColor_ = NSColor::colorWithCalibratedWhite(0, 1);
  bool controllerVisible_ = true;
  bool preservesAspectRatio_ = false;
};

}  // namespace platform::appkit
