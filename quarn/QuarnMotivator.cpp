#include "quarn/QuarnMotivator.h"

void QuarnMotivator::applyImpulse(float x, float y, float z) {
  linearVelocity_.x += x;
  linearVelocity_.y += y;
  linearVelocity_.z += z;
}

void QuarnMotivator::applyAngularImpulse(float x, float y, float z) {
  angularVelocity_.x += x;
  angularVelocity_.y += y;
  angularVelocity_.z += z;
}
