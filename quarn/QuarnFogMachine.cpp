#include "quarn/QuarnFogMachine.h"

#include <GL/gl.h>

#include "platform/foundation/Log.h"

const std::vector<std::string>& QuarnFogMachine::fogModes() {
  static const std::vector<std::string> modes = {"GL_LINEAR", "GL_EXP", "GL_EXP2"};
  return modes;
}

void QuarnFogMachine::initGL() {
  setColor(QuarnColor::blackColor());
  setMode("GL_LINEAR");
  setNear(10.0f);
  setFar(1000.0f);
  setDensity(0.1f);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
}

void QuarnFogMachine::setEnabled(bool flag) {
  if (flag == enabled_) return;
  enabled_ = flag;
  if (flag)
    glEnable(GL_FOG);
  else
    glDisable(GL_FOG);
}

void QuarnFogMachine::setMode(const std::string& mode) {
  // Only the very same string object changes nothing; an equal one is sent again.
  if (&mode == &mode_) return;
  static const GLint values[] = {GL_LINEAR, GL_EXP, GL_EXP2};
  const auto& names = fogModes();
  for (size_t i = 0; i < names.size(); ++i) {
    if (mode == names[i]) {
      mode_ = mode;
      glFogi(GL_FOG_MODE, values[i]);
      return;
    }
  }
  platform::log("no fog mode match");
}

void QuarnFogMachine::setNear(float value) {
  if (value == near_) return;
  near_ = value;
  glFogf(GL_FOG_START, value);
}

void QuarnFogMachine::setFar(float value) {
  if (value == far_) return;
  far_ = value;
  glFogf(GL_FOG_END, value);
}

void QuarnFogMachine::setDensity(float value) {
  if (value == density_) return;
  density_ = value;
  glFogf(GL_FOG_DENSITY, value);
}

void QuarnFogMachine::setColor(const QuarnColor& color) {
  if (color_ && *color_ == color) return;
  color_ = color;
  const GLfloat rgba[4] = {color.red, color.green, color.blue, color.alpha};
  glFogfv(GL_FOG_COLOR, rgba);
}
