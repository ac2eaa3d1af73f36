#pragma once
// A node that programs the fixed-function light GL_LIGHT0 from its colours and position while
// the graph is walked. Constructing one enables GL_LIGHT0, so a context must be current.
#include <string>
#include <vector>

#include <GL/gl.h>

#include "quarn/QuarnNode.h"
#include "quarn/QuarnTypes.h"

class QuarnLight : public QuarnNode {
 public:
  // "directional", "point", "spot": names for display; every light is sent with w = 0.
  static const std::vector<std::string>& lightTypes();

  QuarnLight();

  bool enabled() const { return enabled_; }
  // On change: false disables the light, true enables it and resends the colours.
  void setEnabled(bool flag);
  QuarnColor diffuse() const { return diffuse_; }
  QuarnColor ambient() const { return ambient_; }
  QuarnColor specular() const { return specular_; }
  void setDiffuse(const QuarnColor& color);
  void setAmbient(const QuarnColor& color);
  void setSpecular(const QuarnColor& color);

  // Sends the three colours.
  void build();
  // Sends the position (x, y, 1.0, positionW): the third component is the constant 1.0.
  void setup();
  // Sends colours when not built and the position when it moved since the last frame.
  void drawOpenGL() override;

 protected:
  static void cache(const QuarnColor& color, float out[4]);

  QuarnColor diffuse_ = QuarnColor::whiteColor();
  QuarnColor ambient_ = QuarnColor::blackColor();
  QuarnColor specular_ = QuarnColor::whiteColor();
  bool enabled_ = false;
  int lightID_ = 0;  // reserved
  bool built_ = false;
  bool set_ = false;
  Vector lastPos_{0, 0, 0};
  GLenum gllightID_ = GL_LIGHT0;  // every light drives GL_LIGHT0
  float positionW_ = 0;
  float lDiffuse_[4];
  float lAmbient_[4];
  float lSpecular_[4];
};
