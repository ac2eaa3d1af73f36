// The playback module: a player on libmpv's client API, drawing through its OpenGL render API
// into whatever context the caller has made current.
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <mutex>

#include "platform/media/playback/PlaybackModule.h"

namespace platform::media {
namespace {

// The mpv handle, shared by the player and its renderer so the renderer can outlive neither.
// mpv_terminate_destroy ends every callback before it returns.
struct MpvCore {
  mpv_handle* handle = nullptr;
  std::mutex mutex;  // guards wakeup
  std::function<void()> wakeup;

  ~MpvCore() {
    if (handle) mpv_terminate_destroy(handle);
  }
  static void onWakeup(void* data) {
    auto* core = static_cast<MpvCore*>(data);
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(core->mutex);
      fn = core->wakeup;
    }
    if (fn) fn();
  }
};

class MpvRenderer final : public VideoRenderer {
 public:
  MpvRenderer(std::shared_ptr<MpvCore> core, mpv_render_context* context)
      : core_(std::move(core)), context_(context) {
    mpv_render_context_set_update_callback(context_, &MpvRenderer::onUpdate, this);
  }
  ~MpvRenderer() override {
    // Pictures go nowhere again, then the context goes; no update callback runs after this.
    mpv_set_property_string(core_->handle, "vo", "null");
    mpv_render_context_free(context_);
  }

  void setUpdateHandler(std::function<void()> handler) override {
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
  }

  bool frameReady() override { return (mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME) != 0; }

  bool render(int fbo, int width, int height, bool flipY) override {
    if (width <= 0 || height <= 0) return false;
    mpv_opengl_fbo target{fbo, width, height, 0};
    int flip = flipY ? 1 : 0;
    // The caller's thread runs a user interface: never wait here for a picture's display time.
    int block = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &target},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_render(context_, params) >= 0;
  }

  void reportSwap() override { mpv_render_context_report_swap(context_); }

  void setKeepsAspectRatio(bool keeps) override {
    mpv_set_property_string(core_->handle, "keepaspect", keeps ? "yes" : "no");
  }
  void setBackgroundColor(double red, double green, double blue) override {
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%02X%02X%02X", byte(red), byte(green), byte(blue));
    mpv_set_property_string(core_->handle, "background", colour);
  }

 private:
  static void onUpdate(void* data) {
    auto* self = static_cast<MpvRenderer*>(data);
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      fn = self->handler_;
    }
    if (fn) fn();
  }

  std::shared_ptr<MpvCore> core_;
  mpv_render_context* context_;
  std::mutex mutex_;
  std::function<void()> handler_;
};

class MpvPlayer final : public Player {
 public:
  explicit MpvPlayer(std::shared_ptr<MpvCore> core, bool paused) : core_(std::move(core)), paused_(paused) {
    mpv_set_wakeup_callback(core_->handle, &MpvCore::onWakeup, core_.get());
    mpv_observe_property(core_->handle, 0, "eof-reached", MPV_FORMAT_FLAG);
    mpv_request_log_messages(core_->handle, "error");
  }

  void setWakeupHandler(std::function<void()> handler) override {
    {
      std::lock_guard<std::mutex> lock(core_->mutex);
      core_->wakeup = handler;
    }
    // The player wakes its client once until the events are read: events that came before this
    // handler would wait for ever.
    if (handler) handler();
  }

  PlayerEvent nextEvent() override {
    for (;;) {
      mpv_event* e = mpv_wait_event(core_->handle, 0);
      switch (e->event_id) {
        case MPV_EVENT_NONE:
          return {};
        case MPV_EVENT_FILE_LOADED:
          return {PlayerEventType::FileLoaded, {}};
        case MPV_EVENT_PLAYBACK_RESTART:
          return {PlayerEventType::PlaybackRestart, {}};
        case MPV_EVENT_END_FILE: {
          auto* end = static_cast<mpv_event_end_file*>(e->data);
          if (end->reason == MPV_END_FILE_REASON_ERROR) {
            std::string why = lastError_.empty() ? mpv_error_string(end->error) : lastError_;
            return {PlayerEventType::LoadFailed, why};
          }
          break;
        }
        case MPV_EVENT_PROPERTY_CHANGE: {
          auto* p = static_cast<mpv_event_property*>(e->data);
          const bool eof = p->format == MPV_FORMAT_FLAG && *static_cast<int*>(p->data) != 0;
          const bool wasEof = eof_;
          eof_ = eof;
          if (eof && !wasEof) {
            paused_ = true;  // the player holds the last picture, paused
            return {PlayerEventType::EndReached, {}};
          }
          break;
        }
        case MPV_EVENT_LOG_MESSAGE: {
          auto* m = static_cast<mpv_event_log_message*>(e->data);
          lastError_ = std::string(m->prefix) + ": " + m->text;
          while (!lastError_.empty() && (lastError_.back() == '\n' || lastError_.back() == '\r')) lastError_.pop_back();
          break;
        }
        default:
          break;
      }
    }
  }

  bool load(const std::string& path, double startSeconds, bool paused) override {
    setPaused(paused);
    char start[64];
    std::snprintf(start, sizeof start, "start=%.6f", startSeconds > 0 ? startSeconds : 0.0);
    const char* command[] = {"loadfile", path.c_str(), "replace", start, nullptr};
    return mpv_command_async(core_->handle, 0, command) >= 0;
  }

