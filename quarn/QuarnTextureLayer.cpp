#include "quarn/QuarnTextureLayer.h"

#include "platform/foundation/Log.h"
#include "quarn/QuarnTexture.h"

namespace {

struct NamedEnum {
  const char* name;
  GLenum value;
};

const NamedEnum kBlendModes[] = {{"Replace", GL_REPLACE}, {"Modulate", GL_MODULATE}, {"Blend", GL_BLEND}, {"Decal", GL_DECAL}};

const NamedEnum kSrcBlendFuncs[] = {
    {"ZERO", GL_ZERO},
    {"ONE", GL_ONE},
    {"DST_COLOR", GL_DST_COLOR},
    {"ONE_MINUS_DST_COLOR", GL_ONE_MINUS_DST_COLOR},
    {"SRC_ALPHA", GL_SRC_ALPHA},
    {"ONE_MINUS_SRC_ALPHA", GL_ONE_MINUS_SRC_ALPHA},
    {"DST_ALPHA", GL_DST_ALPHA},
    {"ONE_MINUS_DST_ALPHA", GL_ONE_MINUS_DST_ALPHA},
    {"CONSTANT_COLOR", GL_CONSTANT_COLOR},
    {"ONE_MINUS_CONSTANT_COLOR", GL_ONE_MINUS_CONSTANT_COLOR},
    {"CONSTANT_ALPHA", GL_CONSTANT_ALPHA},
    {"ONE_MINUS_CONSTANT_ALPHA", GL_ONE_MINUS_CONSTANT_ALPHA},
    {"SRC_ALPHA_SATURATE", GL_SRC_ALPHA_SATURATE},
};

const NamedEnum kDstBlendFuncs[] = {
    {"ZERO", GL_ZERO},
    {"ONE", GL_ONE},
    {"SRC_COLOR", GL_SRC_COLOR},
    {"ONE_MINUS_SRC_COLOR", GL_ONE_MINUS_SRC_COLOR},
    {"SRC_ALPHA", GL_SRC_ALPHA},
    {"ONE_MINUS_SRC_ALPHA", GL_ONE_MINUS_SRC_ALPHA},
    {"DST_ALPHA", GL_DST_ALPHA},
    {"ONE_MINUS_DST_ALPHA", GL_ONE_MINUS_DST_ALPHA},
    {"CONSTANT_COLOR", GL_CONSTANT_COLOR},
    {"ONE_MINUS_CONSTANT_COLOR", GL_ONE_MINUS_CONSTANT_COLOR},
    {"CONSTANT_ALPHA", GL_CONSTANT_ALPHA},
    {"ONE_MINUS_CONSTANT_ALPHA", GL_ONE_MINUS_CONSTANT_ALPHA},
};

template <size_t N>
std::vector<std::string> namesOf(const NamedEnum (&table)[N]) {
  std::vector<std::string> names;
  for (const NamedEnum& entry : table) names.emplace_back(entry.name);
  return names;
}

template <size_t N>
const NamedEnum* find(const NamedEnum (&table)[N], const std::string& name) {
  for (const NamedEnum& entry : table)
    if (name == entry.name) return &entry;
  return nullptr;
}

// Takes the named factor from the table; an unknown name is logged and becomes GL_SRC_ALPHA.
template <size_t N>
void setBlendFunc(const NamedEnum (&table)[N], const std::string& func, const char* logLine, std::string& name,
                  GLenum& value) {
  if (const NamedEnum* match = find(table, func)) {
    name = func;
    value = match->value;
    return;
  }
  platform::log("%s", logLine);
  value = GL_SRC_ALPHA;
  name = "GL_SRC_ALPHA";
}

}  // namespace

const std::vector<std::string>& QuarnTextureLayer::blendModes() {
  static const std::vector<std::string> names = namesOf(kBlendModes);
  return names;
}

const std::vector<std::string>& QuarnTextureLayer::srcBlendFuncs() {
  static const std::vector<std::string> names = namesOf(kSrcBlendFuncs);
  return names;
}

const std::vector<std::string>& QuarnTextureLayer::dstBlendFuncs() {
  static const std::vector<std::string> names = namesOf(kDstBlendFuncs);
  return names;
}

void QuarnTextureLayer::setReflective(bool flag) {
  reflective_ = flag;
  if (!flag) {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
  }
}

void QuarnTextureLayer::setBlendMode(const std::string& mode) {
  if (const NamedEnum* match = find(kBlendModes, mode)) {
    blendMode_ = mode;
    quarnBlendMode_ = match->value;
    return;
  }
  platform::log("no blendMode match");
  quarnBlendMode_ = GL_REPLACE;
}

void QuarnTextureLayer::setSrcBlendFunc(const std::string& func) {
  setBlendFunc(kSrcBlendFuncs, func, "no srcBlendFunc match", srcBlendFunc_, quarnsrcBlendFunc_);
}

void QuarnTextureLayer::setDstBlendFunc(const std::string& func) {
  setBlendFunc(kDstBlendFuncs, func, "no dstBlendFunc match", dstBlendFunc_, quarndstBlendFunc_);
}

void QuarnTextureLayer::bindLayer() {
  if (!enabled_ || !texture_) {
    glDisable(GL_TEXTURE_2D);
    return;
  }
  if (reflective_) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  }
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(quarnBlendMode_));
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture_->textureID());
  if (texture_->imgformat() == GL_RGBA) {
    glBlendFunc(quarnsrcBlendFunc_, quarndstBlendFunc_);
    glEnable(GL_BLEND);
  }
}
