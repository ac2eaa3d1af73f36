#pragma once
// Plain C kit of the framework: the Vector record and in-place arithmetic on it, random helpers
// on the C library's random(), and fixed meshes compiled into OpenGL display lists.

#ifdef __cplusplus
extern "C" {
#endif

// Position, rotation (degrees), scale, velocity or force.
typedef struct Vector {
  float x;
  float y;
  float z;
} Vector;

void vectorSetToVector(Vector* dst, const Vector* src);
float vectorMagnitude(const Vector* v);
float vectorDot(const Vector* a, const Vector* b);
Vector vectorCross(const Vector* a, const Vector* b);
void vectorAddVector(Vector* a, const Vector* b);
void vectorSubtractVector(Vector* a, const Vector* b);
void vectorMultiplyByScalar(Vector* a, float s);
void vectorAddScalar(Vector* a, float s);
// a = (a + b) × s: the sum is scaled, not b alone.
void vectorMadd(Vector* a, const Vector* b, float s);
// A zero-length vector gives not-a-number components.
Vector vectorGetNormalised(const Vector* v);
void vectorNormalise(Vector* v);

// +1 for an odd draw of random(), -1 for an even one.
int randomSign(void);
// ((random() mod 100000) + 1) × 0.00001: 0.00001 … 1.0, never 0.
float randomFloat(void);
// min + (max - min) × randomFloat(); the bounds need not be ordered.
float randomRange(float min, float max);
// Per component x, y, z: a random sign, then a magnitude in [min, max].
void randomVector(Vector* v, float min, float max);

// Each compiles one display list and returns its name (0 when glGenLists fails); the caller
// deletes it with glDeleteLists(id, 1). None sets colour, material or texture state.
int plainCube(void);      // cube -1…1, six GL_POLYGON faces, positions only
int texturedCube(void);   // as plainCube with a whole texture per face
int xtexturedCube(void);  // one GL_QUADS block of 24 vertices with texture coordinates and normals
int texturedQuad(void);   // 3 × 3 square in z = 0 facing +z, one triangle strip, no normal
int icosahedron(void);    // unit icosahedron, 20 GL_TRIANGLES

#ifdef __cplusplus
}
#endif
