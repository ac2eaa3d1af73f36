// Scene nodes: tree operations, shared ownership, the frame walk and its transform order.
#include <cmath>
#include <stdexcept>

#include "QuarnGLTest.h"
#include "quarn/Quarn.h"

using quarntest::QuarnGLTest;

namespace {

// A node that records the model-view matrix it is drawn under and counts its draws.
class ProbeNode : public QuarnNode {
 public:
  void drawOpenGL() override {
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    ++draws;
  }
  float matrix[16] = {};
  int draws = 0;
};

std::shared_ptr<QuarnNode> node(const char* name) {
  auto n = std::make_shared<QuarnNode>();
  n->setName(name);
  return n;
}

}  // namespace

TEST(QuarnNodeTree, NewNodeDefaults) {
  auto n = std::make_shared<QuarnNode>();
  EXPECT_EQ(n->name(), "New Node");
  EXPECT_TRUE(n->isInWorld());
  EXPECT_FALSE(n->isAnimated());
  EXPECT_EQ(n->sX(), 1);
  EXPECT_EQ(n->pZ(), 0);
  EXPECT_EQ(n->parent(), nullptr);
  n->inflate(1, 1, 1);  // additive
  EXPECT_EQ(n->scale().x, 2);
  EXPECT_EQ(n->scale().y, 2);
  EXPECT_EQ(n->scale().z, 2);
}

TEST(QuarnNodeTree, AddChildMovesBetweenParentsOnce) {
  auto a = node("a"), b = node("b"), c = node("c");
  a->addChild(c);
  a->addChild(c);  // already a child: unchanged
  EXPECT_EQ(a->numberOfChildren(), 1);
  EXPECT_EQ(c->parent(), a);
  b->addChild(c);
  EXPECT_EQ(a->numberOfChildren(), 0);
  EXPECT_EQ(b->childAtIndex(0), c);
  EXPECT_EQ(c->parent(), b);
  b->addChildSilently(c);
  EXPECT_EQ(b->numberOfChildren(), 2);  // listed twice
  b->removeChild(c);
  EXPECT_EQ(b->numberOfChildren(), 0);  // every occurrence
  EXPECT_EQ(c->parent(), b);            // link left as it was
  EXPECT_EQ(b->countForNode(nullptr), 0);
  a->addChild(a);  // never under itself
  EXPECT_EQ(a->numberOfChildren(), 0);
  EXPECT_THROW(a->childAtIndex(0), std::out_of_range);
  EXPECT_THROW(a->childAtIndex(-1), std::out_of_range);
}

TEST(QuarnNodeTree, SetParentMovesKeepsAliveAndRefusesCycles) {
  auto a = node("a"), b = node("b");
  std::weak_ptr<QuarnNode> watch;
  {
    auto c = node("c");
    watch = c;
    a->addChild(c);
  }
  // Only a's child list holds c now; moving it must not destroy it midway.
  watch.lock()->setParent(b);
  ASSERT_FALSE(watch.expired());
  EXPECT_EQ(a->numberOfChildren(), 0);
  EXPECT_EQ(b->numberOfChildren(), 1);
  EXPECT_EQ(watch.lock()->parent(), b);

  auto c = watch.lock();
  b->setParent(c);  // c is b's own child: nothing happens
  EXPECT_EQ(b->parent(), nullptr);
  EXPECT_EQ(c->parent(), b);
  c->setParent(c);
  EXPECT_EQ(c->parent(), b);
  c->setParent(b);  // current parent
  EXPECT_EQ(b->numberOfChildren(), 1);

  c->setParent(nullptr);
  EXPECT_EQ(c->parent(), nullptr);
  EXPECT_EQ(b->numberOfChildren(), 0);
}

TEST(QuarnNodeTree, EraseDropsTheSubtreeAndParentsAreWeak) {
  auto root = node("root");
  auto child = node("child");
  auto grandchild = node("grandchild");
  root->addChild(child);
  child->addChild(grandchild);
  std::weak_ptr<QuarnNode> weakRoot = root;
  root.reset();  // only weak links point up: the root goes, and erases its subtree
  EXPECT_TRUE(weakRoot.expired());
  EXPECT_EQ(child->parent(), nullptr);
  EXPECT_EQ(child->numberOfChildren(), 0);
}

