// Camera set-up and frames, light programming, fog settings: OpenGL state read back.
#include <cmath>
#include <numbers>

#include "QuarnGLTest.h"
#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

using quarntest::QuarnGLTest;

namespace {

std::vector<float> lightParameter(GLenum name) {
  std::vector<float> v(4, -1.0f);
  glGetLightfv(GL_LIGHT0, name, v.data());
  return v;
}

}  // namespace

TEST_F(QuarnGLTest, CameraInitGLSetsTheFixedFunctionState) {
  auto camera = std::make_shared<QuarnCamera>();
  EXPECT_EQ(camera->name(), "New Camera");
  EXPECT_EQ(camera->pZ(), 50);
  EXPECT_FLOAT_EQ(camera->aspect(), 4.0f / 3.0f);
  EXPECT_FALSE(camera->clearColor().has_value());
  camera->initGL();

  EXPECT_EQ(getFloats(GL_COLOR_CLEAR_VALUE, 4), (std::vector<float>{0, 0, 0, 0.5f}));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_EQ(getInteger(GL_DEPTH_FUNC), GL_LESS);
  EXPECT_EQ(getInteger(GL_SHADE_MODEL), GL_SMOOTH);
  EXPECT_EQ(getInteger(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
  EXPECT_EQ(getInteger(GL_FOG_HINT), GL_DONT_CARE);
  EXPECT_EQ(getFloats(GL_VIEWPORT, 4), (std::vector<float>{0, 0, 400, 300}));
  // gluPerspective(90, 4/3, 1, 1000): m[5] = cot(45°) = 1, m[0] = 1 / aspect.
  const auto projection = getFloats(GL_PROJECTION_MATRIX, 16);
  EXPECT_NEAR(projection[5], 1.0f, 1e-5);
  EXPECT_NEAR(projection[0], 0.75f, 1e-5);

  // Fog defaults.
  EXPECT_EQ(getInteger(GL_FOG_MODE), GL_LINEAR);
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_START, 1)[0], 10);
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_END, 1)[0], 1000);
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_DENSITY, 1)[0], 0.1f);
  EXPECT_EQ(getFloats(GL_FOG_COLOR, 4), (std::vector<float>{0, 0, 0, 1}));

  // Clear colour: alpha 0.5 whatever the colour says.
  camera->setClearColor(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  EXPECT_EQ(getFloats(GL_COLOR_CLEAR_VALUE, 4), (std::vector<float>{1, 0, 0, 0.5f}));
}

TEST_F(QuarnGLTest, LensChangesWaitForTheNextFrame) {
  auto camera = std::make_shared<QuarnCamera>();
  camera->initGL();
  camera->setFov(60);
  camera->reshapeWithSize({128, 64});
  EXPECT_FLOAT_EQ(camera->aspect(), 2.0f);
  EXPECT_NEAR(getFloats(GL_PROJECTION_MATRIX, 16)[5], 1.0f, 1e-5);  // not yet
  EXPECT_EQ(getFloats(GL_VIEWPORT, 4)[2], 400);
  auto backdrop = camera->addBackdrop();
  camera->renderScene();
  EXPECT_NEAR(getFloats(GL_PROJECTION_MATRIX, 16)[5], 1.0f / std::tan(std::numbers::pi / 6), 1e-4);
  EXPECT_EQ(getFloats(GL_VIEWPORT, 4), (std::vector<float>{0, 0, 128, 64}));
  EXPECT_EQ(backdrop->size(), (QuarnSize{128, 64}));
  EXPECT_FLOAT_EQ(backdrop->viewAngle(), 60.0f / 90.0f);
}

TEST_F(QuarnGLTest, DepthOnlyClearKeepsThePreviousColours) {
  auto camera = std::make_shared<QuarnCamera>();
  camera->initGL();
  camera->reshapeWithSize({kSize, kSize});
  camera->setClearColor(QuarnColor::colorWithCalibratedRed(0, 0, 1, 1));
  camera->renderScene();
  context->finish();
  EXPECT_EQ(context->pixel(5, 5) & 0xFFFFFF00u, 0x0000FF00u);
  camera->setClearColorBuffer(false);
  glClearColor(1, 1, 1, 1);
  camera->renderScene();
  context->finish();
  EXPECT_EQ(context->pixel(5, 5) & 0xFFFFFF00u, 0x0000FF00u);
  camera->setClearColorBuffer(true);
  camera->renderScene();
  context->finish();
  EXPECT_EQ(context->pixel(5, 5) & 0xFFFFFF00u, 0xFFFFFF00u);
}

