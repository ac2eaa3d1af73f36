#include "quarn/QuarnParticleSystem.h"

#include <GL/gl.h>

#include <cmath>
#include <new>
#include <stdexcept>

QuarnParticleSystem::QuarnParticleSystem() {
  animating_ = true;
  isParticleSystem_ = true;
  setNumParticles(500);
}

void QuarnParticleSystem::setNumParticles(int count) {
  if (count < 0) count = 0;
  if (count == numParticles_) return;
  particles_.clear();
  particles_.shrink_to_fit();
  numParticles_ = 0;
  try {
    particles_.assign(static_cast<size_t>(count), Particle{});
    numParticles_ = count;
  } catch (const std::bad_alloc&) {
    particles_.clear();
  }
}

void QuarnParticleSystem::respawn(Particle& p) {
  p.position = emitter_;
  randomVector(&p.velocity, minVelocity_, maxVelocity_);
  randomVector(&p.angularVelocity, 5 * minVelocity_, 5 * maxVelocity_);
  p.scale.x = randomRange(minScale_, maxScale_);
  p.scale.y = randomRange(minScale_, maxScale_);
  p.scale.z = randomRange(minScale_, maxScale_);
  p.lifespan = static_cast<int>(randomRange(static_cast<float>(minLifeSpan_), static_cast<float>(maxLifespan_)));
  p.age = 0;
}

void QuarnParticleSystem::springForce(int index) {
  if (index < 0 || index >= numParticles_)
    throw std::out_of_range("QuarnParticleSystem springForce: index " + std::to_string(index));
  const Vector& position = particles_[static_cast<size_t>(index)].position;
  const float m = vectorMagnitude(&position);
  if (m > specialForceThreshold_) {
    specialForce_ = vectorGetNormalised(&position);
    vectorMultiplyByScalar(&specialForce_, -std::log(m) * specialForceMultiplier_);
  } else {
    specialForce_ = Vector{0, 0, 0};
  }
}

void QuarnParticleSystem::drawGeometry() {
  for (int i = 0; i < numParticles_; ++i) {
    Particle& p = particles_[static_cast<size_t>(i)];
    if (animating_) {
      p.age += 1;
      if (p.age > p.lifespan) respawn(p);
      springForce(i);
      vectorAddVector(&specialForce_, &gravity_);
      Vector d = p.velocity;
      vectorMadd(&d, &wind_, -dragCoefficient_);
      vectorAddVector(&specialForce_, &d);
      vectorAddVector(&p.velocity, &specialForce_);
      vectorAddVector(&p.position, &p.velocity);
      vectorAddVector(&p.rotation, &p.angularVelocity);
    }
    glPushMatrix();
    glTranslatef(p.position.x, p.position.y, p.position.z);
    glRotatef(p.rotation.x, 1, 0, 0);
    glRotatef(p.rotation.y, 0, 1, 0);
    glRotatef(p.rotation.z, 0, 0, 1);
    glScalef(p.scale.x, p.scale.y, p.scale.z);
    drawBaseGeometry();
    glPopMatrix();
  }
}

QuarnColor QuarnParticleSystem::color() const { return QuarnColor{color_.x, color_.y, color_.z, 1.0f}; }

void QuarnParticleSystem::setColor(const QuarnColor& color) { color_ = Vector{color.red, color.green, color.blue}; }

QuarnParticleSystem::Plugin QuarnParticleSystem::objectInPluginsAtIndex(std::size_t index) const {
  return plugins_.at(index);
}

void QuarnParticleSystem::getPlugins(Plugin* buffer, std::size_t location, std::size_t length) const {
  if (location > plugins_.size() || length > plugins_.size() - location)
    throw std::out_of_range("QuarnParticleSystem getPlugins: range beyond bounds");
  for (std::size_t i = 0; i < length; ++i) buffer[i] = plugins_[location + i];
}

void QuarnParticleSystem::insertObjectInPluginsAtIndex(Plugin object, std::size_t index) {
  if (index > plugins_.size()) throw std::out_of_range("QuarnParticleSystem insertObject: index beyond bounds");
  plugins_.insert(plugins_.begin() + static_cast<std::ptrdiff_t>(index), std::move(object));
}

void QuarnParticleSystem::removeObjectFromPluginsAtIndex(std::size_t index) {
  if (index >= plugins_.size()) throw std::out_of_range("QuarnParticleSystem removeObject: index beyond bounds");
  plugins_.erase(plugins_.begin() + static_cast<std::ptrdiff_t>(index));
}

void QuarnParticleSystem::replaceObjectInPluginsAtIndex(std::size_t index, Plugin object) {
  plugins_.at(index) = std::move(object);
}
