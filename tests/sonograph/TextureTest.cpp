// The sonograph's texture on a real (Mesa, headless) OpenGL context: what it holds, what it
// leaves of the host's state, and how it fails.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "platform/composition/host/QCRenderedImage.h"
#include "platform/gl/HeadlessGLContext.h"
#include "sonograph/SonographImageGeneration.h"
#include "tests/sonograph/SonographTestSupport.h"
#include "tests/support/TestSupport.h"

using namespace platform::composition;

namespace {

class SonographTexture : public ::testing::Test {
 protected:
  void SetUp() override {
    gl = std::make_unique<platform::gl::HeadlessGLContext>(32, 32);
    ASSERT_TRUE(gl->valid() && gl->makeCurrent()) << "no headless OpenGL context";
    handle = cglContextFor(*gl);
    uint32_t seed = 11;
    for (auto& d : data) {
      seed = seed * 1664525u + 1013904223u;
      d = (seed >> 8) / double(1u << 24) * 0.25;
    }
  }
  void TearDown() override { gl.reset(); }

  GLuint make(platform::Rect bounds, unsigned algorithm = kSonographRGB) {
    return makeSonographImage(handle, bounds, data.data(), 0.5f, 1.0f, 0.75f, 0.5f, 0.8, algorithm);
  }

  // The raster as 8-bit RGBA, top row first, as the texture read back should hold it.
  std::vector<uint8_t> expectedTexels(int W, int H, unsigned algorithm) {
    std::vector<float> r(size_t(W) * H * 4);
    makeSonographRaster(data.data(), W, H, 0.5f, 1.0f, 0.75f, 0.5f, 0.8, algorithm, r.data());
    std::vector<uint8_t> out(size_t(W) * H * 4);
    auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const float* p = &r[(size_t(y) * W + x) * 4];            // blue, green, red, alpha; bottom row first
        uint8_t* q = &out[(size_t(H - 1 - y) * W + x) * 4];      // red, green, blue, alpha; top row first
        q[0] = byte(p[2]), q[1] = byte(p[1]), q[2] = byte(p[0]), q[3] = byte(p[3]);
      }
    return out;
  }

  void expectTextureHoldsRaster(GLuint texture, int W, int H, unsigned algorithm) {
    auto image = readRectangleTexture(texture, W, H);
    ASSERT_TRUE(image) << "texture " << texture << " is not a " << W << "x" << H << " rectangle texture";
    const auto expected = expectedTexels(W, H, algorithm);
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(int(image->data()[i]) - int(expected[i])));
    EXPECT_LE(worst, 1) << "largest difference from the raster, in 8-bit steps";
  }

  int liveTextures() {
    int n = 0;
    for (GLuint name = 1; name < 256; ++name) n += glIsTexture(name) ? 1 : 0;
    return n;
  }

  std::unique_ptr<platform::gl::HeadlessGLContext> gl;
  CGLContextObj handle = nullptr;
  SonographHistory data{};
};

}  // namespace

TEST_F(SonographTexture, HoldsTheRasterClampedTo8Bits) {
  for (unsigned algorithm : {0u, 1u}) {
    const GLuint texture = make(platform::makeRect(0, 0, 64, 48), algorithm);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, texture);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_RECTANGLE_ARB, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 0);
    EXPECT_EQ(format, GL_RGBA8);
    expectTextureHoldsRaster(texture, 64, 48, algorithm);
    glDeleteTextures(1, &texture);
  }
  // The default size, and sizes that truncate.
  const GLuint large = make(platform::makeRect(0, 0, 512, 384));
  expectTextureHoldsRaster(large, 512, 384, kSonographRGB);
  const GLuint fractional = make(platform::makeRect(0, 0, 20.9, 10.5));
  expectTextureHoldsRaster(fractional, 20, 10, kSonographRGB);
}

TEST_F(SonographTexture, BoundsWithAnOriginStillFillTheTexture) {
  for (auto [x, y] : {std::pair{100.5, -20.0}, std::pair{-64.0, 7.0}, std::pair{1e6, 1e6}}) {
    const GLuint texture = make(platform::makeRect(x, y, 40, 30));
    ASSERT_NE(texture, 0u) << x << "," << y;
    expectTextureHoldsRaster(texture, 40, 30, kSonographRGB);
  }
}

