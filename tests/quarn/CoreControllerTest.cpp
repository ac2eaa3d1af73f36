// The inspector's controller against a live core: tables by tab, bindings, the outline, popups
// and the actions of its buttons.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>

#include "QuarnLogCapture.h"
#include "quarn/Quarn.h"
#include "tests/support/TestSupport.h"

namespace {

class QuarnCoreControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view = QuarnView::offscreenViewWithSize({64, 64});
    ASSERT_TRUE(view);
    core = view->core3d();
    controller.setQuarncoreObj(core);
  }

  std::unique_ptr<QuarnView> view;
  QuarnCore* core = nullptr;
  QuarnCoreController controller;
};

TEST_F(QuarnCoreControllerTest, TablesShowTheSelectedTabsRegistry) {
  core->newModel();
  core->newModel()->setPX(2.5f);
  core->newGeometryWithType("sphere");
  core->newParticles()->setNumParticles(7);

  // No tab identifier: an empty table.
  EXPECT_EQ(controller.numberOfRowsInTableView(), 0);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(controller.tableViewObjectValue("name", 0)));

  controller.selectTabWithIdentifier("models");
  EXPECT_EQ(controller.numberOfRowsInTableView(), 2);
  EXPECT_EQ(std::get<std::string>(controller.tableViewObjectValue("name", 1)), "model_2");
  EXPECT_FLOAT_EQ(std::get<float>(controller.tableViewObjectValue("pX", 1)), 2.5f);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(controller.tableViewObjectValue("", 0)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(controller.tableViewObjectValue("name", 2)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(controller.tableViewObjectValue("noSuchKey", 0)));

  controller.selectTabWithIdentifier("geometries");
  EXPECT_EQ(controller.numberOfRowsInTableView(), 2);
  EXPECT_EQ(std::get<std::string>(controller.tableViewObjectValue("geometryType", 0)), "sphere");
  EXPECT_EQ(std::get<int>(controller.tableViewObjectValue("numParticles", 1)), 7);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(controller.tableViewObjectValue("numParticles", 0)));

  controller.selectTabWithIdentifier("lights");
  EXPECT_EQ(controller.numberOfRowsInTableView(), 1);
  EXPECT_EQ(std::get<std::string>(controller.tableViewObjectValue("name", 0)), "light_0");
  EXPECT_EQ(std::get<QuarnColor>(controller.tableViewObjectValue("diffuse", 0)), QuarnColor::whiteColor());

  // Every listed column of every tab answers for a row that exists.
  core->newShader()->addTextureLayer(core->newTexture());
  controller.shadersController().setContent(core->shaders());
  controller.shadersController().setSelectionIndex(0);
  controller.refreshContents();
  for (const std::string& tab : QuarnCoreController::tabIdentifiers()) {
    controller.selectTabWithIdentifier(tab);
    ASSERT_GT(controller.numberOfRowsInTableView(), 0) << tab;
    for (const std::string& column : QuarnCoreController::columnIdentifiers(tab))
      EXPECT_NO_THROW(controller.tableViewObjectValue(column, 0)) << tab << "." << column;
    EXPECT_EQ(std::get<std::string>(controller.tableViewObjectValue("name", 0)).empty(), false) << tab;
  }
}

TEST_F(QuarnCoreControllerTest, BindingsEditObjectsAndRefuseWrongKinds) {
  auto model = core->newModel();
  controller.selectTabWithIdentifier("models");
  EXPECT_TRUE(controller.setValueForKey("pY", 0, QuarnValue(4.0f)));
  EXPECT_TRUE(controller.setValueForKey("sZ", 0, QuarnValue(3)));  // an int is a number too
  EXPECT_TRUE(controller.setValueForKey("name", 0, QuarnValue(std::string("renamed"))));
  EXPECT_TRUE(controller.setValueForKey("isAnimated", 0, QuarnValue(true)));
  EXPECT_FLOAT_EQ(model->pY(), 4.0f);
  EXPECT_FLOAT_EQ(model->sZ(), 3.0f);
  EXPECT_EQ(model->name(), "renamed");
  EXPECT_TRUE(model->isAnimated());

  EXPECT_FALSE(controller.setValueForKey("pY", 0, QuarnValue(std::string("4"))));
  EXPECT_FALSE(controller.setValueForKey("name", 0, QuarnValue(1.0f)));
  EXPECT_FALSE(controller.setValueForKey("resource", 0, QuarnValue(std::string("geometry_1"))));  // read-only
  EXPECT_FALSE(controller.setValueForKey("pY", 1, QuarnValue(1.0f)));
  EXPECT_FALSE(controller.setValueForKey("pY", -1, QuarnValue(1.0f)));
  EXPECT_FLOAT_EQ(model->pY(), 4.0f);
  EXPECT_EQ(model->name(), "renamed");

  auto shader = core->newShader();
  controller.selectTabWithIdentifier("shaders");
  const QuarnColor translucent = QuarnColor::colorWithCalibratedRed(0.2f, 0.4f, 0.6f, 0.5f);
  EXPECT_TRUE(controller.setValueForKey("diffuse", 0, QuarnValue(translucent)));
  EXPECT_EQ(shader->diffuse(), translucent);
  EXPECT_FALSE(shader->built());

  auto geometry = core->newGeometry();
  controller.selectTabWithIdentifier("geometries");
  EXPECT_TRUE(controller.setValueForKey("geometryType", 0, QuarnValue(std::string("disc"))));
  EXPECT_EQ(geometry->geometryType(), "disc");
  EXPECT_TRUE(controller.setValueForKey("useVertexArrays", 0, QuarnValue(true)));
  EXPECT_TRUE(controller.setValueForKey("useVertexArrays", 0, QuarnValue(true)));
  EXPECT_TRUE(geometry->useVertexArrays());  // set, not toggled twice
  EXPECT_FALSE(controller.setValueForKey("numParticles", 0, QuarnValue(10)));  // not a particle system
}

