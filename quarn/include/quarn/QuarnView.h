#pragma once
// The framework's entry point for an application: an OpenGL view that makes its context, owns one
// scene core, draws it from a repeating 15 ms timer on the main run loop, keeps the camera's
// viewport in step with its size, switches to full screen on a double click and forwards the
// core's factory and look-up interface.
//
// Opening a view takes five lines:
//
//   #include <quarn/Quarn.h>
//   int main() {
//     auto view = QuarnView::viewWithFrame({{100, 100}, {800, 600}});   // window, context, set-up
//     view->newModelWithGeometry(view->newGeometryWithType("box"));
//     QuarnView::runMainLoop();                                          // until the window closes
//   }
//
// The set-up (awakeFromNib, which viewWithFrame runs) does what an application would otherwise do
// itself: it creates the core and runs the camera's initGL (depth test, lighting, culling) and a
// first reshape to the view's size. Off-screen programs use offscreenViewWithSize, which does the
// same on a headless context; its frames can be read back with readPixels.
//
// Everything runs on the main thread. The view's own calls (render, the forwarded factories) make
// its context current first; a program that calls the core or GL directly between frames should
// call makeCurrentContext when it also uses another context (the inspector has its own).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quarn/QuarnCore.h"
#include "quarn/QuarnImage.h"
#include "quarn/QuarnTypes.h"
#include "quarn/QuarnViewLink.h"

// An input event as the view receives it. Locations are in the view's coordinates, origin at
// the bottom-left corner, y up.
struct QuarnEvent {
  enum Type { LeftMouseDown = 1, LeftMouseUp = 2, MouseMoved = 5, LeftMouseDragged = 6, KeyDown = 10, KeyUp = 11 };
  Type type = LeftMouseDown;
  QuarnPoint locationInWindow;
  int clickCount = 0;
  // UTF-8 text of a key event ("i", " "); empty for keys without text.
  std::string characters;
  unsigned modifierFlags = 0;
};

class QuarnView : public QuarnViewLink {
 public:
  static constexpr double kFrameInterval = 0.015;
  // Pixel format attributes in the order a view asks for them (double buffer, accelerated,
  // colour size 32, depth size 32, terminator).
  static const std::vector<int>& pixelFormatAttributes();

  // Run-loop modes the frame timer fires in: the default one, the one of tracking loops (a drag
  // inside the view, a live resize) and the one of modal panels.
  static const std::string QuarnDefaultRunLoopMode;
  static const std::string QuarnEventTrackingRunLoopMode;
  static const std::string QuarnModalPanelRunLoopMode;

  QuarnView();
  ~QuarnView() override;
  QuarnView(const QuarnView&) = delete;
  QuarnView& operator=(const QuarnView&) = delete;

  // --- Making a view
  // A window at frame (screen points, origin bottom-left of the main display) holding this view
  // with a double-buffered context. Logs "Initing OpenGL view"; false with "Invalid OpenGL
  // format... terminating" when no pixel format is granted, or "OpenGL view not created...
  // terminating" when no window or context can be made, or when there is no desktop to show it
  // on (the process goes on). On success the window is shown, the context is current and the
  // granted format is logged.
  bool initWithFrame(QuarnRect frame);
  // The same view drawing into an off-screen context of that size: no window, no events.
  bool initOffscreenWithSize(QuarnSize size);
  // Set-up: the resize observer, the frame timer, the core, the camera's initGL and a first
  // reshape. Once; later calls do nothing.
  void awakeFromNib();
  // initWithFrame / initOffscreenWithSize, then awakeFromNib; null when the view cannot be made.
  // T may be a subclass that overrides the event methods.
  template <class T = QuarnView>
  static std::unique_ptr<T> viewWithFrame(QuarnRect frame) {
    auto view = std::make_unique<T>();
    if (!view->initWithFrame(frame)) return nullptr;
    view->awakeFromNib();
    return view;
  }
  template <class T = QuarnView>
  static std::unique_ptr<T> offscreenViewWithSize(QuarnSize size) {
    auto view = std::make_unique<T>();
    if (!view->initOffscreenWithSize(size)) return nullptr;
    view->awakeFromNib();
    return view;
  }

