#pragma once
// Binds one texture with a texture-environment mode, optional sphere-map reflection and, for
// textures with alpha, a blend function.
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>

class QuarnTexture;

class QuarnTextureLayer {
 public:
  // "Replace", "Modulate", "Blend", "Decal".
  static const std::vector<std::string>& blendModes();
  // 13 source factor names ("ZERO" … "SRC_ALPHA_SATURATE").
  static const std::vector<std::string>& srcBlendFuncs();
  // 12 destination factor names ("ZERO" … "ONE_MINUS_CONSTANT_ALPHA").
  static const std::vector<std::string>& dstBlendFuncs();

  QuarnTextureLayer() = default;
  explicit QuarnTextureLayer(std::shared_ptr<QuarnTexture> texture) { setTexture(std::move(texture)); }

  void bindLayer();

  std::shared_ptr<QuarnTexture> texture() const { return texture_; }
  void setTexture(std::shared_ptr<QuarnTexture> texture) { texture_ = std::move(texture); }
  bool enabled() const { return enabled_; }
  void setEnabled(bool flag) { enabled_ = flag; }
  bool reflective() const { return reflective_; }
  // false also switches texture-coordinate generation off at once.
  void setReflective(bool flag);
  float blendLevel() const { return blendLevel_; }
  void setBlendLevel(float level) { blendLevel_ = level; }
  const std::string& blendMode() const { return blendMode_; }
  // Unknown: "no blendMode match", GL_REPLACE, the name kept.
  void setBlendMode(const std::string& mode);
  const std::string& srcBlendFunc() const { return srcBlendFunc_; }
  // Unknown: "no srcBlendFunc match", GL_SRC_ALPHA, the name becomes "GL_SRC_ALPHA".
  void setSrcBlendFunc(const std::string& func);
  const std::string& dstBlendFunc() const { return dstBlendFunc_; }
  // Unknown: "no dstBlendFunc match", GL_SRC_ALPHA, the name becomes "GL_SRC_ALPHA".
  void setDstBlendFunc(const std::string& func);
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }

  GLenum quarnBlendMode() const { return quarnBlendMode_; }
  GLenum quarnsrcBlendFunc() const { return quarnsrcBlendFunc_; }
  GLenum quarndstBlendFunc() const { return quarndstBlendFunc_; }

 protected:
  float blendLevel_ = 100.0f;
  std::string blendMode_ = "Blend";
  std::string srcBlendFunc_ = "SRC_ALPHA";
  std::string dstBlendFunc_ = "SRC_COLOR";
  bool enabled_ = true;
  bool reflective_ = false;
  std::string name_ = "New Texture Layer";
  std::shared_ptr<QuarnTexture> texture_;
  GLenum quarnBlendMode_ = GL_BLEND;
  GLenum quarnsrcBlendFunc_ = GL_SRC_ALPHA;
  GLenum quarndstBlendFunc_ = GL_SRC_COLOR;
};
