#include "Script.h"

#include <lua.hpp>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>

#include "ScriptLibraries.h"
#include "ScriptWorker.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Paths.h"

namespace platform {
namespace {

std::atomic<uint64_t> gDefaultInstructionLimit{Script::kStandardInstructionLimit};
std::atomic<double> gDefaultTimeLimit{Script::kStandardTimeLimit};
std::atomic<double> gDefaultProcessorTimeLimit{Script::kStandardProcessorTimeLimit};
constexpr int kHookStep = 1000;                      // instructions between budget checks
constexpr size_t kMaxScriptFileBytes = size_t(64) << 20;

}  // namespace

struct Script::State {
  lua_State* L = nullptr;
  std::string source;
  std::string name;  // chunk name as shown in messages
  bool compiled = false;
  bool topLevelRan = false;  // in the child that runs the script
  int chunkRef = LUA_NOREF;
  ScriptWorker worker;

  size_t memoryUsed = 0;
  size_t memoryLimit = kStandardMemoryLimit;
  bool enforceMemory = false;  // while loading and running, so that reading the outcome never fails
  bool memoryHit = false;      // a request past the limit was refused during this run

  uint64_t instructionLimit = gDefaultInstructionLimit.load();
  uint64_t executed = 0;
  bool limitHit = false;
  bool handlerMissing = false;
  double timeLimit = gDefaultTimeLimit.load();
  double processorTimeLimit = gDefaultProcessorTimeLimit.load();

