#pragma once
// The movie view: shows a movie object and starts and stops its playback. A GL view: the window
// that holds it is a GL window. Once its movie has a player, a render thread of its own draws
// the player's pictures there (aspect ratio kept, on the fill colour) as they come, with the
// window's translucent children over them; hidden or without a movie it shows the fill colour.
#include <memory>

#include "platform/appkit/MovieRenderThread.h"
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

  // Drawings of the window so far and how many of them brought a new picture of the movie.
  uint64_t picturesDrawn() const;
  uint64_t newPictures() const;

  void drawGL() override;
  void drawRect(NSRect dirtyRect) override;
  void clearGLContext() override;

 private:
  void stopRenderThread();
  bool showing() const { return movie_ && !isHiddenOrHasHiddenAncestor(); }

  platform::media::QTMoviePtr movie_;
  NSColor fillColor_ = NSColor::colorWithCalibratedWhite(0, 1);
  bool controllerVisible_ = true;
  bool preservesAspectRatio_ = false;
  std::unique_ptr<platform::media::VideoRenderer> renderer_;  // made and freed here, used by the thread
  std::unique_ptr<MovieRenderThread> renderThread_;
  bool renderThreadTried_ = false;
  // Counts of render threads that have ended.
  uint64_t drawingsBefore_ = 0;
  uint64_t newPicturesBefore_ = 0;
  uint64_t fillDrawings_ = 0;
};

}  // namespace platform::appkit
