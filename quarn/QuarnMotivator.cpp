#include "quarn/QuarnMotivator.h"

#include "quarn/QuarnVector.h"

void QuarnMotivator::applyImpulse(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&linearVelocity_, &d);
}

void QuarnMotivator::applyAngularImpulse(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&angularVelocity_, &d);
}
