#include "platform/display/SDLLibrary.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/foundation/Log.h"

namespace platform::display {

namespace {
bool gStarted = false;
bool gTried = false;
SDLFunctions gSDL;
void* gHandle = nullptr;

bool loadSDL() {
  void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* e = dlerror();
    platform::log("Display: can't load SDL: %s", e ? e : "not found");
    return false;
  }
  gHandle = lib;
  bool ok = true;
#define MT_SDL_LOAD(name)                                                        \
  gSDL.name = reinterpret_cast<decltype(gSDL.name)>(dlsym(lib, "SDL_" #name)); \
  ok = ok && gSDL.name;
  MT_SDL_FUNCTIONS(MT_SDL_LOAD)
#undef MT_SDL_LOAD
  if (!ok) platform::log("Display: SDL lacks entry points we need");
  return ok;
}

bool set(const char* env) {
  const char* v = std::getenv(env);
  return v && *v;
}
}  // namespace

const SDLFunctions& sdl() { return gSDL; }
void* sdlHandle() { return gHandle; }

bool startDisplay() {
  if (gTried) return gStarted;
  gTried = true;
  if (!loadSDL()) return false;
  // The application decides what closing the last window means; the first click into a window
  // that is not active reaches its view; windows may be translucent under a compositor.
  gSDL.SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  gSDL.SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  gSDL.SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  gSDL.SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Software windows show their pixels through the window system's own images (X11 shared
  // memory), not through a GL renderer, which would make SDL remake the window with GL behind our
  // back (a new native window, out of its place in the stacking order).
  gSDL.SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  const bool desktop = set("DISPLAY") || set("WAYLAND_DISPLAY") || set("SDL_VIDEODRIVER");
  if (desktop && gSDL.InitSubSystem(SDL_INIT_VIDEO) == 0) {
    gStarted = true;
    return true;
  }
  gSDL.SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (gSDL.InitSubSystem(SDL_INIT_VIDEO) == 0) {
    gStarted = true;
    return true;
  }
  platform::log("Display: can't start the display: %s", gSDL.GetError());
  return false;
}

bool displayStarted() { return gStarted; }

const char* videoDriver() {
  const char* name = gStarted ? gSDL.GetCurrentVideoDriver() : nullptr;
  return name ? name : "";
}

void stopDisplay() {
  if (!gStarted) return;
  gSDL.Quit();
  gStarted = false;
  gTried = false;
}

}  // namespace platform::display
