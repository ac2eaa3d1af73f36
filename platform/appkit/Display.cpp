#include "Display.h"

#include <SDL2/SDL.h>

#include <cstdlib>

#include "platform/foundation/Log.h"

namespace platform::appkit {

namespace {
bool gStarted = false;
bool gTried = false;
}  // namespace

bool startDisplay() {
  if (gTried) return gStarted;
  gTried = true;
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    gStarted = true;
    return true;
  }
  // No display: windows exist off screen.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    gStarted = true;
    return true;
  }
  platform::log("NSApplication: can't start the display: %s", SDL_GetError());
  return false;
}

bool displayStarted() { return gStarted; }

}  // namespace platform::appkit