  ~State() {
    if (L) lua_close(L);
  }
};

namespace {

Script::State* stateOf(lua_State* L) { return *static_cast<Script::State**>(lua_getextraspace(L)); }

void* allocate(void* ud, void* ptr, size_t osize, size_t nsize) {
  auto* s = static_cast<Script::State*>(ud);
  size_t old = ptr ? osize : 0;
  if (nsize == 0) {
    std::free(ptr);
    s->memoryUsed -= old;
    return nullptr;
  }
  if (s->enforceMemory && nsize > old && s->memoryUsed - old + nsize > s->memoryLimit) {
    s->memoryHit = true;
    return nullptr;
  }
  void* p = std::realloc(ptr, nsize);
  if (p) s->memoryUsed = s->memoryUsed - old + nsize;
  return p;
}

std::string memoryLimitMessage(const Script::State* s) {
  return "script stopped: it asked for more than its " + std::to_string(s->memoryLimit >> 20) + " MiB of memory";
}

std::string instructionLimitMessage(const Script::State* s) {
  return "script stopped: it exceeded its budget of " + std::to_string(s->instructionLimit) + " instructions";
}

void countHook(lua_State* L, lua_Debug*) {
  Script::State* s = stateOf(L);
  s->executed += kHookStep;
  if (s->limitHit || s->memoryHit || s->executed > s->instructionLimit) {
    if (!s->memoryHit) s->limitHit = true;
    // From now on every instruction of this thread fails, so a script that catches the error
    // (pcall in a loop) still unwinds: past its memory budget as past its instruction budget.
    lua_sethook(L, countHook, LUA_MASKCOUNT, 1);
    luaL_error(L, "%s", (s->memoryHit ? memoryLimitMessage(s) : instructionLimitMessage(s)).c_str());
  }
}

// Pushes the Lua value of a descriptor (inside a protected call).
void pushDescriptor(lua_State* L, const ScriptDescriptor& d, int depth) {
  luaL_checkstack(L, 4, "descriptor nesting too deep");
  switch (d.descriptorType()) {
    case kTypeList: {
      if (depth > 100) luaL_error(L, "descriptor nesting too deep");
      lua_createtable(L, static_cast<int>(std::min<size_t>(d.numberOfItems(), 1 << 20)), 0);
      for (size_t i = 1; i <= d.numberOfItems(); ++i) {
        pushDescriptor(L, *d.descriptorAtIndex(i), depth + 1);
        lua_rawseti(L, -2, static_cast<lua_Integer>(i));
      }
      break;
    }
    case kTypeSInt32: lua_pushinteger(L, d.int32Value()); break;
    case kTypeUTF8Text:
    case kTypeData: lua_pushlstring(L, d.data().data(), d.data().size()); break;
    default: lua_pushnil(L); break;
  }
}

// Leaves the converted result on the stack: nil, or the bytes and whether they are raw data.
void convertResult(lua_State* L, int index) {
  int type = lua_type(L, index);
  if (type == LUA_TNONE || type == LUA_TNIL) {
    lua_pushnil(L);
    lua_pushboolean(L, 0);
  } else if (type == LUA_TSTRING) {
    lua_pushvalue(L, index);
    lua_pushboolean(L, 1);
  } else if (type == LUA_TNUMBER || type == LUA_TBOOLEAN) {
    luaL_tolstring(L, index, nullptr);
    lua_pushboolean(L, 0);
  } else {
    luaL_error(L, "the script returned a %s value; expected a string", luaL_typename(L, index));
  }
}

void pushChunk(lua_State* L, Script::State* s) { lua_rawgeti(L, LUA_REGISTRYINDEX, s->chunkRef); }

// Protected: runs the top level and converts its first result.
int runTopLevel(lua_State* L) {
  Script::State* s = stateOf(L);
  pushChunk(L, s);
  lua_call(L, 0, 1);
  s->topLevelRan = true;
  convertResult(L, -1);
  return 2;
}

// Protected: delivers the direct object of the event (light userdata 1) to `open`, after
// running the top level once to define the handlers.
int runOpenHandler(lua_State* L) {
  Script::State* s = stateOf(L);
  const auto* event = static_cast<const ScriptDescriptor*>(lua_touserdata(L, 1));
  lua_settop(L, 0);
  if (!s->topLevelRan) {
    pushChunk(L, s);
    lua_call(L, 0, 0);
    s->topLevelRan = true;
  }
  lua_getglobal(L, "open");
  if (lua_isnil(L, -1)) {
    s->handlerMissing = true;
    return luaL_error(L, "%s doesn't understand the open message", s->name.c_str());
  }
  int nargs = 0;
  if (const ScriptDescriptor* direct = event->descriptorForKeyword(kKeyDirectObject)) {
    pushDescriptor(L, *direct, 0);
    nargs = 1;
  }
  lua_call(L, nargs, 1);
  convertResult(L, -1);
  return 2;
}

// "name:12: message" -> "message"
std::string briefMessage(const std::string& message, const std::string& name) {
  if (message.compare(0, name.size() + 1, name + ":") != 0) return message;
  size_t i = name.size() + 1;
  size_t digits = i;
  while (i < message.size() && message[i] >= '0' && message[i] <= '9') ++i;
  if (i == digits || message.compare(i, 2, ": ") != 0) return message;
  return message.substr(i + 2);
}

ScriptOutcome errorFromStack(lua_State* L, Script::State* s, int status) {
  if (s->memoryHit || status == LUA_ERRMEM) {
    // Past the budget, or refused by the system (the child's address-space limit) short of it.
    std::string m = s->memoryHit ? memoryLimitMessage(s) : "script stopped: not enough memory";
    return ScriptOutcome::error(kScriptOutOfMemory, m, m);
  }
  if (s->limitHit) {
    std::string m = instructionLimitMessage(s);
    return ScriptOutcome::error(kScriptLimitExceeded, m, m);
  }
  int32_t number = s->handlerMissing ? kScriptHandlerMissing : kScriptRuntimeError;
  std::string message;
  if (lua_type(L, -1) == LUA_TSTRING) {
    size_t len = 0;
    const char* m = lua_tolstring(L, -1, &len);
    message.assign(m, len);
  } else if (lua_type(L, -1) == LUA_TTABLE) {
    // error{number = N, message = "..."}: raw reads only, nothing here may raise.
    lua_pushliteral(L, "number");
    lua_rawget(L, -2);
    if (lua_isinteger(L, -1)) {
      lua_Integer n = lua_tointeger(L, -1);
      if (n >= INT32_MIN && n <= INT32_MAX) number = static_cast<int32_t>(n);
    }
    lua_pop(L, 1);
    lua_pushliteral(L, "message");
    lua_rawget(L, -2);
    if (lua_type(L, -1) == LUA_TSTRING) {
      size_t len = 0;
      const char* m = lua_tolstring(L, -1, &len);
      message.assign(m, len);
    } else {
      message = "script error " + std::to_string(number);
    }
    lua_pop(L, 1);
  } else {
    message = std::string("error object is a ") + luaL_typename(L, -1) + " value";
  }
  return ScriptOutcome::error(number, message, briefMessage(message, s->name));
}

// --- Requests to the child: the budgets, then the top level ('T') or an event ('E') with its
// direct object. ---

void encodeDescriptor(const ScriptDescriptor& d, std::string& out, int depth) {
  const FourCharCode type = depth > 100 ? kTypeNull : d.descriptorType();
  const std::string& bytes = d.data();
  const uint64_t length = bytes.size();
  const uint32_t items = type == kTypeList ? static_cast<uint32_t>(d.numberOfItems()) : 0;
  out.append(reinterpret_cast<const char*>(&type), sizeof type);
  out.append(reinterpret_cast<const char*>(&length), sizeof length);
  out += bytes;
  out.append(reinterpret_cast<const char*>(&items), sizeof items);
  for (uint32_t i = 1; i <= items; ++i) encodeDescriptor(*d.descriptorAtIndex(i), out, depth + 1);
}

bool decodeDescriptor(const std::string& in, size_t& pos, ScriptDescriptor& out, int depth) {
  FourCharCode type = 0;
  uint64_t length = 0;
  uint32_t items = 0;
  auto take = [&](void* p, size_t n) {
    if (in.size() - pos < n) return false;
    std::memcpy(p, in.data() + pos, n);
    pos += n;
    return true;
  };
  if (depth > 101 || !take(&type, sizeof type) || !take(&length, sizeof length) || in.size() - pos < length) return false;
  std::string bytes = in.substr(pos, static_cast<size_t>(length));
  pos += static_cast<size_t>(length);
  if (!take(&items, sizeof items)) return false;
  out = type == kTypeList ? ScriptDescriptor::listDescriptor() : ScriptDescriptor::descriptorWithBytes(type, std::move(bytes));
  for (uint32_t i = 1; i <= items; ++i) {
    ScriptDescriptor item;
    if (!decodeDescriptor(in, pos, item, depth + 1)) return false;
    out.insertDescriptor(std::move(item), i);
  }
  return true;
}

struct Request {
  uint64_t instructionLimit = 0;
  uint64_t memoryLimit = 0;
  char kind = 'T';
  std::optional<ScriptDescriptor> directObject;  // events only
};

std::string encodeRequest(const Request& r) {
  std::string out;
  out.append(reinterpret_cast<const char*>(&r.instructionLimit), sizeof r.instructionLimit);
  out.append(reinterpret_cast<const char*>(&r.memoryLimit), sizeof r.memoryLimit);
  out += r.kind;
  out += r.directObject ? '1' : '0';
  if (r.directObject) encodeDescriptor(*r.directObject, out, 0);
  return out;
}

bool decodeRequest(const std::string& in, Request& r) {
  if (in.size() < 18) return false;
  std::memcpy(&r.instructionLimit, in.data(), 8);
  std::memcpy(&r.memoryLimit, in.data() + 8, 8);
  r.kind = in[16];
  size_t pos = 18;
  if (in[17] != '1') return true;
  ScriptDescriptor d;
  if (!decodeDescriptor(in, pos, d, 0)) return false;
  r.directObject = std::move(d);
  return true;
}

// In the child: the run, and its outcome sent back.
void runHere(Script::State* s, int (*body)(lua_State*), const ScriptDescriptor* event, ScriptOutcomeChannel& channel) {
  lua_State* L = s->L;
  lua_settop(L, 0);
  s->executed = 0;
  s->limitHit = false;
  s->memoryHit = false;
  s->handlerMissing = false;
  lua_sethook(L, countHook, LUA_MASKCOUNT, kHookStep);
  s->enforceMemory = true;
  lua_pushcfunction(L, body);
  lua_pushlightuserdata(L, const_cast<ScriptDescriptor*>(event));
  int status = lua_pcall(L, 1, 2, 0);
  // Reading the outcome happens unprotected, so it must never fail for want of memory.
  s->enforceMemory = false;
  lua_sethook(L, nullptr, 0, 0);
  if (status != LUA_OK) {
    ScriptOutcome e = errorFromStack(L, s, status);
    channel.sendError(e.errorNumber, e.errorMessage, e.errorBriefMessage);
  } else if (lua_isnil(L, -2)) {
    channel.sendNothing();
  } else {
    size_t len = 0;
    const char* bytes = lua_tolstring(L, -2, &len);
    channel.sendResult(lua_toboolean(L, -1) != 0, bytes, len);
  }
  // What the run left behind doesn't count against the next one.
  lua_settop(L, 0);
  lua_gc(L, LUA_GCCOLLECT);
}

// The child's address space: what this process maps now, room for the interpreter's budget with
// the allocator's slack, and some for the libraries. None under AddressSanitizer, which reserves
// terabytes of shadow memory.
size_t addressSpaceLimit(size_t memoryLimit) {
#if defined(__SANITIZE_ADDRESS__)
  (void)memoryLimit;
  return 0;
#else
  size_t now = currentAddressSpaceBytes();
  if (now == 0 || memoryLimit > SIZE_MAX / 4) return 0;
  return now + memoryLimit + memoryLimit / 2 + (size_t(256) << 20);
#endif
}

}  // namespace

Script::Script() : state_(std::make_unique<State>()) {
  state_->L = lua_newstate(allocate, state_.get());
  if (!state_->L) return;
  *static_cast<State**>(lua_getextraspace(state_->L)) = state_.get();
  openScriptLibraries(state_->L);
}

Script::Script(std::string source, std::string name) : Script() {
  state_->source = std::move(source);
  state_->name = std::move(name);
}

Script::~Script() = default;

std::unique_ptr<Script> Script::loadFromFile(const std::string& path, ScriptErrorInfo& errorInfo) {
  // Regular files only (opening a FIFO would block).
  struct stat st;
  std::optional<std::string> bytes;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) bytes = readWholeFile(path, kMaxScriptFileBytes);
  if (!bytes) {
    std::string m = "can't read the script file '" + path + "'";
    errorInfo = makeScriptErrorInfo(kScriptFileUnreadable, m, m);
    return nullptr;
  }
  std::unique_ptr<Script> script(new Script());
  script->state_->name = lastPathComponent(path);
  script->state_->source = std::move(*bytes);
  // Source text or a precompiled chunk.
  if (!script->compile(errorInfo, "bt")) return nullptr;
  return script;
}