TEST_F(QuarnGLTest, WalkAppliesTranslateRotateXYZThenScale) {
  auto n = std::make_shared<QuarnNode>();
  auto probe = std::make_shared<ProbeNode>();
  n->addChild(probe);
  n->setPosition({1, 2, 3});
  n->setRotation({30, 45, 60});
  n->setScale({2, 3, 4});

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  n->render();

  // Expected: T · Rx · Ry · Rz · S built by hand in OpenGL's own order.
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  glRotatef(30, 1, 0, 0);
  glRotatef(45, 0, 1, 0);
  glRotatef(60, 0, 0, 1);
  glScalef(2, 3, 4);
  const auto expected = getFloats(GL_MODELVIEW_MATRIX, 16);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(probe->matrix[i], expected[i], 1e-5) << i;
  EXPECT_EQ(probe->draws, 1);
  // The walk pops what it pushed.
  glLoadIdentity();
  n->render();
  EXPECT_EQ(getInteger(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST_F(QuarnGLTest, ModelVerticesFollowTheNodeTransformAndChildrenInheritScale) {
  auto geometry = std::make_shared<QuarnGeometry>();  // the 3 × 3 quad
  auto parent = std::make_shared<QuarnNode>();
  auto model = std::make_shared<QuarnModel>();
  parent->addChild(model);
  parent->setScale({2, 2, 2});
  model->setResource(geometry);
  model->setPosition({1, 0, 0});
  model->setRotation({0, 0, 90});

  auto polygons = feedback([&] { parent->render(); });
  ASSERT_EQ(polygons.size(), 2u);
  // Quad corner (1.5, 1.5) turned 90° about z is (-1.5, 1.5), moved to (-0.5, 1.5), scaled by 2.
  bool found = false;
  for (const auto& v : vertices(polygons))
    if (std::fabs(v.x + 1.0f) < 0.1f && std::fabs(v.y - 3.0f) < 0.1f) found = true;
  EXPECT_TRUE(found);
  for (const auto& v : vertices(polygons)) {
    EXPECT_NEAR(std::fabs(v.y), 3.0f, 0.1f);
    EXPECT_TRUE(std::fabs(v.x + 1.0f) < 0.1f || std::fabs(v.x - 5.0f) < 0.1f) << v.x;
  }
}

TEST_F(QuarnGLTest, OutOfWorldSubtreesNeitherDrawNorAnimate) {
  auto root = std::make_shared<QuarnNode>();
  auto hidden = std::make_shared<ProbeNode>();
  auto below = std::make_shared<ProbeNode>();
  root->addChild(hidden);
  hidden->addChild(below);
  hidden->setAnimated(true);
  hidden->setLinearVelocity({0, 0, 1});
  below->setAnimated(true);
  below->setLinearVelocity({1, 0, 0});

  hidden->removeFromWorld();
  root->render();
  EXPECT_EQ(hidden->draws, 0);
  EXPECT_EQ(below->draws, 0);
  EXPECT_EQ(hidden->pZ(), 0);

  hidden->addToWorld();
  root->render();
  root->render();
  EXPECT_EQ(hidden->pZ(), 2);  // exactly one step per rendered frame
  EXPECT_EQ(below->pX(), 2);
  EXPECT_EQ(below->draws, 2);

  hidden->setAngularVelocity({0, 5, 0});
  hidden->applyAngularImpulse(0, 5, 0);
  hidden->applyImpulse(0, 0, -1);
  root->render();
  EXPECT_EQ(hidden->pZ(), 2);
  EXPECT_EQ(hidden->rY(), 10);

  // Detached nodes are no longer drawn.
  below->setParent(nullptr);
  root->render();
  EXPECT_EQ(below->draws, 3);
}
