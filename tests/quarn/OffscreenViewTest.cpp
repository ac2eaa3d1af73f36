// QuarnView on an off-screen context, driven as an application drives it: set-up, the frame
// timer in its run-loop modes, suspension, the forwarded interface and teardown.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>

#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"

namespace {

constexpr QuarnSize kSize{160, 120};

std::unique_ptr<QuarnView> makeView() {
  auto view = QuarnView::offscreenViewWithSize(kSize);
  if (!view) ADD_FAILURE() << "no off-screen view";
  return view;
}

TEST(QuarnOffscreenView, SetUpLogsInOrderAndLeavesTheContextReadyToDraw) {
  quarntest::QuarnLogCapture log;
  auto view = makeView();
  ASSERT_TRUE(view);
  const auto messages = log.messages();
  const std::vector<std::string> expected = {"Initing OpenGL view", "QuarnView awoke from nib", "quarncore inited"};
  auto at = messages.begin();
  for (const auto& line : expected) {
    at = std::find(at, messages.end(), line);
    ASSERT_NE(at, messages.end()) << "missing or out of order: " << line;
  }
  EXPECT_TRUE(log.contains("OpenGL view created..."));
  EXPECT_EQ(view->depthBits(), 24);
  EXPECT_EQ(view->colorBits(), 32);

  // What an application used to have to do itself: the camera's GL set-up and the first reshape.
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_EQ(view->camera()->bounds(), kSize);
  view->render();  // the projection is rebuilt at the start of the frame
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 160);
  EXPECT_EQ(viewport[3], 120);

  // Set-up runs once.
  const size_t before = log.lines().size();
  QuarnCore* core = view->core3d();
  view->awakeFromNib();
  EXPECT_EQ(view->core3d(), core);
  EXPECT_EQ(log.lines().size(), before);
}

TEST(QuarnOffscreenView, RendersTheSceneAndReadsItBackTopRowFirst) {
  auto view = makeView();
  ASSERT_TRUE(view);
  view->camera()->setClearColor(QuarnColor::colorWithCalibratedRed(0, 0, 1, 1));
  view->camera()->setPosition({0, 0, 20});
  // An unlit red box in the upper half of the picture.
  auto shader = view->newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  shader->setEmissive(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  auto box = view->newModelWithGeometry(view->newGeometryWithType("box"), shader);
  box->setPosition({0, 8, 0});
  box->setScale({3, 3, 3});
  view->render();
  EXPECT_EQ(view->renderedFrames(), 1u);
  EXPECT_EQ(view->flushedBuffers(), 1u);
  QuarnImage frame = view->readPixels();
  ASSERT_EQ(frame.width(), 160);
  ASSERT_EQ(frame.height(), 120);
  EXPECT_FALSE(frame.hasAlpha());
  const std::uint32_t top = frame.pixel(80, 36), bottom = frame.pixel(80, 95);
  EXPECT_GT(top >> 24, 0xc0u) << std::hex << top;                 // red above
  EXPECT_LT((top >> 8) & 0xff, 0x40u) << std::hex << top;
  EXPECT_EQ(bottom, 0x0000ffffu) << std::hex << bottom;           // clear colour below, opaque
}

TEST(QuarnOffscreenView, SuspendedViewChangesNoStateAndSwapsNothing) {
  auto view = makeView();
  ASSERT_TRUE(view);
  auto node = view->newNode();
  node->setAnimated(true);
  node->setLinearVelocity({0, 0, 1});
  auto particles = view->newParticles();
  auto model = view->newModelWithGeometry(particles);
  auto light = view->lightNamed("light_0");
  view->render();
  view->render();
  EXPECT_FLOAT_EQ(node->pZ(), 2.0f);

  {
    quarntest::QuarnLogCapture log;
    view->setSuspended(true);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"QuarnView setSuspended: 0", "QuarnView setSuspended: 1"}));
  }
  const QuarnImage before = view->readPixels();
  const std::vector<Particle> particlesBefore(particles->particles(), particles->particles() + particles->numParticles());
  light->setPosition({3, 4, 5});  // would be resent on the next drawn frame
  GLfloat lightBefore[4] = {};
  glGetLightfv(GL_LIGHT0, GL_POSITION, lightBefore);
  const std::uint64_t frames = view->renderedFrames(), swaps = view->flushedBuffers();

  for (int i = 0; i < 5; ++i) view->render();
  QuarnView::runMainLoopFor(0.1);  // timer ticks too

  EXPECT_FLOAT_EQ(node->pZ(), 2.0f);
  EXPECT_EQ(view->renderedFrames(), frames);
  EXPECT_EQ(view->flushedBuffers(), swaps);
  for (int i = 0; i < particles->numParticles(); ++i) {
    EXPECT_EQ(particles->particles()[i].age, particlesBefore[i].age) << i;
    EXPECT_EQ(particles->particles()[i].position.x, particlesBefore[i].position.x) << i;
  }
  GLfloat lightAfter[4] = {};
  glGetLightfv(GL_LIGHT0, GL_POSITION, lightAfter);
  EXPECT_TRUE(std::equal(lightBefore, lightBefore + 4, lightAfter));
  EXPECT_EQ(view->readPixels().pixels(), before.pixels());

  {
    quarntest::QuarnLogCapture log;
    view->setSuspended(true);  // same value: one line
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"QuarnView setSuspended: 1"}));
  }
  view->setSuspended(false);
  view->render();
  EXPECT_FLOAT_EQ(node->pZ(), 3.0f);
  EXPECT_EQ(view->renderedFrames(), frames + 1);
}

