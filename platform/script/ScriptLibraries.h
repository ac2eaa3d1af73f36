#pragma once
// The Lua libraries a script gets. A lookup script's job is to read files and answer bytes; it
// runs with the user's own rights, in a process of its own, under time and memory limits.
//
// Available: the base functions, coroutine, table, string, utf8, math, io (files), os (clock,
// date, difftime, time, getenv, tmpname, remove, rename), debug.traceback, and `fs`:
//   fs.list(path)  the names in a folder ("." and ".." left out), sorted; nil and a message on error
//   fs.type(path)  "file", "folder", "link", "other", or nil when nothing is there (links not followed)
// load, loadfile and dofile take source text only: binary chunks are refused, because the
// interpreter does not check bytecode and bad bytecode crashes it.
//
// Not available (calling one raises "<name> is not available to scripts"): starting or ending
// processes (os.execute, io.popen, os.exit), changing the process (os.setlocale), loading native
// or other modules (require; no package library), and the interpreter's internals (the debug
// library apart from traceback: it can lift the run's limits).
struct lua_State;

namespace platform {

void openScriptLibraries(lua_State* L);

}  // namespace platform
