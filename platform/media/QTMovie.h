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
#include "platform/media/playback/PlaybackModule.h"

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
  void setMuted(bool muted);

  // Playback position, in the movie's time scale. Once the movie is shown in a view and asked to
  // play (or to draw), playback runs on a player of the playback module: picture, sound, exact
  // seeks. Until then, and where no player can start, it runs on the movie's own clock. Either
  // way QTMovieDidEndNotification is posted on the main run loop when playback reaches the end.
  // A stopped movie reports the time it was stopped at or set to, exactly.
  QTTime currentTime() const;
  void setCurrentTime(QTTime time);
  void play();
  void stop();
  float rate() const { return rate_; }

  // Set by the movie view that shows the movie (QTMovieView): only such a movie starts a player.
  void setShownInView(bool shown);
  bool isShownInView() const { return shownInView_ > 0; }
  // The player, started on first need; nullptr while the movie is not shown in a view or when no
  // player can start (logged once).
  Player* player();
  bool hasPlayer() const { return player_ != nullptr; }
  // A renderer of the movie's pictures into the OpenGL context current on the calling thread;
  // nullptr without a player. Destroy it with that context current.
  std::unique_ptr<VideoRenderer> makeVideoRenderer(VideoRenderer::GetProcAddress getProcAddress, void* context);
  // Pictures the player dropped so far (0 without one).
  int64_t droppedFrames() const;

 private:
  friend std::shared_ptr<QTMovie> makeMovieObject(MoviePtr movie);
  struct Shared;
  void startLoading();
  void scheduleEnd();
  void drainPlayerEvents();
  void releasePlayer();
  void playerDidEnd();
  double secondsOf(int64_t value) const;
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
  // The player, once started (QTMoviePlayback.cpp).
  int shownInView_ = 0;
  std::unique_ptr<Player> player_;
  bool playerFailed_ = false;
  bool playerReady_ = false;   // the player has opened the file
  bool seekPending_ = false;   // a seek is under way: report its target
  int64_t loadedAtValue_ = 0;  // where the player was asked to start
  std::shared_ptr<std::atomic<bool>> wakePending_ = std::make_shared<std::atomic<bool>>(false);
};

using QTMoviePtr = std::shared_ptr<QTMovie>;

}  // namespace platform::media
