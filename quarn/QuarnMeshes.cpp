// Fixed meshes compiled into display lists.
#include <GL/gl.h>

#include "quarn/QuarnVector.h"

namespace {

struct Face {
  GLfloat normal[3];
  GLfloat vertices[4][3];
};

// Cube -1…1; every face counter-clockwise seen from outside.
const Face kCubeFaces[6] = {
    {{0, 1, 0}, {{1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}}},        // top
    {{0, -1, 0}, {{1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}}},   // bottom
    {{0, 0, 1}, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}},        // front
    {{0, 0, -1}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},   // back
    {{-1, 0, 0}, {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}}},   // left
    {{1, 0, 0}, {{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}}},        // right
};
const GLfloat kFaceTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

const GLfloat X = 0.525731086730957f;
const GLfloat Z = 0.8506507873535156f;
const GLfloat kIcosahedronVertices[12][3] = {
    {-X, 0, Z}, {X, 0, Z},  {-X, 0, -Z}, {X, 0, -Z}, {0, Z, X},  {0, Z, -X},
    {0, -Z, X}, {0, -Z, -X}, {Z, X, 0},  {-Z, X, 0}, {Z, -X, 0}, {-Z, -X, 0},
};
const int kIcosahedronFaces[20][3] = {
    {0, 4, 1},  {0, 9, 4},  {9, 5, 4},  {4, 5, 8},  {4, 8, 1},  {8, 10, 1}, {8, 3, 10},
    {5, 3, 8},  {5, 2, 3},  {2, 7, 3},  {7, 10, 3}, {7, 6, 10}, {7, 11, 6}, {11, 0, 6},
    {0, 1, 6},  {6, 1, 10}, {9, 0, 11}, {9, 11, 2}, {9, 2, 5},  {7, 2, 11},
};

// glGenLists(1) and glNewList; 0 when no list name was given.
GLuint beginList() {
  const GLuint id = glGenLists(1);
  if (id != 0) glNewList(id, GL_COMPILE);
  return id;
}

int endList(GLuint id) {
  if (id != 0) glEndList();
  return static_cast<int>(id);
}

void cubeFaces(bool textured) {
  for (const Face& face : kCubeFaces) {
    glBegin(GL_POLYGON);
    for (int v = 0; v < 4; ++v) {
      if (textured) glTexCoord2fv(kFaceTexCoords[v]);
      glVertex3fv(face.vertices[v]);
    }
    glEnd();
  }
}

}  // namespace

extern "C" {

int plainCube(void) {
  const GLuint id = beginList();
  if (id) cubeFaces(false);
  return endList(id);
}

int texturedCube(void) {
  const GLuint id = beginList();
  if (id) cubeFaces(true);
  return endList(id);
}

int xtexturedCube(void) {
  const GLuint id = beginList();
  if (id) {
    glBegin(GL_QUADS);
    for (const Face& face : kCubeFaces) {
      for (int v = 0; v < 4; ++v) {
        glTexCoord2fv(kFaceTexCoords[v]);
        glNormal3fv(face.normal);
        glVertex3fv(face.vertices[v]);
      }
    }
    glEnd();
  }
  return endList(id);
}

int texturedQuad(void) {
  const GLuint id = beginList();
  if (id) {
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2d(1, 1);
    glVertex3f(1.5f, 1.5f, 0);
    glTexCoord2d(0, 1);
    glVertex3f(-1.5f, 1.5f, 0);
    glTexCoord2d(1, 0);
    glVertex3f(1.5f, -1.5f, 0);
    glTexCoord2d(0, 0);
    glVertex3f(-1.5f, -1.5f, 0);
    glEnd();
  }
  return endList(id);
}

int icosahedron(void) {
  const GLuint id = beginList();
  if (id) {
    glBegin(GL_TRIANGLES);
    // Third index first: counter-clockwise seen from outside.
    for (const auto& face : kIcosahedronFaces) {
      glVertex3fv(kIcosahedronVertices[face[2]]);
      glVertex3fv(kIcosahedronVertices[face[1]]);
      glVertex3fv(kIcosahedronVertices[face[0]]);
    }
    glEnd();
  }
  return endList(id);
}

}  // extern "C"
