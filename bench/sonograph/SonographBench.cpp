// The sonograph's cost per frame, headless on Mesa: the 512 × 384 raster alone (median of many),
// and the whole frame as a host drives it, execute then render to a texture, in frames per
// second; heap allocations counted over the timed frames (the plug-in's code is linked in, so
// the counter sees its allocations).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <GL/gl.h>

#include "platform/composition/QCPlugInInterface.h"
#include "platform/composition/host/QCPatch.h"
#include "platform/composition/host/QCRenderedImage.h"
#include "platform/gl/HeadlessGLContext.h"
#include "sonograph/SonographPlugIn.h"
#include "tests/support/AllocationCounter.h"

using namespace platform::composition;
using Clock = std::chrono::steady_clock;

namespace {

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
  constexpr int W = 512, H = 384;

  // A history full of spectrum-like values.
  SonographHistory history;
  uint32_t seed = 5;
  for (auto& d : history) {
    seed = seed * 1664525u + 1013904223u;
    d = (seed >> 8) / double(1u << 24) * 0.2;
  }
  std::vector<float> raster(size_t(W) * H * 4);
  std::vector<double> rasterTimes;
  for (int i = 0; i < frames; ++i) {
    const auto start = Clock::now();
    makeSonographRaster(history.data(), W, H, 0.5f, 0.5f, 0.5f, 0.5f, 0.5, i % 2 ? kSonographGray : kSonographRGB,
                        raster.data());
    rasterTimes.push_back(milliseconds(Clock::now() - start));
  }
  std::printf("raster %dx%d: median %.3f ms, best %.3f ms (target < 2 ms)\n", W, H, median(rasterTimes),
              *std::min_element(rasterTimes.begin(), rasterTimes.end()));

  platform::gl::HeadlessGLContext gl(16, 16);
  if (!gl.valid() || !gl.makeCurrent()) {
    std::fprintf(stderr, "sonograph_bench: no headless OpenGL context\n");
    return 1;
  }
  std::printf("renderer: %s\n", platform::gl::HeadlessGLContext::rendererString().c_str());
  const CGLContextObj handle = cglContextFor(gl);
  static const QCPlugInInterface record = makeQCPlugInInterface<SonographPlugIn>("SonographPlugIn");
  std::string error;
  auto ports = portStoreForClass(record, error);
  if (!ports) {
    std::fprintf(stderr, "sonograph_bench: %s\n", error.c_str());
    return 1;
  }
  SonographPlugIn plugIn;
  plugIn.setPortStore(&*ports);
  QCPlugInContext context(CGColorSpaceCreateWithName(kCGColorSpaceGenericRGB), handle);
  if (!plugIn.startExecution(context)) return 1;
  QCStructure spectrum;
  for (int k = 0; k < 16; ++k) spectrum.append(QCValue(0.05 * k));
  ports->setInputValue("inputSpectrum", spectrum);

  auto frame = [&]() -> bool {
    if (!plugIn.execute(context, 0, {})) return false;
    const auto& provider = std::get<QCImageProviderRef>(*ports->value("outputImage"));
    const GLTextureName texture =
        provider->copyRenderedTextureForCGLContext(handle, QCPlugInPixelFormatBGRA8, provider->imageBounds(), nullptr);
    if (!texture) return false;
    glFinish();
    provider->releaseRenderedTexture(texture, handle);
    return true;
  };
  for (int i = 0; i < 10; ++i)
    if (!frame()) return 1;  // warm-up: the raster is sized, Mesa's paths are set up

  std::vector<double> frameTimes;
  long allocations = 0;
  for (int i = 0; i < frames; ++i) {
    const auto start = Clock::now();
    testsupport::AllocationCounter::start();
    const bool ok = frame();
    allocations += testsupport::AllocationCounter::stop();
    frameTimes.push_back(milliseconds(Clock::now() - start));
    if (!ok) return 1;
  }
  plugIn.stopExecution(context);
  const double ms = median(frameTimes);
  std::printf("execute + render %dx%d: median %.3f ms a frame, %.1f frames per second\n", W, H, ms, 1000.0 / ms);
  if (!testsupport::AllocationCounter::available()) {
    std::printf("heap allocations: not counted under AddressSanitizer\n");
    return 0;
  }
  std::printf("heap allocations: %.2f a frame over %d frames (the image provider: 1)\n", double(allocations) / frames,
              frames);
  return allocations == frames ? 0 : 2;
}
