#include "quarn/QuarnCamera.h"

#include <GL/gl.h>
#include <GL/glu.h>

QuarnCamera::QuarnCamera() : fog_(std::make_shared<QuarnFogMachine>()) {
  position_ = Vector{5, 5, 50};
  name_ = "New Camera";
}

QuarnCamera::~QuarnCamera() = default;

void QuarnCamera::initGL() {
  setupPerspective();
  setClearColor(QuarnColor::blackColor());
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glEnable(GL_CULL_FACE);
  glEnable(GL_NORMALIZE);
  glEnable(GL_LIGHTING);
  fog_->initGL();
}

void QuarnCamera::reshapeWithSize(QuarnSize size) {
  bounds_ = size;
  aspect_ = size.width / size.height;
  wasReshaped_ = true;
}

void QuarnCamera::setupPerspective() {
  glViewport(0, 0, static_cast<GLsizei>(bounds_.width), static_cast<GLsizei>(bounds_.height));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fov_, aspect_, near_, far_);
  glMatrixMode(GL_MODELVIEW);
  updateBackdrops();
}

void QuarnCamera::updateBackdrops() {
  for (const auto& backdrop : backdrops_) {
    backdrop->setViewAngle(fov_);
    backdrop->setSize(bounds_);
  }
}

void QuarnCamera::renderScene() {
  if (wasReshaped_) {
    setupPerspective();
    wasReshaped_ = false;
  }
  glLoadIdentity();
  glClear(clearColorBuffer_ ? (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT) : GL_DEPTH_BUFFER_BIT);
  for (size_t i = 0; i < backdrops_.size(); ++i) backdrops_[i]->drawQuad();
  gluLookAt(position_.x, position_.y, position_.z, target_.x, target_.y, target_.z, upHint_.x, upHint_.y,
            upHint_.z);
  if (const std::shared_ptr<QuarnNode> root = rootNode_) root->render();
}

void QuarnCamera::setFov(float value) {
  fov_ = value;
  wasReshaped_ = true;
}

void QuarnCamera::setNear(float value) {
  near_ = value;
  wasReshaped_ = true;
}

void QuarnCamera::setFar(float value) {
  far_ = value;
  wasReshaped_ = true;
}

void QuarnCamera::setClearColor(const QuarnColor& color) {
  if (clearColor_ && *clearColor_ == color) return;
  clearColor_ = color;
  glClearColor(color.red, color.green, color.blue, 0.5f);
}

std::shared_ptr<QuarnLayer2D> QuarnCamera::addBackdrop() {
  auto backdrop = std::make_shared<QuarnLayer2D>();
  backdrops_.push_back(backdrop);
  return backdrop;
}

void QuarnCamera::setFog(std::shared_ptr<QuarnFogMachine> fog) {
  if (fog) fog_ = std::move(fog);
}
