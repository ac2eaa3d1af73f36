#include "quarn/QuarnCoreController.h"

#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdlib>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "quarn/QuarnCore.h"
#include "quarn/QuarnFogMachine.h"
#include "quarn/QuarnGeometry.h"
#include "quarn/QuarnLight.h"
#include "quarn/QuarnModel.h"
#include "quarn/QuarnNode.h"
#include "quarn/QuarnProperties.h"
#include "quarn/QuarnShader.h"
#include "quarn/QuarnTexture.h"
#include "quarn/QuarnTextureLayer.h"

using namespace quarn_inspector;

namespace {

template <class T>
QuarnValue valueAt(const std::vector<std::shared_ptr<T>>& list, const PropertyTable<T>& table,
                   const std::string& key, int row) {
  if (row < 0 || static_cast<size_t>(row) >= list.size() || !list[row]) return {};
  const Property<T>* property = findProperty(table, key);
  return property ? property->get(*list[row]) : QuarnValue();
}

template <class T>
bool setValueAt(const std::vector<std::shared_ptr<T>>& list, const PropertyTable<T>& table,
                const std::string& key, int row, const QuarnValue& value) {
  if (row < 0 || static_cast<size_t>(row) >= list.size() || !list[row]) return false;
  const Property<T>* property = findProperty(table, key);
  return property && property->set && property->set(*list[row], value);
}

const std::vector<std::string>& copyOnce(std::optional<std::vector<std::string>>& slot,
                                         const std::vector<std::string>& source) {
  if (!slot) slot = source;
  return *slot;
}

}  // namespace

const std::vector<std::string>& QuarnCoreController::tabIdentifiers() {
  static const std::vector<std::string> tabs = {"models", "geometries", "shaders", "textures", "lights",
                                                "textureLayers"};
  return tabs;
}

const std::vector<std::string>& QuarnCoreController::columnIdentifiers(const std::string& tab) {
  static const std::vector<std::string> models = propertyKeys(modelProperties());
  static const std::vector<std::string> geometries = propertyKeys(geometryProperties());
  static const std::vector<std::string> shaders = propertyKeys(shaderProperties());
  static const std::vector<std::string> textures = propertyKeys(textureProperties());
  static const std::vector<std::string> lights = propertyKeys(lightProperties());
  static const std::vector<std::string> layers = propertyKeys(textureLayerProperties());
  static const std::vector<std::string> none;
  if (tab == "models") return models;
  if (tab == "geometries") return geometries;
  if (tab == "shaders") return shaders;
  if (tab == "textures") return textures;
  if (tab == "lights") return lights;
  if (tab == "textureLayers") return layers;
  return none;
}

bool QuarnCoreController::columnIsEditable(const std::string& tab, const std::string& column) {
  auto editable = [&](const auto& table) {
    const auto* property = findProperty(table, column);
    return property && property->set != nullptr;
  };
  if (tab == "models") return editable(modelProperties());
  if (tab == "geometries") return editable(geometryProperties());
  if (tab == "shaders") return editable(shaderProperties());
  if (tab == "textures") return editable(textureProperties());
  if (tab == "lights") return editable(lightProperties());
  if (tab == "textureLayers") return editable(textureLayerProperties());
  return false;
}

std::vector<std::string> QuarnCoreController::guidePaths() {
  std::vector<std::string> paths;
  // An explicit guide is the only one looked for.
  if (const char* env = std::getenv("QUARN_GUIDE"); env && *env) return {env};
  // The folder of the library itself: share/quarn/Guide.md one level up (the build tree, and an
  // install whose library folder is lib/), then two levels up (lib/<multiarch>/).
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&QuarnCoreController::guidePaths), &info) && info.dli_fname) {
    const std::string libraryDir = platform::deletingLastPathComponent(info.dli_fname);
    paths.push_back(libraryDir + "/../share/quarn/Guide.md");
    paths.push_back(libraryDir + "/../../share/quarn/Guide.md");
  }
#ifdef QUARN_INSTALLED_GUIDE
  paths.push_back(QUARN_INSTALLED_GUIDE);
#endif
  return paths;
}

