// The window system's connection descriptor. Kept apart: the window-system headers that
// SDL_syswm.h brings in define macros (None, Status, Window) that clash with ordinary names.
#include <dlfcn.h>

#include "platform/display/SDLLibrary.h"
#include <SDL2/SDL_syswm.h>

namespace platform::display {

namespace {
bool windowInfo(SDL_Window* window, SDL_SysWMinfo& info) {
  if (!window || !sdlHandle()) return false;
  using GetWMInfo = SDL_bool (*)(SDL_Window*, SDL_SysWMinfo*);
  auto getInfo = reinterpret_cast<GetWMInfo>(dlsym(sdlHandle(), "SDL_GetWindowWMInfo"));
  SDL_VERSION(&info.version);
  return getInfo && getInfo(window, &info);
}
}  // namespace

unsigned long systemWindowId(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!windowInfo(window, info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}

int connectionDescriptor(SDL_Window* window) {
  SDL_SysWMinfo info;
  if (!windowInfo(window, info)) return -1;
  if (info.subsystem == SDL_SYSWM_X11 && info.info.x11.display) return ConnectionNumber(info.info.x11.display);
  if (info.subsystem == SDL_SYSWM_WAYLAND && info.info.wl.display) {
    int fd = -1;
    if (void* lib = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_NOLOAD)) {
      using GetFd = int (*)(wl_display*);
      if (auto getFd = reinterpret_cast<GetFd>(dlsym(lib, "wl_display_get_fd"))) fd = getFd(info.info.wl.display);
      dlclose(lib);
    }
    return fd;
  }
  return -1;
}

}  // namespace platform::display
