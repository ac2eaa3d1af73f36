#pragma once
// A geometry standing for a cloud of particles: each draw steps every particle once (respawn,
// spring towards the origin, gravity, drag with wind) and draws it as one instance of the
// system's own geometry type.
#include <cstddef>
#include <memory>
#include <vector>

#include "quarn/QuarnGeometry.h"
#include "quarn/QuarnTypes.h"
#include "quarn/QuarnVector.h"

struct Particle {
  Vector position;
  Vector rotation;
  Vector scale;
  Vector velocity;
  Vector angularVelocity;
  int lifespan;
  int age;
};

class QuarnParticleSystem : public QuarnGeometry {
 public:
  using Plugin = std::shared_ptr<void>;

  QuarnParticleSystem();

  // Steps (when animating) and draws every particle, in index order.
  void drawGeometry() override;
  // specialForce from particle index's distance to the origin; throws std::out_of_range.
  void springForce(int index);

  int numParticles() const { return numParticles_; }
  // A different count replaces the array with zeroed records; negative counts give 0.
  void setNumParticles(int count) override;
  const Particle* particles() const { return particles_.data(); }

  float dragCoefficient() const { return dragCoefficient_; }
  void setDragCoefficient(float v) { dragCoefficient_ = v; }
  float maxVelocity() const { return maxVelocity_; }
  void setMaxVelocity(float v) { maxVelocity_ = v; }
  float minVelocity() const { return minVelocity_; }
  void setMinVelocity(float v) { minVelocity_ = v; }
  float maxScale() const { return maxScale_; }
  void setMaxScale(float v) { maxScale_ = v; }
  float minScale() const { return minScale_; }
  void setMinScale(float v) { minScale_ = v; }
  int maxLifespan() const { return maxLifespan_; }
  void setMaxLifespan(int v) { maxLifespan_ = v; }
  int minLifeSpan() const { return minLifeSpan_; }
  void setMinLifeSpan(int v) { minLifeSpan_ = v; }
  float specialForceThreshold() const { return specialForceThreshold_; }
  void setSpecialForceThreshold(float v) { specialForceThreshold_ = v; }
  float specialForceMultiplier() const { return specialForceMultiplier_; }
  void setSpecialForceMultiplier(float v) { specialForceMultiplier_ = v; }

  float gX() const { return gravity_.x; }
  float gY() const { return gravity_.y; }
  float gZ() const { return gravity_.z; }
  float wX() const { return wind_.x; }
  float wY() const { return wind_.y; }
  float wZ() const { return wind_.z; }
  float eX() const { return emitter_.x; }
  float eY() const { return emitter_.y; }
  float eZ() const { return emitter_.z; }
  void setGX(float v) { gravity_.x = v; }
  void setGY(float v) { gravity_.y = v; }
  void setGZ(float v) { gravity_.z = v; }
  void setWX(float v) { wind_.x = v; }
  void setWY(float v) { wind_.y = v; }
  void setWZ(float v) { wind_.z = v; }
  void setEX(float v) { emitter_.x = v; }
  void setEY(float v) { emitter_.y = v; }
  void setEZ(float v) { emitter_.z = v; }

  Vector* specialForce() { return &specialForce_; }
  void setSpecialForce(Vector v) { specialForce_ = v; }
  // Red, green, blue from the colour vector, alpha 1.
  QuarnColor color() const;
  void setColor(const QuarnColor& color);

  // Plug-in list: stored for applications, not read by the simulation. Bad indexes throw
  // std::out_of_range.
  const std::vector<Plugin>& plugins() const { return plugins_; }
  std::size_t countOfPlugins() const { return plugins_.size(); }
  Plugin objectInPluginsAtIndex(std::size_t index) const;
  void getPlugins(Plugin* buffer, std::size_t location, std::size_t length) const;
  void insertObjectInPluginsAtIndex(Plugin object, std::size_t index);
  void removeObjectFromPluginsAtIndex(std::size_t index);
  void replaceObjectInPluginsAtIndex(std::size_t index, Plugin object);

 protected:
  void respawn(Particle& p);

  Vector emitter_{0, 0, 0};
  Vector gravity_{0, 0, 0};
  Vector wind_{0, 0, 0};
  Vector color_{1, 1, 1};
  Vector specialForce_{0, 0, 0};
  float dragCoefficient_ = 0.01f;
  float maxVelocity_ = 2.5f;
  float minVelocity_ = 0.25f;
  int maxLifespan_ = 500;
  int minLifeSpan_ = 250;
  float maxScale_ = 10.0f;
  float minScale_ = 0.5f;
  std::vector<Plugin> plugins_;
  float specialForceMultiplier_ = 0.05f;
  float specialForceThreshold_ = 20.0f;
  int numParticles_ = 0;
  std::vector<Particle> particles_;
};
