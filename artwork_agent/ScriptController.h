#pragma once
// One script, loaded lazily from a file (a compiled script, or failing that the source text at
// path + ".txt"), run plainly or with a parameter list through the Open Documents event, with
// the error information of its last load or run.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/foundation/PropertyList.h"
#include "platform/script/Script.h"
#include "platform/script/ScriptDescriptor.h"

// A parameter: a descriptor (passed unchanged) or a property-list object, of which only strings
// and numbers are accepted.
using ScriptParameter = std::variant<platform::ScriptDescriptor, platform::PlistValue>;
using ScriptParameterList = std::vector<ScriptParameter>;

class ScriptController {
 public:
  // Copies the path; loads nothing yet. An absent path never loads.
  explicit ScriptController(std::optional<std::string> scriptPath);
  static ScriptController initWithScriptFile(const std::string& scriptPath);
  // The tool's resource `name`.scpt (beside the executable); absent path when there is none.
  static ScriptController initWithScriptResourceNamed(const std::string& name);

  ScriptController(ScriptController&&) noexcept = default;
  ScriptController& operator=(ScriptController&&) noexcept = default;
  ~ScriptController();

  // Runs the top level.
  std::optional<platform::ScriptDescriptor> run();
  // Loads if needed; with a list (even an empty one) delivers it to the open handler, without
  // one runs the top level. Throws std::invalid_argument("Script parameter is not a string or
  // number") for any other parameter, before running anything.
  std::optional<platform::ScriptDescriptor> runWithParameters(const std::optional<ScriptParameterList>& parameters);

  const std::optional<platform::PlistDictionary>& errorInfo() const { return _errorInfo; }
  int32_t errorNumber() const;
  std::optional<std::string> errorMessage() const;
  std::optional<std::string> briefErrorMessage() const;
  void clearError();

  const std::optional<std::string>& scriptPath() const { return _scriptPath; }
  bool isLoaded() const { return _script != nullptr; }

 private:
  bool load();
  std::optional<std::string> errorString(const char* key) const;

  std::unique_ptr<platform::Script> _script;
  std::optional<std::string> _scriptPath;
  std::optional<platform::PlistDictionary> _errorInfo;
};
