#include "quarn/QuarnView.h"

#include <GL/gl.h>

#include <atomic>
#include <cstring>

#include "platform/foundation/Log.h"
#include "quarn/QuarnCamera.h"
#include "quarn/QuarnInspectorWindowController.h"
#include "quarn/QuarnViewPlatform.h"

const std::string QuarnView::QuarnDefaultRunLoopMode = platform::RunLoop::kDefaultRunLoopMode;
const std::string QuarnView::QuarnEventTrackingRunLoopMode = "NSEventTrackingRunLoopMode";
const std::string QuarnView::QuarnModalPanelRunLoopMode = "NSModalPanelRunLoopMode";

namespace {

std::atomic<bool> gMainLoopStopped{false};

template <class T>
const QuarnCore::Registry<T>& emptyRegistry() {
  static const QuarnCore::Registry<T> empty;
  return empty;
}

}  // namespace

const std::vector<int>& QuarnView::pixelFormatAttributes() {
  // NSOpenGLPFADoubleBuffer, NSOpenGLPFAAccelerated, NSOpenGLPFAColorSize 32, NSOpenGLPFADepthSize 32.
  static const std::vector<int> attributes = {5, 73, 8, 32, 12, 32, 0};
  return attributes;
}

QuarnView::QuarnView() : platform_(std::make_unique<Platform>()) {}

QuarnView::~QuarnView() {
  // Teardown: timer, then the core (whose GL objects need this view's context current).
  if (platform_->_timer) platform::RunLoop::mainRunLoop().invalidateTimer(platform_->_timer);
  platform_->_timer = 0;
  if (_core3d) {
    QuarnInspectorWindowController::coreWillBeDestroyed(_core3d.get());
    makeCurrentContext();
    _core3d->shutDown();
    _core3d.reset();
  }
  if (platform_->window && !platform_->windowClosed) --Platform::openWindows;
}

bool QuarnView::initOffscreenWithSize(QuarnSize size) {
  platform::log("Initing OpenGL view");
  if (platform_->valid()) {
    platform::log("QuarnView: already initialised");
    return false;
  }
  auto context = std::make_unique<platform::gl::SurfacelessGLContext>(static_cast<int>(size.width),
                                                                      static_cast<int>(size.height));
  if (!context->valid()) {
    platform::log("OpenGL view not created... terminating");
    return false;
  }
  platform_->offscreen = std::move(context);
  makeCurrentContext();
  platform::log("OpenGL view created... (off-screen %d x %d; %s; %s)", platform_->offscreen->width(),
                platform_->offscreen->height(), platform_->offscreen->pixelFormat().description().c_str(),
                platform_->offscreen->glRenderer().c_str());
  return true;
}

void QuarnView::awakeFromNib() {
  if (awake_ || !platform_->valid()) return;
  awake_ = true;
  platform::log("QuarnView awoke from nib");
  // The frame timer fires in the default mode and in the tracking and modal-panel modes.
  platform_->_timer = platform::RunLoop::mainRunLoop().addTimer(
      kFrameInterval, true, [this] { timerFired(); },
      {QuarnDefaultRunLoopMode, QuarnEventTrackingRunLoopMode, QuarnModalPanelRunLoopMode});
  makeCurrentContext();
  _core3d = std::make_unique<QuarnCore>();
  _core3d->setGlView(this);
  _core3d->camera()->initGL();
  reshape();
}

void QuarnView::timerFired() { render(); }

void QuarnView::render() {
  if (_suspended || rendering_ || !_core3d) return;
  rendering_ = true;
  if (makeCurrentContext()) {
    if (const std::shared_ptr<QuarnCamera>& camera = _core3d->camera()) camera->renderScene();
    flushBuffer();
    ++renderedFrames_;
  }
  rendering_ = false;
  if (frameHandler_) frameHandler_(*this);
}

void QuarnView::flushBuffer() {
  platform_->swap();
  ++flushedBuffers_;
}

void QuarnView::reshape() {
  if (_core3d && _core3d->camera()) _core3d->camera()->reshapeWithSize(frameSize());
}

