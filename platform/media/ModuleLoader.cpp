#include "platform/media/ModuleLoader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <vector>

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
