#include "UserDefaults.h"

#include <cstdlib>
#include <memory>
#include <mutex>

#include "Log.h"
#include "Paths.h"

namespace platform {
namespace {
std::mutex gStandardMutex;
std::string gDomain;
std::unique_ptr<UserDefaults> gStandard;
}  // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
  std::lock_guard<std::mutex> lock(gStandardMutex);
  if (!gStandard) gStandard = std::make_unique<UserDefaults>(gDomain.empty() ? logProcessName() : gDomain);
  return *gStandard;
}

void UserDefaults::setApplicationDomain(const std::string& domain) {
  std::lock_guard<std::mutex> lock(gStandardMutex);
  gDomain = domain;
  gStandard.reset();
}

UserDefaults::UserDefaults(std::string domain) : domain_(std::move(domain)) { reload(); }

std::string UserDefaults::filePath() const {
  return userConfigDirectory() + "/" + domain_ + "/defaults.plist";
}

void UserDefaults::reload() {
  values_ = PlistDictionary();
  dirty_ = false;
  auto v = plist::readFile(filePath());
  if (v && v->isDictionary()) values_ = v->dictionary();
}

std::optional<PlistValue> UserDefaults::objectForKey(const std::string& key) const {
  if (const PlistValue* v = values_.find(key)) return *v;
  return std::nullopt;
}

bool UserDefaults::boolForKey(const std::string& key) const {
  const PlistValue* v = values_.find(key);
  if (!v) return false;
  if (v->isBoolean()) return v->boolean();
  if (auto n = v->number()) return *n != 0;
  if (v->isString()) {
    const std::string& s = v->string();
    return s == "YES" || s == "yes" || s == "true" || s == "TRUE" || std::atoi(s.c_str()) != 0;
  }
  return false;
}

int64_t UserDefaults::integerForKey(const std::string& key) const {
  const PlistValue* v = values_.find(key);
  if (!v) return 0;
  if (v->isInteger()) return v->integer();
  if (v->isReal()) return static_cast<int64_t>(v->real());
  if (v->isBoolean()) return v->boolean() ? 1 : 0;
  if (v->isString()) return std::atoll(v->string().c_str());
  return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const {
  const PlistValue* v = values_.find(key);
  if (!v) return 0;
  if (auto n = v->number()) return *n;
  if (v->isBoolean()) return v->boolean() ? 1 : 0;
  if (v->isString()) return std::atof(v->string().c_str());
  return 0;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
  const PlistValue* v = values_.find(key);
  if (v && v->isString()) return v->string();
  return std::nullopt;
}

void UserDefaults::setObject(const std::string& key, PlistValue value) {
  const PlistValue* old = values_.find(key);
  if (old && *old == value) return;
  values_.set(key, std::move(value));
  dirty_ = true;
}

void UserDefaults::removeObjectForKey(const std::string& key) {
  if (values_.erase(key)) dirty_ = true;
}

bool UserDefaults::synchronize() {
  if (!dirty_) return true;
  std::string folder = userConfigDirectory() + "/" + domain_;
  if (!createDirectories(folder)) return false;
  if (!plist::writeFile(PlistValue(values_), filePath(), plist::Format::Xml)) return false;
  dirty_ = false;
  return true;
}

}  // namespace platform
