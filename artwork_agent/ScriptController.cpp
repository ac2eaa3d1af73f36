#include "ScriptController.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/script/ScriptErrors.h"

using platform::PlistValue;
using platform::ScriptDescriptor;

namespace {

constexpr size_t kMaxSourceBytes = size_t(64) << 20;

int32_t clampedInt32(double value) {
  if (std::isnan(value)) return 0;
  double t = std::trunc(value);
  if (t <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (t >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(t);
}

ScriptDescriptor descriptorForParameter(const ScriptParameter& parameter) {
  if (const auto* d = std::get_if<ScriptDescriptor>(&parameter)) return *d;
  const PlistValue& v = std::get<PlistValue>(parameter);
  switch (v.type()) {
    case PlistValue::Type::String: return ScriptDescriptor::descriptorWithString(v.string());
    case PlistValue::Type::Integer:
      return ScriptDescriptor::descriptorWithInt32(clampedInt32(static_cast<double>(v.integer())));
    case PlistValue::Type::Real: return ScriptDescriptor::descriptorWithInt32(clampedInt32(v.real()));
    case PlistValue::Type::Boolean: return ScriptDescriptor::descriptorWithInt32(v.boolean() ? 1 : 0);
    default: throw std::invalid_argument("Script parameter is not a string or number");
  }
}

bool isRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

ScriptController::ScriptController(std::optional<std::string> scriptPath) : _scriptPath(std::move(scriptPath)) {}
ScriptController::~ScriptController() = default;

ScriptController ScriptController::initWithScriptFile(const std::string& scriptPath) {
  return ScriptController(scriptPath);
}

ScriptController ScriptController::initWithScriptResourceNamed(const std::string& name) {
  // Beside the program, or in the installed data folder.
  if (auto path = platform::findDataFile(name + ".scpt")) return ScriptController(*path);
  return ScriptController(std::nullopt);
}

bool ScriptController::load() {
  if (!_scriptPath) return false;
  if (platform::fileExists(*_scriptPath)) {
    _script = platform::Script::loadFromFile(*_scriptPath, _errorInfo);
  } else {
    std::string sourcePath = *_scriptPath + ".txt";
    std::optional<std::string> source;
    if (isRegularFile(sourcePath)) source = platform::readWholeFile(sourcePath, kMaxSourceBytes);
    if (source) {
      _script = std::make_unique<platform::Script>(std::move(*source), platform::lastPathComponent(sourcePath));
      if (!_script->compile(_errorInfo)) _script.reset();
    }
  }
  if (_errorInfo) _script.reset();
  return _script != nullptr;
}

std::optional<ScriptDescriptor> ScriptController::run() { return runWithParameters(std::nullopt); }

std::optional<ScriptDescriptor> ScriptController::runWithParameters(const std::optional<ScriptParameterList>& parameters) {
  clearError();
  if (!_script && !load()) return std::nullopt;

  std::optional<ScriptDescriptor> result;
  if (!parameters) {
    result = _script->execute(_errorInfo);
  } else {
    ScriptDescriptor event = ScriptDescriptor::appleEvent(platform::kCoreEventClass, platform::kAEOpenDocuments,
                                                          ScriptDescriptor::nullDescriptor(), 0, 0);
    ScriptDescriptor list = ScriptDescriptor::listDescriptor();
    for (size_t i = 0; i < parameters->size(); ++i) list.insertDescriptor(descriptorForParameter((*parameters)[i]), i + 1);
    event.setDescriptor(std::move(list), platform::kKeyDirectObject);
    result = _script->executeAppleEvent(event, _errorInfo);
  }
  if (_errorInfo) {
    platform::log("ScriptController: Couldn't run script: err=%s", platform::describeErrorInfo(*_errorInfo).c_str());
    return std::nullopt;
  }
  return result;
}

int32_t ScriptController::errorNumber() const {
  if (!_errorInfo) return 0;
  const PlistValue* v = _errorInfo->find(platform::kScriptErrorNumberKey);
  if (!v) return 0;
  auto n = v->number();
  return n ? clampedInt32(*n) : 0;
}

std::optional<std::string> ScriptController::errorString(const char* key) const {
  if (!_errorInfo) return std::nullopt;
  const PlistValue* v = _errorInfo->find(key);
  if (!v || !v->isString()) return std::nullopt;
  return v->string();
}

std::optional<std::string> ScriptController::errorMessage() const {
  return errorString(platform::kScriptErrorMessageKey);
}

std::optional<std::string> ScriptController::briefErrorMessage() const {
  return errorString(platform::kScriptErrorBriefMessageKey);
}

void ScriptController::clearError() { _errorInfo.reset(); }
