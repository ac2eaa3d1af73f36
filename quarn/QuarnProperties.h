#pragma once
// Key-value access to the scene objects for the inspector's tables: per class, the ordered
// property keys with a getter and (for editable ones) a setter. Internal to the framework.
#include <functional>
#include <string>
#include <vector>

#include "quarn/QuarnCoreController.h"

namespace quarn_inspector {

template <class T>
struct Property {
  std::string key;
  std::function<QuarnValue(const T&)> get;
  std::function<bool(T&, const QuarnValue&)> set;  // null: read-only
};

template <class T>
using PropertyTable = std::vector<Property<T>>;

const PropertyTable<QuarnModel>& modelProperties();
const PropertyTable<QuarnGeometry>& geometryProperties();
const PropertyTable<QuarnShader>& shaderProperties();
const PropertyTable<QuarnTexture>& textureProperties();
const PropertyTable<QuarnLight>& lightProperties();
const PropertyTable<QuarnTextureLayer>& textureLayerProperties();

template <class T>
const Property<T>* findProperty(const PropertyTable<T>& table, const std::string& key) {
  for (const auto& property : table)
    if (property.key == key) return &property;
  return nullptr;
}

template <class T>
std::vector<std::string> propertyKeys(const PropertyTable<T>& table) {
  std::vector<std::string> keys;
  for (const auto& property : table) keys.push_back(property.key);
  return keys;
}

}  // namespace quarn_inspector
