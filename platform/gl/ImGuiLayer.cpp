#include "platform/gl/ImGuiLayer.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

#include "platform/display/NativeWindow.h"
#include "platform/foundation/Log.h"
#include "platform/gl/WindowGLContext.h"

namespace platform::gl {

namespace {

// Runs `work` with this layer's ImGui context current, restoring the previous one.
template <class F>
void withContext(ImGuiContext* context, F&& work) {
  ImGuiContext* previous = ImGui::GetCurrentContext();
  ImGui::SetCurrentContext(context);
  work();
  ImGui::SetCurrentContext(previous);
}

}  // namespace

ImGuiLayer::ImGuiLayer(platform::display::NativeWindow& window, WindowGLContext& context)
    : window_(window), context_(context) {
  if (!context.valid() || !context.makeCurrent()) {
    platform::log("ImGuiLayer: the window's GL context is not usable");
    return;
  }
  ImGuiContext* previous = ImGui::GetCurrentContext();
  imgui_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(imgui_);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // no imgui.ini left in the working folder
  ImGui::StyleColorsDark();
  const bool ok = ImGui_ImplSDL2_InitForOpenGL(window.sdlWindow(), context.sdlContext()) && ImGui_ImplOpenGL2_Init();
  ImGui::SetCurrentContext(previous);
  if (!ok) {
    platform::log("ImGuiLayer: Dear ImGui's back ends did not start");
    ImGui::DestroyContext(imgui_);
    imgui_ = nullptr;
    return;
  }
  // The window's events reach ImGui through the one pump, as the pump reads them.
  observer_ = window.addRawEventObserver([this](const SDL_Event& event) {
    if (!imgui_) return;
    ++eventsSeen_;
    withContext(imgui_, [&] { ImGui_ImplSDL2_ProcessEvent(&event); });
  });
}

ImGuiLayer::~ImGuiLayer() {
  if (observer_) platform::display::EventPump::shared().removeHandler(observer_);
  if (!imgui_) return;
  context_.makeCurrent();
  withContext(imgui_, [] {
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
  });
  ImGui::DestroyContext(imgui_);
  imgui_ = nullptr;
}

bool ImGuiLayer::beginFrame() {
  if (!imgui_ || !context_.makeCurrent()) return false;
  ImGui::SetCurrentContext(imgui_);
  ImGui_ImplOpenGL2_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGui::NewFrame();
  return true;
}

void ImGuiLayer::endFrame(float red, float green, float blue) {
  if (!imgui_) return;
  ImGui::SetCurrentContext(imgui_);
  ImGui::Render();
  int width = 0, height = 0;
  displaySize(width, height);
  glViewport(0, 0, width, height);
  glClearColor(red, green, blue, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  context_.flushBuffer();
}

void ImGuiLayer::displaySize(int& width, int& height) const { window_.drawableSize(width, height); }

}  // namespace platform::gl
