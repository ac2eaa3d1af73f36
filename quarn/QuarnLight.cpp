#include "quarn/QuarnLight.h"

const std::vector<std::string>& QuarnLight::lightTypes() {
  static const std::vector<std::string> types = {"directional", "point", "spot"};
  return types;
}

QuarnLight::QuarnLight() {
  name_ = "New Light";
  cache(diffuse_, lDiffuse_);
  cache(ambient_, lAmbient_);
  cache(specular_, lSpecular_);
  setEnabled(true);
}

void QuarnLight::cache(const QuarnColor& color, float out[4]) {
  out[0] = color.red;
  out[1] = color.green;
  out[2] = color.blue;
  out[3] = color.alpha;
}

void QuarnLight::setEnabled(bool flag) {
  if (flag == enabled_) return;
  enabled_ = flag;
  if (!flag) {
    glDisable(gllightID_);
  } else {
    glEnable(gllightID_);
    built_ = false;
  }
}

void QuarnLight::setDiffuse(const QuarnColor& color) {
  if (color == diffuse_) return;
  diffuse_ = color;
  cache(color, lDiffuse_);
  built_ = false;
}

void QuarnLight::setAmbient(const QuarnColor& color) {
  if (color == ambient_) return;
  ambient_ = color;
  cache(color, lAmbient_);
  built_ = false;
}

void QuarnLight::setSpecular(const QuarnColor& color) {
  if (color == specular_) return;
  specular_ = color;
  cache(color, lSpecular_);
  built_ = false;
}

void QuarnLight::build() {
  glLightfv(gllightID_, GL_DIFFUSE, lDiffuse_);
  glLightfv(gllightID_, GL_AMBIENT, lAmbient_);
  glLightfv(gllightID_, GL_SPECULAR, lSpecular_);
  built_ = true;
}

void QuarnLight::setup() {
  const GLfloat lightPosition[4] = {position_.x, position_.y, 1.0f, positionW_};
  glLightfv(gllightID_, GL_POSITION, lightPosition);
  set_ = true;
}

void QuarnLight::drawOpenGL() {
  if (!enabled_) return;
  if (!built_) build();
  // A not-a-number component never compares equal, so it counts as moved.
  if (!(position_.x == lastPos_.x) || !(position_.y == lastPos_.y) || !(position_.z == lastPos_.z)) set_ = false;
  if (!set_) setup();
  lastPos_ = position_;
}