  // Changes go out asynchronously (the core may be busy decoding); what was asked for is
  // reported back at once.
  void setPaused(bool paused) override {
    paused_ = paused;
    int flag = paused ? 1 : 0;
    mpv_set_property_async(core_->handle, 0, "pause", MPV_FORMAT_FLAG, &flag);
  }
  bool paused() const override { return paused_; }

  void seek(double seconds, bool exact) override {
    char target[64];
    std::snprintf(target, sizeof target, "%.6f", seconds);
    const char* command[] = {"seek", target, exact ? "absolute+exact" : "absolute+keyframes", nullptr};
    mpv_command_async(core_->handle, 0, command);
  }

  double position() const override { return doubleProperty("time-pos"); }
  double duration() const override { return doubleProperty("duration"); }

  void setVolume(double percent) override {
    volume_ = percent;
    mpv_set_property_async(core_->handle, 0, "volume", MPV_FORMAT_DOUBLE, &percent);
  }
  double volume() const override { return volume_; }

  void setMuted(bool muted) override {
    muted_ = muted;
    int flag = muted ? 1 : 0;
    mpv_set_property_async(core_->handle, 0, "mute", MPV_FORMAT_FLAG, &flag);
  }
  bool muted() const override { return muted_; }

  void setSpeed(double speed) override { mpv_set_property_async(core_->handle, 0, "speed", MPV_FORMAT_DOUBLE, &speed); }

  int64_t droppedFrames() const override {
    return std::max<int64_t>(0, intProperty("frame-drop-count")) +
           std::max<int64_t>(0, intProperty("decoder-frame-drop-count"));
  }

  std::unique_ptr<VideoRenderer> makeOpenGLRenderer(VideoRenderer::GetProcAddress getProcAddress,
                                                    void* context) override {
    return makeRenderer(core_, getProcAddress, context);
  }

  static std::unique_ptr<VideoRenderer> makeRenderer(const std::shared_ptr<MpvCore>& core,
                                                     VideoRenderer::GetProcAddress getProcAddress, void* context) {
    mpv_opengl_init_params gl{getProcAddress, context};
    int advanced = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                 {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context* render = nullptr;
    const int status = mpv_render_context_create(&render, core->handle, params);
    if (status < 0 || !render) {
      std::fprintf(stderr, "mediatools-playback: no OpenGL renderer: %s\n", mpv_error_string(status));
      return nullptr;
    }
    auto renderer = std::make_unique<MpvRenderer>(core, render);
    // From now on pictures come here (the output is re-made, also mid-playback).
    mpv_set_property_string(core->handle, "vo", "libmpv");
    return renderer;
  }

 private:
  double doubleProperty(const char* name) const {
    double value = -1;
    if (mpv_get_property(core_->handle, name, MPV_FORMAT_DOUBLE, &value) < 0) return -1;
    return value;
  }
  int64_t intProperty(const char* name) const {
    int64_t value = -1;
    if (mpv_get_property(core_->handle, name, MPV_FORMAT_INT64, &value) < 0) return -1;
    return value;
  }

  std::shared_ptr<MpvCore> core_;
  bool paused_;
  bool muted_ = false;
  double volume_ = 100;
  bool eof_ = false;
  std::string lastError_;
};

class MpvModule final : public PlaybackModule {
 public:
  std::unique_ptr<Player> makePlayer(const PlayerOptions& options, std::string* error) override {
    // The player parses numbers in the C locale and refuses to start in any other.
    std::setlocale(LC_NUMERIC, "C");
    auto core = std::make_shared<MpvCore>();
    core->handle = mpv_create();
    if (!core->handle) {
      if (error) *error = "mpv_create failed";
      return nullptr;
    }
    mpv_handle* h = core->handle;
    auto set = [h](const char* name, const std::string& value) { mpv_set_option_string(h, name, value.c_str()); };
    // Pictures are decoded and dropped until a renderer exists (makeOpenGLRenderer): the
    // render API's output can't start without one, and a player may play before anything draws.
    set("vo", "null");
    // Probing hardware decoders and their GL interop costs time and logs about missing drivers.
    set("hwdec", "no");
    set("gpu-hwdec-interop", "no");
    // A player of one file: no scripts, no files found beside it, no disc probing.
    set("load-scripts", "no");
    set("ytdl", "no");
    set("sub-auto", "no");
    set("audio-file-auto", "no");
    set("cover-art-auto", "no");
    // No on-screen display: its fonts take tens of milliseconds to set up.
    set("osd-level", "0");
    set("sub-font-provider", "none");
    set("ao", options.audioOutput.empty() ? "auto" : options.audioOutput);
    set("keep-open", "yes");  // stay on the last picture at the end, so the position stays there
    set("idle", "yes");
    set("pause", "yes");
    set("input-default-bindings", "no");
    set("input-vo-keyboard", "no");
    set("audio-display", "no");
    set("loop-file", options.loop ? "inf" : "no");
    set("terminal", std::getenv("MT_PLAYER_LOG") ? "yes" : "no");
    if (const char* level = std::getenv("MT_PLAYER_LOG")) {
      set("msg-level", std::string("all=") + level);
      set("msg-time", "yes");
    }
    set("config", "no");
    const int status = mpv_initialize(h);
    if (status < 0) {
      if (error) *error = mpv_error_string(status);
      return nullptr;
    }
    return std::make_unique<MpvPlayer>(std::move(core), true);
  }
};

}  // namespace
}  // namespace platform::media

extern "C" __attribute__((visibility("default"))) platform::media::PlaybackModule* mt_media_playback_module() {
  static platform::media::MpvModule module;
  return &module;
}
