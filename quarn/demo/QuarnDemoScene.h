#pragma once
// The demo scene, built through the public API alone: a model of every geometry type on a
// turning carousel (one of them textured with an image made in memory), the default light
// placed above, linear fog, a 2D backdrop and particle systems; every model spins from the
// angular impulses of a motivator. Used by quarn-demo and the Quarn benchmark.
#include <memory>
#include <vector>

#include <quarn/Quarn.h>

struct QuarnDemoOptions {
  int particleSystems = 1;
  int particlesPerSystem = 500;
};

struct QuarnDemoScene {
  std::shared_ptr<QuarnNode> carousel;
  std::vector<std::shared_ptr<QuarnModel>> models;  // one per geometry type, in the type list's order
  std::vector<std::shared_ptr<QuarnParticleSystem>> particleSystems;
  std::shared_ptr<QuarnLayer2D> backdrop;
  std::shared_ptr<QuarnTexture> texture;
  QuarnMotivator motivator;
};

// A 64 × 64 checkerboard of two colours with a border, as a texture wants it.
QuarnImage quarnDemoCheckerImage();

// Builds the scene into the view's core (its context is made current by the view's calls).
QuarnDemoScene buildQuarnDemoScene(QuarnView& view, const QuarnDemoOptions& options = {});