TEST_F(QuarnCoreControllerTest, OutlineListsSceneCameraLightAndNodesInCreationOrder) {
  auto model = core->newModel();
  auto node = core->newNode();
  auto light = core->newLight();
  auto second = core->newModel();

  EXPECT_EQ(controller.outlineViewNumberOfChildrenOfItem(nullptr), 1);
  EXPECT_EQ(controller.outlineViewObjectValueByItem(nullptr), "Scene");
  std::shared_ptr<QuarnNode> root = controller.outlineViewChildOfItem(0, nullptr);
  ASSERT_EQ(root, core->sceneGraph());
  EXPECT_EQ(controller.outlineViewObjectValueByItem(root.get()), "Scene");
  EXPECT_TRUE(controller.outlineViewIsItemExpandable(root.get()));

  std::vector<std::string> names;
  for (int i = 0; i < controller.outlineViewNumberOfChildrenOfItem(root.get()); ++i)
    names.push_back(controller.outlineViewObjectValueByItem(controller.outlineViewChildOfItem(i, root.get()).get()));
  EXPECT_EQ(names, (std::vector<std::string>{"Main Camera", "light_0", "model_1", "node_1", "light_1", "model_2"}));

  // A node moved under another shows under it.
  model->setParent(node);
  EXPECT_EQ(controller.outlineViewNumberOfChildrenOfItem(node.get()), 1);
  EXPECT_EQ(controller.outlineViewChildOfItem(0, node.get()), model);
  EXPECT_TRUE(controller.outlineViewIsItemExpandable(model.get()));

  QuarnCoreController empty;
  EXPECT_EQ(empty.outlineViewNumberOfChildrenOfItem(nullptr), 0);
}

TEST_F(QuarnCoreControllerTest, NewObjectActionsFillTheirTables) {
  controller.newModel();
  controller.newModel();
  controller.newLight();
  controller.newGeometry();
  controller.newParticles();
  controller.newShader();
  controller.newTexture();
  ASSERT_EQ(controller.modelsController().content().size(), 2u);
  EXPECT_EQ(controller.modelsController().content().back()->name(), "model_2");
  EXPECT_EQ(controller.modelsController().content(), core->models());
  EXPECT_EQ(controller.lightsController().content().size(), 2u);
  EXPECT_EQ(controller.lightsController().content().back()->name(), "light_1");
  ASSERT_EQ(controller.geometriesController().content().size(), 2u);
  EXPECT_EQ(controller.geometriesController().content()[1]->name(), "particles_2");
  EXPECT_TRUE(controller.geometriesController().content()[1]->isParticleSystem());
  EXPECT_EQ(controller.shadersController().content().size(), 1u);
  EXPECT_EQ(controller.texturesController().content().size(), 1u);
  // New models and lights hang under the scene root in creation order.
  std::vector<std::string> children;
  for (const auto& child : core->sceneGraph()->children()) children.push_back(child->name());
  EXPECT_EQ(children, (std::vector<std::string>{"Main Camera", "light_0", "model_1", "model_2", "light_1"}));

  controller.selectTabWithIdentifier("models");
  EXPECT_EQ(controller.numberOfRowsInTableView(), 2);
}

