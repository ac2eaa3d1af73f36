// Materials, texture layers and their name tables, texture size fitting.
#include "QuarnGLTest.h"
#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

using quarntest::QuarnGLTest;

namespace {

std::vector<float> material(GLenum face, GLenum name, int count = 4) {
  std::vector<float> v(4, -1.0f);
  glGetMaterialfv(face, name, v.data());
  v.resize(static_cast<size_t>(count));
  return v;
}

}  // namespace

TEST_F(QuarnGLTest, NewShaderAppliesItsDefaultMaterialWithoutTexturing) {
  QuarnShader shader;
  EXPECT_EQ(shader.name(), "New Shader");
  EXPECT_NE(shader.shaderID(), 0u);
  EXPECT_EQ(shader.facing(), "front");
  EXPECT_EQ(shader.colorMaterialMode(), "diffuse");
  glEnable(GL_TEXTURE_2D);
  shader.loadShader();
  EXPECT_TRUE(shader.built());
  EXPECT_EQ(material(GL_FRONT, GL_DIFFUSE), (std::vector<float>{1, 1, 1, 1}));
  EXPECT_EQ(material(GL_FRONT, GL_AMBIENT), (std::vector<float>{0, 0, 0, 1}));
  EXPECT_EQ(material(GL_FRONT, GL_SPECULAR), (std::vector<float>{0, 0, 0, 1}));
  EXPECT_EQ(material(GL_FRONT, GL_EMISSION), (std::vector<float>{0, 0, 0, 1}));
  EXPECT_EQ(material(GL_FRONT, GL_SHININESS, 1)[0], 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(QuarnGLTest, MaterialChangesRebuildTheListAndFacingWaitsForOne) {
  QuarnShader shader;
  shader.setDiffuse(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  shader.setEmissive(QuarnColor::colorWithCalibratedRed(0, 0.5f, 0, 1));
  shader.loadShader();
  EXPECT_EQ(material(GL_FRONT, GL_DIFFUSE), (std::vector<float>{1, 0, 0, 1}));
  EXPECT_EQ(material(GL_FRONT, GL_EMISSION), (std::vector<float>{0, 0.5f, 0, 1}));
  EXPECT_EQ(material(GL_BACK, GL_DIFFUSE), (std::vector<float>{0.8f, 0.8f, 0.8f, 1}));  // GL default

  shader.setFacing("back");  // still built: the list keeps front faces
  EXPECT_TRUE(shader.built());
  EXPECT_EQ(shader.glfacing(), static_cast<GLenum>(GL_BACK));
  shader.loadShader();
  EXPECT_EQ(material(GL_BACK, GL_DIFFUSE), (std::vector<float>{0.8f, 0.8f, 0.8f, 1}));
  shader.setSpecularity(10);
  EXPECT_FALSE(shader.built());
  shader.loadShader();
  EXPECT_EQ(material(GL_BACK, GL_DIFFUSE), (std::vector<float>{1, 0, 0, 1}));
  EXPECT_EQ(material(GL_BACK, GL_SHININESS, 1)[0], 10);

  shader.setFacing("sideways");  // not in the table: ignored
  EXPECT_EQ(shader.facing(), "back");
  shader.setColorMaterialMode("ambientAndDiffuse");
  EXPECT_EQ(shader.glcolorMaterialMode(), static_cast<GLenum>(GL_AMBIENT_AND_DIFFUSE));
  shader.setColorMaterialMode("glow");
  EXPECT_EQ(shader.colorMaterialMode(), "ambientAndDiffuse");
  shader.setDiffuseWithRed(0, 0, 1, 1);  // accepted and ignored
  EXPECT_EQ(shader.diffuse(), QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  EXPECT_EQ(QuarnShader::facingModes().size(), 3u);
  EXPECT_EQ(QuarnShader::colorMaterialModes().size(), 5u);
}

TEST_F(QuarnGLTest, EightLayersAtMost) {
  QuarnShader shader;
  auto texture = std::make_shared<QuarnTexture>();
  for (int i = 0; i < 8; ++i) shader.addTextureLayer(texture);
  EXPECT_EQ(shader.textureLayers().back()->name(), "layer_8");
  quarntest::QuarnLogCapture log;
  shader.addTextureLayer(texture);
  EXPECT_EQ(shader.textureLayers().size(), 8u);
  EXPECT_EQ(log.messages(), (std::vector<std::string>{"maximum num texturelayers exceeded"}));
}

TEST(QuarnTextureLayerTables, NamesMapToTheirEnumsAndFallBack) {
  QuarnTextureLayer layer;
  EXPECT_EQ(layer.name(), "New Texture Layer");
  EXPECT_EQ(layer.blendMode(), "Blend");
  EXPECT_EQ(layer.quarnBlendMode(), static_cast<GLenum>(GL_BLEND));
  EXPECT_EQ(layer.quarndstBlendFunc(), static_cast<GLenum>(GL_SRC_COLOR));
  EXPECT_EQ(QuarnTextureLayer::blendModes(), (std::vector<std::string>{"Replace", "Modulate", "Blend", "Decal"}));
  EXPECT_EQ(QuarnTextureLayer::srcBlendFuncs().size(), 13u);
  EXPECT_EQ(QuarnTextureLayer::dstBlendFuncs().size(), 12u);

  layer.setBlendMode("Decal");
  EXPECT_EQ(layer.quarnBlendMode(), static_cast<GLenum>(GL_DECAL));
  layer.setSrcBlendFunc("SRC_ALPHA_SATURATE");
  EXPECT_EQ(layer.quarnsrcBlendFunc(), static_cast<GLenum>(GL_SRC_ALPHA_SATURATE));
  layer.setDstBlendFunc("ONE_MINUS_CONSTANT_ALPHA");
  EXPECT_EQ(layer.quarndstBlendFunc(), 0x8004u);

  quarntest::QuarnLogCapture log;
  layer.setBlendMode("Add");
  EXPECT_EQ(layer.blendMode(), "Decal");  // name kept
  EXPECT_EQ(layer.quarnBlendMode(), static_cast<GLenum>(GL_REPLACE));
  layer.setSrcBlendFunc("SRC_COLOR");  // not a source factor in this table
  EXPECT_EQ(layer.srcBlendFunc(), "GL_SRC_ALPHA");
  EXPECT_EQ(layer.quarnsrcBlendFunc(), static_cast<GLenum>(GL_SRC_ALPHA));
  layer.setDstBlendFunc("SRC_ALPHA_SATURATE");
  EXPECT_EQ(layer.dstBlendFunc(), "GL_SRC_ALPHA");
  EXPECT_EQ(layer.quarndstBlendFunc(), static_cast<GLenum>(GL_SRC_ALPHA));
  EXPECT_EQ(log.messages(),
            (std::vector<std::string>{"no blendMode match", "no srcBlendFunc match", "no dstBlendFunc match"}));
}

TEST_F(QuarnGLTest, LayerBindingState) {
  auto texture = std::make_shared<QuarnTexture>();
  QuarnTextureLayer layer(texture);
  layer.setBlendMode("Modulate");
  layer.setReflective(true);
  glBlendFunc(GL_ONE, GL_ZERO);
  layer.bindLayer();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture->textureID()));
  GLint env = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE);
  // No image yet, so not RGBA: blending untouched.
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(getInteger(GL_BLEND_SRC), GL_ONE);

  layer.setReflective(false);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  layer.setEnabled(false);
  layer.bindLayer();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  QuarnTextureLayer empty;
  glEnable(GL_TEXTURE_2D);
  empty.bindLayer();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST(QuarnTextureFitting, ShrinksToTextureFriendlySizes) {
  auto fit = [](int w, int h) { return std::make_pair(QuarnTexture::fittedDimension(w), QuarnTexture::fittedDimension(h)); };
  EXPECT_EQ(fit(640, 480), std::make_pair(512, 256));
  EXPECT_EQ(fit(256, 256), std::make_pair(256, 256));
  EXPECT_EQ(fit(3072, 100), std::make_pair(3072, 64));
  EXPECT_EQ(fit(3, 5), std::make_pair(2, 4));
  EXPECT_EQ(fit(1, 1), std::make_pair(1, 1));
  EXPECT_EQ(fit(1500, 0), std::make_pair(1024, 0));
  EXPECT_EQ(fit(2048, 1023), std::make_pair(2048, 512));
}