void QuarnView::aWindowDidResize(std::uint32_t window) {
  if (window != 0 && window == windowID()) reshape();
}

bool QuarnView::makeCurrentContext() { return platform_->makeCurrent(); }

void QuarnView::setSuspended(bool flag) {
  platform::log("QuarnView setSuspended: %i", _suspended ? 1 : 0);
  if (flag == _suspended) return;
  _suspended = flag;
  platform::log("QuarnView setSuspended: %i", _suspended ? 1 : 0);
}

void QuarnView::toggleInspector(const void* sender) {
  if (_core3d) _core3d->toggleInspector(sender);
}

void QuarnView::toggleInspectorWindow(QuarnCore& core) {
  QuarnInspectorWindowController& inspector = QuarnInspectorWindowController::sharedWindowController();
  if (inspector.isWindowVisible()) {
    inspector.orderOut();
  } else {
    inspector.setQuarncoreObj(&core);
    inspector.showWindow();
  }
}

QuarnSize QuarnView::frameSize() const { return platform_->size(); }

int QuarnView::colorBits() const { return platform_->context() ? platform_->context()->pixelFormat().colorBits() : 0; }
int QuarnView::depthBits() const { return platform_->context() ? platform_->context()->pixelFormat().depthBits : 0; }
bool QuarnView::doubleBuffered() const {
  return platform_->context() && platform_->context()->pixelFormat().doubleBuffered;
}

QuarnImage QuarnView::readPixels() {
  if (!makeCurrentContext()) return {};
  const QuarnSize size = frameSize();
  const int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
  if (width <= 0 || height <= 0) return {};
  // A double-buffered window shows its front buffer; the back one is undefined after a swap.
  GLint readBuffer = 0, alignment = 4;
  glGetIntegerv(GL_READ_BUFFER, &readBuffer);
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  if (doubleBuffered()) glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<std::uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
  glFinish();
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  glReadBuffer(static_cast<GLenum>(readBuffer));
  QuarnImage image(width, height, false);
  if (image.empty()) return image;
  const size_t row = static_cast<size_t>(width) * 4;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = image.row(height - 1 - y);
    std::memcpy(out, &bottomUp[static_cast<size_t>(y) * row], row);
    for (size_t i = 3; i < row; i += 4) out[i] = 255;  // opaque, as shown
  }
  return image;
}

// --- Main run loop

void QuarnView::runMainLoop() {
  gMainLoopStopped = false;
  while (!gMainLoopStopped) platform::RunLoop::mainRunLoop().runMode(QuarnDefaultRunLoopMode, 3600.0, false);
}

void QuarnView::runMainLoopFor(double seconds, const std::string& mode) {
  gMainLoopStopped = false;
  platform::RunLoop::mainRunLoop().runMode(mode, seconds, false);
}

void QuarnView::stopMainLoop() {
  gMainLoopStopped = true;
  platform::RunLoop::mainRunLoop().stop();
}

// --- Forwarded to the core

#define QUARN_FORWARD(call, fallback) \
  if (!_core3d) return fallback;      \
  makeCurrentContext();               \
  return _core3d->call;

