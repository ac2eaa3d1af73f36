// Playback of a movie object: volume, position, play and stop, on the movie's own clock or, once
// the movie is shown in a view, on a player of the playback module; the end of playback.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/QTMovie.h"

namespace platform::media {

namespace {

// The audio output players use: $MT_AUDIO_OUTPUT ("null" for none), else the desktop's own.
std::string audioOutput() {
  const char* env = std::getenv("MT_AUDIO_OUTPUT");
  return env && *env ? env : "auto";
}

}  // namespace

double QTMovie::secondsOf(int64_t value) const {
  const int32_t scale = GetMovieTimeScale(*movie_);
  return scale > 0 ? double(value) / scale : 0.0;
}

void QTMovie::setVolume(float volume) {
  if (std::isnan(volume)) return;
  volume_ = std::clamp(volume, 0.0f, 1.0f);
  if (player_) player_->setVolume(double(volume_) * 100.0);
}

void QTMovie::setMuted(bool muted) {
  muted_ = muted;
  if (player_) player_->setMuted(muted);
}

QTTime QTMovie::currentTime() const {
  const int64_t duration = std::max<int64_t>(GetMovieDuration(*movie_), 0);
  const int32_t scale = GetMovieTimeScale(*movie_);
  int64_t value = positionValue_;
  if (rate_ > 0 && scale > 0) {
    if (player_) {
      // While the player opens the file or seeks, the position is where it was asked to be.
      if (playerReady_ && !seekPending_) {
        const double seconds = player_->position();
        if (seconds >= 0) value = std::llround(seconds * scale);
      }
    } else {
      double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - playStart_).count();
      value += static_cast<int64_t>(elapsed * rate_ * scale);
    }
  }
  return QTTime{std::clamp<int64_t>(value, 0, duration), scale, 0};
}

void QTMovie::setCurrentTime(QTTime time) {
  const int32_t scale = GetMovieTimeScale(*movie_);
  int64_t value = time.timeValue;
  if (time.timeScale > 0 && scale > 0 && time.timeScale != scale)
    value = static_cast<int64_t>(std::llround(double(time.timeValue) * scale / time.timeScale));
  positionValue_ = std::clamp<int64_t>(value, 0, std::max<int64_t>(GetMovieDuration(*movie_), 0));
  if (player_) {
    // Before the file is open the player is sent there once it is (drainPlayerEvents).
    if (playerReady_) {
      player_->seek(secondsOf(positionValue_), true);
      seekPending_ = true;
    }
    return;
  }
  if (rate_ > 0) {
    playStart_ = std::chrono::steady_clock::now();
    scheduleEnd();
  }
}

void QTMovie::play() {
  if (rate_ > 0) return;
  const bool atEnd = positionValue_ >= GetMovieDuration(*movie_);
  if (atEnd) positionValue_ = 0;
  rate_ = 1;
  const bool hadPlayer = player_ != nullptr;
  if (Player* p = player()) {
    if (hadPlayer && atEnd && playerReady_) {
      p->seek(0, true);
      seekPending_ = true;
    }
    p->setPaused(false);
    return;
  }
  playStart_ = std::chrono::steady_clock::now();
  scheduleEnd();
}

void QTMovie::stop() {
  if (rate_ <= 0) return;
  positionValue_ = currentTime().timeValue;
  rate_ = 0;
  if (player_) {
    player_->setPaused(true);
    return;
  }
  ++playGeneration_;
  platform::RunLoop::mainRunLoop().cancelPreviousPerformRequests(this, "movieDidEnd");
}

// On the clock, the end of playback is a delayed perform on the main run loop; moving or
// stopping the movie replaces it.
void QTMovie::scheduleEnd() {
  if (!platform::RunLoop::isMainThread()) return;
  auto& loop = platform::RunLoop::mainRunLoop();
  loop.cancelPreviousPerformRequests(this, "movieDidEnd");
  const int32_t scale = GetMovieTimeScale(*movie_);
  if (scale <= 0) return;
  double remaining = double(GetMovieDuration(*movie_) - positionValue_) / scale / rate_;
  const uint64_t generation = ++playGeneration_;
  loop.performAfterDelay(std::max(0.0, remaining), this, "movieDidEnd", [weak = self_, generation] {
    std::shared_ptr<QTMovie> movie = weak.lock();
    if (!movie || movie->playGeneration_ != generation || movie->rate_ <= 0) return;
    movie->playerDidEnd();
  });
}

