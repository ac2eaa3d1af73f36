// Finds and loads the FFmpeg modules beside the running program or where they are installed.
#include <dlfcn.h>

#include <cstdlib>
#include <vector>

#include "FFmpegModule.h"
#include "platform/foundation/InstallLayout.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace platform::media {
namespace {

// $MT_MEDIA_MODULE_DIR, then the program's folder and the installed module folder (the build's
// bin folder only for programs inside the build tree).
std::vector<std::string> searchFolders() {
  std::vector<std::string> folders;
  if (const char* env = std::getenv("MT_MEDIA_MODULE_DIR"); env && *env) folders.emplace_back(env);
  for (std::string& folder : moduleFolders(executableDirectory())) folders.push_back(std::move(folder));
  return folders;
}

void* loadModule(const char* file, const char* entryName) {
  std::string lastError = "not found";
  for (const std::string& folder : searchFolders()) {
    std::string path = folder + "/" + file;
    if (!fileExists(path)) continue;
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
      const char* e = dlerror();
      lastError = e ? e : "dlopen failed";
      continue;
    }
    if (void* entry = dlsym(handle, entryName)) return entry;
    lastError = "no entry in " + path;
  }
  log("media: can't load the FFmpeg module %s: %s", file, lastError.c_str());
  return nullptr;
}

}  // namespace

FFmpegModule* ffmpegModule() {
  static FFmpegModule* module = [] {
    using Entry = FFmpegModule* (*)();
    auto entry = reinterpret_cast<Entry>(loadModule("mediatools-ffmpeg.so", "mt_media_ffmpeg_module"));
    return entry ? entry() : nullptr;
  }();
  return module;
}

CodecModule* codecModule() {
  static CodecModule* module = [] {
    using Entry = CodecModule* (*)();
    auto entry = reinterpret_cast<Entry>(loadModule("mediatools-codec.so", "mt_media_codec_module"));
    return entry ? entry() : nullptr;
  }();
  return module;
}

}  // namespace platform::media