bool Script::compile(ScriptErrorInfo& errorInfo) { return compile(errorInfo, "t"); }

bool Script::compile(ScriptErrorInfo& errorInfo, const char* mode) {
  State* s = state_.get();
  if (s->compiled) return true;
  if (!s->L) {
    errorInfo = makeScriptErrorInfo(kScriptOutOfMemory, "not enough memory", "not enough memory");
    return false;
  }
  std::string chunkName = "=" + s->name;
  // A precompiled chunk is only read here (the reader checks sizes and ends, not the code); it
  // first runs in a child process. Its claims on memory count against the budget.
  s->enforceMemory = true;
  s->memoryHit = false;
  int status = luaL_loadbufferx(s->L, s->source.data(), s->source.size(), chunkName.c_str(), mode);
  s->enforceMemory = false;
  if (status != LUA_OK) {
    size_t len = 0;
    const char* m = lua_tolstring(s->L, -1, &len);
    std::string message = m ? std::string(m, len) : "the script does not compile";
    lua_settop(s->L, 0);
    errorInfo = makeScriptErrorInfo(status == LUA_ERRMEM ? kScriptOutOfMemory : kScriptCompileError, message,
                                    briefMessage(message, s->name));
    return false;
  }
  s->chunkRef = luaL_ref(s->L, LUA_REGISTRYINDEX);
  s->compiled = true;
  s->source.clear();
  s->source.shrink_to_fit();
  return true;
}

