#pragma once
// The movie object (the QTKit `QTMovie` level) over a low-level movie.
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/media/Movie.h"

namespace platform::media {

class QTMovie;
class FrameSource;

// Load states of a movie object (the value of its load-state attribute).
using QTMovieLoadState = long;
constexpr QTMovieLoadState QTMovieLoadStateError = -1;
constexpr QTMovieLoadState QTMovieLoadStateLoading = 1000;
constexpr QTMovieLoadState QTMovieLoadStateLoaded = 2000;
constexpr QTMovieLoadState QTMovieLoadStatePlayable = 10000;
constexpr QTMovieLoadState QTMovieLoadStatePlaythroughOK = 20000;
constexpr QTMovieLoadState QTMovieLoadStateComplete = 100000;

// Posted on the main run loop with the movie object as sender.
inline const std::string QTMovieLoadStateDidChangeNotification = "QTMovieLoadStateDidChangeNotification";
inline const std::string QTMovieDidEndNotification = "QTMovieDidEndNotification";

// A size in points; a width below 1 means "no size".
struct QTSize {
  double width = 0;
  double height = 0;
};

// Attributes of a frame request.
struct QTFrameImageAttributes {
  QTSize size;  // the box the picture will be drawn in; none by default
};

// Media types that show pictures, beyond MediaTypes.h's list.
inline const std::string QTMediaTypeFlash = "flsh";
inline const std::string QTMediaTypeMovie = "moov";
inline const std::string QTMediaType3D = "qd3d";
inline const std::string QTMediaTypeQTVR = "qtvr";

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

  explicit QTMovie(MoviePtr movie);
  ~QTMovie();
  QTMovie(const QTMovie&) = delete;
  QTMovie& operator=(const QTMovie&) = delete;

  // Load state; changes are posted as QTMovieLoadStateDidChangeNotification on the main run loop.
  // A movie made from a synchronously created low-level movie is complete from the start.
  QTMovieLoadState loadState() const { return loadState_; }

  // Attributes.
  // Natural size: the picture as a player shows it (square pixels, rotation applied); 0 x 0 for
  // a movie without pictures.
  QTSize naturalSize();
  // Whether the movie has an enabled track that shows pictures and that can be decoded.
  bool hasVideo();

  // Frames. Times are movie times; nullopt when no picture can be had there.
  std::optional<platform::graphics::Image> frameImageAtTime(QTTime time);
  // The same with attributes: a positive size is the box the caller will draw the picture in;
  // a larger picture comes shrunk to fit it, aspect ratio kept, which spares decoding work.
  std::optional<platform::graphics::Image> frameImageAtTime(QTTime time, const QTFrameImageAttributes& attributes);
  // The frame at the movie's poster time (time 0 when it names none).
  std::optional<platform::graphics::Image> posterImage();
  QTTime posterTime() const;

  // Volume 0 (silent) .. 1 (full); values outside are clamped.
  float volume() const { return volume_; }
  void setVolume(float volume);
  bool muted() const { return muted_; }
  void setMuted(bool muted) { muted_ = muted; }

  // Playback position, in the movie's time scale while stopped or playing; playback runs on the
  // movie's own clock and posts QTMovieDidEndNotification on the main run loop at the end.
  QTTime currentTime() const;
  void setCurrentTime(QTTime time);
  void play();
  void stop();
  float rate() const { return rate_; }

 private:
  friend std::shared_ptr<QTMovie> makeMovieObject(MoviePtr movie);
  struct Shared;
  void startLoading();
  void scheduleEnd();
  std::optional<platform::graphics::Image> frameImageAtSeconds(double seconds, QTSize fit = {});

  MoviePtr movie_;
  std::shared_ptr<Shared> shared_;  // also held by the loading thread
  std::weak_ptr<QTMovie> self_;
  std::thread loader_;
  QTMovieLoadState loadState_ = QTMovieLoadStateComplete;
  float volume_ = 1.0f;
  bool muted_ = false;
  // Position: at positionValue_ (movie scale) when playback started or stopped.
  int64_t positionValue_ = 0;
  float rate_ = 0;
  std::chrono::steady_clock::time_point playStart_;
  uint64_t playGeneration_ = 0;
};

using QTMoviePtr = std::shared_ptr<QTMovie>;

}  // namespace platform::media
