#pragma once
// Holder of a linear and an angular velocity with the node's motion interface; nothing drives it.
#include "quarn/QuarnVector.h"

class QuarnMotivator {
 public:
  bool isAnimated() const { return isAnimated_; }
  void setAnimated(bool flag) { isAnimated_ = flag; }
  Vector linearVelocity() const { return linearVelocity_; }
  Vector angularVelocity() const { return angularVelocity_; }
  void setLinearVelocity(Vector v) { linearVelocity_ = v; }
  void setAngularVelocity(Vector v) { angularVelocity_ = v; }
  void applyImpulse(float x, float y, float z);
  void applyImpulseByVector(Vector v) { applyImpulse(v.x, v.y, v.z); }
  void applyAngularImpulse(float x, float y, float z);
  void applyAngularImpulseByVector(Vector v) { applyAngularImpulse(v.x, v.y, v.z); }
  float lvX() const { return linearVelocity_.x; }
  float lvY() const { return linearVelocity_.y; }
  float lvZ() const { return linearVelocity_.z; }
  float avX() const { return angularVelocity_.x; }
  float avY() const { return angularVelocity_.y; }
  float avZ() const { return angularVelocity_.z; }
  void setLvX(float v) { linearVelocity_.x = v; }
  void setLvY(float v) { linearVelocity_.y = v; }
  void setLvZ(float v) { linearVelocity_.z = v; }
  void setAvX(float v) { angularVelocity_.x = v; }
  void setAvY(float v) { angularVelocity_.y = v; }
  void setAvZ(float v) { angularVelocity_.z = v; }
  // Does nothing.
  void animate() {}

 protected:
  bool isAnimated_ = false;
  Vector linearVelocity_{0, 0, 0};
  Vector angularVelocity_{0, 0, 0};
};
