#pragma once
// Key-value access to the scene objects for the inspector's tables: per class, the ordered
// property keys with a getter and (for editable ones) a setter. Internal to the framework.
#include <functional>
#include <string>
#include <vector>

#include "quarn/QuarnCoreController.h"

template <class T>
struct QuarnProperty {
  std::string key;
  std::function<QuarnValue(const T&)> get;
  std::function<bool(T&, const QuarnValue&)> set;  // null: read-only
};

template <class T>
using QuarnPropertyTable = std::vector<QuarnProperty<T>>;

const QuarnPropertyTable<QuarnModel>& quarnModelProperties();
const QuarnPropertyTable<QuarnGeometry>& quarnGeometryProperties();
const QuarnPropertyTable<QuarnShader>& quarnShaderProperties();
const QuarnPropertyTable<QuarnTexture>& quarnTextureProperties();
const QuarnPropertyTable<QuarnLight>& quarnLightProperties();
const QuarnPropertyTable<QuarnTextureLayer>& quarnTextureLayerProperties();

template <class T>
const QuarnProperty<T>* quarnFindProperty(const QuarnPropertyTable<T>& table, const std::string& key) {
  for (const auto& property : table)
    if (property.key == key) return &property;
  return nullptr;
}

template <class T>
std::vector<std::string> quarnPropertyKeys(const QuarnPropertyTable<T>& table) {
  std::vector<std::string> keys;
  for (const auto& property : table) keys.push_back(property.key);
  return keys;
}
