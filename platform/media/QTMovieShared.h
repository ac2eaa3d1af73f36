#pragma once
// State of a movie object shared with its loading thread.
#include <memory>
#include <mutex>

#include "platform/media/QTMovie.h"
#include "platform/media/ffmpeg/FFmpegModule.h"

namespace platform::media {

struct QTMovie::Shared {
  std::mutex mutex;  // guards everything below
  bool sourceTried = false;
  std::unique_ptr<FrameSource> source;

  // The decoder of the movie's pictures, opened on first need; nullptr when there is none.
  // Call with the mutex held.
  FrameSource* frameSource(const Movie& movie);
};

// Whether the movie has an enabled track of a picture-showing media type.
bool hasPictureTrack(const Movie& movie);

}  // namespace platform::media