TEST(QuarnOffscreenView, TimerDrawsAtItsPaceInItsThreeModesOnly) {
  auto view = makeView();
  ASSERT_TRUE(view);
  QuarnView::runMainLoopFor(1.0);
  const auto perSecond = view->renderedFrames();
  // 15 ms ticks give at most about 67 frames a second; a loaded machine gives fewer.
  EXPECT_GE(perSecond, 15u);
  EXPECT_LE(perSecond, 70u);

  for (const std::string& mode : {QuarnView::QuarnEventTrackingRunLoopMode, QuarnView::QuarnModalPanelRunLoopMode}) {
    const auto before = view->renderedFrames();
    QuarnView::runMainLoopFor(0.3, mode);
    EXPECT_GE(view->renderedFrames(), before + 3) << mode;
  }
  const auto before = view->renderedFrames();
  QuarnView::runMainLoopFor(0.2, "SomeOtherRunLoopMode");
  EXPECT_EQ(view->renderedFrames(), before);
}

// A node that asks its view for a frame while being drawn.
class ReentrantNode : public QuarnNode {
 public:
  QuarnView* view = nullptr;
  int draws = 0;
  void drawOpenGL() override {
    ++draws;
    if (view) view->render();
  }
};

TEST(QuarnOffscreenView, AFrameNeverStartsInsideAnother) {
  auto view = makeView();
  ASSERT_TRUE(view);
  auto node = std::make_shared<ReentrantNode>();
  node->view = view.get();
  view->sceneGraph()->addChild(node);
  view->render();
  EXPECT_EQ(node->draws, 1);
  EXPECT_EQ(view->renderedFrames(), 1u);

  // The frame handler runs between frames, so a frame it asks for is a whole one.
  int handled = 0;
  view->setFrameHandler([&](QuarnView& v) {
    if (++handled == 1) v.render();
  });
  view->render();
  EXPECT_EQ(handled, 2);
  EXPECT_EQ(view->renderedFrames(), 3u);
}

TEST(QuarnOffscreenView, ForwardsTheCoreInterface) {
  auto view = makeView();
  ASSERT_TRUE(view);
  QuarnCore& core = *view->core3d();
  auto geometry = view->newGeometryWithType("cone");
  auto shader = view->newShaderWithDiffuse(QuarnColor::whiteColor());
  auto model = view->newModelWithGeometry(geometry, shader, "cone model");
  auto light = view->newLight();
  auto node = view->newNode();
  auto particles = view->newParticles();
  auto texture = view->newTexture();
  EXPECT_EQ(view->modelNamed("cone model"), model);
  EXPECT_EQ(view->geometryNamed("geometry_1"), geometry);
  EXPECT_EQ(view->geometryNamed("particles_2"), particles);
  EXPECT_EQ(view->shaderNamed("shader_1"), shader);
  EXPECT_EQ(view->lightNamed("light_1"), light);
  EXPECT_EQ(view->nodeNamed("node_1"), node);
  EXPECT_EQ(view->textureNamed("texture_1"), texture);
  EXPECT_EQ(&view->models(), &core.models());
  EXPECT_EQ(view->geometries().size(), 2u);
  EXPECT_EQ(view->sceneGraph(), core.sceneGraph());
  EXPECT_EQ(view->camera(), core.camera());
  EXPECT_EQ(model->resource(), geometry);
  EXPECT_EQ(model->shader(), shader);
  EXPECT_EQ(core.glView(), view.get());
  EXPECT_FALSE(core.suspended());
  core.setSuspended(true);
  EXPECT_TRUE(view->suspended());
}

TEST(QuarnOffscreenView, BeforeSetUpTheForwardsAnswerEmpty) {
  QuarnView view;
  ASSERT_TRUE(view.initOffscreenWithSize(kSize));
  EXPECT_EQ(view.core3d(), nullptr);
  EXPECT_EQ(view.newModel(), nullptr);
  EXPECT_EQ(view.modelNamed("model_1"), nullptr);
  EXPECT_TRUE(view.models().empty());
  view.render();
  EXPECT_EQ(view.renderedFrames(), 0u);
}

TEST(QuarnOffscreenView, TeardownDropsTimerAndWorld) {
  quarntest::QuarnLogCapture log;
  auto view = makeView();
  ASSERT_TRUE(view);
  std::weak_ptr<QuarnModel> model = view->newModel();
  QuarnInspectorWindowController::inspectorForQuarnCore(view->core3d());
  view.reset();
  EXPECT_TRUE(model.expired());
  EXPECT_GE(log.count("quarncore shutdown"), 1);
  // The inspector let go of the core that is gone.
  EXPECT_EQ(QuarnInspectorWindowController::sharedWindowController().QuarnCoreControllerObj().quarncoreObj(), nullptr);
  // The timer went with the view: running the loop touches nothing.
  QuarnView::runMainLoopFor(0.05);
}

}  // namespace
