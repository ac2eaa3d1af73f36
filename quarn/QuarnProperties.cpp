#include "quarn/QuarnProperties.h"

#include "quarn/QuarnGeometry.h"
#include "quarn/QuarnLight.h"
#include "quarn/QuarnModel.h"
#include "quarn/QuarnParticleSystem.h"
#include "quarn/QuarnShader.h"
#include "quarn/QuarnTexture.h"
#include "quarn/QuarnTextureLayer.h"

namespace quarn_inspector {
namespace {

// Value conversions; a number accepts an int or a float.
std::optional<float> asFloat(const QuarnValue& v) {
  if (const float* f = std::get_if<float>(&v)) return *f;
  if (const int* i = std::get_if<int>(&v)) return static_cast<float>(*i);
  return std::nullopt;
}
std::optional<int> asInt(const QuarnValue& v) {
  if (const int* i = std::get_if<int>(&v)) return *i;
  return std::nullopt;
}
const bool* asBool(const QuarnValue& v) { return std::get_if<bool>(&v); }
const std::string* asString(const QuarnValue& v) { return std::get_if<std::string>(&v); }
const QuarnColor* asColor(const QuarnValue& v) { return std::get_if<QuarnColor>(&v); }

template <class T>
Property<T> number(const char* key, float (T::*get)() const, void (T::*set)(float)) {
  return {key, [get](const T& o) { return QuarnValue((o.*get)()); },
          [set](T& o, const QuarnValue& v) {
            auto f = asFloat(v);
            if (f) (o.*set)(*f);
            return f.has_value();
          }};
}

template <class T>
Property<T> flag(const char* key, bool (T::*get)() const, void (T::*set)(bool)) {
  return {key, [get](const T& o) { return QuarnValue((o.*get)()); },
          [set](T& o, const QuarnValue& v) {
            const bool* b = asBool(v);
            if (b) (o.*set)(*b);
            return b != nullptr;
          }};
}

template <class T, class Get>
Property<T> text(const char* key, Get get, void (T::*set)(const std::string&)) {
  return {key, [get](const T& o) { return QuarnValue(std::string((o.*get)())); },
          [set](T& o, const QuarnValue& v) {
            const std::string* s = asString(v);
            if (s) (o.*set)(*s);
            return s != nullptr;
          }};
}

template <class T>
Property<T> color(const char* key, QuarnColor (T::*get)() const, void (T::*set)(const QuarnColor&)) {
  return {key, [get](const T& o) { return QuarnValue((o.*get)()); },
          [set](T& o, const QuarnValue& v) {
            const QuarnColor* c = asColor(v);
            if (c) (o.*set)(*c);
            return c != nullptr;
          }};
}

template <class T>
Property<T> readOnly(const char* key, std::function<QuarnValue(const T&)> get) {
  return {key, std::move(get), nullptr};
}

// Position, rotation, scale and velocities of any node class.
template <class T>
void addNodeProperties(PropertyTable<T>& table, bool withMotion) {
  table.push_back(number<T>("pX", &T::pX, &T::setPX));
  table.push_back(number<T>("pY", &T::pY, &T::setPY));
  table.push_back(number<T>("pZ", &T::pZ, &T::setPZ));
  if (!withMotion) return;
  table.push_back(number<T>("rX", &T::rX, &T::setRX));
  table.push_back(number<T>("rY", &T::rY, &T::setRY));
  table.push_back(number<T>("rZ", &T::rZ, &T::setRZ));
  table.push_back(number<T>("sX", &T::sX, &T::setSX));
  table.push_back(number<T>("sY", &T::sY, &T::setSY));
  table.push_back(number<T>("sZ", &T::sZ, &T::setSZ));
  table.push_back(flag<T>("isAnimated", &T::isAnimated, &T::setAnimated));
  table.push_back(number<T>("lvX", &T::lvX, &T::setLvX));
  table.push_back(number<T>("lvY", &T::lvY, &T::setLvY));
  table.push_back(number<T>("lvZ", &T::lvZ, &T::setLvZ));
  table.push_back(number<T>("avX", &T::avX, &T::setAvX));
  table.push_back(number<T>("avY", &T::avY, &T::setAvY));
  table.push_back(number<T>("avZ", &T::avZ, &T::setAvZ));
  table.push_back(flag<T>("isInWorld", &T::isInWorld, &T::setIsInWorld));
}

// A particle-system property; none (and not settable) on a plain geometry.
Property<QuarnGeometry> particleNumber(const char* key, float (QuarnParticleSystem::*get)() const,
                                            void (QuarnParticleSystem::*set)(float)) {
  return {key,
          [get](const QuarnGeometry& g) {
            const auto* p = dynamic_cast<const QuarnParticleSystem*>(&g);
            return p ? QuarnValue((p->*get)()) : QuarnValue();
          },
          [set](QuarnGeometry& g, const QuarnValue& v) {
            auto* p = dynamic_cast<QuarnParticleSystem*>(&g);
            auto f = asFloat(v);
            if (!p || !f) return false;
            (p->*set)(*f);
            return true;
          }};
}

}  // namespace

const PropertyTable<QuarnModel>& modelProperties() {
  static const PropertyTable<QuarnModel> table = [] {
    PropertyTable<QuarnModel> t;
    t.push_back(text<QuarnModel>("name", &QuarnModel::name, &QuarnModel::setName));
    t.push_back(readOnly<QuarnModel>("resource", [](const QuarnModel& m) {
      return m.resource() ? QuarnValue(m.resource()->name()) : QuarnValue();
    }));
    t.push_back(readOnly<QuarnModel>("shader", [](const QuarnModel& m) {
      return m.shader() ? QuarnValue(m.shader()->name()) : QuarnValue();
    }));
    addNodeProperties(t, true);
    return t;
  }();
  return table;
}

const PropertyTable<QuarnGeometry>& geometryProperties() {
  static const PropertyTable<QuarnGeometry> table = [] {
    PropertyTable<QuarnGeometry> t;
    t.push_back(text<QuarnGeometry>("name", &QuarnGeometry::name, &QuarnGeometry::setName));
    t.push_back(text<QuarnGeometry>("geometryType", &QuarnGeometry::geometryType, &QuarnGeometry::setGeometryType));
    t.push_back(flag<QuarnGeometry>("animating", &QuarnGeometry::animating, &QuarnGeometry::setAanimating));
    t.push_back({"useVertexArrays", [](const QuarnGeometry& g) { return QuarnValue(g.useVertexArrays()); },
                 [](QuarnGeometry& g, const QuarnValue& v) {
                   const bool* b = asBool(v);
                   if (b && *b != g.useVertexArrays()) g.toggleVertexArrays();
                   return b != nullptr;
                 }});
    t.push_back(readOnly<QuarnGeometry>("isParticleSystem",
                                        [](const QuarnGeometry& g) { return QuarnValue(g.isParticleSystem()); }));
    t.push_back({"numParticles",
                 [](const QuarnGeometry& g) {
                   const auto* p = dynamic_cast<const QuarnParticleSystem*>(&g);
                   return p ? QuarnValue(p->numParticles()) : QuarnValue();
                 },
                 [](QuarnGeometry& g, const QuarnValue& v) {
                   auto* p = dynamic_cast<QuarnParticleSystem*>(&g);
                   auto n = asInt(v);
                   if (!p || !n) return false;
                   p->setNumParticles(*n);
                   return true;
                 }});
    t.push_back(particleNumber("gX", &QuarnParticleSystem::gX, &QuarnParticleSystem::setGX));
    t.push_back(particleNumber("gY", &QuarnParticleSystem::gY, &QuarnParticleSystem::setGY));
    t.push_back(particleNumber("gZ", &QuarnParticleSystem::gZ, &QuarnParticleSystem::setGZ));
    t.push_back(particleNumber("wX", &QuarnParticleSystem::wX, &QuarnParticleSystem::setWX));
    t.push_back(particleNumber("wY", &QuarnParticleSystem::wY, &QuarnParticleSystem::setWY));
    t.push_back(particleNumber("wZ", &QuarnParticleSystem::wZ, &QuarnParticleSystem::setWZ));
    t.push_back(particleNumber("dragCoefficient", &QuarnParticleSystem::dragCoefficient,
                               &QuarnParticleSystem::setDragCoefficient));
    t.push_back(particleNumber("maxVelocity", &QuarnParticleSystem::maxVelocity, &QuarnParticleSystem::setMaxVelocity));
    t.push_back(particleNumber("minVelocity", &QuarnParticleSystem::minVelocity, &QuarnParticleSystem::setMinVelocity));
    t.push_back(particleNumber("maxScale", &QuarnParticleSystem::maxScale, &QuarnParticleSystem::setMaxScale));
    t.push_back(particleNumber("minScale", &QuarnParticleSystem::minScale, &QuarnParticleSystem::setMinScale));
    return t;
  }();
  return table;
}

const PropertyTable<QuarnShader>& shaderProperties() {
  static const PropertyTable<QuarnShader> table = [] {
    PropertyTable<QuarnShader> t;
    t.push_back(text<QuarnShader>("name", &QuarnShader::name, &QuarnShader::setName));
    t.push_back(color<QuarnShader>("diffuse", &QuarnShader::diffuse, &QuarnShader::setDiffuse));
    t.push_back(color<QuarnShader>("ambient", &QuarnShader::ambient, &QuarnShader::setAmbient));
    t.push_back(color<QuarnShader>("specular", &QuarnShader::specular, &QuarnShader::setSpecular));
    t.push_back(color<QuarnShader>("emissive", &QuarnShader::emissive, &QuarnShader::setEmissive));
    t.push_back(number<QuarnShader>("specularity", &QuarnShader::specularity, &QuarnShader::setSpecularity));
    t.push_back(text<QuarnShader>("facing", &QuarnShader::facing, &QuarnShader::setFacing));
    t.push_back(text<QuarnShader>("colorMaterialMode", &QuarnShader::colorMaterialMode,
                                  &QuarnShader::setColorMaterialMode));
    t.push_back(readOnly<QuarnShader>(
        "textureLayers", [](const QuarnShader& s) { return QuarnValue(static_cast<int>(s.textureLayers().size())); }));
    return t;
  }();
  return table;
}

const PropertyTable<QuarnTexture>& textureProperties() {
  static const PropertyTable<QuarnTexture> table = [] {
    PropertyTable<QuarnTexture> t;
    t.push_back(text<QuarnTexture>("name", &QuarnTexture::name, &QuarnTexture::setName));
    t.push_back(text<QuarnTexture>("sourceImagePath", &QuarnTexture::sourceImagePath,
                                   &QuarnTexture::setSourceImagePath));
    t.push_back(readOnly<QuarnTexture>("textureID",
                                       [](const QuarnTexture& x) { return QuarnValue(static_cast<int>(x.textureID())); }));
    t.push_back(readOnly<QuarnTexture>("imgformat", [](const QuarnTexture& x) {
      return x.imgformat() == GL_RGBA ? QuarnValue(std::string("GL_RGBA"))
             : x.imgformat() == GL_RGB ? QuarnValue(std::string("GL_RGB"))
                                       : QuarnValue();
    }));
    return t;
  }();
  return table;
}

const PropertyTable<QuarnLight>& lightProperties() {
  static const PropertyTable<QuarnLight> table = [] {
    PropertyTable<QuarnLight> t;
    t.push_back(text<QuarnLight>("name", &QuarnLight::name, &QuarnLight::setName));
    t.push_back(flag<QuarnLight>("enabled", &QuarnLight::enabled, &QuarnLight::setEnabled));
    t.push_back(color<QuarnLight>("diffuse", &QuarnLight::diffuse, &QuarnLight::setDiffuse));
    t.push_back(color<QuarnLight>("ambient", &QuarnLight::ambient, &QuarnLight::setAmbient));
    t.push_back(color<QuarnLight>("specular", &QuarnLight::specular, &QuarnLight::setSpecular));
    addNodeProperties(t, false);
    return t;
  }();
  return table;
}

const PropertyTable<QuarnTextureLayer>& textureLayerProperties() {
  static const PropertyTable<QuarnTextureLayer> table = [] {
    PropertyTable<QuarnTextureLayer> t;
    t.push_back(text<QuarnTextureLayer>("name", &QuarnTextureLayer::name, &QuarnTextureLayer::setName));
    t.push_back(readOnly<QuarnTextureLayer>("texture", [](const QuarnTextureLayer& l) {
      return l.texture() ? QuarnValue(l.texture()->name()) : QuarnValue();
    }));
    t.push_back(flag<QuarnTextureLayer>("enabled", &QuarnTextureLayer::enabled, &QuarnTextureLayer::setEnabled));
    t.push_back(flag<QuarnTextureLayer>("reflective", &QuarnTextureLayer::reflective, &QuarnTextureLayer::setReflective));
    t.push_back(number<QuarnTextureLayer>("blendLevel", &QuarnTextureLayer::blendLevel,
                                          &QuarnTextureLayer::setBlendLevel));
    t.push_back(text<QuarnTextureLayer>("blendMode", &QuarnTextureLayer::blendMode, &QuarnTextureLayer::setBlendMode));
    t.push_back(text<QuarnTextureLayer>("srcBlendFunc", &QuarnTextureLayer::srcBlendFunc,
                                        &QuarnTextureLayer::setSrcBlendFunc));
    t.push_back(text<QuarnTextureLayer>("dstBlendFunc", &QuarnTextureLayer::dstBlendFunc,
                                        &QuarnTextureLayer::setDstBlendFunc));
    return t;
  }();
  return table;
}

}  // namespace quarn_inspector
