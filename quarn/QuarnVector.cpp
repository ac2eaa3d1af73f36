// Vector kit and random helpers.
#include "quarn/QuarnVector.h"

#include <cmath>
#include <cstdlib>

extern "C" {

void vectorSetToVector(Vector* dst, const Vector* src) {
  dst->x = src->x;
  dst->y = src->y;
  dst->z = src->z;
}

float vectorMagnitude(const Vector* v) { return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z); }

float vectorDot(const Vector* a, const Vector* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

Vector vectorCross(const Vector* a, const Vector* b) {
  return Vector{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
}

void vectorAddVector(Vector* a, const Vector* b) {
  a->x += b->x;
  a->y += b->y;
  a->z += b->z;
}

void vectorSubtractVector(Vector* a, const Vector* b) {
  a->x -= b->x;
  a->y -= b->y;
  a->z -= b->z;
}

void vectorMultiplyByScalar(Vector* a, float s) {
  a->x *= s;
  a->y *= s;
  a->z *= s;
}

void vectorAddScalar(Vector* a, float s) {
  a->x += s;
  a->y += s;
  a->z += s;
}

void vectorMadd(Vector* a, const Vector* b, float s) {
  a->x = (a->x + b->x) * s;
  a->y = (a->y + b->y) * s;
  a->z = (a->z + b->z) * s;
}

Vector vectorGetNormalised(const Vector* v) {
  Vector n = *v;
  vectorNormalise(&n);
  return n;
}

void vectorNormalise(Vector* v) {
  const float m = vectorMagnitude(v);
  v->x /= m;
  v->y /= m;
  v->z /= m;
}

int randomSign(void) { return (random() % 2) ? 1 : -1; }

float randomFloat(void) { return static_cast<float>(static_cast<double>(random() % 100000 + 1) * 0.00001); }

float randomRange(float min, float max) { return min + (max - min) * randomFloat(); }

void randomVector(Vector* v, float min, float max) {
  float* components[3] = {&v->x, &v->y, &v->z};
  for (float* c : components) {
    const int s = randomSign();
    const float f = randomFloat();
    *c = static_cast<float>(s) * (min + f * (max - min));
  }
}

}  // extern "C"
