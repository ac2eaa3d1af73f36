#include "quarn/QuarnShader.h"

#include "platform/foundation/Log.h"
#include "quarn/QuarnTextureLayer.h"

namespace {

void cache(const QuarnColor& color, float out[4]) {
  out[0] = color.red;
  out[1] = color.green;
  out[2] = color.blue;
  out[3] = color.alpha;
}

}  // namespace

const std::vector<std::string>& QuarnShader::facingModes() {
  static const std::vector<std::string> modes = {"front", "back", "frontAndBack"};
  return modes;
}

const std::vector<std::string>& QuarnShader::colorMaterialModes() {
  static const std::vector<std::string> modes = {"diffuse", "ambient", "ambientAndDiffuse", "specular", "emission"};
  return modes;
}

QuarnShader::QuarnShader() { shaderID_ = glGenLists(1); }

QuarnShader::~QuarnShader() {
  if (shaderID_) glDeleteLists(shaderID_, 1);
}

void QuarnShader::build() {
  if (shaderID_) glDeleteLists(shaderID_, 1);
  shaderID_ = glGenLists(1);
  if (shaderID_) {
    glNewList(shaderID_, GL_COMPILE);
    glMaterialfv(glfacing_, GL_DIFFUSE, sDiffuse_);
    glMaterialfv(glfacing_, GL_AMBIENT, sAmbient_);
    glMaterialfv(glfacing_, GL_EMISSION, sEmissive_);
    glMaterialfv(glfacing_, GL_SPECULAR, sSpecular_);
    glMaterialfv(glfacing_, GL_SHININESS, sSpecularity_);
    glEndList();
  }
  built_ = true;
  currentShader_ = false;
}

void QuarnShader::loadShader() {
  if (!built_) build();
  if (currentShader_) return;
  if (shaderID_) glCallList(shaderID_);
  if (textureLayers_.empty()) {
    glDisable(GL_TEXTURE_2D);
  } else {
    for (const auto& layer : textureLayers_) layer->bindLayer();
  }
}

void QuarnShader::addTextureLayer(std::shared_ptr<QuarnTexture> texture) {
  if (textureLayers_.size() >= static_cast<size_t>(maximumTextureLayers)) {
    platform::log("maximum num texturelayers exceeded");
    return;
  }
  auto layer = std::make_shared<QuarnTextureLayer>(std::move(texture));
  layer->setName("layer_" + std::to_string(textureLayers_.size() + 1));
  textureLayers_.push_back(std::move(layer));
}

void QuarnShader::setDiffuse(const QuarnColor& color) {
  if (color == diffuse_) return;
  diffuse_ = color;
  cache(color, sDiffuse_);
  built_ = false;
}

void QuarnShader::setAmbient(const QuarnColor& color) {
  if (color == ambient_) return;
  ambient_ = color;
  cache(color, sAmbient_);
  built_ = false;
}

void QuarnShader::setSpecular(const QuarnColor& color) {
  if (color == specular_) return;
  specular_ = color;
  cache(color, sSpecular_);
  built_ = false;
}

void QuarnShader::setEmissive(const QuarnColor& color) {
  if (color == emissive_) return;
  emissive_ = color;
  cache(color, sEmissive_);
  built_ = false;
}

void QuarnShader::setSpecularity(float value) {
  if (value == specularity_) return;
  specularity_ = value;
  sSpecularity_[0] = value;
  built_ = false;
}

void QuarnShader::setFacing(const std::string& facing) {
  static const GLenum values[] = {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK};
  const auto& names = facingModes();
  for (size_t i = 0; i < names.size(); ++i) {
    if (facing == names[i]) {
      facing_ = facing;
      glfacing_ = values[i];
      return;
    }
  }
}

void QuarnShader::setColorMaterialMode(const std::string& mode) {
  static const GLenum values[] = {GL_DIFFUSE, GL_AMBIENT, GL_AMBIENT_AND_DIFFUSE, GL_SPECULAR, GL_EMISSION};
  const auto& names = colorMaterialModes();
  for (size_t i = 0; i < names.size(); ++i) {
    if (mode == names[i]) {
      colorMaterialMode_ = mode;
      glcolorMaterialMode_ = values[i];
      return;
    }
  }
}
