#pragma once
// The SDL video subsystem, started on first need: the desktop's driver when there is one, else
// SDL's dummy driver, so programs run without a display too. SDL itself (with the audio,
// X11 and Wayland libraries it pulls in) is loaded only then, so programs that never show a
// window never load it.
#include <SDL2/SDL.h>

namespace platform::appkit {

#define MT_SDL_FUNCTIONS(X)                                                                                          \
  X(CreateWindow) X(DestroyWindow) X(FillRect) X(GetDisplayBounds) X(GetError) X(GetWindowFromID)                    \
  X(GetWindowSurface) X(HideWindow) X(InitSubSystem) X(MapRGB) X(PollEvent) X(Quit) X(RaiseWindow) X(SetHint)        \
  X(SetWindowOpacity) X(SetWindowPosition) X(SetWindowSize) X(SetWindowTitle) X(ShowWindow) X(UpdateWindowSurface) \
  X(free)

// SDL's entry points, without their "SDL_" prefix.
struct SDLFunctions {
#define MT_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
  MT_SDL_FUNCTIONS(MT_SDL_MEMBER)
#undef MT_SDL_MEMBER
};

// True when SDL video is running (loading SDL and starting it now if needed).
bool startDisplay();
bool displayStarted();
// Valid once startDisplay() has succeeded.
const SDLFunctions& sdl();

}  // namespace platform::appkit
