#pragma once
// Dear ImGui on a GL-capable window of the display: its SDL2 platform back end, fed with the
// window's events by the one event pump (a raw-event observer, no second pump), and its OpenGL2
// renderer drawing through the window's context. One ImGui context per layer, made current for
// each frame.
//
// Linking: target platform_gl_imgui brings Debian's libimgui.a (back ends included) and links
// SDL2 itself, as the SDL2 back end calls it directly.
#include <cstdint>
#include <memory>

namespace platform::display {
class NativeWindow;
}

struct ImGuiContext;

namespace platform::gl {

class WindowGLContext;

class ImGuiLayer {
 public:
  // The layer is bound to the window and its context, which must outlive it.
  ImGuiLayer(platform::display::NativeWindow& window, WindowGLContext& context);
  ~ImGuiLayer();
  ImGuiLayer(const ImGuiLayer&) = delete;
  ImGuiLayer& operator=(const ImGuiLayer&) = delete;

  bool valid() const { return imgui_ != nullptr; }
  // Makes the window's context and this layer's ImGui context current and starts a frame
  // (ImGui::NewFrame follows); false when the context can't be made current.
  bool beginFrame();
  // Ends the frame: clears to the colour, draws the UI and swaps the window's buffers.
  void endFrame(float red, float green, float blue);
  // Size of the window's drawable in pixels.
  void displaySize(int& width, int& height) const;
  // Raw events handed to ImGui so far.
  unsigned long eventsSeen() const { return eventsSeen_; }

 private:
  platform::display::NativeWindow& window_;
  WindowGLContext& context_;
  ImGuiContext* imgui_ = nullptr;
  unsigned long eventsSeen_ = 0;
  std::uint64_t observer_ = 0;  // the pump's raw-event observer
};

}  // namespace platform::gl