TEST_F(SonographTexture, HostStateStaysAndDoesNotReachThePixels) {
  // A host mid-frame: its own framebuffer, blending, texturing, scissor, odd unpacking, zoom.
  GLuint hostTexture = 0, hostRect = 0, hostTarget = 0, hostFramebuffer = 0;
  glGenTextures(1, &hostTexture);
  glBindTexture(GL_TEXTURE_2D, hostTexture);
  const uint8_t white[4] = {255, 255, 255, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glEnable(GL_TEXTURE_2D);
  glGenTextures(1, &hostRect);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, hostRect);
  glGenTextures(1, &hostTarget);
  glBindTexture(GL_TEXTURE_2D, hostTarget);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, hostTexture);
  glGenFramebuffersEXT(1, &hostFramebuffer);
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, hostFramebuffer);
  glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, hostTarget, 0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 1, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
  glPixelZoom(2, 2);
  glPixelTransferf(GL_RED_SCALE, 0.5f);
  glViewport(1, 2, 3, 4);
  glMatrixMode(GL_TEXTURE);
  glClearColor(0.25f, 0.5f, 0.75f, 1);
  glShadeModel(GL_SMOOTH);
  ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

  const GLuint texture = make(platform::makeRect(0, 0, 48, 24));
  ASSERT_NE(texture, 0u);

  auto integer = [](GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
  };
  EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING_EXT), GLint(hostFramebuffer));
  EXPECT_EQ(integer(GL_TEXTURE_BINDING_RECTANGLE_ARB), GLint(hostRect));
  EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), GLint(hostTexture));
  EXPECT_EQ(integer(GL_MATRIX_MODE), GL_TEXTURE);
  EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
  EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 8);
  EXPECT_EQ(integer(GL_UNPACK_ROW_LENGTH), 3);
  EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{1, 2, 3, 4}));
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[2], 0.75f);
  GLfloat zoom = 0;
  glGetFloatv(GL_ZOOM_X, &zoom);
  EXPECT_EQ(zoom, 2.0f);

  // The pixels are the raster all the same (read back with the host's framebuffer unbound).
  glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  glPixelTransferf(GL_RED_SCALE, 1);
  expectTextureHoldsRaster(texture, 48, 24, kSonographRGB);
}

TEST_F(SonographTexture, APendingErrorFailsTheImageAndIsLogged) {
  const int before = liveTextures();
  testsupport::LogCapture log;
  glEnable(GLenum(0x7FFF));  // GL_INVALID_ENUM, left pending
  EXPECT_EQ(make(platform::makeRect(0, 0, 16, 16)), 0u);
  EXPECT_TRUE(log.contains("OpenGL error 0500")) << (log.lines().empty() ? "" : log.lines()[0]);
  EXPECT_EQ(liveTextures(), before) << "the texture is deleted";
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  // The next image is fine again.
  const GLuint texture = make(platform::makeRect(0, 0, 16, 16));
  EXPECT_NE(texture, 0u);
  EXPECT_EQ(log.lines().size(), 1u);
}

TEST_F(SonographTexture, SizesNoTextureCanHave) {
  const int before = liveTextures();
  {
    // Zero width: the framebuffer is incomplete; nothing drawn, nothing kept, no error.
    testsupport::LogCapture log;
    EXPECT_EQ(make(platform::makeRect(0, 0, 0.5, 10)), 0u);
    EXPECT_TRUE(log.lines().empty());
  }
  {
    // Larger than any rectangle texture: OpenGL refuses it.
    testsupport::LogCapture log;
    EXPECT_EQ(make(platform::makeRect(0, 0, 1e6, 4)), 0u);
    EXPECT_TRUE(log.contains("OpenGL error 0501"));
  }
  for (double bad : {-5.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e12}) {
    testsupport::LogCapture log;
    EXPECT_EQ(make(platform::makeRect(0, 0, bad, 8)), 0u) << bad;
    EXPECT_TRUE(log.contains("OpenGL error 0501")) << bad;
  }
  EXPECT_EQ(liveTextures(), before);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  // No context: nothing is attempted.
  EXPECT_EQ(makeSonographImage(nullptr, platform::makeRect(0, 0, 8, 8), data.data(), 1, 1, 1, 1, 1, 0), 0u);
}

TEST_F(SonographTexture, TheProviderRendersTheHistoryWhenAskedAndReleasesItsTexture) {
  sonographtest::HostedSonograph host(handle);
  ASSERT_TRUE(host.start());
  host.set("inputWidth", uint64_t(32));
  host.set("inputHeight", uint64_t(16));
  host.set("inputSpectrum", sonographtest::numbers({0, 0, 0.1}));
  ASSERT_TRUE(host.execute());
  auto image = host.image();
  ASSERT_TRUE(image);

  std::string error;
  auto first = renderProviderImage(*image, *gl, error);
  ASSERT_TRUE(first) << error;
  // 16 rows, one per band: only band 2 (the third row from the bottom) has a value, in the
  // newest (rightmost) column of 512, which a 32-wide image does not show.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(first->pixel(x, y).a, 0) << x << "," << y;

  // Without a copy: the same provider, rendered after more frames, shows them.
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(host.execute());
  auto later = renderProviderImage(*image, *gl, error);
  ASSERT_TRUE(later) << error;
  EXPECT_GT(later->pixel(31, 13).a, 200) << "band 2, newest columns";
  EXPECT_EQ(later->pixel(31, 12).a, 0) << "band 3";
  EXPECT_EQ(later->pixel(0, 13).a, 0) << "band 2, oldest columns";

  // Rendered after execution stopped, it still draws the last history.
  const int textures = liveTextures();
  host.plugIn.stopExecution(host.context);
  auto afterStop = renderProviderImage(*image, *gl, error);
  ASSERT_TRUE(afterStop) << error;
  EXPECT_EQ(afterStop->pixel(31, 13), later->pixel(31, 13));
  EXPECT_EQ(liveTextures(), textures) << "every rendered texture was released";
}