void QuarnCoreController::awakeFromNib() {
  platform::log("quarnCoreController awoke from nib");
  guideText_.clear();
  for (const std::string& path : guidePaths()) {
    if (!platform::fileExists(path)) continue;
    if (std::optional<std::string> text = platform::readWholeFile(path, 1 << 20)) {
      guideText_ = std::move(*text);
      break;
    }
  }
}

void QuarnCoreController::setQuarncoreObj(QuarnCore* core) {
  quarncoreObj_ = core;
  refreshContents();
}

void QuarnCoreController::refreshContents() {
  if (!quarncoreObj_) {
    modelsController_.setContent({});
    geometriesController_.setContent({});
    shadersController_.setContent({});
    texturesController_.setContent({});
    lightsController_.setContent({});
    shaderTextureLayersController_.setContent({});
    return;
  }
  modelsController_.setContent(quarncoreObj_->models());
  geometriesController_.setContent(quarncoreObj_->geometries());
  shadersController_.setContent(quarncoreObj_->shaders());
  texturesController_.setContent(quarncoreObj_->textures());
  lightsController_.setContent(quarncoreObj_->lights());
  const auto shaders = shadersController_.selectedObjects();
  shaderTextureLayersController_.setContent(shaders.empty() ? std::vector<std::shared_ptr<QuarnTextureLayer>>{}
                                                            : shaders.front()->textureLayers());
}

int QuarnCoreController::numberOfRowsInTableView() const {
  if (selectedTab_.empty() || !quarncoreObj_) return 0;
  if (selectedTab_ == "models") return static_cast<int>(quarncoreObj_->models().size());
  if (selectedTab_ == "geometries") return static_cast<int>(quarncoreObj_->geometries().size());
  if (selectedTab_ == "shaders") return static_cast<int>(quarncoreObj_->shaders().size());
  if (selectedTab_ == "textures") return static_cast<int>(quarncoreObj_->textures().size());
  if (selectedTab_ == "lights") return static_cast<int>(quarncoreObj_->lights().size());
  if (selectedTab_ == "textureLayers") return static_cast<int>(shaderTextureLayersController_.content().size());
  return 0;
}

QuarnValue QuarnCoreController::tableViewObjectValue(const std::string& column, int row) const {
  if (column.empty() || selectedTab_.empty() || !quarncoreObj_) return {};
  if (selectedTab_ == "models") return valueAt(quarncoreObj_->models(), modelProperties(), column, row);
  if (selectedTab_ == "geometries")
    return valueAt(quarncoreObj_->geometries(), geometryProperties(), column, row);
  if (selectedTab_ == "shaders") return valueAt(quarncoreObj_->shaders(), shaderProperties(), column, row);
  if (selectedTab_ == "textures") return valueAt(quarncoreObj_->textures(), textureProperties(), column, row);
  if (selectedTab_ == "lights") return valueAt(quarncoreObj_->lights(), lightProperties(), column, row);
  if (selectedTab_ == "textureLayers")
    return valueAt(shaderTextureLayersController_.content(), textureLayerProperties(), column, row);
  return {};
}

bool QuarnCoreController::setValueForKey(const std::string& column, int row, const QuarnValue& value) {
  if (column.empty() || selectedTab_.empty() || !quarncoreObj_) return false;
  if (selectedTab_ == "models")
    return setValueAt(quarncoreObj_->models(), modelProperties(), column, row, value);
  if (selectedTab_ == "geometries")
    return setValueAt(quarncoreObj_->geometries(), geometryProperties(), column, row, value);
  if (selectedTab_ == "shaders")
    return setValueAt(quarncoreObj_->shaders(), shaderProperties(), column, row, value);
  if (selectedTab_ == "textures")
    return setValueAt(quarncoreObj_->textures(), textureProperties(), column, row, value);
  if (selectedTab_ == "lights")
    return setValueAt(quarncoreObj_->lights(), lightProperties(), column, row, value);
  if (selectedTab_ == "textureLayers")
    return setValueAt(shaderTextureLayersController_.content(), textureLayerProperties(), column, row, value);
  return false;
}

// --- Outline

int QuarnCoreController::outlineViewNumberOfChildrenOfItem(const QuarnNode* item) const {
  if (!item) return quarncoreObj_ && quarncoreObj_->sceneGraph() ? 1 : 0;
  return item->numberOfChildren();
}