bool Script::isCompiled() const { return state_->compiled; }

std::optional<ScriptDescriptor> Script::run(int (*body)(lua_State*), const ScriptDescriptor* event,
                                            ScriptErrorInfo& errorInfo) {
  State* s = state_.get();
  if (!s->compiled) {
    std::string m = "the script is not compiled";
    errorInfo = makeScriptErrorInfo(kScriptCompileError, m, m);
    return std::nullopt;
  }
  Request request;
  request.instructionLimit = s->instructionLimit;
  request.memoryLimit = s->memoryLimit;
  request.kind = body == runTopLevel ? 'T' : 'E';
  if (event)
    if (const ScriptDescriptor* direct = event->descriptorForKeyword(kKeyDirectObject)) request.directObject = *direct;
  ScriptProcessLimits limits;
  limits.seconds = s->timeLimit;
  limits.processorSeconds = s->processorTimeLimit;
  limits.addressSpaceBytes = addressSpaceLimit(s->memoryLimit);
  limits.maxAnswerBytes = s->memoryLimit;
  // What the child does with each request, on its own copy of this state.
  auto serve = [s](const std::string& bytes, ScriptOutcomeChannel& channel) {
    Request r;
    if (!decodeRequest(bytes, r)) {
      channel.sendError(kScriptProcessFailed, "script stopped: an unreadable request", "an unreadable request");
      return;
    }
    s->instructionLimit = r.instructionLimit;
    s->memoryLimit = static_cast<size_t>(r.memoryLimit);
    if (r.kind == 'T') {
      runHere(s, runTopLevel, nullptr, channel);
      return;
    }
    ScriptDescriptor childEvent =
        ScriptDescriptor::appleEvent(kCoreEventClass, kAEOpenDocuments, ScriptDescriptor::nullDescriptor(), 0, 0);
    if (r.directObject) childEvent.setDescriptor(std::move(*r.directObject), kKeyDirectObject);
    runHere(s, runOpenHandler, &childEvent, channel);
  };
  ScriptOutcome outcome = s->worker.request(encodeRequest(request), limits, serve);
  switch (outcome.kind) {
    case ScriptOutcome::Kind::Result:
      return ScriptDescriptor::descriptorWithBytes(outcome.rawData ? kTypeData : kTypeUTF8Text, std::move(outcome.bytes));
    case ScriptOutcome::Kind::Error:
      errorInfo = makeScriptErrorInfo(outcome.errorNumber, outcome.errorMessage, outcome.errorBriefMessage);
      return std::nullopt;
    case ScriptOutcome::Kind::Nothing:
      break;
  }
  return std::nullopt;
}

