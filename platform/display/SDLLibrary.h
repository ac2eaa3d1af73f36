#pragma once
// SDL2, loaded on first need: the display layer's backing library. SDL itself (with the X11,
// Wayland and GL libraries it pulls in) is opened only when a window is first made, so programs
// that never show one never load it.
#include <SDL2/SDL.h>

namespace platform::display {

#define MT_SDL_FUNCTIONS(X)                                                                                        \
  X(CaptureMouse) X(CreateRGBSurfaceWithFormatFrom) X(CreateWindow) X(DestroyWindow) X(FillRect) X(FreeSurface)   \
  X(GL_CreateContext) X(GL_DeleteContext) X(GL_GetAttribute) X(GL_GetCurrentContext) X(GL_GetCurrentWindow) X(GL_GetDrawableSize)        \
  X(GL_GetProcAddress) X(GL_MakeCurrent) X(GL_ResetAttributes) X(GL_SetAttribute) X(GL_SetSwapInterval)           \
  X(GL_SwapWindow) X(GetCurrentVideoDriver) X(GetDisplayBounds) X(GetDisplayUsableBounds) X(GetError)             \
  X(GetGlobalMouseState) X(GetModState) X(GetMouseFocus) X(GetMouseState) X(GetNumVideoDisplays) X(GetWindowFlags) X(GetWindowFromID)               \
  X(GetWindowGammaRamp) X(GetWindowID) X(GetWindowOpacity) X(GetWindowPosition) X(GetWindowSize)                  \
  X(GetWindowSurface) X(HideWindow) X(InitSubSystem) X(PollEvent) X(PumpEvents) X(Quit)        \
  X(RaiseWindow) X(SetHint) X(SetSurfaceBlendMode) X(SetWindowAlwaysOnTop) X(SetWindowGammaRamp)                  \
  X(SetWindowBordered) X(SetWindowInputFocus) X(SetWindowMinimumSize) X(SetWindowModalFor) X(SetWindowOpacity) X(SetWindowPosition)    \
  X(SetWindowResizable) X(SetWindowSize) X(SetWindowTitle) X(ShowCursor) X(ShowWindow) X(UpdateWindowSurfaceRects) \
  X(UpperBlit) X(free)

// SDL's entry points, without their "SDL_" prefix.
struct SDLFunctions {
#define MT_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
  MT_SDL_FUNCTIONS(MT_SDL_MEMBER)
#undef MT_SDL_MEMBER
};

// True when SDL video is running (loading SDL and starting it now if needed): the desktop's
// driver when there is a desktop (DISPLAY, WAYLAND_DISPLAY or SDL_VIDEODRIVER set), else SDL's
// dummy driver, whose windows exist and draw into memory.
bool startDisplay();
bool displayStarted();
// Valid once startDisplay() has succeeded.
const SDLFunctions& sdl();
// The video driver in use ("x11", "wayland", "dummy", ...); empty before the display starts.
const char* videoDriver();
// Shuts SDL down at the end of a program that started it.
void stopDisplay();
// The descriptor of the connection to the window system behind `window` (X11 or Wayland), for
// the run loop to sleep on; -1 when the driver has none.
int connectionDescriptor(SDL_Window* window);
// The window system's own id of `window` (an X11 window id); 0 on other drivers.
unsigned long systemWindowId(SDL_Window* window);
// The handle SDL was opened with (for entry points outside the table).
void* sdlHandle();

}  // namespace platform::display
