// Heap allocations per frame (its own program: it replaces the allocation functions): executing
// makes the image provider and nothing else; rendering it reuses the plug-in's raster.
#include <gtest/gtest.h>

#include <memory>

#include "platform/composition/host/QCRenderedImage.h"
#include "platform/gl/HeadlessGLContext.h"
#include "tests/sonograph/SonographTestSupport.h"
#include "tests/support/AllocationCounter.h"

using testsupport::AllocationCounter;

using platform::composition::QCStructure;
using platform::composition::QCValue;

TEST(SonographAllocations, OneAllocationPerExecutedFrameAndNoneToRender) {
  if (!AllocationCounter::available()) GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
  platform::gl::HeadlessGLContext gl(8, 8);
  ASSERT_TRUE(gl.valid() && gl.makeCurrent());
  const auto handle = platform::composition::cglContextFor(gl);
  sonographtest::HostedSonograph host(handle);
  ASSERT_TRUE(host.start());
  QCStructure spectrum;
  for (int k = 0; k < 16; ++k) spectrum.append(QCValue(0.01 * k));
  host.set("inputSpectrum", spectrum);
  ASSERT_TRUE(host.execute());
  const auto bounds = host.image()->imageBounds();
  auto render = [&] {
    auto image = host.image();
    const auto texture = image->copyRenderedTextureForCGLContext(handle, "BGRA8", bounds, nullptr);
    image->releaseRenderedTexture(texture, handle);
    return texture != 0;
  };
  ASSERT_TRUE(render());  // the first render sizes the raster

  AllocationCounter::start();
  bool ok = true;
  for (int frame = 0; frame < 20; ++frame) ok = host.execute() && ok;
  const long executing = AllocationCounter::stop();
  EXPECT_TRUE(ok);
  EXPECT_EQ(executing, 20) << "one provider per frame";

  AllocationCounter::start();
  for (int frame = 0; frame < 5; ++frame) ok = render() && ok;
  const long rendering = AllocationCounter::stop();
  EXPECT_TRUE(ok);
  EXPECT_EQ(rendering, 0);
}
