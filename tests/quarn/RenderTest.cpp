// Whole frames read back as pixels: a lit sphere, textured quads from PNG and JPEG files, and a
// small scene written out as a PNG for a look.
#include <filesystem>

#include "QuarnGLTest.h"
#include "QuarnLogCapture.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageCodec.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

using platform::graphics::Image;
using platform::graphics::RGBA8;
using quarntest::QuarnGLTest;

namespace {

struct Channels {
  int r, g, b, a;
};

Channels channels(std::uint32_t p) {
  return {int(p >> 24), int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

// Quadrants: top-left red, top-right green, bottom-left blue, bottom-right white.
Image quadrantImage(int width, int height, std::uint8_t alpha = 255) {
  Image image(width, height, {}, alpha != 255);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool top = y < height / 2, left = x < width / 2;
      RGBA8 p = top ? (left ? RGBA8{255, 0, 0, alpha} : RGBA8{0, 255, 0, alpha})
                    : (left ? RGBA8{0, 0, 255, alpha} : RGBA8{255, 255, 255, alpha});
      image.setPixel(x, y, p);
    }
  return image;
}

class QuarnRenderTest : public QuarnGLTest {
 protected:
  void SetUp() override {
    QuarnGLTest::SetUp();
    core = std::make_unique<QuarnCore>();
    camera = core->camera();
    camera->initGL();
    camera->reshapeWithSize({kSize, kSize});
  }
  void TearDown() override {
    core.reset();
    QuarnGLTest::TearDown();
  }
  void frame() {
    camera->renderScene();
    context->finish();
  }
  GLint textureSize(GLenum which) {
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &v);
    return v;
  }

  std::unique_ptr<QuarnCore> core;
  std::shared_ptr<QuarnCamera> camera;
};

}  // namespace

TEST_F(QuarnRenderTest, LitSphereShowsItsDiffuseColourOnlyWhileLit) {
  camera->setPosition({0, 0, 4});
  auto red = core->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  core->newModelWithGeometry(core->newGeometryWithType("sphere"), red);
  frame();
  const Channels centre = channels(context->pixel(kSize / 2, kSize / 2));
  EXPECT_GT(centre.r, 150);
  EXPECT_LT(centre.g, 10);
  EXPECT_LT(centre.b, 10);
  EXPECT_EQ(channels(context->pixel(2, 2)).r, 0);  // background

  core->lights()[0]->setEnabled(false);
  frame();
  EXPECT_LT(channels(context->pixel(kSize / 2, kSize / 2)).r, 10);  // no ambient, no emission
}

TEST_F(QuarnRenderTest, TexturedQuadShowsThePngUpright) {
  testsupport::TempDir dir;
  const std::string path = dir.file("quadrants.png");
  ASSERT_TRUE(platform::graphics::writePNGFile(quadrantImage(64, 64), path));
  auto texture = core->newTextureWithImagePathOrName(path);
  EXPECT_EQ(texture->imgformat(), static_cast<GLenum>(GL_RGB));
  auto shader = core->newShaderWithDiffuse(QuarnColor::whiteColor(), texture);
  shader->textureLayers()[0]->setBlendMode("Replace");
  camera->setPosition({0, 0, 3});  // the 3 × 3 quad fills the middle half of the view
  core->newModelWithGeometry(core->newGeometry(), shader);
  frame();

  const int lo = kSize * 3 / 8, hi = kSize * 5 / 8;  // y counts up from the bottom
  EXPECT_EQ(context->pixel(lo, hi) & 0xFFFFFF00u, 0xFF000000u);  // top left red
  EXPECT_EQ(context->pixel(hi, hi) & 0xFFFFFF00u, 0x00FF0000u);  // top right green
  EXPECT_EQ(context->pixel(lo, lo) & 0xFFFFFF00u, 0x0000FF00u);  // bottom left blue
  EXPECT_EQ(context->pixel(hi, lo) & 0xFFFFFF00u, 0xFFFFFF00u);  // bottom right white
  EXPECT_EQ(context->pixel(4, 4) & 0xFFFFFF00u, 0u);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));  // RGB textures leave blending alone
}