std::optional<ScriptDescriptor> Script::execute(ScriptErrorInfo& errorInfo) {
  return run(runTopLevel, nullptr, errorInfo);
}

std::optional<ScriptDescriptor> Script::executeAppleEvent(const ScriptDescriptor& event, ScriptErrorInfo& errorInfo) {
  if (event.eventClass() != kCoreEventClass || event.eventID() != kAEOpenDocuments) {
    std::string m = state_->name + " doesn't understand this event";
    errorInfo = makeScriptErrorInfo(kScriptHandlerMissing, m, m);
    return std::nullopt;
  }
  return run(runOpenHandler, &event, errorInfo);
}

void Script::setInstructionLimit(uint64_t instructions) { state_->instructionLimit = instructions; }
void Script::setMemoryLimit(size_t bytes) { state_->memoryLimit = bytes; }
void Script::setTimeLimit(double seconds) { state_->timeLimit = seconds; }
void Script::setProcessorTimeLimit(double seconds) { state_->processorTimeLimit = seconds; }
void Script::setDefaultInstructionLimit(uint64_t instructions) { gDefaultInstructionLimit = instructions; }
uint64_t Script::defaultInstructionLimit() { return gDefaultInstructionLimit; }
void Script::setDefaultTimeLimit(double seconds) { gDefaultTimeLimit = seconds; }
double Script::defaultTimeLimit() { return gDefaultTimeLimit; }
void Script::setDefaultProcessorTimeLimit(double seconds) { gDefaultProcessorTimeLimit = seconds; }
double Script::defaultProcessorTimeLimit() { return gDefaultProcessorTimeLimit; }

}  // namespace platform
