#include "quarn/QuarnCore.h"

#include "platform/foundation/Log.h"
#include "quarn/QuarnCamera.h"
#include "quarn/QuarnGeometry.h"
#include "quarn/QuarnLight.h"
#include "quarn/QuarnModel.h"
#include "quarn/QuarnParticleSystem.h"
#include "quarn/QuarnShader.h"
#include "quarn/QuarnTexture.h"
#include "quarn/QuarnViewLink.h"

namespace {

std::string numberedName(const char* stem, size_t number) { return stem + std::to_string(number); }

}  // namespace

QuarnCore::QuarnCore() { initQuarnData(); }

QuarnCore::~QuarnCore() { shutDown(); }

void QuarnCore::initQuarnData() {
  nodes_.clear();
  models_.clear();
  shaders_.clear();
  lights_.clear();
  geometries_.clear();
  textures_.clear();

  sceneGraph_ = std::make_shared<QuarnNode>();
  sceneGraph_->setName("Scene");
  camera_ = std::make_shared<QuarnCamera>();
  camera_->setName("Main Camera");
  camera_->setRootNode(sceneGraph_);
  sceneGraph_->addChild(camera_);

  newLight()->setDiffuse(QuarnColor::whiteColor());
  setParentNodes({});
  platform::log("quarncore inited");
}

void QuarnCore::shutDown() {
  // The camera holds the root and the root holds the camera: cut that first.
  if (camera_) camera_->setRootNode(nullptr);
  camera_.reset();
  // Swap each registry out before clearing so that destructors never see a half-dropped list.
  Registry<QuarnNode>().swap(nodes_);
  Registry<QuarnModel>().swap(models_);
  Registry<QuarnShader>().swap(shaders_);
  Registry<QuarnLight>().swap(lights_);
  Registry<QuarnGeometry>().swap(geometries_);
  Registry<QuarnTexture>().swap(textures_);
  sceneGraph_.reset();
  platform::log("quarncore shutdown");
}

void QuarnCore::resetWorld() {
  shutDown();
  initQuarnData();
}

bool QuarnCore::suspended() const { return _glView ? _glView->suspended() : false; }

void QuarnCore::setSuspended(bool flag) {
  platform::log("QuarnCore setSuspended: %i", flag ? 1 : 0);
  if (_glView) _glView->setSuspended(flag);
}

void QuarnCore::toggleInspector(const void*) {
  if (_glView) _glView->toggleInspectorWindow(*this);
}

QuarnCore::Registry<QuarnNode> QuarnCore::parentNodes() const {
  Registry<QuarnNode> candidates;
  if (sceneGraph_) candidates.push_back(sceneGraph_);
  if (camera_) candidates.push_back(camera_);
  candidates.insert(candidates.end(), models_.begin(), models_.end());
  candidates.insert(candidates.end(), lights_.begin(), lights_.end());
  candidates.insert(candidates.end(), nodes_.begin(), nodes_.end());
  return candidates;
}

std::shared_ptr<QuarnNode> QuarnCore::newNode() {
  auto node = std::make_shared<QuarnNode>();
  node->setName(numberedName("node_", nodes_.size() + 1));
  nodes_.push_back(node);
  if (sceneGraph_) sceneGraph_->addChild(node);
  setParentNodes({});
  return node;
}

std::shared_ptr<QuarnModel> QuarnCore::newModel() {
  auto model = std::make_shared<QuarnModel>();
  model->setName(numberedName("model_", models_.size() + 1));
  models_.push_back(model);
  if (sceneGraph_) sceneGraph_->addChild(model);
  setParentNodes({});
  return model;
}

std::shared_ptr<QuarnModel> QuarnCore::newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry) {
  auto model = newModel();
  model->setResource(std::move(geometry));
  return model;
}

std::shared_ptr<QuarnModel> QuarnCore::newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                            std::shared_ptr<QuarnShader> shader) {
  auto model = newModelWithGeometry(std::move(geometry));
  model->setShader(std::move(shader));
  return model;
}

std::shared_ptr<QuarnModel> QuarnCore::newModelWithGeometry(std::shared_ptr<QuarnGeometry> geometry,
                                                            std::shared_ptr<QuarnShader> shader,
                                                            const std::string& name) {
  auto model = newModelWithGeometry(std::move(geometry), std::move(shader));
  model->setName(name);
  return model;
}

std::shared_ptr<QuarnGeometry> QuarnCore::newGeometry() {
  auto geometry = std::make_shared<QuarnGeometry>();
  geometry->setName(numberedName("geometry_", geometries_.size() + 1));
  geometries_.push_back(geometry);
  return geometry;
}

std::shared_ptr<QuarnGeometry> QuarnCore::newGeometryWithType(const std::string& type) {
  auto geometry = newGeometry();
  geometry->setGeometryType(type);
  return geometry;
}

std::shared_ptr<QuarnParticleSystem> QuarnCore::newParticles() {
  auto particles = std::make_shared<QuarnParticleSystem>();
  particles->setName(numberedName("particles_", geometries_.size() + 1));
  geometries_.push_back(particles);
  return particles;
}

std::shared_ptr<QuarnShader> QuarnCore::newShader() {
  auto shader = std::make_shared<QuarnShader>();
  shader->setName(numberedName("shader_", shaders_.size() + 1));
  shaders_.push_back(shader);
  return shader;
}

std::shared_ptr<QuarnShader> QuarnCore::newShaderWithDiffuse(const QuarnColor& diffuse) {
  auto shader = newShader();
  shader->setDiffuse(diffuse);
  return shader;
}

std::shared_ptr<QuarnShader> QuarnCore::newShaderWithDiffuse(const QuarnColor& diffuse,
                                                             std::shared_ptr<QuarnTexture> texture) {
  auto shader = newShaderWithDiffuse(diffuse);
  shader->addTextureLayer(std::move(texture));
  return shader;
}

std::shared_ptr<QuarnTexture> QuarnCore::newTexture() {
  auto texture = std::make_shared<QuarnTexture>();
  texture->setName(numberedName("texture_", textures_.size() + 1));
  textures_.push_back(texture);
  return texture;
}

std::shared_ptr<QuarnTexture> QuarnCore::newTextureWithImagePathOrName(const std::string& pathOrName) {
  auto texture = newTexture();
  texture->setSourceImagePath(pathOrName);
  return texture;
}

std::shared_ptr<QuarnLight> QuarnCore::newLight() {
  auto light = std::make_shared<QuarnLight>();
  light->setName(numberedName("light_", lights_.size()));
  lights_.push_back(light);
  if (sceneGraph_) sceneGraph_->addChild(light);
  setParentNodes({});
  return light;
}

std::shared_ptr<QuarnModel> QuarnCore::modelNamed(const std::string& name) const { return enumerateArray(models_, name); }
std::shared_ptr<QuarnLight> QuarnCore::lightNamed(const std::string& name) const { return enumerateArray(lights_, name); }
std::shared_ptr<QuarnShader> QuarnCore::shaderNamed(const std::string& name) const {
  return enumerateArray(shaders_, name);
}
std::shared_ptr<QuarnTexture> QuarnCore::textureNamed(const std::string& name) const {
  return enumerateArray(textures_, name);
}
std::shared_ptr<QuarnGeometry> QuarnCore::geometryNamed(const std::string& name) const {
  return enumerateArray(geometries_, name);
}
std::shared_ptr<QuarnNode> QuarnCore::nodeNamed(const std::string& name) const { return enumerateArray(nodes_, name); }
