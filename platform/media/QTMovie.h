#pragma once
// The movie object (the QTKit `QTMovie` level) over a low-level movie.
#include <memory>
#include <string>
#include <vector>

#include "platform/media/Movie.h"

namespace platform::media {

class QTMovie;

// A track of a movie object; keeps its movie alive.
class QTTrack {
 public:
  QTTrack(MoviePtr movie, long index) : movie_(std::move(movie)), index_(index) {}
  long index() const { return index_; }
  Track track() const { return GetMovieIndTrack(*movie_, index_); }
  std::string mediaType() const { return GetMediaType(track()); }
  bool isEnabled() const { return GetTrackEnabled(track()); }

 private:
  MoviePtr movie_;
  long index_;
};

class QTMovie {
 public:
  // Whether the file is a movie the media layer can open: a readable regular file whose
  // contents are of an accepted container type (not just its name).
  static bool canInitWithFile(const std::string& path);
  // Extensions of the openable types, lower-case.
  static std::vector<std::string> movieFileTypes();

  // Wraps a low-level movie; null (with `error` set) when there is none.
  static std::shared_ptr<QTMovie> movieWithQuickTimeMovie(MoviePtr movie, bool disposeWhenDone, std::string* error);

  MoviePtr quickTimeMovie() const { return movie_; }
  QTTime duration() const;
  std::vector<QTTrack> tracksOfMediaType(const std::string& mediaType) const;
  std::vector<QTTrack> tracks() const;

  explicit QTMovie(MoviePtr movie) : movie_(std::move(movie)) {}

 private:
  MoviePtr movie_;
};

using QTMoviePtr = std::shared_ptr<QTMovie>;

}  // namespace platform::media