TEST_F(QuarnRenderTest, TexturesFitLoadByNameAndKeepTheirImageOnFailure) {
  testsupport::TempDir dir;
  const std::string jpeg = dir.file("wide.jpg");
  ASSERT_TRUE(platform::graphics::writeJPEGFile(quadrantImage(640, 480), jpeg));
  QuarnTexture texture(jpeg);
  EXPECT_EQ(texture.name(), "New Texture");
  EXPECT_EQ(texture.sourceImagePath(), jpeg);
  glBindTexture(GL_TEXTURE_2D, texture.textureID());
  EXPECT_EQ(textureSize(GL_TEXTURE_WIDTH), 512);
  EXPECT_EQ(textureSize(GL_TEXTURE_HEIGHT), 256);
  EXPECT_EQ(texture.imgformat(), static_cast<GLenum>(GL_RGB));

  {
    quarntest::QuarnLogCapture log;
    texture.setSourceImagePath(dir.file("missing.png"));
    const std::string junk = dir.file("junk.png");
    testsupport::writeFile(junk, "\x89PNG\r\n\x1a\n broken");
    texture.setSourceImagePath(junk);
    texture.setSourceImagePath("no-such-resource");
    texture.setSourceImagePath("../escape");
    EXPECT_EQ(log.messages(), std::vector<std::string>(4, "image not loaded"));
  }
  glBindTexture(GL_TEXTURE_2D, texture.textureID());
  EXPECT_EQ(textureSize(GL_TEXTURE_WIDTH), 512);  // previous image kept

  // Named images come from share/<app>/ beside the executable.
  const std::string folder = QuarnTexture::resourceFolders().front();
  ASSERT_TRUE(platform::createDirectories(folder));
  const std::string resource = folder + "/quarn-test-sprite.png";
  ASSERT_TRUE(platform::graphics::writePNGFile(quadrantImage(3, 5, 128), resource));
  QuarnTexture named("quarn-test-sprite");
  std::filesystem::remove(resource);
  glBindTexture(GL_TEXTURE_2D, named.textureID());
  EXPECT_EQ(textureSize(GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(textureSize(GL_TEXTURE_HEIGHT), 4);
  EXPECT_EQ(named.imgformat(), static_cast<GLenum>(GL_RGBA));
}

TEST_F(QuarnRenderTest, AlphaTexturesSetTheLayersBlendFunction) {
  testsupport::TempDir dir;
  const std::string path = dir.file("translucent.png");
  ASSERT_TRUE(platform::graphics::writePNGFile(quadrantImage(16, 16, 128), path));
  auto shader = core->newShaderWithDiffuse(QuarnColor::whiteColor(), core->newTextureWithImagePathOrName(path));
  shader->textureLayers()[0]->setDstBlendFunc("ONE_MINUS_SRC_ALPHA");
  glDisable(GL_BLEND);
  shader->loadShader();
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(getInteger(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(getInteger(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(QuarnRenderTest, ParticlesStepOncePerDrawingModel) {
  auto shared = core->newParticles();
  shared->setNumParticles(5);
  auto unseen = core->newParticles();  // filed, but no model draws it
  unseen->setNumParticles(5);
  core->newModelWithGeometry(shared);
  core->newModelWithGeometry(shared);
  frame();
  // Spawned by the first model's draw (age 0), stepped again by the second.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(shared->particles()[i].age, 1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(unseen->particles()[i].lifespan, 0);
  EXPECT_EQ(shared->name(), "particles_1");
  EXPECT_EQ(unseen->name(), "particles_2");
}

TEST_F(QuarnRenderTest, SmallSceneToPng) {
  camera->setPosition({0, 2.5f, 7});
  camera->addBackdrop();
  camera->fog()->setEnabled(true);
  camera->fog()->setNear(5);
  camera->fog()->setFar(40);
  camera->fog()->setColor(QuarnColor::colorWithCalibratedRed(0.1f, 0.1f, 0.2f, 1));
  core->lights()[0]->setPosition({2, 3, 0});

  auto gold = core->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(0.9f, 0.7f, 0.2f, 1));
  gold->setSpecular(QuarnColor::whiteColor());
  gold->setSpecularity(30);
  auto teal = core->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(0.2f, 0.7f, 0.7f, 1));
  auto box = core->newModelWithGeometry(core->newGeometryWithType("box"), gold, "box");
  box->setPosition({-3, 0, 0});
  box->setRotation({20, 30, 0});
  auto cone = core->newModelWithGeometry(core->newGeometryWithType("cone"), teal, "cone");
  cone->setPosition({3, -1, 0});
  cone->setRotation({-90, 0, 0});
  auto ball = core->newModelWithGeometry(core->newGeometryWithType("geosphere"), teal);
  ball->setScale({1.5f, 1.5f, 1.5f});
  auto sparks = core->newParticles();
  sparks->setNumParticles(60);
  sparks->setMaxScale(0.3f);
  sparks->setMinScale(0.1f);
  sparks->setGeometryType("box");
  auto emitter = core->newModelWithGeometry(sparks, core->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(1, 0.3f, 0.1f, 1)));
  emitter->setPosition({0, 3, 0});
  for (int i = 0; i < 5; ++i) frame();

  const auto pixels = context->topDownPixels();
  Image shot(kSize, kSize);
  std::copy(pixels.begin(), pixels.end(), shot.data());
  shot.setHasAlpha(false);
  const std::string out = (std::filesystem::current_path() / "quarn_scene.png").string();
  ASSERT_TRUE(platform::graphics::writePNGFile(shot, out));
  // Something other than the background was drawn in the middle of the view.
  int distinct = 0;
  const std::uint32_t corner = context->pixel(0, 0);
  for (int y = kSize / 4; y < kSize * 3 / 4; y += 4)
    for (int x = kSize / 4; x < kSize * 3 / 4; x += 4) distinct += context->pixel(x, y) != corner;
  EXPECT_GT(distinct, 50);
  std::printf("scene written to %s\n", out.c_str());
}
