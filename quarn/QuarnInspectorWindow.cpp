#include "quarn/QuarnInspectorWindow.h"

#include "platform/display/EventPump.h"
#include "platform/display/NativeWindow.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gl/ImGuiLayer.h"
#include "platform/gl/WindowGLContext.h"
#include "quarn/QuarnCore.h"
#include "quarn/QuarnInspectorUI.h"
#include "quarn/QuarnView.h"

using platform::display::Event;
using platform::display::EventType;
using platform::display::NativeWindow;

namespace {

constexpr double kInspectorFrameInterval = 1.0 / 30;

// The view whose core is inspected, when it is a QuarnView.
QuarnView* inspectedView(QuarnCoreController& controller) {
  QuarnCore* core = controller.quarncoreObj();
  return core ? dynamic_cast<QuarnView*>(core->glView()) : nullptr;
}

}  // namespace

struct QuarnInspectorWindowController::Window::State {
  QuarnCoreController& controller;
  QuarnInspectorUI ui;
  std::unique_ptr<NativeWindow> window;
  std::unique_ptr<platform::gl::WindowGLContext> context;
  std::unique_ptr<platform::gl::ImGuiLayer> imgui;
  platform::RunLoop::TimerId timer = 0;
  bool visible = false;
  bool drawing = false;
  std::uint64_t frames = 0;

  explicit State(QuarnCoreController& c) : controller(c), ui(c) {}
  bool make();
};

bool QuarnInspectorWindowController::Window::State::make() {
  // Textures and display lists are shared with the inspected view's context (the preview shows
  // them), so that context is current while this one is made.
  QuarnView* view = inspectedView(controller);
  const bool share = view && view->windowID() != 0 && view->makeCurrentContext();
  platform::display::WindowStyle style;
  style.resizable = true;
  style.gl = platform::display::GLSurfaceRequest{};
  style.gl->depthBits = 0;
  style.gl->shareWithCurrentContext = share;
  const platform::display::PixelRect screen = platform::display::screenBounds();
  window = NativeWindow::create("Quarn Inspector", {std::max(0, screen.width - 920), 40, 900, 640}, style);
  if (!window) return false;
  window->setMinimumSize(480, 320);
  context = std::make_unique<platform::gl::WindowGLContext>(*window);
  if (!context->valid()) {
    context.reset();
    window.reset();
    return false;
  }
  context->setSwapInterval(0);
  imgui = std::make_unique<platform::gl::ImGuiLayer>(*window, *context);
  if (!imgui->valid()) {
    imgui.reset();
    context.reset();
    window.reset();
    return false;
  }
  window->addEventHandler([this](const Event& event) {
    if (event.type == EventType::WindowCloseRequested) {
      window->hide();
      visible = false;
    }
  });
  if (view) view->makeCurrentContext();
  return true;
}

QuarnInspectorWindowController::Window::Window(QuarnCoreController& controller)
    : state(std::make_unique<State>(controller)) {}

QuarnInspectorWindowController::Window::~Window() {
  if (state->timer) platform::RunLoop::mainRunLoop().invalidateTimer(state->timer);
}

bool QuarnInspectorWindowController::Window::isVisible() const { return state->visible; }

void QuarnInspectorWindowController::Window::makeKeyAndOrderFront() {
  if (!state->window && !state->make()) {
    platform::log("QuarnInspectorWindowController: no window for the inspector");
    return;
  }
  state->window->show();
  state->window->raise();
  state->visible = true;
  if (!state->timer) {
    state->timer = platform::RunLoop::mainRunLoop().addTimer(
        kInspectorFrameInterval, true, [this] { drawFrame(); },
        {QuarnView::QuarnDefaultRunLoopMode, QuarnView::QuarnEventTrackingRunLoopMode,
         QuarnView::QuarnModalPanelRunLoopMode});
  }
  drawFrame();
}

void QuarnInspectorWindowController::Window::orderOut() {
  if (state->window) state->window->hide();
  state->visible = false;
}

void QuarnInspectorWindowController::Window::drawFrame() {
  State& s = *state;
  if (!s.visible || s.drawing || !s.imgui) return;
  s.drawing = true;
  if (s.imgui->beginFrame()) {
    int width = 0, height = 0;
    s.imgui->displaySize(width, height);
    s.ui.draw({static_cast<float>(width), static_cast<float>(height)});
    s.imgui->endFrame(0.08f, 0.08f, 0.1f);
    ++s.frames;
  }
  // Edits and actions act on the view's GL state and objects: with its context current, which
  // is where the application expects it between frames as well.
  QuarnView* view = inspectedView(s.controller);
  if (view) view->makeCurrentContext();
  if (s.ui.hasQueued()) {
    if (view) {
      s.ui.performQueued();
    } else {
      platform::log("QuarnInspectorWindowController: no view to act on");
      s.ui.discardQueued();
    }
  }
  s.drawing = false;
}

unsigned long QuarnInspectorWindowController::Window::systemWindowID() const {
  return state->window ? state->window->systemWindowId() : 0;
}

std::uint64_t QuarnInspectorWindowController::Window::framesDrawn() const { return state->frames; }

std::optional<QuarnRect> QuarnInspectorWindowController::Window::controlFrame(const std::string& name) const {
  return state->ui.controlFrame(name);
}
