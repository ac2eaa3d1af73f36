#pragma once
// Native windows of the display: plain (framed by the window manager) or borderless, software
// (their pixels come from present()) or GL-capable (a context of platform/gl draws them).
// Positions and sizes are in screen pixels from the top-left corner of the screen, as the
// display counts them; the toolkit above converts to its own coordinates.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/display/EventPump.h"

struct SDL_Window;

namespace platform::display {

// The buffers a GL-capable window asks for. Where the display can't give them, the window is
// made with less (acceleration dropped first, then depth 32 → 24 → 16, then alpha and stencil);
// the context of platform/gl reports what it got.
// By default: 32-bit colour (8 bits a channel with alpha) and a 32-bit depth buffer, double-buffered.
struct GLSurfaceRequest {
  int redBits = 8, greenBits = 8, blueBits = 8, alphaBits = 8;
  int depthBits = 32;
  int stencilBits = 0;
  bool doubleBuffered = true;
  // A context made for the window shares textures and display lists with the context current
  // when it is made (an inspector window showing a view's textures).
  bool shareWithCurrentContext = false;
  bool accelerated = false;
  bool compatibilityProfile = true;
  int majorVersion = 0, minorVersion = 0;  // 0: any
  bool operator==(const GLSurfaceRequest&) const = default;
};

// Sets the display's GL attributes to `request` (before a window or a context is made from them).
void applyGLAttributes(const GLSurfaceRequest& request);

struct WindowStyle {
  bool borderless = false;
  bool resizable = false;
  bool utility = false;      // a panel: no task-bar entry
  bool alwaysOnTop = false;  // above ordinary windows where the window manager honours it
  std::optional<GLSurfaceRequest> gl;  // GL-capable when set
};

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

class NativeWindow {
 public:
  // A hidden window of the given client-area frame; null (and logged) when the display can't
  // make one. Starts the display and the event pump on first use.
  static std::unique_ptr<NativeWindow> create(const std::string& title, PixelRect frame, const WindowStyle& style);
  ~NativeWindow();
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  // The id events carry (Event::windowId).
  uint32_t id() const { return id_; }
  SDL_Window* sdlWindow() const { return window_; }
  // The window system's id of the window (the X11 window, for xdotool and xwininfo); 0 elsewhere.
  unsigned long systemWindowId() const;
  const WindowStyle& style() const { return style_; }
  bool isGLCapable() const { return style_.gl.has_value(); }
  // The buffers the window was made with (GL-capable windows).
  const GLSurfaceRequest& glSurface() const { return glSurface_; }

  void setTitle(const std::string& title);
  void setFrame(PixelRect frame);
  // Client-area frame on the screen as the display has it now.
  PixelRect frame() const;
  // Pixels of the GL drawable (may differ from the frame's size on scaled displays).
  void drawableSize(int& width, int& height) const;
  void setMinimumSize(int width, int height);
  void setResizable(bool resizable);
  // 0 transparent .. 1 opaque, where the desktop composites windows.
  void setOpacity(float opacity);
  void setAlwaysOnTop(bool onTop);
  // Covers the whole display without a frame, above ordinary windows, or goes back to the frame
  // it had (the platform's plain full-screen switch of a window).
  void setFullScreen(bool fullScreen);
  bool isFullScreen() const;
  // The window manager keeps this window above `parent` (transient for it); null undoes it.
  void setTransientFor(NativeWindow* parent);

  void show();
  void hide();
  void raise();
  bool isShown() const { return shown_; }

  // Software windows: copies premultiplied 32-bit pixels (Cairo's ARGB32: B, G, R, A in memory)
  // of the client area to the screen, the given rectangles only (all when empty). A non-opaque
  // pixel shows as though over black.
  void present(const uint8_t* pixels, int width, int height, int stride, const std::vector<PixelRect>& rects = {});

  // Gamma ramps (256 entries each for red, green and blue); false where the display has none.
  bool gammaRamp(uint16_t red[256], uint16_t green[256], uint16_t blue[256]) const;
  bool setGammaRamp(const uint16_t red[256], const uint16_t green[256], const uint16_t blue[256]);

  // Handlers of this window's events (EventPump::addHandler with the window's id).
  EventPump::HandlerId addEventHandler(EventPump::Handler handler);
  EventPump::HandlerId addRawEventObserver(EventPump::RawObserver observer);

 private:
  NativeWindow() = default;
  SDL_Window* window_ = nullptr;
  uint32_t id_ = 0;
  WindowStyle style_;
  GLSurfaceRequest glSurface_;
  bool shown_ = false;
  std::optional<PixelRect> frameBeforeFullScreen_;
  bool fullScreen_ = false;
  std::vector<EventPump::HandlerId> handlers_;
};

// The screen: bounds of the main display and the part of it not taken by panels and docks, in
// pixels from its top-left; a nominal 1280 × 1024 before the display starts.
PixelRect screenBounds();
PixelRect screenUsableBounds();
// The mouse pointer on the screen, from the top-left.
void globalMousePosition(int& x, int& y);

}  // namespace platform::display
