#pragma once
// A material: four colours and a shininess compiled into a display list of glMaterialfv calls,
// plus up to eight texture layers sharing the single texture unit.
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "quarn/QuarnTypes.h"

class QuarnTexture;
class QuarnTextureLayer;

class QuarnShader {
 public:
  static constexpr int maximumTextureLayers = 8;
  // "front", "back", "frontAndBack".
  static const std::vector<std::string>& facingModes();
  // "diffuse", "ambient", "ambientAndDiffuse", "specular", "emission".
  static const std::vector<std::string>& colorMaterialModes();

  // Needs a current context (the list name is generated at once).
  QuarnShader();
  virtual ~QuarnShader();
  QuarnShader(const QuarnShader&) = delete;
  QuarnShader& operator=(const QuarnShader&) = delete;

  // Recompiles the material list.
  void build();
  // Applies the material (rebuilding it when stale) and binds the layers.
  void loadShader();
  // Appends a layer named "layer_<n>"; a ninth logs "maximum num texturelayers exceeded".
  void addTextureLayer(std::shared_ptr<QuarnTexture> texture);
  void setNotCurrentShader() { currentShader_ = false; }
  const std::vector<std::shared_ptr<QuarnTextureLayer>>& textureLayers() const { return textureLayers_; }
  void setTextureLayers(std::vector<std::shared_ptr<QuarnTextureLayer>> layers) { textureLayers_ = std::move(layers); }

  QuarnColor diffuse() const { return diffuse_; }
  QuarnColor ambient() const { return ambient_; }
  QuarnColor specular() const { return specular_; }
  QuarnColor emissive() const { return emissive_; }
  void setDiffuse(const QuarnColor& color);
  void setAmbient(const QuarnColor& color);
  void setSpecular(const QuarnColor& color);
  void setEmissive(const QuarnColor& color);
  float specularity() const { return specularity_; }
  void setSpecularity(float value);
  // Names outside the tables are ignored. A facing change waits for the next rebuild.
  const std::string& facing() const { return facing_; }
  void setFacing(const std::string& facing);
  const std::string& colorMaterialMode() const { return colorMaterialMode_; }
  void setColorMaterialMode(const std::string& mode);
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }
  // Accept four floats and do nothing (use setDiffuse: and friends).
  void setDiffuseWithRed(float, float, float, float) {}
  void setAmbientWithRed(float, float, float, float) {}
  void setEmissiveWithRed(float, float, float, float) {}
  void setSpecularWithRed(float, float, float, float) {}

  GLuint shaderID() const { return shaderID_; }
  bool built() const { return built_; }
  GLenum glfacing() const { return glfacing_; }
  GLenum glcolorMaterialMode() const { return glcolorMaterialMode_; }

 protected:
  GLuint shaderID_ = 0;
  QuarnColor diffuse_ = QuarnColor::whiteColor();
  QuarnColor ambient_ = QuarnColor::blackColor();
  QuarnColor specular_ = QuarnColor::blackColor();
  QuarnColor emissive_ = QuarnColor::blackColor();
  float specularity_ = 0;
  std::vector<std::shared_ptr<QuarnTextureLayer>> textureLayers_;
  std::string facing_ = "front";
  std::string colorMaterialMode_ = "diffuse";
  std::string name_ = "New Shader";
  bool built_ = false;
  bool currentShader_ = false;
  GLenum glfacing_ = GL_FRONT;
  GLenum glcolorMaterialMode_ = GL_DIFFUSE;  // stored; no OpenGL call uses it
  float sDiffuse_[4] = {1, 1, 1, 1};
  float sAmbient_[4] = {0, 0, 0, 1};
  float sEmissive_[4] = {0, 0, 0, 1};
  float sSpecular_[4] = {0, 0, 0, 1};
  float sSpecularity_[1] = {0};
};