std::shared_ptr<QuarnModel> QuarnView::newModel() { QUARN_FORWARD(newModel(), nullptr) }
std::shared_ptr<QuarnModel> QuarnView::newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry) {
  QUARN_FORWARD(newModelWithGeometry(std::move(geometry)), nullptr)
}
std::shared_ptr<QuarnModel> QuarnView::newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                            std::shared_ptr<QuarnShader> shader) {
  QUARN_FORWARD(newModelWithGeometry(std::move(geometry), std::move(shader)), nullptr)
}
std::shared_ptr<QuarnModel> QuarnView::newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                            std::shared_ptr<QuarnShader> shader,
                                                            const std::string& name) {
  QUARN_FORWARD(newModelWithGeometry(std::move(geometry), std::move(shader), name), nullptr)
}
std::shared_ptr<QuarnGeometry> QuarnView::newGeometry() { QUARN_FORWARD(newGeometry(), nullptr) }
std::shared_ptr<QuarnGeometry> QuarnView::newGeometryWithType(const std::string& type) {
  QUARN_FORWARD(newGeometryWithType(type), nullptr)
}
std::shared_ptr<QuarnParticleSystem> QuarnView::newParticles() { QUARN_FORWARD(newParticles(), nullptr) }
std::shared_ptr<QuarnShader> QuarnView::newShader() { QUARN_FORWARD(newShader(), nullptr) }
std::shared_ptr<QuarnShader> QuarnView::newShaderWithDiffuse(const QuarnColor& diffuse) {
  QUARN_FORWARD(newShaderWithDiffuse(diffuse), nullptr)
}
std::shared_ptr<QuarnShader> QuarnView::newShaderWithDiffuse(const QuarnColor& diffuse,
                                                             std::shared_ptr<QuarnTexture> texture) {
  QUARN_FORWARD(newShaderWithDiffuse(diffuse, std::move(texture)), nullptr)
}
std::shared_ptr<QuarnTexture> QuarnView::newTexture() { QUARN_FORWARD(newTexture(), nullptr) }
std::shared_ptr<QuarnTexture> QuarnView::newTextureWithImagePathOrName(const std::string& pathOrName) {
  QUARN_FORWARD(newTextureWithImagePathOrName(pathOrName), nullptr)
}
std::shared_ptr<QuarnLight> QuarnView::newLight() { QUARN_FORWARD(newLight(), nullptr) }
std::shared_ptr<QuarnNode> QuarnView::newNode() { QUARN_FORWARD(newNode(), nullptr) }
#undef QUARN_FORWARD

#define QUARN_LOOKUP(call, fallback) return _core3d ? _core3d->call : fallback;

std::shared_ptr<QuarnModel> QuarnView::modelNamed(const std::string& name) const { QUARN_LOOKUP(modelNamed(name), nullptr) }
std::shared_ptr<QuarnLight> QuarnView::lightNamed(const std::string& name) const { QUARN_LOOKUP(lightNamed(name), nullptr) }
std::shared_ptr<QuarnShader> QuarnView::shaderNamed(const std::string& name) const {
  QUARN_LOOKUP(shaderNamed(name), nullptr)
}
std::shared_ptr<QuarnTexture> QuarnView::textureNamed(const std::string& name) const {
  QUARN_LOOKUP(textureNamed(name), nullptr)
}
std::shared_ptr<QuarnGeometry> QuarnView::geometryNamed(const std::string& name) const {
  QUARN_LOOKUP(geometryNamed(name), nullptr)
}
std::shared_ptr<QuarnNode> QuarnView::nodeNamed(const std::string& name) const { QUARN_LOOKUP(nodeNamed(name), nullptr) }
const QuarnCore::Registry<QuarnModel>& QuarnView::models() const { QUARN_LOOKUP(models(), emptyRegistry<QuarnModel>()) }
const QuarnCore::Registry<QuarnShader>& QuarnView::shaders() const {
  QUARN_LOOKUP(shaders(), emptyRegistry<QuarnShader>())
}
const QuarnCore::Registry<QuarnLight>& QuarnView::lights() const { QUARN_LOOKUP(lights(), emptyRegistry<QuarnLight>()) }
const QuarnCore::Registry<QuarnGeometry>& QuarnView::geometries() const {
  QUARN_LOOKUP(geometries(), emptyRegistry<QuarnGeometry>())
}
const QuarnCore::Registry<QuarnTexture>& QuarnView::textures() const {
  QUARN_LOOKUP(textures(), emptyRegistry<QuarnTexture>())
}
const QuarnCore::Registry<QuarnNode>& QuarnView::nodes() const { QUARN_LOOKUP(nodes(), emptyRegistry<QuarnNode>()) }
std::shared_ptr<QuarnNode> QuarnView::sceneGraph() const { QUARN_LOOKUP(sceneGraph(), nullptr) }
std::shared_ptr<QuarnCamera> QuarnView::camera() const { QUARN_LOOKUP(camera(), nullptr) }
#undef QUARN_LOOKUP