TEST_F(QuarnGLTest, LightSendsColoursAndAConstantZPosition) {
  auto light = std::make_shared<QuarnLight>();
  EXPECT_EQ(light->name(), "New Light");
  EXPECT_TRUE(light->enabled());
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));  // switched on while constructed
  light->setDiffuse(QuarnColor::colorWithCalibratedRed(1, 0.5f, 0.25f, 1));
  light->setAmbient(QuarnColor::colorWithCalibratedRed(0.1f, 0.2f, 0.3f, 1));
  light->setPosition({3, 4, 99});

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  light->drawOpenGL();
  EXPECT_EQ(lightParameter(GL_DIFFUSE), (std::vector<float>{1, 0.5f, 0.25f, 1}));
  EXPECT_EQ(lightParameter(GL_AMBIENT), (std::vector<float>{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_EQ(lightParameter(GL_SPECULAR), (std::vector<float>{1, 1, 1, 1}));
  // z is the constant 1.0, w is 0 (directional).
  EXPECT_EQ(lightParameter(GL_POSITION), (std::vector<float>{3, 4, 1, 0}));

  // Resent only after the position moved, not after a rotation.
  const GLfloat other[4] = {7, 7, 7, 7};
  glLightfv(GL_LIGHT0, GL_POSITION, other);
  light->rotate(0, 90, 0);
  light->drawOpenGL();
  EXPECT_EQ(lightParameter(GL_POSITION), (std::vector<float>{7, 7, 7, 7}));
  light->translate(1, 0, 0);
  light->drawOpenGL();
  EXPECT_EQ(lightParameter(GL_POSITION), (std::vector<float>{4, 4, 1, 0}));

  // Colours are resent after a disable and enable.
  const GLfloat grey[4] = {0.5f, 0.5f, 0.5f, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, grey);
  light->drawOpenGL();
  EXPECT_EQ(lightParameter(GL_DIFFUSE)[1], 0.5f);
  EXPECT_EQ(lightParameter(GL_DIFFUSE)[2], 0.5f);
  light->setEnabled(false);
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  light->drawOpenGL();  // disabled: sends nothing
  EXPECT_EQ(lightParameter(GL_DIFFUSE)[2], 0.5f);
  light->setEnabled(true);
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  light->drawOpenGL();
  EXPECT_EQ(lightParameter(GL_DIFFUSE), (std::vector<float>{1, 0.5f, 0.25f, 1}));

  // A not-a-number position always counts as moved.
  light->setPX(std::nanf(""));
  light->drawOpenGL();
  glLightfv(GL_LIGHT0, GL_POSITION, other);
  light->drawOpenGL();
  EXPECT_NE(lightParameter(GL_POSITION)[0], 7);
}

TEST_F(QuarnGLTest, EveryLightDrivesLightZero) {
  auto first = std::make_shared<QuarnLight>();
  auto second = std::make_shared<QuarnLight>();
  first->setDiffuse(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  second->setDiffuse(QuarnColor::colorWithCalibratedRed(0, 1, 0, 1));
  auto root = std::make_shared<QuarnNode>();
  root->addChild(first);
  root->addChild(second);
  root->render();
  EXPECT_EQ(lightParameter(GL_DIFFUSE), (std::vector<float>{0, 1, 0, 1}));  // the last one wins
  EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
  EXPECT_EQ(QuarnLight::lightTypes(), (std::vector<std::string>{"directional", "point", "spot"}));
}

TEST_F(QuarnGLTest, FogSendsOnlyChanges) {
  QuarnFogMachine fog;
  EXPECT_FALSE(fog.enabled());
  fog.initGL();
  // Overwrite GL behind the fog's back to see what it sends.
  glFogf(GL_FOG_START, 3);
  fog.setNear(10);  // unchanged: nothing sent
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_START, 1)[0], 3);
  fog.setNear(20);
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_START, 1)[0], 20);
  fog.setFar(500);
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_END, 1)[0], 500);
  fog.setDensity(0.5f);
  EXPECT_FLOAT_EQ(getFloats(GL_FOG_DENSITY, 1)[0], 0.5f);
  fog.setColor(QuarnColor::colorWithCalibratedRed(0.25f, 0.5f, 0.75f, 1));
  EXPECT_EQ(getFloats(GL_FOG_COLOR, 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));

  fog.setEnabled(true);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  fog.setMode("GL_EXP2");
  EXPECT_EQ(getInteger(GL_FOG_MODE), GL_EXP2);
  EXPECT_EQ(fog.mode(), "GL_EXP2");
  {
    quarntest::QuarnLogCapture log;
    fog.setMode("GL_Linear");
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"no fog mode match"}));
  }
  EXPECT_EQ(fog.mode(), "GL_EXP2");
  EXPECT_EQ(getInteger(GL_FOG_MODE), GL_EXP2);

  // An equal but different string is sent again; the fog's own string is not.
  glFogi(GL_FOG_MODE, GL_EXP);
  fog.setMode(fog.mode());
  EXPECT_EQ(getInteger(GL_FOG_MODE), GL_EXP);
  fog.setMode(std::string("GL_EXP2"));
  EXPECT_EQ(getInteger(GL_FOG_MODE), GL_EXP2);
  fog.setEnabled(false);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_EQ(QuarnFogMachine::fogModes(), (std::vector<std::string>{"GL_LINEAR", "GL_EXP", "GL_EXP2"}));
}
