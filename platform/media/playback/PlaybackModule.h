#pragma once
// Playback (demuxing, decoding, audio output, A/V sync, seeking, volume, end of file) lives in a
// module of its own built on libmpv, loaded on first need: only a movie shown in a view ever
// loads it, so results mode and the command-line tools never pay for libmpv.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform::media {

// What a player reports; read with Player::nextEvent on the thread that owns the player.
enum class PlayerEventType {
  None,
  FileLoaded,       // the file is open; duration and position are known
  PlaybackRestart,  // a seek (or the start) has finished: the position is the new one
  EndReached,       // playback ran into the end of the file (the player stays there, paused)
  LoadFailed,       // the file could not be played
};

struct PlayerEvent {
  PlayerEventType type = PlayerEventType::None;
  std::string message;  // LoadFailed: why
};

// Settings fixed when a player is made.
struct PlayerOptions {
  // Audio output driver as the player names it ("auto", "pulse", "alsa", "null", ...).
  std::string audioOutput = "auto";
  // Whether the player loops forever on a file (off: it stops at the end).
  bool loop = false;
};

// Draws the player's pictures into an OpenGL context. Made and destroyed on the thread that owns
// the player, with the context current; frameReady, render, reportSwap and setUpdateHandler may
// be called on another thread (a render thread) that has the context current meanwhile. The
// settings (aspect ratio, background) belong to the player's thread.
class VideoRenderer {
 public:
  using GetProcAddress = void* (*)(void* context, const char* name);
  virtual ~VideoRenderer() = default;
  // Called from any thread when a new picture is due (or the old one must be redrawn).
  virtual void setUpdateHandler(std::function<void()> handler) = 0;
  // Whether a new picture waits to be drawn (asks the player; call after the update handler ran).
  virtual bool frameReady() = 0;
  // Draws the current picture into framebuffer `fbo` (0: the default one) of width × height
  // pixels, letterboxed on black with its aspect ratio kept. flipY turns the picture upside down,
  // which a window's default framebuffer (rows bottom-up) needs. False when nothing was drawn.
  virtual bool render(int fbo, int width, int height, bool flipY) = 0;
  // Tells the player the drawn picture reached the screen (after the buffer swap).
  virtual void reportSwap() = 0;
  // Whether the picture keeps its aspect ratio (else it fills the framebuffer), and the colour
  // around it (components 0..1).
  virtual void setKeepsAspectRatio(bool keeps) = 0;
  virtual void setBackgroundColor(double red, double green, double blue) = 0;
};

class Player {
 public:
  virtual ~Player() = default;

  // Called from any thread when events wait; the owner then drains them with nextEvent.
  virtual void setWakeupHandler(std::function<void()> handler) = 0;
  virtual PlayerEvent nextEvent() = 0;

  // Starts opening the file, at `startSeconds`, paused or playing. False when the player refused
  // the request at once.
  virtual bool load(const std::string& path, double startSeconds, bool paused) = 0;
  virtual void setPaused(bool paused) = 0;
  virtual bool paused() const = 0;
  // Absolute seek to `seconds`; exact lands on that time, not on the keyframe before it.
  virtual void seek(double seconds, bool exact) = 0;
  // Playback position and length in seconds; negative while unknown.
  virtual double position() const = 0;
  virtual double duration() const = 0;
  // Volume in percent of full, 0..100.
  virtual void setVolume(double percent) = 0;
  virtual double volume() const = 0;
  virtual void setMuted(bool muted) = 0;
  virtual bool muted() const = 0;
  // Speed factor of playback (1 normal).
  virtual void setSpeed(double speed) = 0;
  // Pictures dropped so far: by the decoder to catch up, and by the output for being late.
  virtual int64_t droppedFrames() const = 0;

  // A renderer into the OpenGL context current on the calling thread; nullptr when the player
  // can't draw there (logged). At most one per player at a time, destroyed before the player.
  virtual std::unique_ptr<VideoRenderer> makeOpenGLRenderer(VideoRenderer::GetProcAddress getProcAddress,
                                                            void* context) = 0;
};

class PlaybackModule {
 public:
  virtual ~PlaybackModule() = default;
  // nullptr (with `error` set) when the player library can't start.
  virtual std::unique_ptr<Player> makePlayer(const PlayerOptions& options, std::string* error) = 0;
};

// Loads the module (once); nullptr when it can't be found or loaded, after one log line.
PlaybackModule* playbackModule();
// Whether the module has been loaded in this process.
bool playbackModuleLoaded();
// Starts loading the module on a thread of its own (the player library takes a good part of a
// second to load), for a program that knows it will play; playbackModule() then waits for it.
void preloadPlaybackModule();

}  // namespace platform::media

// The module's exported entry.
extern "C" platform::media::PlaybackModule* mt_media_playback_module();
