#pragma once
// A loaded script: the engine behind ScriptController. Scripts are Lua 5.4 chunks, either
// precompiled (as luac writes them) or source text, run with the libraries ScriptLibraries.h lists.
//
// - Running the top level runs the chunk and gives its first result.
// - An Open Documents event (class 'aevt', ID 'odoc') runs the chunk once if it hasn't run yet
//   (so that it defines its handlers), then calls the global function `open` with the direct
//   object: a list becomes a Lua array, text a string, a 32-bit integer an integer.
// - A result that is a string is handed back as raw bytes (type 'tdta'); a number or boolean as
//   its text (type 'utf8'); nil (or no result) means no result descriptor. Other values are a
//   run-time error.
// - Loading (compiling source, or reading a precompiled chunk) happens here; the runs happen in a
//   child process (ScriptWorker.h), forked at the first run from the loaded script, which keeps
//   the script's state from one run to the next. Nothing a run does can take this process down
//   (the interpreter does not check bytecode, and bad bytecode crashes it); a run that ends its
//   child leaves the next run a fresh copy of the loaded script.
// - Each run is bounded: an instruction budget and a memory budget inside the interpreter (the
//   first step past either ends the run; pcall doesn't catch it), and for the child process a
//   processor-time limit, a wall-clock limit and an address-space limit. A run that ends at a
//   limit or by a signal fails with error information naming the limit or the signal.
// - Failures fill the error information (ScriptErrors.h).
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
  // What the interpreter may hold at once. Building a string takes a buffer of its size besides
  // the string, so the largest result is about half of this.
  void setMemoryLimit(size_t bytes);
  void setTimeLimit(double seconds);           // wall clock
  void setProcessorTimeLimit(double seconds);  // user and system time
  static void setDefaultInstructionLimit(uint64_t instructions);
  static uint64_t defaultInstructionLimit();
  static void setDefaultTimeLimit(double seconds);
  static double defaultTimeLimit();
  static void setDefaultProcessorTimeLimit(double seconds);
  static double defaultProcessorTimeLimit();
  static constexpr uint64_t kStandardInstructionLimit = 200'000'000;
  static constexpr size_t kStandardMemoryLimit = size_t(1) << 30;
  static constexpr double kStandardTimeLimit = 15;
  static constexpr double kStandardProcessorTimeLimit = 5;

  struct State;

 private:
  Script();
  bool compile(ScriptErrorInfo& errorInfo, const char* mode);
  std::optional<ScriptDescriptor> run(int (*body)(::lua_State*), const ScriptDescriptor* event,
                                      ScriptErrorInfo& errorInfo);
  std::unique_ptr<State> state_;
};

}  // namespace platform
