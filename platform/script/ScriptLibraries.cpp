#include "ScriptLibraries.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <lua.hpp>

namespace platform {
namespace {

int unavailable(lua_State* L) {
  return luaL_error(L, "%s is not available to scripts", lua_tostring(L, lua_upvalueindex(1)));
}

void pushUnavailable(lua_State* L, const char* name) {
  lua_pushstring(L, name);
  lua_pushcclosure(L, unavailable, 1);
}

void disable(lua_State* L, const char* library, const char* function) {
  if (lua_getglobal(L, library) == LUA_TTABLE) {
    std::string qualified = std::string(library) + "." + function;
    pushUnavailable(L, qualified.c_str());
    lua_setfield(L, -2, function);
  }
  lua_pop(L, 1);
}

// The library function in upvalue 1, called with its mode argument (at `modeIndex`) forced to
// text: load(chunk [, name [, mode [, env]]]) has it third, loadfile([filename [, mode [, env]]])
// second.
template <int modeIndex>
int callWithTextMode(lua_State* L) {
  if (lua_gettop(L) < modeIndex) lua_settop(L, modeIndex);
  lua_pushliteral(L, "t");
  lua_replace(L, modeIndex);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  return lua_gettop(L);
}

int doFileText(lua_State* L) {
  const char* name = luaL_optstring(L, 1, nullptr);
  lua_settop(L, 1);
  if (luaL_loadfilex(L, name, "t") != LUA_OK) return lua_error(L);
  lua_call(L, 0, LUA_MULTRET);
  return lua_gettop(L) - 1;
}

void replaceWithText(lua_State* L, const char* name, lua_CFunction wrapper) {
  lua_getglobal(L, name);
  lua_pushcclosure(L, wrapper, 1);
  lua_setglobal(L, name);
}

int fsList(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  // Names are gathered before anything is handed to Lua, which may raise (the run then ends, and
  // its process with it).
  std::vector<std::string> names;
  DIR* dir = opendir(path);
  if (!dir) {
    int e = errno;
    luaL_pushfail(L);
    lua_pushfstring(L, "%s: %s", path, std::strerror(e));
    lua_pushinteger(L, e);
    return 3;
  }
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  lua_createtable(L, static_cast<int>(std::min<size_t>(names.size(), 1 << 24)), 0);
  for (size_t i = 0; i < names.size(); ++i) {
    lua_pushlstring(L, names[i].data(), names[i].size());
    lua_rawseti(L, -2, static_cast<lua_Integer>(i + 1));
  }
  return 1;
}

int fsType(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  struct stat st;
  if (lstat(path, &st) != 0) {
    luaL_pushfail(L);
    return 1;
  }
  const char* type = S_ISREG(st.st_mode) ? "file" : S_ISDIR(st.st_mode) ? "folder" : S_ISLNK(st.st_mode) ? "link" : "other";
  lua_pushstring(L, type);
  return 1;
}

}  // namespace

void openScriptLibraries(lua_State* L) {
  static const luaL_Reg kLibraries[] = {
      {LUA_GNAME, luaopen_base},          {LUA_COLIBNAME, luaopen_coroutine}, {LUA_TABLIBNAME, luaopen_table},
      {LUA_IOLIBNAME, luaopen_io},        {LUA_OSLIBNAME, luaopen_os},        {LUA_STRLIBNAME, luaopen_string},
      {LUA_MATHLIBNAME, luaopen_math},    {LUA_UTF8LIBNAME, luaopen_utf8},    {LUA_DBLIBNAME, luaopen_debug},
  };
  for (const luaL_Reg& library : kLibraries) {
    luaL_requiref(L, library.name, library.func, 1);
    lua_pop(L, 1);
  }

  // Processes: none started, none ended, nothing process-wide changed.
  disable(L, "os", "execute");
  disable(L, "os", "exit");
  disable(L, "os", "setlocale");
  disable(L, "io", "popen");
  // No modules: require would load native code.
  pushUnavailable(L, "require");
  lua_setglobal(L, "require");
  // Of the debug library only traceback: the rest reaches the registry, hooks and upvalues.
  lua_getglobal(L, "debug");
  lua_newtable(L);
  lua_pushnil(L);
  while (lua_next(L, -3) != 0) {  // debug, new, key, value
    lua_pop(L, 1);
    if (lua_type(L, -1) == LUA_TSTRING && std::strcmp(lua_tostring(L, -1), "traceback") != 0) {
      std::string name = std::string("debug.") + lua_tostring(L, -1);
      lua_pushvalue(L, -1);
      pushUnavailable(L, name.c_str());
      lua_rawset(L, -4);
    }
  }
  lua_getfield(L, -2, "traceback");
  lua_setfield(L, -2, "traceback");
  lua_setglobal(L, "debug");
  lua_pop(L, 1);
  // Source text only.
  replaceWithText(L, "load", callWithTextMode<3>);
  replaceWithText(L, "loadfile", callWithTextMode<2>);
  lua_pushcfunction(L, doFileText);
  lua_setglobal(L, "dofile");

  static const luaL_Reg kFs[] = {{"list", fsList}, {"type", fsType}, {nullptr, nullptr}};
  luaL_newlib(L, kFs);
  lua_setglobal(L, "fs");
}

}  // namespace platform
