// Frames per second of a scene with 10 particle systems of 500 particles each, rendered off-screen
// on Mesa, with and without the particle step; heap allocations counted over the timed frames.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <GL/gl.h>

#include "platform/gl/HeadlessGLContext.h"
#include "quarn/Quarn.h"
#include "tests/support/AllocationCounter.h"


namespace {

double secondsPerFrame(QuarnCamera& camera, int frames) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    camera.renderScene();
    glFinish();
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 200;
  platform::gl::HeadlessGLContext context(640, 480);
  if (!context.valid()) return 1;
  std::printf("renderer: %s, %s\n", platform::gl::HeadlessGLContext::rendererString().c_str(),
              platform::gl::HeadlessGLContext::versionString().c_str());

  QuarnCore core;
  auto camera = core.camera();
  camera->initGL();
  camera->reshapeWithSize({640, 480});
  camera->setPosition({0, 20, 120});
  std::vector<std::shared_ptr<QuarnParticleSystem>> systems;
  for (int i = 0; i < 10; ++i) {
    auto system = core.newParticles();  // 500 particles, quad geometry
    auto shader = core.newShaderWithDiffuse(QuarnColor::colorWithCalibratedHue(i / 10.0f, 1, 1, 1));
    auto model = core.newModelWithGeometry(system, shader);
    model->setPosition({(i - 4.5f) * 20, 0, 0});
    systems.push_back(system);
  }

  for (int i = 0; i < 20; ++i) camera->renderScene();  // warm-up: every particle alive
  // Alternating rounds, best of each, so that load from elsewhere on the machine weighs least.
  double animated = 1e9, still = 1e9;
  long allocations = 0;
  const int rounds = 3;
  for (int round = 0; round < rounds; ++round) {
    for (auto& s : systems) s->setAanimating(true);
    testsupport::AllocationCounter::start();
    animated = std::min(animated, secondsPerFrame(*camera, frames / rounds));
    allocations += testsupport::AllocationCounter::stop();
    for (auto& s : systems) s->setAanimating(false);
    still = std::min(still, secondsPerFrame(*camera, frames / rounds));
  }

  std::printf("particles: 10 systems x 500\n");
  std::printf("animated: %.2f ms/frame, %.1f fps\n", animated * 1e3, 1 / animated);
  std::printf("still (no particle step): %.2f ms/frame, %.1f fps\n", still * 1e3, 1 / still);
  std::printf("particle step share of the frame: %.1f%%\n", 100 * (animated - still) / animated);
  if (!testsupport::AllocationCounter::available()) {
    std::printf("heap allocations: not counted under AddressSanitizer\n");
    return 0;
  }
  std::printf("heap allocations over %d animated frames: %ld\n", frames / rounds * rounds, allocations);
  return allocations == 0 ? 0 : 2;
}
