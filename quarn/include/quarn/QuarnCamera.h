#pragma once
// The node that turns the scene graph into a frame: projection, clear colour, backdrops, fog,
// and the view transform from its position (the eye) towards its target.
#include <memory>
#include <optional>
#include <vector>

#include "quarn/QuarnFogMachine.h"
#include "quarn/QuarnLayer2D.h"
#include "quarn/QuarnNode.h"
#include "quarn/QuarnTypes.h"

class QuarnCamera : public QuarnNode {
 public:
  QuarnCamera();
  ~QuarnCamera() override;

  // One-time OpenGL set-up; the context must be current.
  void initGL();
  // Takes effect at the start of the next frame.
  void reshapeWithSize(QuarnSize size);
  void setupPerspective();
  void updateBackdrops();
  // Clears, paints the backdrops, sets the view transform and walks the root node.
  void renderScene();

  float fov() const { return fov_; }
  void setFov(float value);
  float near() const { return near_; }
  void setNear(float value);
  float far() const { return far_; }
  void setFar(float value);
  QuarnSize bounds() const { return bounds_; }
  float aspect() const { return aspect_; }
  Vector target() const { return target_; }
  void setTarget(Vector v) { target_ = v; }
  Vector upHint() const { return upHint_; }
  void setUpHint(Vector v) { upHint_ = v; }

  // The camera keeps its root alive while it points at it.
  std::shared_ptr<QuarnNode> rootNode() const { return rootNode_; }
  void setRootNode(std::shared_ptr<QuarnNode> node) { rootNode_ = std::move(node); }

  bool clearColorBuffer() const { return clearColorBuffer_; }
  void setClearColorBuffer(bool flag) { clearColorBuffer_ = flag; }
  std::optional<QuarnColor> clearColor() const { return clearColor_; }
  // A different colour is stored and sent with alpha 0.5.
  void setClearColor(const QuarnColor& color);

  // A new backdrop, fitted to the camera at the next setupPerspective.
  std::shared_ptr<QuarnLayer2D> addBackdrop();
  const std::vector<std::shared_ptr<QuarnLayer2D>>& backdrops() const { return backdrops_; }
  std::shared_ptr<QuarnFogMachine> fog() const { return fog_; }
  // Shares the given fog machine; null is ignored.
  void setFog(std::shared_ptr<QuarnFogMachine> fog);

 protected:
  QuarnSize bounds_{400, 300};
  float aspect_ = 4.0f / 3.0f;
  Vector target_{0, 0, 0};
  Vector upHint_{0, 1, 0};
  float fov_ = 90.0f;
  float near_ = 1.0f;
  float far_ = 1000.0f;
  std::shared_ptr<QuarnNode> rootNode_;
  std::vector<std::shared_ptr<QuarnLayer2D>> backdrops_;
  std::shared_ptr<QuarnFogMachine> fog_;
  bool clearColorBuffer_ = true;
  std::optional<QuarnColor> clearColor_;
  bool wasReshaped_ = false;
};
