#include "Display.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/foundation/Log.h"

namespace platform::appkit {

namespace {
bool gStarted = false;
bool gTried = false;
SDLFunctions gSDL;

bool loadSDL() {
  void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* e = dlerror();
    platform::log("NSApplication: can't load SDL: %s", e ? e : "not found");
    return false;
  }
  bool ok = true;
#define MT_SDL_LOAD(name)                                                            \
  gSDL.name = reinterpret_cast<decltype(gSDL.name)>(dlsym(lib, "SDL_" #name)); \
  ok = ok && gSDL.name;
  MT_SDL_FUNCTIONS(MT_SDL_LOAD)
#undef MT_SDL_LOAD
  if (!ok) platform::log("NSApplication: SDL lacks entry points we need");
  return ok;
}
}  // namespace

const SDLFunctions& sdl() { return gSDL; }

bool startDisplay() {
  if (gTried) return gStarted;
  gTried = true;
  if (!loadSDL()) return false;
  // With a desktop, its driver; without one (or when it fails), SDL's dummy driver: windows that
  // exist and draw into memory, without setting up any graphics stack.
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool desktop = (x11 && *x11) || (wayland && *wayland) || std::getenv("SDL_VIDEODRIVER");
  if (desktop && gSDL.InitSubSystem(SDL_INIT_VIDEO) == 0) {
    gStarted = true;
    return true;
  }
  gSDL.SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (gSDL.InitSubSystem(SDL_INIT_VIDEO) == 0) {
    gStarted = true;
    return true;
  }
  platform::log("NSApplication: can't start the display: %s", gSDL.GetError());
  return false;
}

bool displayStarted() { return gStarted; }

}  // namespace platform::appkit