TEST_F(QuarnCoreControllerTest, AddTextureLayerNeedsASelectedShaderAndATexture) {
  controller.newShader();
  controller.addTextureLayer();  // no shader selected, no texture
  EXPECT_TRUE(core->shaders()[0]->textureLayers().empty());
  controller.shadersController().setSelectionIndex(0);
  controller.addTextureLayer();  // no texture yet
  EXPECT_TRUE(core->shaders()[0]->textureLayers().empty());
  EXPECT_TRUE(controller.shaderTextureLayersController().content().empty());

  controller.newTexture();
  controller.newTexture();
  controller.addTextureLayer();
  ASSERT_EQ(core->shaders()[0]->textureLayers().size(), 1u);
  EXPECT_EQ(core->shaders()[0]->textureLayers()[0]->texture(), core->textures()[0]);  // the first texture
  EXPECT_EQ(controller.shaderTextureLayersController().content(), core->shaders()[0]->textureLayers());

  controller.selectTabWithIdentifier("textureLayers");
  EXPECT_EQ(controller.numberOfRowsInTableView(), 1);
  EXPECT_EQ(std::get<std::string>(controller.tableViewObjectValue("texture", 0)), "texture_1");
  EXPECT_TRUE(controller.setValueForKey("blendMode", 0, QuarnValue(std::string("Decal"))));
  EXPECT_EQ(core->shaders()[0]->textureLayers()[0]->quarnBlendMode(), static_cast<GLenum>(GL_DECAL));

  // A selection past the end of new content is dropped.
  controller.shadersController().setContent({});
  EXPECT_FALSE(controller.shadersController().selectionIndex().has_value());
}

TEST_F(QuarnCoreControllerTest, LightingSwitchStartsOffWhileLightingIsOn) {
  ASSERT_TRUE(glIsEnabled(GL_LIGHTING));  // from the camera's set-up
  QuarnControlState button;
  EXPECT_FALSE(controller.lighting());
  controller.changeLighting(&button);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(button.on);
  EXPECT_TRUE(controller.lighting());
  controller.changeLighting(&button);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(button.on);
  controller.changeLighting(nullptr);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(QuarnCoreControllerTest, SuspendActions) {
  {
    quarntest::QuarnLogCapture log;
    controller.toggleSuspended();
    EXPECT_TRUE(view->suspended());
    EXPECT_EQ(log.count("toggleSuspended"), 1);
    EXPECT_EQ(log.count("QuarnCore setSuspended: 1"), 1);
    controller.toggleSuspended();
    EXPECT_FALSE(view->suspended());
  }
  auto model = core->newModel();
  {
    quarntest::QuarnLogCapture log;
    controller.resetWorld();
    EXPECT_TRUE(view->suspended());
    controller.resetWorld();
    EXPECT_FALSE(view->suspended());
    EXPECT_EQ(log.count("toggleSuspended"), 0);
  }
  // The world is the same one.
  EXPECT_EQ(core->models().size(), 1u);
  EXPECT_EQ(core->models()[0], model);
  view->render();
  EXPECT_EQ(view->renderedFrames(), 1u);

  controller.floatControls();
  EXPECT_TRUE(controller.inspectorIsFloating());
  controller.floatControls();
  EXPECT_FALSE(controller.inspectorIsFloating());
}

TEST_F(QuarnCoreControllerTest, PopupListsAreCopiedOnce) {
  EXPECT_EQ(controller.geometryTypes(), QuarnGeometry::geometryTypes());
  EXPECT_EQ(controller.fogModes(), (std::vector<std::string>{"GL_LINEAR", "GL_EXP", "GL_EXP2"}));
  EXPECT_EQ(controller.lightTypes(), (std::vector<std::string>{"directional", "point", "spot"}));
  EXPECT_EQ(controller.layerModes(), QuarnTextureLayer::blendModes());
  EXPECT_EQ(controller.srcBlendModes().size(), 13u);
  EXPECT_EQ(controller.dstBlendModes().size(), 12u);
  const std::vector<std::string>* first = &controller.fogModes();
  EXPECT_EQ(&controller.fogModes(), first);
  EXPECT_NE(first, &QuarnFogMachine::fogModes());
}

TEST(QuarnCoreControllerGuide, LoadsTheGuideOrLeavesTheTextEmpty) {
  testsupport::TempDir dir;
  const std::string guide = dir.file("Guide.md");
  testsupport::writeFile(guide, "# Guide\nhello\n");
  setenv("QUARN_GUIDE", guide.c_str(), 1);
  QuarnCoreController controller;
  {
    quarntest::QuarnLogCapture log;
    controller.awakeFromNib();
    EXPECT_EQ(log.count("quarnCoreController awoke from nib"), 1);
  }
  EXPECT_EQ(controller.guideText(), "# Guide\nhello\n");
  EXPECT_EQ(QuarnCoreController::guidePaths().front(), guide);

  // The guide the build puts beside the library is found without the variable.
  unsetenv("QUARN_GUIDE");
  controller.awakeFromNib();
  EXPECT_NE(controller.guideText().find("Quarn inspector"), std::string::npos);

  // A missing guide leaves the text empty, also when one was loaded before.
  setenv("QUARN_GUIDE", dir.file("missing.md").c_str(), 1);
  EXPECT_EQ(QuarnCoreController::guidePaths(), std::vector<std::string>{dir.file("missing.md")});
  controller.awakeFromNib();
  EXPECT_TRUE(controller.guideText().empty());
  unsetenv("QUARN_GUIDE");
}

}  // namespace
