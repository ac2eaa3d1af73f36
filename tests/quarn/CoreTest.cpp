// The scene core: a fresh world, factories and their naming counters, look-ups, reset and
// shut-down, the view link.
#include "QuarnGLTest.h"
#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

using quarntest::QuarnGLTest;

namespace {

class FakeView : public QuarnViewLink {
 public:
  bool suspended() const override { return suspended_; }
  void setSuspended(bool flag) override { suspended_ = flag; }
  void toggleInspectorWindow(QuarnCore& core) override {
    inspected = &core;
    ++toggles;
  }
  bool suspended_ = false;
  QuarnCore* inspected = nullptr;
  int toggles = 0;
};

}  // namespace

TEST_F(QuarnGLTest, FreshWorld) {
  quarntest::QuarnLogCapture log;
  QuarnCore core;
  EXPECT_TRUE(log.contains("quarncore inited"));
  ASSERT_EQ(core.lights().size(), 1u);
  EXPECT_EQ(core.lights()[0]->name(), "light_0");
  EXPECT_TRUE(core.lights()[0]->enabled());
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(core.nodes().empty());
  EXPECT_TRUE(core.models().empty());
  EXPECT_TRUE(core.shaders().empty());
  EXPECT_TRUE(core.geometries().empty());
  EXPECT_TRUE(core.textures().empty());
  auto root = core.sceneGraph();
  EXPECT_EQ(root->name(), "Scene");
  ASSERT_EQ(root->numberOfChildren(), 2);
  EXPECT_EQ(root->childAtIndex(0), core.camera());
  EXPECT_EQ(root->childAtIndex(1), core.lights()[0]);
  EXPECT_EQ(core.camera()->name(), "Main Camera");
  EXPECT_EQ(core.camera()->rootNode(), root);
  EXPECT_EQ(core.camera()->parent(), root);
  auto parents = core.parentNodes();
  ASSERT_EQ(parents.size(), 3u);
  EXPECT_EQ(parents[0], root);
  EXPECT_EQ(parents[1], core.camera());
  EXPECT_EQ(parents[2], core.lights()[0]);
  EXPECT_EQ(core.nodeNamed("Scene"), nullptr);
  EXPECT_EQ(core.nodeNamed("Main Camera"), nullptr);
}

TEST_F(QuarnGLTest, FactoriesNameFileAndHang) {
  QuarnCore core;
  EXPECT_EQ(core.newModel()->name(), "model_1");
  EXPECT_EQ(core.newModel()->name(), "model_2");
  EXPECT_EQ(core.newModel()->name(), "model_3");
  EXPECT_EQ(core.newParticles()->name(), "particles_1");
  EXPECT_EQ(core.newGeometry()->name(), "geometry_2");  // one counter for both
  EXPECT_EQ(core.newLight()->name(), "light_1");
  EXPECT_EQ(core.newNode()->name(), "node_1");
  EXPECT_EQ(core.newShader()->name(), "shader_1");
  EXPECT_EQ(core.newTexture()->name(), "texture_1");
  // Models, lights and nodes hang under the root; geometry, shaders and textures do not.
  EXPECT_EQ(core.sceneGraph()->numberOfChildren(), 2 + 3 + 1 + 1);
  auto parents = core.parentNodes();
  ASSERT_EQ(parents.size(), 2u + 3 + 2 + 1);
  EXPECT_EQ(parents[2]->name(), "model_1");
  EXPECT_EQ(parents[5]->name(), "light_0");
  EXPECT_EQ(parents[7]->name(), "node_1");

  auto box = core.newGeometryWithType("box");
  EXPECT_EQ(box->geometryType(), "box");
  EXPECT_EQ(box->name(), "geometry_3");
  auto red = core.newShaderWithDiffuse(QuarnColor::colorWithCalibratedRed(1, 0, 0, 1));
  EXPECT_EQ(red->diffuse().green, 0);
  auto tex = core.newTexture();
  auto layered = core.newShaderWithDiffuse(QuarnColor::whiteColor(), tex);
  ASSERT_EQ(layered->textureLayers().size(), 1u);
  EXPECT_EQ(layered->textureLayers()[0]->texture(), tex);
  auto named = core.newModelWithGeometry(box, red, "ship");
  EXPECT_EQ(named->resource(), box);
  EXPECT_EQ(named->shader(), red);
  EXPECT_EQ(core.modelNamed("ship"), named);
}

