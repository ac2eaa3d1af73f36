// Finds and loads the FFmpeg module beside the running program.
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include "FFmpegModule.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace platform::media {
namespace {

constexpr const char* kModuleFile = "mediatools-ffmpeg.so";

std::vector<std::string> searchFolders() {
  std::vector<std::string> folders;
  if (const char* env = std::getenv("MT_MEDIA_MODULE_DIR"); env && *env) folders.emplace_back(env);
  std::string exe = executableDirectory();
  folders.push_back(exe);
  folders.push_back(exe + "/../lib/mediatools");
#ifdef MT_BUILD_MODULE_DIR
  folders.emplace_back(MT_BUILD_MODULE_DIR);
#endif
  return folders;
}

}  // namespace

FFmpegModule* ffmpegModule() {
  static std::once_flag once;
  static FFmpegModule* module = nullptr;
  std::call_once(once, [] {
    std::string lastError = "not found";
    for (const std::string& folder : searchFolders()) {
      std::string path = folder + "/" + kModuleFile;
      if (!fileExists(path)) continue;
      void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) {
        const char* e = dlerror();
        lastError = e ? e : "dlopen failed";
        continue;
      }
      using Entry = FFmpegModule* (*)();
      auto entry = reinterpret_cast<Entry>(dlsym(handle, "mt_media_ffmpeg_module"));
      if (entry && (module = entry())) return;
      lastError = "no entry in " + path;
    }
    log("media: can't load the FFmpeg module %s: %s", kModuleFile, lastError.c_str());
  });
  return module;
}

}  // namespace platform::media
