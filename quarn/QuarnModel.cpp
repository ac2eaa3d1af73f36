#include "quarn/QuarnModel.h"

#include "quarn/QuarnGeometry.h"
#include "quarn/QuarnShader.h"

QuarnModel::QuarnModel() { name_ = "New Model"; }

void QuarnModel::drawOpenGL() {
  if (shader_) shader_->loadShader();
  if (resource_) resource_->drawGeometry();
}
