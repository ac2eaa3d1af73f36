// Particle integrator against hand-worked steps with a seeded generator; the step allocates nothing.
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "QuarnGLTest.h"
#include "quarn/Quarn.h"
#include "tests/support/AllocationCounter.h"

using quarntest::QuarnGLTest;


namespace {

struct Spawn {
  Vector velocity, angularVelocity, scale;
  int lifespan;
};

// The draws a respawn makes, in their fixed order, from the current generator state.
Spawn nextSpawn(float minV, float maxV, float minS, float maxS, int minL, int maxL) {
  Spawn s{};
  randomVector(&s.velocity, minV, maxV);
  randomVector(&s.angularVelocity, 5 * minV, 5 * maxV);
  s.scale.x = randomRange(minS, maxS);
  s.scale.y = randomRange(minS, maxS);
  s.scale.z = randomRange(minS, maxS);
  s.lifespan = static_cast<int>(randomRange(static_cast<float>(minL), static_cast<float>(maxL)));
  return s;
}

}  // namespace

TEST_F(QuarnGLTest, FirstStepRespawnsEveryParticleAndMovesItByPointNinetyNine) {
  QuarnParticleSystem system;
  EXPECT_EQ(system.numParticles(), 500);
  EXPECT_TRUE(system.animating());
  EXPECT_TRUE(system.isParticleSystem());
  EXPECT_EQ(system.geometryType(), "quad");

  srandom(2024);
  std::vector<Spawn> spawns;
  for (int i = 0; i < 500; ++i) spawns.push_back(nextSpawn(0.25f, 2.5f, 0.5f, 10.0f, 250, 500));
  srandom(2024);
  system.drawGeometry();

  for (int i = 0; i < 500; ++i) {
    const Particle& p = system.particles()[i];
    const Spawn& s = spawns[static_cast<size_t>(i)];
    EXPECT_EQ(p.age, 0);
    EXPECT_EQ(p.lifespan, s.lifespan);
    EXPECT_GE(p.lifespan, 250);
    EXPECT_LE(p.lifespan, 500);
    EXPECT_FLOAT_EQ(p.velocity.x, 0.99f * s.velocity.x);
    EXPECT_FLOAT_EQ(p.velocity.y, 0.99f * s.velocity.y);
    EXPECT_FLOAT_EQ(p.velocity.z, 0.99f * s.velocity.z);
    EXPECT_FLOAT_EQ(p.position.x, 0.99f * s.velocity.x);
    EXPECT_FLOAT_EQ(p.position.z, 0.99f * s.velocity.z);
    EXPECT_FLOAT_EQ(p.rotation.y, s.angularVelocity.y);
    EXPECT_FLOAT_EQ(p.scale.z, s.scale.z);
    EXPECT_GE(std::fabs(p.angularVelocity.x), 1.25f);
    EXPECT_LE(std::fabs(p.angularVelocity.x), 12.5f);
  }
}

TEST_F(QuarnGLTest, GravityTakesExactlyItsShareEachStep) {
  QuarnParticleSystem system;
  system.setNumParticles(50);
  system.setGY(-0.01f);
  system.setDragCoefficient(0);
  system.drawGeometry();
  for (int step = 0; step < 3; ++step) {
    std::vector<Particle> before(system.particles(), system.particles() + 50);
    system.drawGeometry();
    for (int i = 0; i < 50; ++i) {
      const Particle& p = system.particles()[i];
      if (vectorMagnitude(&before[static_cast<size_t>(i)].position) > 20) continue;  // spring range
      EXPECT_NEAR(p.velocity.y - before[static_cast<size_t>(i)].velocity.y, -0.01f, 1e-6);
      EXPECT_FLOAT_EQ(p.velocity.x, before[static_cast<size_t>(i)].velocity.x);
      EXPECT_EQ(p.age, before[static_cast<size_t>(i)].age + 1);
    }
  }
}