  // --- Main run loop (drives every view's timer, the inspector and the window events). The
  // framework keeps its own loop: run it through these calls.
  // Until stopMainLoop, or until the last window of a view has been closed (with no view window
  // open, only stopMainLoop ends it).
  static void runMainLoop();
  // At most `seconds` in `mode` (default: the default mode); stopMainLoop ends it early.
  static void runMainLoopFor(double seconds, const std::string& mode = QuarnDefaultRunLoopMode);
  // From any thread.
  static void stopMainLoop();

  // --- Drawing
  // One frame unless suspended: the camera's renderScene, then flushBuffer. A frame never starts
  // inside another.
  void render();
  // The double-buffer swap (off-screen: waits for drawing to finish).
  void flushBuffer();
  // The camera's reshapeWithSize with the view's size.
  void reshape();
  // A window's size changed: reshape when it is this view's window; others are ignored.
  void aWindowDidResize(std::uint32_t windowID);
  bool makeCurrentContext();
  bool suspended() const override { return _suspended; }
  // Logs "QuarnView setSuspended: %i" with the current value, and again with the new one when
  // it changes.
  void setSuspended(bool flag) override;
  QuarnCore* core3d() const { return _core3d.get(); }
  void toggleInspector(const void* sender = nullptr);

  // Frames drawn (suspended ticks are not counted) and buffers flushed since set-up.
  std::uint64_t renderedFrames() const { return renderedFrames_; }
  std::uint64_t flushedBuffers() const { return flushedBuffers_; }
  // The view's size in points (the window's content, or the off-screen buffer).
  QuarnSize frameSize() const;
  // Bits granted for colour and depth, and whether the context is double-buffered.
  int colorBits() const;
  int depthBits() const;
  bool doubleBuffered() const;
  // The pixels last drawn, top row first, opaque as shown (the front buffer of a window).
  QuarnImage readPixels();

  // --- Window (windowed views)
  // The id of the window the view draws into now (its own, or the full-screen one; 0
  // off-screen), and that window's id in the window system (the X11 window id, for tools such as
  // xdotool; 0 elsewhere).
  std::uint32_t windowID() const;
  unsigned long systemWindowID() const;
  // False once the user closed the view's window (it is hidden, the view lives on).
  bool windowIsOpen() const;
  // Windows of views still open in the process.
  static int openViewWindows();
  void setTitle(const std::string& title);
  bool fullScreenMode() const { return _fullScreenMode; }
  bool faded() const { return _faded; }
  QuarnPoint mouseDelta() const { return _mouseDelta; }
  // Whether the cursor is hidden until the mouse moves.
  bool cursorHidden() const;

  // --- Events; a subclass may override them. Key events stop here.
  virtual bool acceptsFirstResponder() { return true; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }
  virtual void keyDown(const QuarnEvent& event);
  // Tracks the drag (mouseDelta), hides the cursor until the mouse moves, and toggles full
  // screen when the button comes up with click count 2.
  virtual void mouseDown(const QuarnEvent& event);

  // --- Full screen
  // Fades the display out, moves the view to a borderless window over the main display (or back
  // to its starting window), draws a frame and fades in.
  void toggleFullScreenMode(const void* sender = nullptr);
  void fadeOut();
  void fadeIn();
  // Alternative switch: the view's own window made full screen, or back (nothing in the
  // framework calls it).
  void setScreenModeCGL();
  // Steps of the gamma fade each way (back to back); without gamma ramps, frames of a black quad.
  static constexpr int kFadeSteps = 1000;
  static constexpr int kFadeQuadSteps = 8;
  // How the fades darken: the display's gamma ramps (all of the display, the default; a black
  // quad where the display has no ramps), or a black quad over the view's own frame only.
  enum class FadeStyle { DisplayGamma, BlackQuad };
  FadeStyle fadeStyle() const { return fadeStyle_; }
  void setFadeStyle(FadeStyle style) { fadeStyle_ = style; }