bool QuarnCoreController::outlineViewIsItemExpandable(const QuarnNode* item) const {
  return outlineViewNumberOfChildrenOfItem(item) != -1;
}

std::shared_ptr<QuarnNode> QuarnCoreController::outlineViewChildOfItem(int index, const QuarnNode* item) const {
  if (!item) return quarncoreObj_ ? quarncoreObj_->sceneGraph() : nullptr;
  return item->childAtIndex(index);
}

std::string QuarnCoreController::outlineViewObjectValueByItem(const QuarnNode* item) const {
  return item ? item->name() : "Scene";
}

// --- Popups

const std::vector<std::string>& QuarnCoreController::lightTypes() { return copyOnce(lightTypes_, QuarnLight::lightTypes()); }
const std::vector<std::string>& QuarnCoreController::fogModes() {
  return copyOnce(fogModes_, QuarnFogMachine::fogModes());
}
const std::vector<std::string>& QuarnCoreController::geometryTypes() {
  return copyOnce(geometryTypes_, QuarnGeometry::geometryTypes());
}
const std::vector<std::string>& QuarnCoreController::layerModes() {
  return copyOnce(layerModes_, QuarnTextureLayer::blendModes());
}
const std::vector<std::string>& QuarnCoreController::srcBlendModes() {
  return copyOnce(srcBlendModes_, QuarnTextureLayer::srcBlendFuncs());
}
const std::vector<std::string>& QuarnCoreController::dstBlendModes() {
  return copyOnce(dstBlendModes_, QuarnTextureLayer::dstBlendFuncs());
}

// --- Actions

void QuarnCoreController::newModel(QuarnControlState*) {
  if (!quarncoreObj_) return;
  quarncoreObj_->newModel();
  modelsController_.setContent(quarncoreObj_->models());
}

void QuarnCoreController::newLight(QuarnControlState*) {
  if (!quarncoreObj_) return;
  quarncoreObj_->newLight();
  lightsController_.setContent(quarncoreObj_->lights());
}

void QuarnCoreController::newGeometry(QuarnControlState*) {
  if (!quarncoreObj_) return;
  quarncoreObj_->newGeometry();
  geometriesController_.setContent(quarncoreObj_->geometries());
}

void QuarnCoreController::newShader(QuarnControlState*) {
  if (!quarncoreObj_) return;
  quarncoreObj_->newShader();
  shadersController_.setContent(quarncoreObj_->shaders());
}

void QuarnCoreController::newTexture(QuarnControlState*) {
  if (!quarncoreObj_) return;
  quarncoreObj_->newTexture();
  texturesController_.setContent(quarncoreObj_->textures());
}

void QuarnCoreController::newParticles(QuarnControlState*) {
  if (!quarncoreObj_) return;
  quarncoreObj_->newParticles();
  geometriesController_.setContent(quarncoreObj_->geometries());
}

void QuarnCoreController::addTextureLayer(QuarnControlState*) {
  if (!quarncoreObj_) return;
  const auto shaders = shadersController_.selectedObjects();
  if (shaders.empty() || quarncoreObj_->textures().empty()) return;
  const std::shared_ptr<QuarnShader>& shader = shaders.front();
  shader->addTextureLayer(quarncoreObj_->textures().front());
  shaderTextureLayersController_.setContent(shader->textureLayers());
}

void QuarnCoreController::floatControls(QuarnControlState*) { inspectorIsFloating_ = !inspectorIsFloating_; }

void QuarnCoreController::toggleSuspended(QuarnControlState*) {
  platform::log("toggleSuspended");
  if (quarncoreObj_) quarncoreObj_->setSuspended(!quarncoreObj_->suspended());
}

void QuarnCoreController::resetWorld(QuarnControlState*) {
  if (quarncoreObj_) quarncoreObj_->setSuspended(!quarncoreObj_->suspended());
}

void QuarnCoreController::changeLighting(QuarnControlState* sender) {
  if (lighting_) {
    glDisable(GL_LIGHTING);
    if (sender) sender->on = false;
  } else {
    glEnable(GL_LIGHTING);
    if (sender) sender->on = true;
  }
  lighting_ = !lighting_;
}
