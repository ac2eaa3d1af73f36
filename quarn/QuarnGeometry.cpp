#include "quarn/QuarnGeometry.h"

#include <cstring>

#include "quarn/QuarnVector.h"

namespace {

// One row per vertex: s, t, r, g, b, x, y, z.
const float kCubeIndexedVerts[64] = {
    0, 0, 1, 0, 0, -1, -1, 1,   //
    1, 0, 0, 1, 0, 1,  -1, 1,   //
    1, 1, 0, 0, 1, 1,  1,  1,   //
    0, 1, 1, 1, 0, -1, 1,  1,   //
    0, 1, 1, 0, 1, -1, -1, -1,  //
    1, 1, 0, 1, 1, -1, 1,  -1,  //
    1, 0, 1, 1, 1, 1,  1,  -1,  //
    0, 0, 1, 0, 0, 1,  -1, -1,  //
};
// front, back, top, bottom, right, left; each counter-clockwise seen from outside.
const GLubyte kCubeFaceIndexes[24] = {0, 1, 2, 3, 4, 5, 6, 7, 5, 3, 2, 6, 4, 7, 1, 0, 7, 6, 2, 1, 4, 0, 3, 5};

}  // namespace

const std::vector<std::string>& QuarnGeometry::geometryTypes() {
  static const std::vector<std::string> types = {"quad", "box", "sphere", "cone", "cylinder", "disc", "geosphere"};
  return types;
}

QuarnGeometry::QuarnGeometry() {
  setGeometryType("quad");
  setupCubeArrays();
}

QuarnGeometry::~QuarnGeometry() {
  if (displayList_) glDeleteLists(displayList_, 1);
  if (quadObj_) gluDeleteQuadric(quadObj_);
}

void QuarnGeometry::generateQuadric() {
  if (!quadObj_) quadObj_ = gluNewQuadric();
  if (!quadObj_) return;
  gluQuadricDrawStyle(quadObj_, GLU_FILL);
  gluQuadricNormals(quadObj_, GLU_SMOOTH);
  gluQuadricOrientation(quadObj_, GLU_OUTSIDE);
  gluQuadricTexture(quadObj_, GL_TRUE);
}

void QuarnGeometry::setupCubeArrays() {
  std::memcpy(cubeIndexedVerts_, kCubeIndexedVerts, sizeof cubeIndexedVerts_);
  std::memcpy(cubeFaceIndexes_, kCubeFaceIndexes, sizeof cubeFaceIndexes_);
}

void QuarnGeometry::setGeometryType(const std::string& type) {
  const auto& types = geometryTypes();
  int index = -1;
  for (size_t i = 0; i < types.size(); ++i)
    if (types[i] == type) index = static_cast<int>(i);
  if (index < 0) return;

  geometryType_ = type;
  if (displayList_) glDeleteLists(displayList_, 1);
  displayList_ = 0;

  // Quadric shapes compile their own list around the GLU call.
  auto compileQuadric = [this](auto&& draw) {
    generateQuadric();
    if (!quadObj_) return;
    const GLuint id = glGenLists(1);
    if (!id) return;
    glNewList(id, GL_COMPILE);
    draw();
    glEndList();
    displayList_ = id;
  };

  switch (index) {
    case 0:
      displayList_ = static_cast<GLuint>(texturedQuad());
      break;
    case 1:
      displayList_ = static_cast<GLuint>(xtexturedCube());
      break;
    case 2:
      radius_ = 1.0;
      slices_ = 4;
      stacks_ = 4;
      compileQuadric([this] { gluSphere(quadObj_, radius_, slices_, stacks_); });
      break;
    case 3:
    case 4:
      base_ = 1.0;
      top_ = index == 3 ? 0.0 : 1.0;
      height_ = 2.0;
      slices_ = 10;
      stacks_ = 1;
      compileQuadric([this] { gluCylinder(quadObj_, base_, top_, height_, slices_, stacks_); });
      break;
    case 5:
      inner_ = 0.0;
      outer_ = 1.0;
      slices_ = 10;
      loops_ = 1.0;
      compileQuadric([this] { gluDisk(quadObj_, inner_, outer_, slices_, static_cast<GLint>(loops_)); });
      break;
    case 6:
      displayList_ = static_cast<GLuint>(icosahedron());
      break;
  }
}

void QuarnGeometry::drawBaseGeometry() {
  if (useVertexArrays_) {
    glInterleavedArrays(GL_T2F_C3F_V3F, 0, cubeIndexedVerts_);
    glDrawElements(GL_QUADS, 24, GL_UNSIGNED_BYTE, cubeFaceIndexes_);
  } else if (displayList_) {
    glCallList(displayList_);
  }
}

void QuarnGeometry::drawGeometry() { drawBaseGeometry(); }
