// Loads the playback module beside the running program, on first need.
#include <atomic>
#include <thread>

#include "platform/media/ModuleLoader.h"
#include "platform/media/playback/PlaybackModule.h"

namespace platform::media {
namespace {
std::atomic<bool> gLoaded{false};
}

PlaybackModule* playbackModule() {
  static PlaybackModule* module = [] {
    using Entry = PlaybackModule* (*)();
    auto entry =
        reinterpret_cast<Entry>(loadMediaModule("mediatools-playback.so", "mt_media_playback_module", "playback"));
    PlaybackModule* m = entry ? entry() : nullptr;
    gLoaded = m != nullptr;
    return m;
  }();
  return module;
}

bool playbackModuleLoaded() { return gLoaded; }

void preloadPlaybackModule() {
  // The loading thread is waited for at exit: the program may end while the library loads.
  struct Preloader {
    std::thread thread{[] { playbackModule(); }};
    ~Preloader() {
      if (thread.joinable()) thread.join();
    }
  };
  static Preloader preloader;
}

}  // namespace platform::media
