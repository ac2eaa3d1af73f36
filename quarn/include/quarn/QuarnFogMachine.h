#pragma once
// Fixed-function fog settings; every change goes straight to OpenGL.
#include <optional>
#include <string>
#include <vector>

#include "quarn/QuarnTypes.h"

class QuarnFogMachine {
 public:
  // "GL_LINEAR", "GL_EXP", "GL_EXP2".
  static const std::vector<std::string>& fogModes();

  QuarnFogMachine() = default;

  // Black, "GL_LINEAR", near 10, far 1000, density 0.1, fog hint; fog stays disabled.
  void initGL();

  bool enabled() const { return enabled_; }
  void setEnabled(bool flag);
  const std::string& mode() const { return mode_; }
  // The current mode itself (the object mode() returns) changes nothing; any other string naming
  // a mode, even an equal one, is stored and sent; an unknown one logs "no fog mode match".
  void setMode(const std::string& mode);
  float near() const { return near_; }
  void setNear(float value);
  float far() const { return far_; }
  void setFar(float value);
  float density() const { return density_; }
  void setDensity(float value);
  std::optional<QuarnColor> color() const { return color_; }
  void setColor(const QuarnColor& color);

 protected:
  bool enabled_ = false;
  std::string mode_;
  float near_ = 0;
  float far_ = 0;
  float density_ = 0;
  std::optional<QuarnColor> color_;
};
