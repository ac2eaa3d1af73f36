// Frames per second of the demo scene with 10 particle systems of 500 particles, drawn by a
// QuarnView off-screen or in a window (run it under xvfb-run for that), frames back to back
// rather than at the timer's pace; heap allocations counted over the timed frames.
//   quarn_view_bench [--window] [--frames N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <GL/gl.h>

#include <quarn/Quarn.h>

#include "QuarnDemoScene.h"
#include "tests/support/AllocationCounter.h"

int main(int argc, char** argv) {
  bool window = false;
  int frames = 120;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--window")) window = true;
    else if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) frames = std::max(3, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: quarn_view_bench [--window] [--frames N]\n");
      return 2;
    }
  }
  const QuarnSize size{640, 480};
  std::unique_ptr<QuarnView> view =
      window ? QuarnView::viewWithFrame({{50, 50}, size}) : QuarnView::offscreenViewWithSize(size);
  if (!view) {
    std::fprintf(stderr, "quarn_view_bench: no %s view\n", window ? "window" : "off-screen");
    return 1;
  }
  QuarnDemoOptions options;
  options.particleSystems = 10;
  options.particlesPerSystem = 500;
  QuarnDemoScene scene = buildQuarnDemoScene(*view, options);
  std::printf("mode: %s, %s, %s\n", window ? "window" : "headless", QuarnHeadlessContext::rendererString().c_str(),
              QuarnHeadlessContext::versionString().c_str());
  std::printf("scene: %zu models, 10 particle systems x 500, %0.fx%0.f\n", view->models().size(), size.width,
              size.height);

  for (int i = 0; i < 20; ++i) view->render();  // warm-up: every particle alive, lists compiled
  glFinish();
  testsupport::AllocationCounter::start();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) view->render();
  glFinish();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long allocations = testsupport::AllocationCounter::stop();

  std::printf("frames: %d in %.2f s: %.2f ms/frame, %.1f fps\n", frames, seconds, 1e3 * seconds / frames,
              frames / seconds);
  if (!testsupport::AllocationCounter::available()) {
    std::printf("heap allocations: not counted under AddressSanitizer\n");
    return 0;
  }
  std::printf("heap allocations over %d frames: %ld (%.2f per frame)\n", frames, allocations,
              static_cast<double>(allocations) / frames);

  // The same frames as an application gets them: from the 15 ms timer of the main run loop,
  // with the loop's own work (and, in a window, the event pump) counted in.
  const auto before = view->renderedFrames();
  testsupport::AllocationCounter::start();
  QuarnView::runMainLoopFor(1.0);
  const long loopAllocations = testsupport::AllocationCounter::stop();
  const auto timed = view->renderedFrames() - before;
  std::printf("timer-paced: %llu frames in 1 s, heap allocations %ld (%.2f per frame, run loop included)\n",
              static_cast<unsigned long long>(timed), loopAllocations,
              timed ? static_cast<double>(loopAllocations) / timed : 0.0);
  return allocations == 0 ? 0 : 3;
}
