#pragma once
// The world of one view: scene root, main camera and six registries. Creates every framework
// object with a generated name, files it, hangs drawable ones under the root and finds objects
// by name. Create it with a current OpenGL context: the world starts with a light.
#include <memory>
#include <string>
#include <vector>

#include "quarn/QuarnTypes.h"

class QuarnCamera;
class QuarnGeometry;
class QuarnLight;
class QuarnModel;
class QuarnNode;
class QuarnParticleSystem;
class QuarnShader;
class QuarnTexture;
class QuarnViewLink;

class QuarnCore {
 public:
  template <class T>
  using Registry = std::vector<std::shared_ptr<T>>;

  QuarnCore();
  ~QuarnCore();
  QuarnCore(const QuarnCore&) = delete;
  QuarnCore& operator=(const QuarnCore&) = delete;

  // World.
  void initQuarnData();
  // Drops the world; a second call finds nothing left to drop.
  void shutDown();
  void resetWorld();
  QuarnViewLink* glView() const { return _glView; }
  void setGlView(QuarnViewLink* view) { _glView = view; }
  // The view's flag; false without a view.
  bool suspended() const;
  void setSuspended(bool flag);
  void toggleInspector(const void* sender = nullptr);

  std::shared_ptr<QuarnCamera> camera() const { return camera_; }
  std::shared_ptr<QuarnNode> sceneGraph() const { return sceneGraph_; }
  // The camera keeps drawing the old root until its own setRootNode.
  void setSceneGraph(std::shared_ptr<QuarnNode> root) { sceneGraph_ = std::move(root); }
  const Registry<QuarnModel>& models() const { return models_; }
  const Registry<QuarnShader>& shaders() const { return shaders_; }
  const Registry<QuarnLight>& lights() const { return lights_; }
  const Registry<QuarnGeometry>& geometries() const { return geometries_; }
  const Registry<QuarnTexture>& textures() const { return textures_; }
  const Registry<QuarnNode>& nodes() const { return nodes_; }
  // Root, camera, models, lights, nodes: the candidate parents.
  Registry<QuarnNode> parentNodes() const;
  void setParentNodes(const Registry<QuarnNode>&) {}

  // Factories; the registry holds the new object.
  std::shared_ptr<QuarnNode> newNode();
  std::shared_ptr<QuarnModel> newModel();
  std::shared_ptr<QuarnModel> newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry);
  std::shared_ptr<QuarnModel> newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                   std::shared_ptr<QuarnShader> shader);
  std::shared_ptr<QuarnModel> newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                   std::shared_ptr<QuarnShader> shader,
                                                   const std::string& name);
  std::shared_ptr<QuarnGeometry> newGeometry();
  std::shared_ptr<QuarnGeometry> newGeometryWithType(const std::string& type);
  std::shared_ptr<QuarnParticleSystem> newParticles();
  std::shared_ptr<QuarnShader> newShader();
  std::shared_ptr<QuarnShader> newShaderWithDiffuse(const QuarnColor& diffuse);
  std::shared_ptr<QuarnShader> newShaderWithDiffuse(const QuarnColor& diffuse,
                                                    std::shared_ptr<QuarnTexture> texture);
  std::shared_ptr<QuarnTexture> newTexture();
  std::shared_ptr<QuarnTexture> newTextureWithImagePathOrName(const std::string& pathOrName);
  std::shared_ptr<QuarnLight> newLight();

  // Look-up: the first object of that exact name, or null.
  std::shared_ptr<QuarnModel> modelNamed(const std::string& name) const;
  std::shared_ptr<QuarnLight> lightNamed(const std::string& name) const;
  std::shared_ptr<QuarnShader> shaderNamed(const std::string& name) const;
  std::shared_ptr<QuarnTexture> textureNamed(const std::string& name) const;
  std::shared_ptr<QuarnGeometry> geometryNamed(const std::string& name) const;
  std::shared_ptr<QuarnNode> nodeNamed(const std::string& name) const;

  template <class T>
  static std::shared_ptr<T> enumerateArray(const Registry<T>& list, const std::string& name) {
    for (const auto& object : list)
      if (object && object->name() == name) return object;
    return nullptr;
  }

 private:
  QuarnViewLink* _glView = nullptr;  // non-owning; the view owns the core
  std::shared_ptr<QuarnCamera> camera_;
  std::shared_ptr<QuarnNode> sceneGraph_;
  Registry<QuarnNode> nodes_;
  Registry<QuarnModel> models_;
  Registry<QuarnShader> shaders_;
  Registry<QuarnLight> lights_;
  Registry<QuarnGeometry> geometries_;
  Registry<QuarnTexture> textures_;
};
