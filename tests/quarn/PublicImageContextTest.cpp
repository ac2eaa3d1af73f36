// What the public header offers an off-screen program: the headless context maker, the image
// type with its files, and the texture's image operations on it.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <stdexcept>

#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(QuarnHeadlessContext, GivesACurrentContextThatDrawsAndReadsBack) {
  auto context = QuarnHeadlessContext::contextWithSize(32, 16);
  ASSERT_TRUE(context);
  EXPECT_TRUE(context->isCurrent());
  EXPECT_EQ(context->size(), (QuarnSize{32, 16}));
  EXPECT_GE(context->depthBits(), 24);
  EXPECT_NE(QuarnHeadlessContext::versionString().find("Compatibility"), std::string::npos)
      << QuarnHeadlessContext::versionString();

  // Green everywhere, red in the top 4 rows (GL's rows count from the bottom).
  glClearColor(0, 1, 0, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 12, 32, 4);
  glClearColor(1, 0, 0, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  context->flush();

  QuarnImage opaque = context->readPixels();
  ASSERT_EQ(opaque.width(), 32);
  ASSERT_EQ(opaque.height(), 16);
  EXPECT_EQ(opaque.pixel(5, 0), 0xff0000ffu);
  EXPECT_EQ(opaque.pixel(5, 3), 0xff0000ffu);
  EXPECT_EQ(opaque.pixel(5, 4), 0x00ff00ffu);
  EXPECT_EQ(opaque.pixel(31, 15), 0x00ff00ffu);
  EXPECT_FALSE(opaque.hasAlpha());
  QuarnImage withAlpha = context->readPixels(true);
  EXPECT_TRUE(withAlpha.hasAlpha());
  EXPECT_NEAR(static_cast<int>(withAlpha.pixel(5, 10) & 0xff), 128, 1);
}

TEST(QuarnHeadlessContext, TwoContextsKeepTheirOwnState) {
  auto first = QuarnHeadlessContext::contextWithSize(8, 8);
  auto second = QuarnHeadlessContext::contextWithSize(8, 8);
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(first->makeCurrent());
  glClearColor(1, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(second->makeCurrent());
  EXPECT_FALSE(first->isCurrent());
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  EXPECT_EQ(first->readPixels().pixel(0, 0), 0xffff00ffu);  // makes it current to read
  EXPECT_EQ(second->readPixels().pixel(7, 7), 0x0000ffffu);
}

TEST(QuarnImage, SizesPixelsAndFiles) {
  QuarnImage image(3, 2);
  EXPECT_EQ(image.pixels().size(), 24u);
  image.setPixel(2, 1, 0x11223344u);
  EXPECT_EQ(image.pixel(2, 1), 0x11223344u);
  EXPECT_EQ(image.row(1)[8], 0x11);
  EXPECT_EQ(image.pixel(3, 1), 0u);  // outside
  image.setPixel(-1, 0, 0xffffffffu);  // ignored
  EXPECT_EQ(image.pixel(0, 0), 0u);
  EXPECT_TRUE(QuarnImage(0, 5).empty());
  EXPECT_TRUE(QuarnImage(-3, 5).empty());
  EXPECT_TRUE(QuarnImage(1 << 16, 1 << 16).empty());  // too large: no allocation attempted
  // A buffer shrunk by the caller is never read past its end.
  QuarnImage shrunk(4, 4);
  shrunk.pixels().resize(8);
  EXPECT_EQ(shrunk.pixel(3, 3), 0u);
  shrunk.setPixel(3, 3, 1);

  testsupport::TempDir dir;
  const std::string path = dir.file("out.png");
  ASSERT_TRUE(image.writePNGToFile(path));
  auto back = QuarnImage::imageWithContentsOfFile(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width(), 3);
  EXPECT_EQ(back->height(), 2);
  EXPECT_EQ(back->pixel(2, 1), 0x11223344u);

  quarntest::QuarnLogCapture log;
  EXPECT_EQ(QuarnImage::imageWithContentsOfFile(dir.file("missing.png")), nullptr);
  testsupport::writeFile(dir.file("junk.png"), "\x89PNG\r\n\x1a\nnot really");
  EXPECT_EQ(QuarnImage::imageWithContentsOfFile(dir.file("junk.png")), nullptr);
  EXPECT_EQ(log.lines().size(), 2u);
  EXPECT_TRUE(log.contains("QuarnImage: cannot read '" + dir.file("missing.png") + "'"));
  EXPECT_FALSE(QuarnImage().writePNGToFile(dir.file("empty.png")));
  EXPECT_FALSE(image.writePNGToFile(dir.file("no/such/folder/out.png")));
  EXPECT_EQ(log.lines().size(), 4u);
}

TEST(QuarnTextureImageOperations, WorkOnThePublicImage) {
  auto context = QuarnHeadlessContext::contextWithSize(8, 8);
  ASSERT_TRUE(context);
  auto image = std::make_shared<QuarnImage>(640, 480, false);
  auto fitted = QuarnTexture::scaleImageForOpenGL(image);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(fitted->width(), 512);
  EXPECT_EQ(fitted->height(), 256);
  EXPECT_FALSE(fitted->hasAlpha());
  auto square = std::make_shared<QuarnImage>(64, 64, true);
  EXPECT_EQ(QuarnTexture::scaleImageForOpenGL(square), square);  // fits already: the same image
  EXPECT_EQ(QuarnTexture::scaleImageForOpenGL(nullptr), nullptr);

  QuarnTexture texture;
  square->setPixel(0, 63, 0x80402010u);  // bottom-left pixel of the picture
  ASSERT_TRUE(texture.createGLTextureFromImage(*square));
  EXPECT_EQ(texture.imgformat(), static_cast<GLenum>(GL_RGBA));
  GLint width = 0;
  glBindTexture(GL_TEXTURE_2D, texture.textureID());
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 64);
  std::vector<std::uint8_t> texels(64 * 64 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_EQ(texels[0], 0x80);  // texture row 0 is the picture's bottom row
  EXPECT_EQ(texels[3], 0x10);

  quarntest::QuarnLogCapture log;
  QuarnImage broken(4, 4);
  broken.pixels().resize(3);
  EXPECT_FALSE(texture.createGLTextureFromImage(broken));
  EXPECT_FALSE(texture.createGLTextureFromImage(QuarnImage()));
  EXPECT_EQ(log.count("NSBitmapImageRep not loaded"), 2);
  EXPECT_EQ(QuarnTexture::loadImageFromString("/no/such/file.png"), nullptr);
}

TEST(QuarnLayer2DVertex, OutOfRangeIndexThrows) {
  QuarnLayer2D layer;
  EXPECT_NO_THROW(layer.vertex(0));
  EXPECT_NO_THROW(layer.vertex(3));
  EXPECT_THROW(layer.vertex(4), std::out_of_range);
  EXPECT_THROW(layer.vertex(-1), std::out_of_range);
  EXPECT_NE(layer.vertex(0), layer.vertex(1));
}

}  // namespace