TEST_F(QuarnGLTest, LookUpFindsTheFirstOfAName) {
  QuarnCore core;
  auto first = core.newModel();
  auto second = core.newModel();
  first->setName("twin");
  second->setName("twin");
  EXPECT_EQ(core.modelNamed("twin"), first);
  EXPECT_EQ(core.modelNamed("Twin"), nullptr);
  EXPECT_EQ(core.lightNamed("light_0"), core.lights()[0]);
  EXPECT_EQ(core.shaderNamed("shader_1"), nullptr);
  auto s = core.newShader();
  EXPECT_EQ(core.shaderNamed("shader_1"), s);
  auto g = core.newGeometry();
  EXPECT_EQ(core.geometryNamed("geometry_1"), g);
  auto t = core.newTexture();
  EXPECT_EQ(core.textureNamed("texture_1"), t);
  auto n = core.newNode();
  EXPECT_EQ(core.nodeNamed("node_1"), n);
  EXPECT_EQ(core.nodeNamed("model_1"), nullptr);  // each look-up searches its own registry
}

TEST_F(QuarnGLTest, ResetBuildsAFreshWorldAndShutDownTwiceIsSafe) {
  QuarnCore core;
  auto model = core.newModel();
  auto geometry = core.newGeometryWithType("box");
  model->setResource(geometry);
  auto oldRoot = core.sceneGraph();
  auto oldCamera = core.camera();
  std::weak_ptr<QuarnNode> weakRoot = oldRoot;
  oldRoot.reset();

  core.resetWorld();
  EXPECT_TRUE(weakRoot.expired());  // the camera no longer holds the old root
  EXPECT_NE(core.camera(), oldCamera);
  EXPECT_TRUE(core.models().empty());
  EXPECT_TRUE(core.geometries().empty());
  ASSERT_EQ(core.lights().size(), 1u);
  EXPECT_EQ(core.lights()[0]->name(), "light_0");
  EXPECT_EQ(core.modelNamed("model_1"), nullptr);
  EXPECT_EQ(core.newModel()->name(), "model_1");
  // What the application still holds stays usable.
  EXPECT_EQ(model->resource(), geometry);
  EXPECT_NE(geometry->displayList(), 0u);

  quarntest::QuarnLogCapture log;
  core.shutDown();
  core.shutDown();
  EXPECT_EQ(core.camera(), nullptr);
  EXPECT_EQ(core.sceneGraph(), nullptr);
  EXPECT_TRUE(core.lights().empty());
  EXPECT_EQ(log.messages(), (std::vector<std::string>{"quarncore shutdown", "quarncore shutdown"}));
  EXPECT_EQ(core.newModel()->name(), "model_1");  // works without a root, hangs nowhere
}

TEST_F(QuarnGLTest, SetSceneGraphKeepsTheCameraOnTheOldRoot) {
  QuarnCore core;
  auto oldRoot = core.sceneGraph();
  auto newRoot = std::make_shared<QuarnNode>();
  std::weak_ptr<QuarnNode> weakOld = oldRoot;
  oldRoot.reset();
  core.setSceneGraph(newRoot);
  EXPECT_FALSE(weakOld.expired());
  EXPECT_EQ(core.camera()->rootNode(), weakOld.lock());
  core.camera()->renderScene();  // still draws the old root safely
  core.camera()->setRootNode(newRoot);
  EXPECT_TRUE(weakOld.expired());  // nothing holds the old root any more
  EXPECT_EQ(core.newNode()->parent(), newRoot);
}

TEST_F(QuarnGLTest, SuspensionAndInspectorReachTheView) {
  QuarnCore core;
  EXPECT_FALSE(core.suspended());
  {
    quarntest::QuarnLogCapture log;
    core.setSuspended(true);  // no view: logged only
    core.toggleInspector();
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"QuarnCore setSuspended: 1"}));
  }
  FakeView view;
  core.setGlView(&view);
  EXPECT_EQ(core.glView(), &view);
  core.setSuspended(true);
  EXPECT_TRUE(view.suspended_);
  EXPECT_TRUE(core.suspended());
  quarntest::QuarnLogCapture log;
  core.setSuspended(false);
  EXPECT_FALSE(core.suspended());
  EXPECT_EQ(log.messages(), (std::vector<std::string>{"QuarnCore setSuspended: 0"}));
  core.toggleInspector();
  EXPECT_EQ(view.toggles, 1);
  EXPECT_EQ(view.inspected, &core);
}
