#include "platform/media/ModuleLoader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace platform::media {
namespace {

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

void* loadMediaModule(const char* file, const char* entryName, const char* what) {
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
  log("media: can't load the %s module %s: %s", what, file, lastError.c_str());
  return nullptr;
}

}  // namespace platform::media
