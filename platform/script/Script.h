#pragma once
// A loaded script: the engine behind ScriptController. Scripts are Lua 5.4 chunks, either
// precompiled (as luac writes them) or source text, run with the standard libraries.
//
// - Running the top level runs the chunk and gives its first result.
// - An Open Documents event (class 'aevt', ID 'odoc') runs the chunk once if it hasn't run yet
//   (so that it defines its handlers), then calls the global function `open` with the direct
//   object: a list becomes a Lua array, text a string, a 32-bit integer an integer.
// - A result that is a string is handed back as raw bytes (type 'tdta'); a number or boolean as
//   its text (type 'utf8'); nil (or no result) means no result descriptor. Other values are a
//   run-time error.
// - Each run is bounded: it stops with an error once it has executed its instruction budget or
//   asks for more than its memory budget. debug.sethook and os.exit are not available to
//   scripts (they would lift the bound or end the host process).
// - Failures fill the error information (ScriptErrors.h). Precompiled chunks are trusted code:
//   Lua does not verify bytecode.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ScriptDescriptor.h"
#include "ScriptErrors.h"

struct lua_State;

namespace platform {

using ScriptErrorInfo = std::optional<PlistDictionary>;

class Script {
 public:
  // Loads a compiled script file (a precompiled chunk, or any file Lua loads). On failure answers
  // null and fills errorInfo.
  static std::unique_ptr<Script> loadFromFile(const std::string& path, ScriptErrorInfo& errorInfo);

  // An uncompiled script from source text; `name` appears in its error messages.
  explicit Script(std::string source, std::string name = "script");
  ~Script();
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;

  // Compiles the source (source text only; a precompiled chunk is refused). True when compiled.
  bool compile(ScriptErrorInfo& errorInfo);
  bool isCompiled() const;

  // Runs the top level; the result or null with errorInfo filled.
  std::optional<ScriptDescriptor> execute(ScriptErrorInfo& errorInfo);
  // Delivers an event to its handler; the handler's result or null with errorInfo filled.
  std::optional<ScriptDescriptor> executeAppleEvent(const ScriptDescriptor& event, ScriptErrorInfo& errorInfo);

  // Budgets of one run. Defaults apply to scripts created afterwards.
  void setInstructionLimit(uint64_t instructions);
  void setMemoryLimit(size_t bytes);
  static void setDefaultInstructionLimit(uint64_t instructions);
  static uint64_t defaultInstructionLimit();
  static constexpr uint64_t kStandardInstructionLimit = 200'000'000;
  static constexpr size_t kStandardMemoryLimit = size_t(512) << 20;

  struct State;

 private:
  Script();
  bool compile(ScriptErrorInfo& errorInfo, const char* mode);
  std::optional<ScriptDescriptor> run(int (*body)(::lua_State*), const ScriptDescriptor* event,
                                      ScriptErrorInfo& errorInfo);
  std::unique_ptr<State> state_;
};

}  // namespace platform