void QTMovie::playerDidEnd() {
  positionValue_ = GetMovieDuration(*movie_);
  rate_ = 0;
  seekPending_ = false;
  platform::NotificationCenter::defaultCenter().postNotification(QTMovieDidEndNotification, this);
}

void QTMovie::releasePlayer() {
  if (!player_) return;
  player_.reset();
  playerReady_ = seekPending_ = false;
}

void QTMovie::setShownInView(bool shown) {
  shownInView_ = std::max(0, shownInView_ + (shown ? 1 : -1));
  if (shownInView_ == 0 && player_) {
    // Off screen: back to the clock, where the player was.
    positionValue_ = currentTime().timeValue;
    const bool playing = rate_ > 0;
    releasePlayer();
    if (playing) {
      playStart_ = std::chrono::steady_clock::now();
      scheduleEnd();
    }
  }
}

Player* QTMovie::player() {
  if (player_ || playerFailed_ || shownInView_ == 0 || !platform::RunLoop::isMainThread()) return player_.get();
  PlaybackModule* module = playbackModule();
  if (!module) {
    playerFailed_ = true;
    return nullptr;
  }
  PlayerOptions options;
  options.audioOutput = audioOutput();
  std::string error;
  player_ = module->makePlayer(options, &error);
  if (!player_) {
    playerFailed_ = true;
    platform::log("QTMovie: can't start a player: %s", error.c_str());
    return nullptr;
  }
  // The clock's end of playback is the player's business now.
  ++playGeneration_;
  platform::RunLoop::mainRunLoop().cancelPreviousPerformRequests(this, "movieDidEnd");

  // Wakeups come from the player's threads; one drain on the main run loop serves all that
  // arrive before it runs.
  player_->setWakeupHandler([weak = self_, pending = wakePending_] {
    if (pending->exchange(true)) return;
    platform::RunLoop::mainRunLoop().perform([weak, pending] {
      pending->store(false);
      if (std::shared_ptr<QTMovie> movie = weak.lock()) movie->drainPlayerEvents();
    });
  });
  player_->setVolume(double(volume_) * 100.0);
  player_->setMuted(muted_);
  playerReady_ = seekPending_ = false;
  loadedAtValue_ = positionValue_;
  if (!player_->load(movie_->path(), secondsOf(positionValue_), rate_ <= 0)) {
    platform::log("QTMovie: the player refused '%s'", movie_->path().c_str());
    player_.reset();
    playerFailed_ = true;
    return nullptr;
  }
  return player_.get();
}

void QTMovie::drainPlayerEvents() {
  while (player_) {
    const PlayerEvent event = player_->nextEvent();
    switch (event.type) {
      case PlayerEventType::None:
        return;
      case PlayerEventType::FileLoaded:
        playerReady_ = true;
        // Moved while the player was opening the file.
        if (positionValue_ != loadedAtValue_) {
          player_->seek(secondsOf(positionValue_), true);
          seekPending_ = true;
        }
        break;
      case PlayerEventType::PlaybackRestart:
        seekPending_ = false;
        break;
      case PlayerEventType::EndReached:
        if (rate_ > 0) playerDidEnd();
        break;
      case PlayerEventType::LoadFailed: {
        platform::log("QTMovie: can't play '%s': %s", movie_->path().c_str(), event.message.c_str());
        // Playback goes on on the clock, so position and end still work.
        const bool playing = rate_ > 0;
        player_.reset();
        playerFailed_ = true;
        playerReady_ = seekPending_ = false;
        if (playing) {
          playStart_ = std::chrono::steady_clock::now();
          scheduleEnd();
        }
        return;
      }
    }
  }
}

std::unique_ptr<VideoRenderer> QTMovie::makeVideoRenderer(VideoRenderer::GetProcAddress getProcAddress,
                                                          void* context) {
  Player* p = player();
  return p ? p->makeOpenGLRenderer(getProcAddress, context) : nullptr;
}

int64_t QTMovie::droppedFrames() const { return player_ ? player_->droppedFrames() : 0; }

}  // namespace platform::media
