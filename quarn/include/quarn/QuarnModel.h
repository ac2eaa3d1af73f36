#pragma once
// A node that draws: loads its material, then replays its geometry. Geometry and shader may
// serve any number of models; a model keeps the ones it uses alive.
#include <memory>

#include "quarn/QuarnNode.h"

class QuarnGeometry;
class QuarnShader;

class QuarnModel : public QuarnNode {
 public:
  QuarnModel();

  std::shared_ptr<QuarnGeometry> resource() const { return resource_; }
  void setResource(std::shared_ptr<QuarnGeometry> geometry) { resource_ = std::move(geometry); }
  std::shared_ptr<QuarnShader> shader() const { return shader_; }
  void setShader(std::shared_ptr<QuarnShader> shader) { shader_ = std::move(shader); }
  // Stored only; drawing does not consult it.
  bool isDrawn() const { return isDrawn_; }
  void setDrawn(bool flag) { isDrawn_ = flag; }

  // The shader's loadShader, then the geometry's drawGeometry; a missing one is skipped.
  void drawOpenGL() override;

 protected:
  std::shared_ptr<QuarnGeometry> resource_;
  std::shared_ptr<QuarnShader> shader_;
  bool isDrawn_ = false;
};