TEST_F(QuarnGLTest, WindEntersTheDragTermWithTheVelocitysSign) {
  QuarnParticleSystem system;
  system.setNumParticles(3);
  system.setMinVelocity(0);
  system.setMaxVelocity(0);  // particles at rest
  system.setWX(1);
  system.drawGeometry();
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(system.particles()[i].velocity.x, -0.01f);
  system.drawGeometry();
  // v = v + (v + wind) × -0.01 = -0.01 + 0.99 × -0.01... = -0.01 - 0.0099
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(system.particles()[i].velocity.x, -0.01f + (-0.01f + 1) * -0.01f);
}

TEST_F(QuarnGLTest, SpringPullsBackOnlyBeyondTheThreshold) {
  QuarnParticleSystem system;
  system.setNumParticles(1);
  system.setMinVelocity(0);
  system.setMaxVelocity(0);
  system.setDragCoefficient(0);
  system.setEX(20);  // exactly at the threshold: no force
  system.drawGeometry();
  EXPECT_EQ(system.particles()[0].position.x, 20);
  EXPECT_EQ(system.particles()[0].velocity.x, 0);
  EXPECT_EQ(system.specialForce()->x, 0);

  system.setEX(-30);
  system.setNumParticles(2);  // a new count restarts every particle
  system.drawGeometry();
  const float pull = std::log(30.0f) * 0.05f;  // towards the origin: +x here
  EXPECT_NEAR(system.particles()[0].velocity.x, pull, 1e-6);
  EXPECT_NEAR(system.particles()[0].position.x, -30 + pull, 1e-5);
  EXPECT_NEAR(system.specialForce()->x, pull, 1e-6);
  system.setSpecialForce({5, 5, 5});  // overwritten by the next step
  system.springForce(1);
  EXPECT_NEAR(system.specialForce()->x, std::log(-system.particles()[1].position.x) * 0.05f, 1e-6);
  EXPECT_EQ(system.specialForce()->y, 0);
  EXPECT_THROW(system.springForce(2), std::out_of_range);
  EXPECT_THROW(system.springForce(-1), std::out_of_range);
}

TEST_F(QuarnGLTest, AParticleTakesPartInLifespanPlusOneSteps) {
  QuarnParticleSystem system;
  system.setNumParticles(2);
  system.setMinLifeSpan(3);
  system.setMaxLifespan(3);
  system.setMinVelocity(1);
  system.setMaxVelocity(1);
  system.setDragCoefficient(0);
  system.setSpecialForceThreshold(1e6f);  // no spring
  system.setEX(100);  // respawning is a jump back to x = 100
  // Step 1 spawns; steps 2 to 4 age it to 3 = lifespan; step 5 respawns.
  std::vector<int> ages;
  std::vector<float> distances;
  for (int step = 1; step <= 9; ++step) {
    system.drawGeometry();
    const Particle& p = system.particles()[0];
    EXPECT_EQ(p.lifespan, 3);
    ages.push_back(p.age);
    distances.push_back(std::fabs(p.position.x - 100));
  }
  EXPECT_EQ(ages, (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0}));
  // Each life starts one step's travel (speed 1 along x) from the emitter.
  for (int step : {0, 4, 8}) EXPECT_NEAR(distances[size_t(step)], 1.0f, 1e-4f) << step;
  EXPECT_NEAR(distances[3], 4.0f, 1e-4f);
}

TEST_F(QuarnGLTest, ParticleCountAndStillSystems) {
  QuarnParticleSystem system;
  system.setNumParticles(4);
  system.drawGeometry();
  const Particle kept = system.particles()[2];
  system.setNumParticles(4);  // same count: kept
  EXPECT_EQ(system.particles()[2].position.x, kept.position.x);
  system.setAanimating(false);  // drawn where they are; nothing moves or ages
  system.drawGeometry();
  EXPECT_EQ(system.particles()[2].position.x, kept.position.x);
  EXPECT_EQ(system.particles()[2].age, kept.age);
  system.setNumParticles(-5);
  EXPECT_EQ(system.numParticles(), 0);
  system.drawGeometry();
  EXPECT_EQ(feedback([&] { system.drawGeometry(); }).size(), 0u);
}

