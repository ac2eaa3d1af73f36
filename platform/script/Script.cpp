#include "Script.h"

#include <lua.hpp>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Paths.h"

namespace platform {
namespace {

std::atomic<uint64_t> gDefaultInstructionLimit{Script::kStandardInstructionLimit};
constexpr int kHookStep = 1000;                      // instructions between budget checks
constexpr size_t kMaxScriptFileBytes = size_t(64) << 20;

}  // namespace

struct Script::State {
  lua_State* L = nullptr;
  std::string source;
  std::string name;  // chunk name as shown in messages
  bool compiled = false;
  bool topLevelRan = false;
  int chunkRef = LUA_NOREF;

  size_t memoryUsed = 0;
  size_t memoryLimit = kStandardMemoryLimit;
  bool enforceMemory = false;  // only while running, so loading and clean-up never fail on it

  uint64_t instructionLimit = gDefaultInstructionLimit.load();
  uint64_t executed = 0;
  bool limitHit = false;
  bool handlerMissing = false;

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
  if (s->enforceMemory && nsize > old && s->memoryUsed - old + nsize > s->memoryLimit) return nullptr;
  void* p = std::realloc(ptr, nsize);
  if (p) s->memoryUsed = s->memoryUsed - old + nsize;
  return p;
}

void countHook(lua_State* L, lua_Debug*) {
  Script::State* s = stateOf(L);
  s->executed += kHookStep;
  if (s->limitHit || s->executed > s->instructionLimit) {
    s->limitHit = true;
    // From now on every instruction of this thread fails, so a script that catches the error
    // (pcall in a loop) still unwinds.
    lua_sethook(L, countHook, LUA_MASKCOUNT, 1);
    luaL_error(L, "script stopped: it exceeded its budget of %llu instructions",
               static_cast<unsigned long long>(s->instructionLimit));
  }
}

int unavailable(lua_State* L) {
  return luaL_error(L, "%s is not available to scripts", lua_tostring(L, lua_upvalueindex(1)));
}

void disable(lua_State* L, const char* library, const char* function) {
  if (lua_getglobal(L, library) == LUA_TTABLE) {
    std::string qualified = std::string(library) + "." + function;
    lua_pushstring(L, qualified.c_str());
    lua_pushcclosure(L, unavailable, 1);
    lua_setfield(L, -2, function);
  }
  lua_pop(L, 1);
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

// Protected: delivers the direct object of the event (light userdata 1) to `open`.
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

ScriptErrorInfo errorFromStack(lua_State* L, Script::State* s, int status) {
  if (s->limitHit) {
    std::string m = "script stopped: it exceeded its budget of " + std::to_string(s->instructionLimit) + " instructions";
    return makeScriptErrorInfo(kScriptLimitExceeded, m, m);
  }
  if (status == LUA_ERRMEM) return makeScriptErrorInfo(kScriptOutOfMemory, "not enough memory", "not enough memory");
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
  return makeScriptErrorInfo(number, message, briefMessage(message, s->name));
}

}  // namespace

Script::Script() : state_(std::make_unique<State>()) {
  state_->L = lua_newstate(allocate, state_.get());
  if (!state_->L) return;
  *static_cast<State**>(lua_getextraspace(state_->L)) = state_.get();
  luaL_openlibs(state_->L);
  disable(state_->L, "debug", "sethook");
  disable(state_->L, "os", "exit");
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
  int status = luaL_loadbufferx(s->L, s->source.data(), s->source.size(), chunkName.c_str(), mode);
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
  lua_State* L = s->L;
  lua_settop(L, 0);
  s->executed = 0;
  s->limitHit = false;
  s->handlerMissing = false;
  lua_sethook(L, countHook, LUA_MASKCOUNT, kHookStep);
  s->enforceMemory = true;

  lua_pushcfunction(L, body);
  lua_pushlightuserdata(L, const_cast<ScriptDescriptor*>(event));
  int status = lua_pcall(L, 1, 2, 0);
  // Reading the outcome happens unprotected, so it must never fail for want of memory.
  s->enforceMemory = false;

  std::optional<ScriptDescriptor> result;
  if (status == LUA_OK) {
    if (!lua_isnil(L, -2)) {
      size_t len = 0;
      const char* bytes = lua_tolstring(L, -2, &len);
      result = ScriptDescriptor::descriptorWithBytes(lua_toboolean(L, -1) ? kTypeData : kTypeUTF8Text,
                                                     std::string(bytes, len));
    }
  } else {
    errorInfo = errorFromStack(L, s, status);
  }
  lua_sethook(L, nullptr, 0, 0);
  lua_settop(L, 0);
  lua_gc(L, LUA_GCCOLLECT);
  return result;
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
void Script::setDefaultInstructionLimit(uint64_t instructions) { gDefaultInstructionLimit = instructions; }
uint64_t Script::defaultInstructionLimit() { return gDefaultInstructionLimit; }

}  // namespace platform
