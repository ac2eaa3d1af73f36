#include "quarn/QuarnLayer2D.h"

#include <GL/gl.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "platform/foundation/Log.h"
#include "quarn/QuarnVector.h"

QuarnLayer2D::QuarnLayer2D() {
  setSize(QuarnSize{400, 300});
  srandom(static_cast<unsigned>(time(nullptr)));
  randomiseColors();
}

void QuarnLayer2D::setSize(QuarnSize size) {
  size_ = size;
  const float s = depth_ * viewAngle_;
  const float k = (size.width / size.height) * s;
  const float corners[4][3] = {{-k, -s, -depth_}, {k, -s, -depth_}, {k, s, -depth_}, {-k, s, -depth_}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) verts_[i][j] = corners[i][j];
  built_ = false;
}

void QuarnLayer2D::setViewAngle(float a) {
  float f = a;
  if (a > 90) {
    const float r = static_cast<float>((a - 90) / 3.1429);
    f = r * r + 90;
  }
  viewAngle_ = f / 90;
}

void QuarnLayer2D::setDepth(float depth) {
  depth_ = depth;
  setSize(size_);
}

void QuarnLayer2D::setColor(int index, const QuarnColor& color) {
  if (index < 0 || index > 3) throw std::out_of_range("QuarnLayer2D setColor: index " + std::to_string(index));
  colors_[index][0] = color.red;
  colors_[index][1] = color.green;
  colors_[index][2] = color.blue;
  colors_[index][3] = color.alpha;
  built_ = false;
}

const float* QuarnLayer2D::vertex(int index) const {
  if (index < 0 || index > 3) throw std::out_of_range("QuarnLayer2D vertex: index " + std::to_string(index));
  return verts_[index];
}

std::optional<QuarnColor> QuarnLayer2D::getColor(int index) const {
  if (index < 0 || index > 3) {
    platform::log("illegal colorList index");
    return std::nullopt;
  }
  return QuarnColor::colorWithCalibratedRed(colors_[index][0], colors_[index][1], colors_[index][2],
                                            colors_[index][3]);
}

void QuarnLayer2D::randomiseColors() {
  for (int i = 0; i < 4; ++i) setColor(i, QuarnColor::colorWithCalibratedHue(randomFloat(), 1.0f, 0.5f, 0.25f));
  built_ = false;
}

void QuarnLayer2D::cycleBGColor() {
  bgHue_ = (bgHue_ + 1) % 360;
  const QuarnColor c = QuarnColor::colorWithCalibratedHue(bgHue_ / 360.0f, 1.0f, 0.25f, 1.0f);
  glClearColor(c.red, c.green, c.blue, 1.0f);
}

void QuarnLayer2D::drawQuad() {
  cycleBGColor();
  // Depth testing and lighting come back as they were, so that lighting switched off from
  // outside (the inspector's switch) stays off behind a backdrop.
  const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
  const GLboolean lighting = glIsEnabled(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  static const GLdouble texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glColor4fv(colors_[i]);
    glTexCoord2dv(texCoords[i]);
    glVertex3fv(verts_[i]);
  }
  glEnd();
  if (depthTest) glEnable(GL_DEPTH_TEST);
  if (lighting) glEnable(GL_LIGHTING);
  glDisable(GL_BLEND);
}