TEST_F(QuarnGLTest, EachParticleDrawsOneInstanceAtItsPlace) {
  QuarnParticleSystem system;
  system.setNumParticles(3);
  system.setMinScale(1);
  system.setMaxScale(1);
  system.setMinVelocity(0);
  system.setMaxVelocity(0);
  system.setDragCoefficient(0);
  system.setEX(2);
  system.setEY(3);
  system.drawGeometry();  // spawns all three at the emitter, unturned, scale 1
  system.setAanimating(false);
  auto polygons = feedback([&] { system.drawGeometry(); });
  ASSERT_EQ(polygons.size(), 6u);  // one 3 × 3 quad each
  for (const auto& v : vertices(polygons)) {
    EXPECT_NEAR(std::fabs(v.x - 2), 1.5f, 0.1f);
    EXPECT_NEAR(std::fabs(v.y - 3), 1.5f, 0.1f);
  }
}

TEST_F(QuarnGLTest, ColourAndPluginList) {
  QuarnParticleSystem system;
  EXPECT_EQ(system.color(), QuarnColor::colorWithCalibratedRed(1, 1, 1, 1));
  system.setColor(QuarnColor::colorWithCalibratedRed(1, 0.5f, 0, 0.3f));
  EXPECT_EQ(system.color(), QuarnColor::colorWithCalibratedRed(1, 0.5f, 0, 1));

  auto a = std::make_shared<int>(1), b = std::make_shared<int>(2);
  system.insertObjectInPluginsAtIndex(a, 0);
  system.insertObjectInPluginsAtIndex(b, 0);
  EXPECT_EQ(system.countOfPlugins(), 2u);
  EXPECT_EQ(system.objectInPluginsAtIndex(0), b);
  system.replaceObjectInPluginsAtIndex(0, a);
  QuarnParticleSystem::Plugin out[2];
  system.getPlugins(out, 0, 2);
  EXPECT_EQ(out[0], a);
  EXPECT_EQ(out[1], a);
  system.removeObjectFromPluginsAtIndex(1);
  EXPECT_EQ(system.countOfPlugins(), 1u);
  EXPECT_THROW(system.objectInPluginsAtIndex(1), std::out_of_range);
  EXPECT_THROW(system.removeObjectFromPluginsAtIndex(3), std::out_of_range);
  EXPECT_THROW(system.getPlugins(out, 1, 1), std::out_of_range);
  EXPECT_THROW(system.insertObjectInPluginsAtIndex(a, 5), std::out_of_range);
}

TEST_F(QuarnGLTest, SteppingAllocatesNothing) {
  if (!testsupport::AllocationCounter::available())
    GTEST_SKIP() << "allocation counting is off under AddressSanitizer";
  QuarnParticleSystem system;
  system.drawGeometry();
  testsupport::AllocationCounter::start();
  for (int frame = 0; frame < 20; ++frame) system.drawGeometry();
  EXPECT_EQ(testsupport::AllocationCounter::stop(), 0);
}

TEST(QuarnMotivator, HoldsVelocities) {
  QuarnMotivator motivator;
  EXPECT_FALSE(motivator.isAnimated());
  motivator.applyImpulse(1, 2, 3);
  motivator.applyImpulseByVector({1, 1, 1});
  motivator.applyAngularImpulse(0, 0, 5);
  motivator.setAvX(2);
  motivator.animate();  // does nothing
  EXPECT_EQ(motivator.lvX(), 2);
  EXPECT_EQ(motivator.lvZ(), 4);
  EXPECT_EQ(motivator.avZ(), 5);
  EXPECT_EQ(motivator.avX(), 2);
}
