#pragma once
// The movie view: shows a movie object and starts and stops its playback. A GL view: the window
// that holds it is a GL window, and the movie's player draws its pictures there (aspect ratio
// kept, on the fill colour) whenever a new one is due; hidden, it shows the fill colour alone.
#include <atomic>
#include <memory>

#include "platform/appkit/OpenGLView.h"
#include "platform/appkit/Window.h"
#include "platform/media/QTMovie.h"

namespace platform::appkit {

class QTMovieView : public NSOpenGLView {
 public:
  explicit QTMovieView(NSRect frame = {});
  ~QTMovieView() override;

  const platform::media::QTMoviePtr& movie() const { return movie_; }
  // Replacing the movie stops the one shown before. A movie in a view plays on a player (picture
  // and sound) once asked to play or shown in a window.
  void setMovie(platform::media::QTMoviePtr movie);

  NSColor fillColor() const { return fillColor_; }
  void setFillColor(NSColor colour);
  bool isControllerVisible() const { return controllerVisible_; }
  void setControllerVisible(bool visible) { controllerVisible_ = visible; }
  bool preservesAspectRatio() const { return preservesAspectRatio_; }
  void setPreservesAspectRatio(bool preserves);

  void play();
  void pause();

  // Pictures of the movie drawn so far (for the tests and the benchmark).
  uint64_t picturesDrawn() const { return picturesDrawn_; }

  void drawRect(NSRect dirtyRect) override;
  void clearGLContext() override;

 private:
  void releaseRenderer();

  platform::media::QTMoviePtr movie_;
  NSColor fillColor_ = NSColor::colorWithCalibratedWhite(0, 1);
  bool controllerVisible_ = true;
  bool preservesAspectRatio_ = false;
  std::unique_ptr<platform::media::VideoRenderer> renderer_;
  bool rendererTried_ = false;
  uint64_t picturesDrawn_ = 0;
  // Set while a redraw asked for by the player waits on the main run loop.
  std::shared_ptr<std::atomic<bool>> redrawPending_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace platform::appkit