  // --- Forwarded to the core (null or empty before awakeFromNib)
  std::shared_ptr<QuarnModel> newModel();
  std::shared_ptr<QuarnModel> newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry);
  std::shared_ptr<QuarnModel> newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                   std::shared_ptr<QuarnShader> shader);
  std::shared_ptr<QuarnModel> newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                   std::shared_ptr<QuarnShader> shader, const std::string& name);
  std::shared_ptr<QuarnGeometry> newGeometry();
  std::shared_ptr<QuarnGeometry> newGeometryWithType(const std::string& type);
  std::shared_ptr<QuarnParticleSystem> newParticles();
  std::shared_ptr<QuarnShader> newShader();
  std::shared_ptr<QuarnShader> newShaderWithDiffuse(const QuarnColor& diffuse);
  std::shared_ptr<QuarnShader> newShaderWithDiffuse(const QuarnColor& diffuse, std::shared_ptr<QuarnTexture> texture);
  std::shared_ptr<QuarnTexture> newTexture();
  std::shared_ptr<QuarnTexture> newTextureWithImagePathOrName(const std::string& pathOrName);
  std::shared_ptr<QuarnLight> newLight();
  std::shared_ptr<QuarnNode> newNode();
  std::shared_ptr<QuarnModel> modelNamed(const std::string& name) const;
  std::shared_ptr<QuarnLight> lightNamed(const std::string& name) const;
  std::shared_ptr<QuarnShader> shaderNamed(const std::string& name) const;
  std::shared_ptr<QuarnTexture> textureNamed(const std::string& name) const;
  std::shared_ptr<QuarnGeometry> geometryNamed(const std::string& name) const;
  std::shared_ptr<QuarnNode> nodeNamed(const std::string& name) const;
  const QuarnCore::Registry<QuarnModel>& models() const;
  const QuarnCore::Registry<QuarnShader>& shaders() const;
  const QuarnCore::Registry<QuarnLight>& lights() const;
  const QuarnCore::Registry<QuarnGeometry>& geometries() const;
  const QuarnCore::Registry<QuarnTexture>& textures() const;
  const QuarnCore::Registry<QuarnNode>& nodes() const;
  std::shared_ptr<QuarnNode> sceneGraph() const;
  std::shared_ptr<QuarnCamera> camera() const;

  // QuarnViewLink: shows or hides the shared inspector window with the core.
  void toggleInspectorWindow(QuarnCore& core) override;

  // Called after each frame drawn (not on suspended ticks), for programs that move their scene
  // from outside between frames; null to remove.
  void setFrameHandler(std::function<void(QuarnView&)> handler) { frameHandler_ = std::move(handler); }

  // The platform side (window, context, timer); defined where the view is built.
  struct Platform;

 protected:
  // Display transfer formula captured by fadeOut.
  float redMin = 0, redMax = 1, redGamma = 1;
  float greenMin = 0, greenMax = 1, greenGamma = 1;
  float blueMin = 0, blueMax = 1, blueGamma = 1;

 private:
  void timerFired();
  void closeWindow();
  void drawFadeQuad(float opacity);

  std::unique_ptr<Platform> platform_;  // window, context, frame timer, full-screen state
  std::unique_ptr<QuarnCore> _core3d;
  bool _faded = false;
  bool _suspended = false;
  bool _fullScreenMode = false;
  QuarnPoint _mouseDelta;
  FadeStyle fadeStyle_ = FadeStyle::DisplayGamma;
  bool awake_ = false;
  bool rendering_ = false;
  std::uint64_t renderedFrames_ = 0;
  std::uint64_t flushedBuffers_ = 0;
  std::function<void(QuarnView&)> frameHandler_;
};
